#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "editor/CellEdit.h"
#include "editor/FormatToolbar.h"
#include "sheet/DescriptionSheet.h"
#include "sheet/HtmlGenerator.h"

using quorvel::TCellFormat;

namespace {

constexpr quorvel::TColor kRed = 0x000000FF;
constexpr quorvel::TColor kGreen = 0x0000FF00;
constexpr int kRow3Description = 1006;

// A small stand-in for the main window: the toolbar, a link button on another toolbar, the 22
// cell boxes bound to a sheet, and two other focusable controls.
class Harness : public QMainWindow {
  public:
    Harness() {
        auto* fileBar = addToolBar(QStringLiteral("ToolBar1"));
        link = new QToolButton(fileBar);
        link->setObjectName(QStringLiteral("SpeedButtonLink"));
        link->setFocusPolicy(Qt::NoFocus);
        fileBar->addWidget(link);

        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        for (int index = 0; index < quorvel::kCellCount; ++index) {
            boxes[index] = new TCellEdit(sheet.CellAt(index), central);
            boxes[index]->setFixedHeight(20);
            layout->addWidget(boxes[index]);
        }
        checkBox = new QCheckBox(QStringLiteral("check"), central);
        comboBox = new QComboBox(central);
        comboBox->addItems({QStringLiteral("0"), QStringLiteral("1")});
        layout->addWidget(checkBox);
        layout->addWidget(comboBox);
        setCentralWidget(central);

        toolbar = new TFormatToolbar(
            sheet, [this](int tag) { return box(tag); },
            [this]() -> TCellEdit* {
                for (TCellEdit* candidate : boxes)
                    if (candidate->Tag() >= quorvel::kTitleTag && candidate->hasFocus())
                        return candidate;
                return nullptr;
            },
            link, this);
        addToolBar(toolbar);
        for (TCellEdit* candidate : boxes) toolbar->AttachCell(candidate);
    }

    TCellEdit* box(int tag) { return boxes[tag - quorvel::kTitleTag]; }

    quorvel::TDescriptionSheet sheet;
    std::array<TCellEdit*, quorvel::kCellCount> boxes{};
    QToolButton* link = nullptr;
    QCheckBox* checkBox = nullptr;
    QComboBox* comboBox = nullptr;
    TFormatToolbar* toolbar = nullptr;
};

std::array<TCellFormat, quorvel::kCellCount> formats(const quorvel::TDescriptionSheet& sheet) {
    std::array<TCellFormat, quorvel::kCellCount> result;
    for (int index = 0; index < quorvel::kCellCount; ++index)
        result[index] = sheet.CellAt(index).Format;
    return result;
}

int countOf(const std::string& text, const std::string& piece) {
    int count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

QColor boxColour(quorvel::TColor colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

class TestFormatToolbar : public QObject {
    Q_OBJECT

    std::unique_ptr<Harness> w;
    std::unique_ptr<ScriptedDialogs> script;

    TFormatToolbar& bar() { return *w->toolbar; }

    QList<QToolButton*> allButtons() {
        return {
            bar().SpeedButtonAll,          bar().SpeedButtonFontColor, bar().SpeedButtonFontSizeUp,
            bar().SpeedButtonFontSizeDown, bar().SpeedButtonBold,      bar().SpeedButtonItalic,
            bar().SpeedButtonUnder,        bar().SpeedButtonBackColor, bar().SpeedButtonLeft,
            bar().SpeedButtonCenter,       bar().SpeedButtonRight,     bar().SpeedButtonVTop,
            bar().SpeedButtonVCenter,      bar().SpeedButtonVBottom};
    }

    // Enters the cell anew, leaving it first when it already has the focus (the title has it
    // from the window's activation) so the toolbar reads the cell's present format.
    bool enter(int tag) {
        if (w->box(tag)->hasFocus() && !leaveTo(w->checkBox)) return false;
        w->box(tag)->setFocus(Qt::TabFocusReason);
        return QTest::qWaitFor([&] { return w->box(tag)->hasFocus(); }, 2000);
    }

    bool leaveTo(QWidget* other) {
        other->setFocus(Qt::MouseFocusReason);
        return QTest::qWaitFor([&] { return other->hasFocus(); }, 2000);
    }

    // Which of the given buttons are down, as a string of 0/1 for compact comparisons.
    static QString downs(std::initializer_list<QToolButton*> buttons) {
        QString result;
        for (QToolButton* button : buttons) result += button->isChecked() ? u'1' : u'0';
        return result;
    }
    QString hDowns() {
        return downs({bar().SpeedButtonLeft, bar().SpeedButtonCenter, bar().SpeedButtonRight});
    }
    QString vDowns() {
        return downs({bar().SpeedButtonVTop, bar().SpeedButtonVCenter, bar().SpeedButtonVBottom});
    }

    // Every cell except the listed ones still has the format it had in before.
    void expectUnchangedExcept(const std::array<TCellFormat, quorvel::kCellCount>& before,
                               std::initializer_list<int> changedTags) {
        for (int index = 0; index < quorvel::kCellCount; ++index) {
            const int tag = quorvel::kTitleTag + index;
            if (std::find(changedTags.begin(), changedTags.end(), tag) != changedTags.end())
                continue;
            QVERIFY2(w->sheet.CellAt(index).Format == before[index],
                     qPrintable(QStringLiteral("cell %1 changed").arg(tag)));
        }
    }

  private slots:
    void init() {
        script = std::make_unique<ScriptedDialogs>();
        w = std::make_unique<Harness>();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

    void cleanup() {
        if (script) QCOMPARE(script->unexpected, 0);
        w.reset();
        script.reset();
    }

    void buildsTheToolbarDisabledAndUp() {
        // Before the window is shown, so that no cell has the focus yet.
        w.reset();
        w = std::make_unique<Harness>();
        QCOMPARE(bar().objectName(), QStringLiteral("ToolBar2"));
        QCOMPARE(bar().height(), 30);
        QVERIFY(!bar().isMovable());

        // Order, with separators after all, underline, back colour and right.
        QStringList order;
        for (QAction* action : bar().actions()) {
            if (action->isSeparator()) {
                order << QStringLiteral("|");
            } else if (QWidget* widget = bar().widgetForAction(action)) {
                order << widget->objectName();
            }
        }
        const QStringList expected = {"SpeedButtonAll",
                                      "|",
                                      "SpeedButtonFontColor",
                                      "SpeedButtonFontSizeUp",
                                      "SpeedButtonFontSizeDown",
                                      "SpeedButtonBold",
                                      "SpeedButtonItalic",
                                      "SpeedButtonUnder",
                                      "|",
                                      "SpeedButtonBackColor",
                                      "|",
                                      "SpeedButtonLeft",
                                      "SpeedButtonCenter",
                                      "SpeedButtonRight",
                                      "|",
                                      "SpeedButtonVTop",
                                      "SpeedButtonVCenter",
                                      "SpeedButtonVBottom"};
        QCOMPARE(order, expected);

        for (QToolButton* button : allButtons()) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QVERIFY(!w->link->isEnabled());

        const QStringList toggles = {"SpeedButtonAll",    "SpeedButtonBold", "SpeedButtonItalic",
                                     "SpeedButtonUnder",  "SpeedButtonLeft", "SpeedButtonCenter",
                                     "SpeedButtonRight",  "SpeedButtonVTop", "SpeedButtonVCenter",
                                     "SpeedButtonVBottom"};
        for (QToolButton* button : allButtons())
            QCOMPARE(button->isCheckable(), toggles.contains(button->objectName()));

        // Short hint as tool tip, long one for the status bar.
        QCOMPARE(bar().SpeedButtonAll->toolTip(), QStringLiteral("全セル適用"));
        QCOMPARE(bar().SpeedButtonAll->statusTip(), QStringLiteral("全てのセルに編集を適用"));
        QCOMPARE(bar().SpeedButtonFontSizeDown->toolTip(), QStringLiteral("フォント小"));
        QCOMPARE(bar().SpeedButtonFontSizeDown->statusTip(),
                 QStringLiteral("文字（フォント）サイズを小さく"));
        QCOMPARE(bar().SpeedButtonUnder->statusTip(), QStringLiteral("文字（フォント）を下線つき"));
        QCOMPARE(bar().SpeedButtonBackColor->toolTip(), QStringLiteral("背景色"));
        QCOMPARE(bar().SpeedButtonRight->statusTip(), QStringLiteral("セル内の文字を右揃え"));
        QCOMPARE(bar().SpeedButtonVCenter->toolTip(), QStringLiteral("中央寄せ"));
        QCOMPARE(bar().SpeedButtonVBottom->statusTip(), QStringLiteral("セル内の文字を下寄せ"));
        for (QToolButton* button : allButtons())
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    }

    void theCellFocusedWithTheWindowIsShown() {
        // init() showed the window: the first cell got the focus with its activation.
        QVERIFY(w->box(quorvel::kTitleTag)->hasFocus());
        QVERIFY(bar().SpeedButtonFontColor->isEnabled());
        QVERIFY(bar().SpeedButtonBackColor->isEnabled());
        QCOMPARE(hDowns(), QStringLiteral("100"));
        QCOMPARE(vDowns(), QStringLiteral("100"));
        QVERIFY(w->link->isEnabled());

        // Deactivating and reactivating the window is not a new entry: a raised vertical button
        // stays raised.
        bar().SpeedButtonVTop->click();
        QCOMPARE(vDowns(), QStringLiteral("000"));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTRY_VERIFY(w->box(quorvel::kTitleTag)->hasFocus());
        QVERIFY(bar().SpeedButtonFontColor->isEnabled());
        QCOMPARE(vDowns(), QStringLiteral("000"));
    }

    void showsTheEnteredCellsFormat() {
        // Title: the largest size, bold and underlined, right aligned (code 1), bottom.
        TCellFormat& title = w->sheet.Title.Format;
        title.FontSize = 18;
        title.Bold = true;
        title.Underline = true;
        title.HAlign = quorvel::kHAlignRight;
        title.VAlign = quorvel::kVAlignBottom;
        // A row cell: the smallest size, italic, centred both ways.
        TCellFormat& row = w->sheet.CellByTag(kRow3Description).Format;
        row.FontSize = 7;
        row.Italic = true;
        row.HAlign = quorvel::kHAlignCenter;
        row.VAlign = quorvel::kVAlignCenter;
        // The note: an off-ladder size, right aligned, with a vertical alignment it never shows.
        TCellFormat& note = w->sheet.Note.Format;
        note.FontSize = 10;
        note.Bold = true;
        note.Italic = true;
        note.Underline = true;
        note.HAlign = quorvel::kHAlignRight;
        note.VAlign = quorvel::kVAlignBottom;

        QVERIFY(enter(quorvel::kTitleTag));
        QVERIFY(bar().SpeedButtonAll->isEnabled());
        QVERIFY(bar().SpeedButtonFontColor->isEnabled());
        QVERIFY(!bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(bar().SpeedButtonFontSizeDown->isEnabled());
        QCOMPARE(downs({bar().SpeedButtonBold, bar().SpeedButtonItalic, bar().SpeedButtonUnder}),
                 QStringLiteral("101"));
        QCOMPARE(hDowns(), QStringLiteral("001"));
        QVERIFY(bar().SpeedButtonBackColor->isEnabled());
        QVERIFY(bar().SpeedButtonVTop->isEnabled() && bar().SpeedButtonVBottom->isEnabled());
        QCOMPARE(vDowns(), QStringLiteral("001"));
        QVERIFY(w->link->isEnabled());

        // Straight from cell to cell: the new cell's state, nothing left over from the title.
        QVERIFY(enter(kRow3Description));
        QVERIFY(bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(!bar().SpeedButtonFontSizeDown->isEnabled());
        QCOMPARE(downs({bar().SpeedButtonBold, bar().SpeedButtonItalic, bar().SpeedButtonUnder}),
                 QStringLiteral("010"));
        QCOMPARE(hDowns(), QStringLiteral("010"));
        QCOMPARE(vDowns(), QStringLiteral("010"));
        QVERIFY(bar().SpeedButtonBackColor->isEnabled());

        QVERIFY(enter(quorvel::kNoteTag));
        for (QToolButton* button : allButtons()) {
            const bool noteOff =
                button == bar().SpeedButtonBackColor || button == bar().SpeedButtonVTop ||
                button == bar().SpeedButtonVCenter || button == bar().SpeedButtonVBottom;
            QVERIFY2(button->isEnabled() == !noteOff, qPrintable(button->objectName()));
        }
        QCOMPARE(vDowns(), QStringLiteral("000"));
        QCOMPARE(hDowns(), QStringLiteral("001"));
        QCOMPARE(downs({bar().SpeedButtonBold, bar().SpeedButtonItalic, bar().SpeedButtonUnder}),
                 QStringLiteral("111"));
        QVERIFY(w->link->isEnabled());

        // No cell focused.
        QVERIFY(leaveTo(w->checkBox));
        for (QToolButton* button : allButtons()) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
        }
        QVERIFY(!w->link->isEnabled());
    }

    void tabbingFromABoldCellShowsBoldUp() {
        w->sheet.Title.Format.Bold = true;
        QVERIFY(enter(quorvel::kTitleTag));
        QVERIFY(bar().SpeedButtonBold->isChecked());
        QTest::keyClick(w->box(quorvel::kTitleTag), Qt::Key_Tab);
        QTRY_VERIFY(w->box(quorvel::ItemTag(1))->hasFocus());
        QVERIFY(bar().SpeedButtonBold->isEnabled());
        QVERIFY(!bar().SpeedButtonBold->isChecked());
        // Tabbing is not typing.
        QVERIFY(!w->sheet.AnyCellModified());
    }

    void otherControlsDisableAllAndKeepApplyToAll() {
        QVERIFY(leaveTo(w->checkBox));
        bar().SetApplyToAll(true);
        QVERIFY(bar().ApplyToAll());
        QVERIFY(!bar().SpeedButtonAll->isEnabled());
        w->sheet.CellByTag(kRow3Description).Format.Underline = true;

        for (QWidget* other :
             {static_cast<QWidget*>(w->checkBox), static_cast<QWidget*>(w->comboBox)}) {
            QVERIFY(enter(kRow3Description));
            QVERIFY(bar().SpeedButtonAll->isEnabled());
            QVERIFY(bar().SpeedButtonAll->isChecked());
            QVERIFY(bar().SpeedButtonUnder->isChecked());
            QVERIFY(leaveTo(other));
            for (QToolButton* button : allButtons())
                QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY(!w->link->isEnabled());
            QVERIFY(!bar().SpeedButtonUnder->isChecked());
            QVERIFY(bar().SpeedButtonAll->isChecked());
            QVERIFY(bar().ApplyToAll());
        }

        // The user's own toggle survives the leave too.
        QVERIFY(enter(quorvel::kTitleTag));
        QTest::mouseClick(bar().SpeedButtonAll, Qt::LeftButton);
        QVERIFY(!bar().ApplyToAll());
        QVERIFY(w->box(quorvel::kTitleTag)->hasFocus());
        QVERIFY(leaveTo(w->comboBox));
        QVERIFY(!bar().ApplyToAll());
    }

    void commandsAloneChangeOnlyTheFocusedCell() {
        const auto before = formats(w->sheet);
        QVERIFY(enter(kRow3Description));
        TCellFormat& f = w->sheet.CellByTag(kRow3Description).Format;

        script->colourAnswers.push_back(kRed);
        QTest::mouseClick(bar().SpeedButtonFontColor, Qt::LeftButton);
        QVERIFY(w->box(kRow3Description)->hasFocus());
        QCOMPARE(f.FontColor, kRed);
        QCOMPARE(script->colourRequests.back(), 0x00000000u);

        script->colourAnswers.push_back(kGreen);
        bar().SpeedButtonBackColor->click();
        QCOMPARE(f.BackColor, kGreen);
        QCOMPARE(script->colourRequests.back(), 0x00FFFFFFu);

        bar().SpeedButtonFontSizeUp->click();
        QCOMPARE(f.FontSize, 12);
        bar().SpeedButtonFontSizeDown->click();
        bar().SpeedButtonFontSizeDown->click();
        QCOMPARE(f.FontSize, 8);

        bar().SpeedButtonUnder->click();
        QVERIFY(f.Underline && !f.Bold && !f.Italic);
        bar().SpeedButtonItalic->click();
        QVERIFY(f.Underline && f.Italic && !f.Bold);
        bar().SpeedButtonUnder->click();
        QVERIFY(!f.Underline && f.Italic && !f.Bold);

        bar().SpeedButtonRight->click();
        QCOMPARE(f.HAlign, int(quorvel::kHAlignRight));
        QCOMPARE(hDowns(), QStringLiteral("001"));
        bar().SpeedButtonCenter->click();
        QCOMPARE(f.HAlign, int(quorvel::kHAlignCenter));
        QCOMPARE(hDowns(), QStringLiteral("010"));
        // The one that is down stays down.
        bar().SpeedButtonCenter->click();
        QCOMPARE(hDowns(), QStringLiteral("010"));
        QCOMPARE(f.HAlign, int(quorvel::kHAlignCenter));
        bar().SpeedButtonLeft->click();
        QCOMPARE(f.HAlign, int(quorvel::kHAlignLeft));
        QCOMPARE(hDowns(), QStringLiteral("100"));

        bar().SpeedButtonVBottom->click();
        QCOMPARE(f.VAlign, int(quorvel::kVAlignBottom));
        QCOMPARE(vDowns(), QStringLiteral("001"));
        bar().SpeedButtonVCenter->click();
        QCOMPARE(f.VAlign, int(quorvel::kVAlignCenter));
        QCOMPARE(vDowns(), QStringLiteral("010"));

        expectUnchangedExcept(before, {kRow3Description});
        QVERIFY(!w->sheet.AnyCellModified());
    }

    void applyToAllFromARowCellReachesEveryRowCell() {
        bar().SetApplyToAll(true);
        w->sheet.CellByTag(quorvel::ItemTag(1)).Format.Bold = true;
        const auto before = formats(w->sheet);
        QVERIFY(enter(quorvel::DescriptionTag(10)));
        bar().SpeedButtonRight->click();
        bar().SpeedButtonVBottom->click();
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags()) {
            const TCellFormat& f = w->sheet.CellByTag(tag).Format;
            QCOMPARE(f.HAlign, int(quorvel::kHAlignRight));
            QCOMPARE(f.VAlign, int(quorvel::kVAlignBottom));
        }
        // Row 1's bold is not touched by alignment commands.
        QVERIFY(w->sheet.CellByTag(quorvel::ItemTag(1)).Format.Bold);
        QVERIFY(w->sheet.Title.Format == before[0]);
        QVERIFY(w->sheet.Note.Format == before[quorvel::kCellCount - 1]);
    }

    void applyToAllFromTheTitleLeavesTheNote() {
        bar().SetApplyToAll(true);
        w->sheet.Note.Format.FontColor = kGreen;
        QVERIFY(enter(quorvel::kTitleTag));
        script->colourAnswers.push_back(kRed);
        bar().SpeedButtonFontColor->click();
        QCOMPARE(w->sheet.Title.Format.FontColor, kRed);
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
            QCOMPARE(w->sheet.CellByTag(tag).Format.FontColor, kRed);
        QCOMPARE(w->sheet.Note.Format.FontColor, kGreen);
    }

    void applyToAllFromTheNoteLeavesTheTitle() {
        bar().SetApplyToAll(true);
        w->sheet.Title.Format.HAlign = quorvel::kHAlignRight;
        QVERIFY(enter(quorvel::kNoteTag));
        bar().SpeedButtonCenter->click();
        QCOMPARE(w->sheet.Note.Format.HAlign, int(quorvel::kHAlignCenter));
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
            QCOMPARE(w->sheet.CellByTag(tag).Format.HAlign, int(quorvel::kHAlignCenter));
        QCOMPARE(w->sheet.Title.Format.HAlign, int(quorvel::kHAlignRight));

        // Commands the note cannot have do nothing even when run directly.
        const auto before = formats(w->sheet);
        bar().SpeedButtonBackColorClick();
        bar().SpeedButtonVBottomClick();
        QVERIFY(script->colourRequests.empty());
        expectUnchangedExcept(before, {});
    }

    void applyToAllUsesTheFocusedCellsValue() {
        bar().SetApplyToAll(true);
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags()) {
            TCellFormat& f = w->sheet.CellByTag(tag).Format;
            f.FontSize = 14;
            f.Underline = true;
            f.Bold = tag % 3 == 0;
        }
        TCellFormat& focused = w->sheet.CellByTag(kRow3Description).Format;
        focused.FontSize = 9;
        focused.Italic = true;
        focused.Underline = false;
        focused.Bold = false;

        QVERIFY(enter(kRow3Description));
        bar().SpeedButtonFontSizeUp->click();
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags())
            QCOMPARE(w->sheet.CellByTag(tag).Format.FontSize, 12);
        QCOMPARE(w->sheet.Title.Format.FontSize, 9);

        bar().SpeedButtonBold->click();
        for (int tag : quorvel::TDescriptionSheet::ApplyToAllTags()) {
            const TCellFormat& f = w->sheet.CellByTag(tag).Format;
            QVERIFY2(f.Bold && f.Italic && !f.Underline, qPrintable(QString::number(tag)));
        }
        QVERIFY(!w->sheet.Title.Format.Bold);
        QVERIFY(!w->sheet.Note.Format.Bold);
    }

    void cancelledColourChangesNothing() {
        bar().SetApplyToAll(true);
        QVERIFY(enter(quorvel::kTitleTag));
        const auto before = formats(w->sheet);
        script->colourAnswers.push_back(std::nullopt);
        script->colourAnswers.push_back(std::nullopt);
        QSignalSpy changed(&bar(), &TFormatToolbar::formatChanged);
        bar().SpeedButtonFontColor->click();
        bar().SpeedButtonBackColor->click();
        QCOMPARE(script->colourRequests.size(), size_t(2));
        expectUnchangedExcept(before, {});
        QCOMPARE(changed.count(), 0);

        // Without a focused cell no dialog opens at all.
        QVERIFY(leaveTo(w->checkBox));
        bar().SpeedButtonFontColorClick();
        bar().SpeedButtonFontSizeUpClick();
        bar().SpeedButtonBoldClick();
        bar().SpeedButtonCenterClick();
        QCOMPARE(script->colourRequests.size(), size_t(2));
        expectUnchangedExcept(before, {});
    }

    void sizeLadderAndItsButtons() {
        QCOMPARE(TFormatToolbar::SizeStepUp(7), 8);
        QCOMPARE(TFormatToolbar::SizeStepUp(9), 12);
        QCOMPARE(TFormatToolbar::SizeStepUp(14), 18);
        QCOMPARE(TFormatToolbar::SizeStepUp(18), 18);
        QCOMPARE(TFormatToolbar::SizeStepDown(18), 14);
        QCOMPARE(TFormatToolbar::SizeStepDown(12), 9);
        QCOMPARE(TFormatToolbar::SizeStepDown(7), 7);
        QCOMPARE(TFormatToolbar::SizeStepUp(10), 10);
        QCOMPARE(TFormatToolbar::SizeStepDown(10), 10);
        QCOMPARE(TFormatToolbar::SizeStepUp(0), 0);

        TCellFormat& f = w->sheet.CellByTag(quorvel::ItemTag(2)).Format;
        f.FontSize = 14;
        QVERIFY(enter(quorvel::ItemTag(2)));
        bar().SpeedButtonFontSizeUp->click();
        QCOMPARE(f.FontSize, 18);
        QVERIFY(!bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(bar().SpeedButtonFontSizeDown->isEnabled());
        // A disabled button does nothing.
        bar().SpeedButtonFontSizeUp->click();
        QCOMPARE(f.FontSize, 18);
        bar().SpeedButtonFontSizeDown->click();
        QCOMPARE(f.FontSize, 14);
        QVERIFY(bar().SpeedButtonFontSizeUp->isEnabled());

        f.FontSize = 8;
        QVERIFY(enter(quorvel::kTitleTag));
        QVERIFY(enter(quorvel::ItemTag(2)));
        bar().SpeedButtonFontSizeDown->click();
        QCOMPARE(f.FontSize, 7);
        QVERIFY(!bar().SpeedButtonFontSizeDown->isEnabled());
        QVERIFY(bar().SpeedButtonFontSizeUp->isEnabled());
        bar().SpeedButtonFontSizeUp->click();
        QCOMPARE(f.FontSize, 8);
        QVERIFY(bar().SpeedButtonFontSizeDown->isEnabled());

        // Off the ladder (from a data file): nothing moves, both stay usable.
        f.FontSize = 10;
        QVERIFY(enter(quorvel::kTitleTag));
        QVERIFY(enter(quorvel::ItemTag(2)));
        QVERIFY(bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(bar().SpeedButtonFontSizeDown->isEnabled());
        bar().SpeedButtonFontSizeUp->click();
        QCOMPARE(f.FontSize, 10);
        bar().SpeedButtonFontSizeDown->click();
        QCOMPARE(f.FontSize, 10);
        QVERIFY(bar().SpeedButtonFontSizeUp->isEnabled());
        QVERIFY(bar().SpeedButtonFontSizeDown->isEnabled());
    }

    void verticalButtonThatIsDownRaisesButKeepsTheValue() {
        w->sheet.Title.Format.VAlign = quorvel::kVAlignCenter;
        QVERIFY(enter(quorvel::kTitleTag));
        QCOMPARE(vDowns(), QStringLiteral("010"));
        QTest::mouseClick(bar().SpeedButtonVCenter, Qt::LeftButton);
        QCOMPARE(vDowns(), QStringLiteral("000"));
        QCOMPARE(w->sheet.Title.Format.VAlign, int(quorvel::kVAlignCenter));

        // Clicking a raised one presses it and sets its value.
        bar().SpeedButtonVTop->click();
        QCOMPARE(vDowns(), QStringLiteral("100"));
        QCOMPARE(w->sheet.Title.Format.VAlign, int(quorvel::kVAlignTop));
        bar().SpeedButtonVTop->click();
        QCOMPARE(vDowns(), QStringLiteral("000"));
        QCOMPARE(w->sheet.Title.Format.VAlign, int(quorvel::kVAlignTop));

        QVERIFY(leaveTo(w->checkBox));
        QVERIFY(enter(quorvel::kTitleTag));
        QCOMPARE(vDowns(), QStringLiteral("100"));
    }

    void generatedTagsFollowTheCommands() {
        w->sheet.Title.Text.assign(1, 'T');  // a literal here trips a GCC 12 -Wrestrict false alarm
        bar().SetApplyToAll(true);
        const std::string plainCell = "<FONT COLOR=\"#FF0000\" SIZE=\"3\" >";
        QCOMPARE(countOf(quorvel::BuildHtmlTags(w->sheet), plainCell), 0);

        QVERIFY(enter(quorvel::kTitleTag));
        script->colourAnswers.push_back(kRed);
        bar().SpeedButtonFontColor->click();
        std::string tags = quorvel::BuildHtmlTags(w->sheet);
        QCOMPARE(countOf(tags, plainCell), 21);
        QVERIFY(tags.find("<FONT COLOR=\"#FF0000\" SIZE=\"3\" >T</FONT>") != std::string::npos);

        bar().SetApplyToAll(false);
        for (int step = 0; step < 5; ++step) bar().SpeedButtonFontSizeUp->click();
        QCOMPARE(w->sheet.Title.Format.FontSize, 18);
        bar().SpeedButtonCenter->click();
        tags = quorvel::BuildHtmlTags(w->sheet);
        QVERIFY(tags.find("<FONT COLOR=\"#FF0000\" SIZE=\"6\" >T</FONT>") != std::string::npos);
        QCOMPARE(countOf(tags, "SIZE=\"6\""), 1);
        QCOMPARE(countOf(tags, "<TD ALIGN=\"center\""), 1);
        QVERIFY(!w->sheet.AnyCellModified());
    }

    void boxesShowTheNewFormat() {
        bar().SetApplyToAll(true);
        QVERIFY(enter(quorvel::kTitleTag));
        script->colourAnswers.push_back(kRed);
        bar().SpeedButtonFontColor->click();
        bar().SpeedButtonFontSizeUp->click();
        bar().SpeedButtonBold->click();
        script->colourAnswers.push_back(kGreen);
        bar().SpeedButtonBackColor->click();

        for (int tag : {quorvel::kTitleTag, quorvel::ItemTag(1), quorvel::DescriptionTag(10)}) {
            TCellEdit* box = w->box(tag);
            QCOMPARE(box->font().pointSize(), 12);
            QVERIFY(box->font().bold());
            QCOMPARE(box->palette().color(QPalette::Text), boxColour(kRed));
            QCOMPARE(box->palette().color(QPalette::Base), boxColour(kGreen));
        }
        TCellEdit* note = w->box(quorvel::kNoteTag);
        QCOMPARE(note->font().pointSize(), 9);
        QVERIFY(!note->font().bold());
        QCOMPARE(note->palette().color(QPalette::Text), boxColour(0));
        QVERIFY(!w->sheet.AnyCellModified());
    }
};

QUORVEL_UI_TEST_MAIN(TestFormatToolbar)

#include "test_format_toolbar.moc"
