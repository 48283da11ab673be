#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewCheckTab.h"
#include "document/SheetDocument.h"
#include "followers/ListingChecker.h"
#include "followers/RecoveryKeeper.h"
#include "panes/CellEdit.h"
#include "panes/CheckStatusField.h"
#include "panes/FormatToolbar.h"
#include "panes/StyleStrip.h"
#include "sheet/HtmlGenerator.h"
#include "store/Settings.h"
#include "ui/Delay.h"
#include "ui/SjisText.h"

namespace {

using Change = TSheetDocument::Change;

const QString kDescription = QStringLiteral("<B>送料無料<IMG SRC=\"http://img.example/a.jpg\">\n") +
                             QString(600, QLatin1Char('x'));

// The (change, tag) pairs a spy on the document recorded.
QList<QPair<Change, int>> Changes(const QSignalSpy& spy) {
    QList<QPair<Change, int>> changes;
    for (const QList<QVariant>& args : spy)
        changes << qMakePair(args[0].value<Change>(), args[1].toInt());
    return changes;
}

}  // namespace

class ListingCheckWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void theFieldFollowsTypingAFewTimesASecond() {
        TFormMain& main = fixture->start();
        TCheckStatusField* field = main.CheckField();
        QVERIFY(field);
        QCOMPARE(field->objectName(), QStringLiteral("StatusCheck"));
        QCOMPARE(field->text(), QStringLiteral("問題なし"));
        QVERIFY(main.StatusBar1->findChildren<TCheckStatusField*>().contains(field));

        int checks = 0;
        connect(main.Checker(), &TListingChecker::checked, this, [&checks] { ++checks; });
        TCellEdit* cell = fixture->find<TCellEdit>("Memo1Right");
        // Typed steadily: the field shows a finding while the typing still goes on, rather than
        // waiting for a pause that never comes. "<B>" comes first, so any check after it finds
        // something.
        uitest::SteadyTypist typist(cell, kDescription, [field] {
            return field->text().startsWith(QStringLiteral("注意"));
        });
        QVERIFY(typist.Finish());
        QVERIFY2(typist.Reached(), "the field never changed while the typing went on");

        // The rest in one burst, without the event loop running in between: no check per
        // keystroke, one check after the delay.
        checks = 0;
        for (const QChar c : kDescription.mid(typist.Typed())) uitest::TypeInto(cell, c);
        QCOMPARE(checks, 0);
        QVERIFY(main.Checker()->Timer()->IsActive());
        QSignalSpy checked(main.Checker(), &TListingChecker::checked);
        QVERIFY(checked.wait(MainWindowFixture::kWindowCeilingMs));
        QCOMPARE(checks, 1);
        QCOMPARE(field->text(), QStringLiteral("注意 3 件"));
        QVERIFY(!field->styleSheet().isEmpty());
        const QString tip = field->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("説明１: ")), qPrintable(tip));
        QVERIFY(tip.contains(QStringLiteral("「<B>」")));
        QVERIFY(tip.contains(QStringLiteral("http:")));

        // Cleared again, the field says so and looks ordinary.
        cell->selectAll();
        QTest::keyClick(cell, Qt::Key_Delete);
        QTRY_COMPARE_WITH_TIMEOUT(field->text(), QStringLiteral("問題なし"),
                                  MainWindowFixture::kWindowCeilingMs);
        QVERIFY(field->styleSheet().isEmpty());
    }

    void everyKindOfChangeReachesTheDocumentAndTheRecoveryKeeper() {
        // The keeper's delay never runs out here: the test looks at it on the way.
        uitest::TestClock clock;
        TFormMain& main = fixture->start();
        QSignalSpy changes(main.SheetDocument(), &TSheetDocument::changed);

        fixture->find<QCheckBox>("CheckBoxKou2")->click();
        QCOMPARE(Changes(changes), (QList<QPair<Change, int>>{{Change::Include, 1003}}));
        QVERIFY(!main.Sheet().Rows[1].IncludeItem);
        changes.clear();

        TCellEdit* note = fixture->find<TCellEdit>("MemoKey");
        uitest::TypeInto(note, QStringLiteral("注"));
        QCOMPARE(Changes(changes), (QList<QPair<Change, int>>{{Change::CellText, 1021}}));
        // The keeper heard it: its copy is on the way.
        QVERIFY(main.Recovery()->WriteTimer()->IsActive());
        changes.clear();

        main.FormatToolbar()->SpeedButtonBold->click();
        QCOMPARE(Changes(changes), (QList<QPair<Change, int>>{{Change::CellFormat, 1021}}));
        changes.clear();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo3Left"), QString());
        main.FormatToolbar()->SpeedButtonAll->click();
        main.FormatToolbar()->SpeedButtonItalic->click();
        QCOMPARE(changes.size(), 20);  // the focused cell once, then the other nineteen
        QCOMPARE(Changes(changes).first(), qMakePair(Change::CellFormat, 1005));
        changes.clear();

        main.StyleStrip()->SpeedButtonBannerRight->click();
        QCOMPARE(Changes(changes), (QList<QPair<Change, int>>{{Change::TableStyle, 0}}));
        changes.clear();

        QSignalSpy saved(main.SheetDocument(), &TSheetDocument::saved);
        fixture->dialogs.fileAnswers.push_back(fixture->files.filePath("kept.qvl"));
        main.SpeedButtonSaveAsClick();
        QCOMPARE(saved.size(), 1);
        QVERIFY(!main.Recovery()->WriteTimer()->IsActive());
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - kept"));

        uitest::TypeInto(note, QStringLiteral("記"));
        QVERIFY(main.Recovery()->WriteTimer()->IsActive());
        changes.clear();
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        main.SpeedButtonNewClick();
        // The document brings the new style into the lists' range itself: one report.
        QCOMPARE(Changes(changes), (QList<QPair<Change, int>>{{Change::WholeSheet, 0}}));
        QVERIFY(!main.Recovery()->WriteTimer()->IsActive());
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));

        // A report alone, from no pane at all, reaches the keeper.
        main.SheetDocument()->CellTextChanged(quorvel::kTitleTag);
        QVERIFY(main.Recovery()->WriteTimer()->IsActive());
    }

    void theCheckTabListsTheFindingsAndADoubleClickGoesToTheText() {
        TFormMain& main = fixture->start();
        TCellEdit* cell = fixture->find<TCellEdit>("Memo2Right");
        uitest::TypeInto(cell, QStringLiteral("前置き\n") + kDescription);
        QTRY_COMPARE_WITH_TIMEOUT(main.CheckField()->text(), QStringLiteral("注意 3 件"),
                                  MainWindowFixture::kWindowCeilingMs);

        QStringList rows;
        fixture->dialogs.modalScripts.push_back([&](QDialog& dialog) {
            auto& preview = static_cast<TFormPreview&>(dialog);
            // The field's click opens the preview on the check tab.
            if (preview.PageControl1->currentWidget() != preview.TabSheet4) return -1;
            QTableWidget* grid = preview.TabSheet4->GridCheck;
            for (int row = 0; row < grid->rowCount(); ++row)
                rows << grid->item(row, 0)->text() + QLatin1Char('|') + grid->item(row, 1)->text() +
                            QLatin1Char('|') + grid->item(row, 3)->text();
            const QRect second = grid->visualItemRect(grid->item(1, 2));
            // As a hand does it: the first click, then the second one that makes it double.
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second.center());
            return dialog.isVisible() ? -2 : dialog.result();
        });
        QTest::mouseClick(main.CheckField(), Qt::LeftButton);
        QCOMPARE(fixture->dialogs.modalShown, std::vector<QString>{QStringLiteral("FormPreview")});
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], QStringLiteral("説明２|タグ|<B>"));
        QCOMPARE(rows[1], QStringLiteral("説明２|アドレス|SRC=\"http://img.example/a.jpg\""));
        QVERIFY2(rows[2].startsWith(QStringLiteral("説明２|スマホ幅|xxxx")), qPrintable(rows[2]));

        // The window closed and the caret sits in the cell with the address selected.
        QTRY_COMPARE_WITH_TIMEOUT(main.focusWidget(), static_cast<QWidget*>(cell), 60000);
        QCOMPARE(cell->textCursor().selectedText(),
                 QStringLiteral("SRC=\"http://img.example/a.jpg\""));
        const int expected = static_cast<int>(QStringLiteral("前置き\n<B>送料無料<IMG ").size());
        QCOMPARE(cell->textCursor().selectionStart(), expected);
        QCOMPARE(cell->textCursor().position(), expected);
        QCOMPARE(fixture->dialogs.unexpected, 0);
    }

    void theLimitAndThePhoneWidthAreKeptInTheSettings() {
        TFormMain& main = fixture->start();
        TFormPreview* preview = main.Preview();
        preview->SetPhoneWidth(414);
        const int chars = static_cast<int>(main.Checker()->CheckNow().chars);
        QVERIFY(chars > 1000);
        preview->TabSheet4->SpinMaxChars->setValue(chars);
        QCOMPARE(main.Checker()->MaxChars(), static_cast<std::size_t>(chars));
        QCOMPARE(main.Checker()->PhoneWidth(), 414);
        QCOMPARE(main.CheckField()->text(), QStringLiteral("問題なし"));
        // One character over the limit: the page's finding shows at once.
        preview->TabSheet4->SpinMaxChars->setValue(chars - 1);
        QCOMPARE(main.CheckField()->text(), QStringLiteral("注意 1 件"));
        QVERIFY(main.CheckField()->toolTip().contains(QStringLiteral("ページ全体: ")));
        QVERIFY(main.FormCloseQuery());
        fixture->stop();

        const auto stored = quorvel::ReadStoredSettings(fixture->store());
        QVERIFY(stored);
        QCOMPARE(stored->CheckMaxChars, std::optional<int>(chars - 1));
        QCOMPARE(stored->PhoneWidth, std::optional<int>(414));

        // A session that never opens the preview keeps them as they were.
        TFormMain& unopened = fixture->start();
        QCOMPARE(unopened.Checker()->MaxChars(), static_cast<std::size_t>(chars - 1));
        QCOMPARE(unopened.Checker()->PhoneWidth(), 414);
        QVERIFY(!unopened.findChild<TFormPreview*>());
        QVERIFY(unopened.FormCloseQuery());
        fixture->stop();
        const auto kept = quorvel::ReadStoredSettings(fixture->store());
        QVERIFY(kept);
        QCOMPARE(kept->CheckMaxChars, std::optional<int>(chars - 1));
        QCOMPARE(kept->PhoneWidth, std::optional<int>(414));

        TFormMain& again = fixture->start();
        QCOMPARE(again.Preview()->PhoneWidth(), 414);
        QCOMPARE(again.Preview()->TabSheet4->SpinMaxChars->value(), chars - 1);
    }

    void theMarketChoiceChecksAgainAndIsKept() {
        TFormMain& main = fixture->start();
        TPreviewCheckTab* tab = main.Preview()->TabSheet4;
        QComboBox* market = tab->ComboBoxMarket;
        QCOMPARE(market->currentText(), QStringLiteral("汎用"));
        QStringList offered;
        for (int i = 0; i < market->count(); ++i) offered << market->itemText(i);
        QCOMPARE(offered,
                 QStringList({QStringLiteral("汎用"), QStringLiteral("Yahoo!オークション"),
                              QStringLiteral("eBay"),
                              QStringLiteral("テキストのみ (Yahoo!フリマ・メルカリ・ラクマ)")}));
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Right"),
                         QStringLiteral("連絡は shop@example.com まで"));
        QTRY_COMPARE_WITH_TIMEOUT(main.CheckField()->text(), QStringLiteral("注意 1 件"),
                                  MainWindowFixture::kWindowCeilingMs);
        const QString generalTip = main.CheckField()->toolTip();
        QVERIFY2(generalTip.startsWith(QStringLiteral("説明１: メールアドレスの記載は")),
                 qPrintable(generalTip));

        // As a seller picks with the keyboard: each choice checks at once, no typing needed.
        market->setFocus();
        QTest::keyClick(market, Qt::Key_Down);
        QCOMPARE(main.Checker()->Market(), quorvel::CheckMarket::Yahoo);
        QCOMPARE(main.CheckField()->text(), QStringLiteral("注意 1 件"));
        QVERIFY2(main.CheckField()->toolTip().startsWith(
                     QStringLiteral("出品先：Yahoo!オークション\n説明１: Yahoo!オークション: ")),
                 qPrintable(main.CheckField()->toolTip()));
        QTest::keyClick(market, Qt::Key_Down);
        QCOMPARE(main.Checker()->Market(), quorvel::CheckMarket::Ebay);
        QCOMPARE(main.CheckField()->text(), QStringLiteral("注意 2 件"));
        QVERIFY(main.CheckField()->toolTip().contains(QStringLiteral("\nフッター: eBay: ")));
        QCOMPARE(tab->Result().market, quorvel::CheckMarket::Ebay);
        QCOMPARE(tab->Result().findings.size(), 2u);
        // Stored with the other settings at the close, read at the next start.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.FormCloseQuery());
        fixture->stop();
        QCOMPARE(quorvel::ReadCheckMarket(fixture->store()), quorvel::CheckMarket::Ebay);
        TFormMain& again = fixture->start();
        QCOMPARE(again.Preview()->TabSheet4->ComboBoxMarket->currentText(), QStringLiteral("eBay"));
        QCOMPARE(again.Checker()->Market(), quorvel::CheckMarket::Ebay);
        // The first check comes once the window is up, for the stored market.
        QTRY_COMPARE_WITH_TIMEOUT(again.CheckField()->text(), QStringLiteral("注意 1 件"),
                                  MainWindowFixture::kWindowCeilingMs);
        QVERIFY(again.CheckField()->toolTip().startsWith(QStringLiteral("出品先：eBay\n")));
    }

    void theStatusLinesOwnMessagesStay() {
        TFormMain& main = fixture->start();
        main.SpeedButtonPreviewClick(main.SpeedButtonTagCopy);
        QCOMPARE(main.StatusBar1->currentMessage(), QStringLiteral("コピー完了！"));
        QVERIFY(main.CheckField()->isVisible());
        QCOMPARE(main.CheckField()->text(), QStringLiteral("問題なし"));
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(ListingCheckWindowTest)
#include "test_listing_check_window.moc"
