#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <stdexcept>
#include <thread>

#include "ScriptedDialogs.h"
#include "StyleStripFixture.h"
#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "panes/StyleStrip.h"
#include "sheet/DescriptionSheet.h"
#include "ui/StyleMiniature.h"

using quorvel::TTableStyle;

namespace {

constexpr quorvel::TColor kBlue = 0x00FF0000;
constexpr quorvel::TColor kGrey = 0x00808080;

using Fixture = uitest::StyleStripFixture;

// A colour dialog that fails to open; every other question is only recorded.
class FailingColourDialogs final : public DialogSeam {
  public:
    FailingColourDialogs() { setDialogs(this); }
    ~FailingColourDialogs() override { setDialogs(nullptr); }
    std::vector<QString> messages;
    QMessageBox::StandardButton message(QWidget*, const QString& text, const QString& caption,
                                        QMessageBox::Icon, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override {
        messages.push_back(caption + u':' + text);
        return QMessageBox::Ok;
    }
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> folderName(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> chooseColour(QWidget*, std::uint32_t) override {
        throw std::runtime_error("colour dialog unavailable");
    }
    int execModal(QDialog&) override { return QDialog::Rejected; }
    bool waitWithProgress(QWidget*, const QString&, const QString&, int,
                          const std::function<Progress()>& poll,
                          const std::function<void()>&) override {
        while (!poll().finished) std::this_thread::yield();  // no merge runs in these cases
        return false;
    }
};

}  // namespace

class TestStyleStrip : public QObject {
    Q_OBJECT
  private slots:
    void controlsHintsAndStartState();
    void miniatureStartGeometryAndLook();
    void tableAlignmentMovesTable();
    void bannerAlignmentMovesBanner();
    void borderWidthAndPaddingPlaceText();
    void colourFlagGreysWithoutLosingColour();
    void colourButtonUsesDialog();
    void colourDialogFailureIsReported();
};

void TestStyleStrip::controlsHintsAndStartState() {
    Fixture f;
    QCOMPARE(f.strip.objectName(), QStringLiteral("ScrollBox2"));
    QCOMPARE(f.strip.height(), 79);
    QCOMPARE(f.strip.frameShape(), QFrame::NoFrame);
    QCOMPARE(f.strip.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    struct Hint {
        const char* name;
        QString toolTip, statusTip;
    };
    const Hint hints[] = {
        {"SpeedButtonTableAlignLeft", "左揃え", "表全体を左揃え"},
        {"SpeedButtonTableAlignCenter", "中央揃え", "表全体を中央揃え"},
        {"SpeedButtonTableAlignRight", "右揃え", "表全体を右揃え"},
        {"SpeedButtonBannerLeft", "左揃え", "広告リンク表示位置を左揃え"},
        {"SpeedButtonBannerCenter", "中央揃え", "広告リンク表示位置を中央揃え"},
        {"SpeedButtonBannerRight", "右揃え", "広告リンク表示位置を右揃え"},
        {"SpeedButtonBorderColor", "枠線色選択", "枠線色選択"},
        {"CheckBoxBorderSet", "", ""},
        {"ShapeTableParent", "簡易プレビュー", "表がどのように配置されるか簡易的に確認"},
        {"ShapeTableBorderColor", "表", "表"},
        {"ShapeSpacing", "文字列", "文字列"},
        {"ShapeBanner", "広告バナー", "広告バナー"},
        {"ComboBoxTableBorderWidth", "", ""},
        {"ComboBoxSpacing", "", ""},
    };
    for (const Hint& hint : hints) {
        auto* widget = f.strip.findChild<QWidget*>(QString::fromLatin1(hint.name));
        QVERIFY2(widget, hint.name);
        QCOMPARE(widget->toolTip(), hint.toolTip);
        QCOMPARE(widget->statusTip(), hint.statusTip);
    }

    const std::pair<const char*, QString> groups[] = {{"GroupBox1", "表の水平揃え"},
                                                      {"GroupBox2", "表の枠線"},
                                                      {"GroupBox3", "セル内部"},
                                                      {"GroupBox4", "広告水平揃え"}};
    const QRect groupBounds[] = {
        {102, 4, 83, 45}, {187, 4, 150, 45}, {339, 4, 70, 45}, {411, 4, 90, 45}};
    for (int i = 0; i < 4; ++i) {
        auto* group = f.strip.findChild<QGroupBox*>(QString::fromLatin1(groups[i].first));
        QVERIFY(group);
        QCOMPARE(group->title(), groups[i].second);
        QCOMPARE(group->geometry(), groupBounds[i]);
    }
    QCOMPARE(f.strip.Panel1->geometry(), QRect(0, 3, 102, 59));
    QCOMPARE(f.strip.LabelBorderWidth->text(), QStringLiteral("太さ"));
    QCOMPARE(f.strip.LabelSpacing->text(), QStringLiteral("余白"));
    QCOMPARE(f.strip.CheckBoxBorderSet->text(), QStringLiteral("色指定"));

    // Start state mirrors the reset style.
    QVERIFY(!f.strip.SpeedButtonTableAlignLeft->isChecked());
    QVERIFY(f.strip.SpeedButtonTableAlignCenter->isChecked());
    QVERIFY(!f.strip.SpeedButtonTableAlignRight->isChecked());
    QVERIFY(f.strip.SpeedButtonBannerLeft->isChecked());
    QVERIFY(!f.strip.SpeedButtonBannerCenter->isChecked());
    QVERIFY(!f.strip.SpeedButtonBannerRight->isChecked());
    QCOMPARE(f.strip.ComboBoxTableBorderWidth->currentText(), QStringLiteral("1"));
    QCOMPARE(f.strip.ComboBoxSpacing->currentText(), QStringLiteral("0"));
    QVERIFY(f.strip.CheckBoxBorderSet->isChecked());
    QVERIFY(f.strip.SpeedButtonBorderColor->isEnabled());
    QVERIFY(f.style() == TTableStyle{});

    // The lists offer 0 to 9 without typing and sit in the tab order; the buttons never focus.
    for (QComboBox* list : {f.strip.ComboBoxTableBorderWidth, f.strip.ComboBoxSpacing}) {
        QVERIFY(!list->isEditable());
        QCOMPARE(list->count(), 10);
        for (int i = 0; i < 10; ++i) QCOMPARE(list->itemText(i), QString::number(i));
        QCOMPARE(list->focusPolicy(), Qt::StrongFocus);
    }
    QVERIFY(f.strip.CheckBoxBorderSet->focusPolicy() & Qt::TabFocus);
    for (QToolButton* button : f.strip.findChildren<QToolButton*>())
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    QCOMPARE(f.strip.findChildren<QToolButton*>().size(), 7);
    QVERIFY(!f.strip.SpeedButtonTableAlignLeft->icon().isNull());
    QVERIFY(!f.strip.SpeedButtonBorderColor->icon().isNull());

    // Content wider than a narrow window scrolls sideways.
    f.strip.resize(200, 79);
    QTRY_VERIFY_WITH_TIMEOUT(f.strip.horizontalScrollBar()->maximum() > 0, 60000);
}

void TestStyleStrip::miniatureStartGeometryAndLook() {
    Fixture f;
    QCOMPARE(f.strip.ShapeTableParent->geometry(), QRect(5, 0, 92, 59));
    QCOMPARE(f.strip.ShapeTableBorderColor->geometry(), QRect(18, 5, 66, 37));
    QCOMPARE(f.strip.ShapeSpacing->geometry(), QRect(19, 6, 29, 11));
    QCOMPARE(f.strip.ShapeBanner->geometry(), QRect(6, 45, 52, 7));

    QCOMPARE(f.strip.ShapeTableParent->BrushColor(), 0x00FFFFFFu);
    QCOMPARE(f.strip.ShapeTableParent->BrushStyle(), Qt::SolidPattern);
    QCOMPARE(f.strip.ShapeTableParent->PenColor(), 0x00000000u);
    QCOMPARE(f.strip.ShapeTableParent->OutlineWidth(), 1);
    QCOMPARE(f.strip.ShapeTableBorderColor->BrushColor(), kGrey);
    QCOMPARE(f.strip.ShapeTableBorderColor->BrushStyle(), Qt::DiagCrossPattern);
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), kBlue);
    QCOMPARE(f.strip.ShapeTableBorderColor->OutlineWidth(), 1);
    QCOMPARE(f.strip.ShapeSpacing->BrushColor(), 0x00008000u);
    QCOMPARE(f.strip.ShapeSpacing->BrushStyle(), Qt::SolidPattern);
    QCOMPARE(f.strip.ShapeBanner->BrushColor(), 0x000000FFu);
    QCOMPARE(f.strip.ShapeBanner->BrushStyle(), Qt::BDiagPattern);
    QCOMPARE(f.strip.ShapeBanner->PenColor(), 0x000000FFu);

    // Back to front: page, table, text, banner.
    const QObjectList order = f.strip.Panel1->children();
    QCOMPARE(order.mid(0, 4), (QObjectList{f.strip.ShapeTableParent, f.strip.ShapeTableBorderColor,
                                           f.strip.ShapeSpacing, f.strip.ShapeBanner}));
}

void TestStyleStrip::tableAlignmentMovesTable() {
    Fixture f;
    QSignalSpy changes(&f.strip, &TStyleStrip::styleChanged);
    QTest::mouseClick(f.strip.SpeedButtonTableAlignLeft, Qt::LeftButton);
    QCOMPARE(f.style().TableAlign, 0);
    QCOMPARE(f.tableLeft(), 6);
    QCOMPARE(f.textBlock(), QPoint(7, 6));
    QVERIFY(!f.strip.SpeedButtonTableAlignCenter->isChecked());

    QTest::mouseClick(f.strip.SpeedButtonTableAlignRight, Qt::LeftButton);
    QCOMPARE(f.style().TableAlign, 2);
    QCOMPARE(f.tableLeft(), 30);
    QCOMPARE(f.textBlock(), QPoint(31, 6));
    QVERIFY(!f.strip.SpeedButtonTableAlignLeft->isChecked());

    // The down button stays down when clicked again.
    QTest::mouseClick(f.strip.SpeedButtonTableAlignRight, Qt::LeftButton);
    QVERIFY(f.strip.SpeedButtonTableAlignRight->isChecked());
    QCOMPARE(f.style().TableAlign, 2);

    QTest::mouseClick(f.strip.SpeedButtonTableAlignCenter, Qt::LeftButton);
    QCOMPARE(f.style().TableAlign, 1);
    QCOMPARE(f.tableLeft(), 18);
    QCOMPARE(f.textBlock(), QPoint(19, 6));
    QVERIFY(changes.count() >= 3);
    // The banner and the tops never move with the table.
    QCOMPARE(f.bannerLeft(), 6);
    QCOMPARE(f.strip.ShapeTableBorderColor->y(), 5);
    QCOMPARE(f.strip.ShapeTableBorderColor->size(), QSize(66, 37));
    // Style changes never mark the sheet modified.
    QVERIFY(!f.sheet.AnyCellModified());
}

void TestStyleStrip::bannerAlignmentMovesBanner() {
    Fixture f;
    QTest::mouseClick(f.strip.SpeedButtonBannerCenter, Qt::LeftButton);
    QCOMPARE(f.style().BannerAlign, 1);
    QCOMPARE(f.bannerLeft(), 25);
    QVERIFY(!f.strip.SpeedButtonBannerLeft->isChecked());
    QTest::mouseClick(f.strip.SpeedButtonBannerRight, Qt::LeftButton);
    QCOMPARE(f.style().BannerAlign, 2);
    QCOMPARE(f.bannerLeft(), 44);
    QTest::mouseClick(f.strip.SpeedButtonBannerRight, Qt::LeftButton);
    QVERIFY(f.strip.SpeedButtonBannerRight->isChecked());
    QTest::mouseClick(f.strip.SpeedButtonBannerLeft, Qt::LeftButton);
    QCOMPARE(f.style().BannerAlign, 0);
    QCOMPARE(f.bannerLeft(), 6);
    QCOMPARE(f.strip.ShapeBanner->y(), 45);
    QCOMPARE(f.tableLeft(), 18);
    QCOMPARE(f.style().TableAlign, 1);
}

void TestStyleStrip::borderWidthAndPaddingPlaceText() {
    Fixture f;
    QSignalSpy changes(&f.strip, &TStyleStrip::styleChanged);
    f.strip.ComboBoxTableBorderWidth->setCurrentIndex(9);
    f.strip.ComboBoxSpacing->setCurrentIndex(9);
    QCOMPARE(f.style().BorderWidth, 9);
    QCOMPARE(f.style().CellPadding, 9);
    QCOMPARE(f.strip.ShapeTableBorderColor->PenWidth(), 9);
    QVERIFY(f.strip.ShapeTableBorderColor->PenVisible());
    QCOMPARE(f.textBlock(), QPoint(36, 23));
    QCOMPARE(changes.count(), 2);

    // Width 0: no outline at all, the text sits at the table corner plus padding.
    f.strip.ComboBoxTableBorderWidth->setCurrentIndex(0);
    QCOMPARE(f.style().BorderWidth, 0);
    QVERIFY(!f.strip.ShapeTableBorderColor->PenVisible());
    QCOMPARE(f.strip.ShapeTableBorderColor->OutlineWidth(), 0);
    QCOMPARE(f.textBlock(), QPoint(18 + 9, 5 + 9));
    f.strip.ComboBoxSpacing->setCurrentIndex(0);
    QCOMPARE(f.textBlock(), QPoint(18, 5));

    // The keyboard changes the list like a pick does.
    f.strip.ComboBoxTableBorderWidth->setFocus();
    QTest::keyClick(f.strip.ComboBoxTableBorderWidth, Qt::Key_Down);
    QCOMPARE(f.strip.ComboBoxTableBorderWidth->currentText(), QStringLiteral("1"));
    QCOMPARE(f.style().BorderWidth, 1);
    QVERIFY(f.strip.ShapeTableBorderColor->PenVisible());
    QCOMPARE(f.textBlock(), QPoint(19, 6));
    // The text block follows a moved table.
    f.strip.SpeedButtonTableAlignRightClick();
    f.strip.ComboBoxSpacing->setCurrentIndex(3);
    QCOMPARE(f.textBlock(), QPoint(30 + 1 + 3, 5 + 1 + 3));
    QVERIFY(!f.sheet.AnyCellModified());
}

void TestStyleStrip::colourFlagGreysWithoutLosingColour() {
    Fixture f;
    f.style().BorderColor = 0x0000FF00;
    f.strip.ShowWholeStyle();
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), 0x0000FF00u);

    f.strip.CheckBoxBorderSet->click();
    QVERIFY(!f.strip.CheckBoxBorderSet->isChecked());
    QVERIFY(!f.style().BorderColorSet);
    QVERIFY(!f.strip.SpeedButtonBorderColor->isEnabled());
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), kGrey);
    QCOMPARE(f.style().BorderColor, 0x0000FF00u);
    // Position and width are untouched by the colour.
    QCOMPARE(f.textBlock(), QPoint(19, 6));
    QCOMPARE(f.strip.ShapeTableBorderColor->OutlineWidth(), 1);

    f.strip.CheckBoxBorderSet->click();
    QVERIFY(f.style().BorderColorSet);
    QVERIFY(f.strip.SpeedButtonBorderColor->isEnabled());
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), 0x0000FF00u);
}

void TestStyleStrip::colourButtonUsesDialog() {
    Fixture f;
    ScriptedDialogs scripted;
    QSignalSpy changes(&f.strip, &TStyleStrip::styleChanged);
    f.strip.ComboBoxSpacing->setCurrentIndex(2);
    const QPoint before = f.textBlock();

    scripted.colourAnswers.push_back(0x000080FFu);
    QTest::mouseClick(f.strip.SpeedButtonBorderColor, Qt::LeftButton);
    QCOMPARE(scripted.colourRequests.size(), std::size_t{1});
    QCOMPARE(scripted.colourRequests[0], kBlue);
    QCOMPARE(f.style().BorderColor, 0x000080FFu);
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), 0x000080FFu);
    QCOMPARE(f.textBlock(), before);
    QCOMPARE(f.tableLeft(), 18);

    // Cancel changes nothing.
    changes.clear();
    scripted.colourAnswers.push_back(std::nullopt);
    QTest::mouseClick(f.strip.SpeedButtonBorderColor, Qt::LeftButton);
    QCOMPARE(scripted.colourRequests.size(), std::size_t{2});
    QCOMPARE(scripted.colourRequests[1], 0x000080FFu);
    QCOMPARE(f.style().BorderColor, 0x000080FFu);
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), 0x000080FFu);
    QCOMPARE(changes.count(), 0);

    // Not available while the colour flag is off, even when called directly.
    f.strip.CheckBoxBorderSet->click();
    f.strip.SpeedButtonBorderColorClick();
    QCOMPARE(scripted.colourRequests.size(), std::size_t{2});
    QCOMPARE(scripted.unexpected, 0);
    QVERIFY(!f.sheet.AnyCellModified());
}

void TestStyleStrip::colourDialogFailureIsReported() {
    Fixture f;
    FailingColourDialogs failing;
    QSignalSpy changes(&f.strip, &TStyleStrip::styleChanged);
    f.strip.SpeedButtonBorderColor->click();
    QCOMPARE(failing.messages, (std::vector<QString>{"Quorvel:colour dialog unavailable."}));
    QCOMPARE(f.style().BorderColor, kBlue);
    QCOMPARE(f.strip.ShapeTableBorderColor->PenColor(), kBlue);
    QCOMPARE(changes.count(), 0);
}

QUORVEL_UI_TEST_MAIN(TestStyleStrip)
#include "test_style_strip.moc"
