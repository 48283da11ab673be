#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <functional>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewPhoneTab.h"
#include "document/SheetDocument.h"
#include "editor/Mainunit.h"
#include "followers/ListingChecker.h"
#include "liveview/LiveView.h"
#include "page/PageEngine.h"
#include "panes/CellEdit.h"
#include "panes/CheckStatusField.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "store/Settings.h"
#include "ui/LiveViewCanvas.h"

namespace {

constexpr int kWaitMs = 10000;

std::string Cp932(const QString& text) {
    return quorvel::sjis::FromUtf8(text.toStdString()).bytes;
}

// Saves what the window looks like when a folder for pictures is named.
void Shoot(QWidget* widget, const char* name) {
    const QString folder = qEnvironmentVariable("QUORVEL_SHOT_DIR");
    if (!folder.isEmpty()) widget->window()->grab().save(folder + "/" + name + ".png");
}

}  // namespace

// The page beside the sheet, as a seller meets it: off at first, on at a click or F12, current
// after each kind of change, pointing at the focused cell and taking the caret where clicked.
class TestLiveView : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> fixture;

    TLiveView* view() {
        return fixture->main().findChild<TLiveView*>(QStringLiteral("DockLiveView"));
    }

    // Waits until the view has laid out what the sheet holds now.
    bool current() {
        TLiveView* v = view();
        return QTest::qWaitFor([v] { return v->Current(); }, kWaitMs) && v->PageWidth() > 0;
    }

  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void hiddenAtFirstAndToggledByItsButtonAndItsKey() {
        TFormMain& main = fixture->start();
        TLiveView* live = view();
        QVERIFY(live);
        QVERIFY(!live->isVisible());
        QCOMPARE(live->windowTitle(), QStringLiteral("ライブ表示"));
        QCOMPARE(main.dockWidgetArea(live), Qt::RightDockWidgetArea);
        // The toggle sits right after 一括作成.
        auto* toggle = fixture->find<QToolButton>("SpeedButtonLiveView");
        QVERIFY(toggle);
        const QList<QAction*> actions = main.ToolBar1->actions();
        int merge = -1;
        for (int i = 0; i < actions.size(); ++i)
            if (main.ToolBar1->widgetForAction(actions[i]) == main.SpeedButtonMerge) merge = i;
        QVERIFY(merge >= 0 && merge + 1 < actions.size());
        QCOMPARE(main.ToolBar1->widgetForAction(actions[merge + 1]), toggle);
        toggle->click();
        QVERIFY(QTest::qWaitForWindowExposed(live));
        QVERIFY(toggle->isChecked());
        QVERIFY(current());
        Shoot(live, "live-shown");
        // F12 is its own: no other shortcut of the window has it.
        int holders = 0;
        for (QShortcut* key : main.findChildren<QShortcut*>())
            holders += key->key() == QKeySequence(Qt::Key_F12);
        QCOMPARE(holders, 1);
        QTest::keyClick(&main, Qt::Key_F12);
        QVERIFY(QTest::qWaitFor([&] { return !live->isVisible(); }, kWaitMs));
        QVERIFY(!toggle->isChecked());
    }

    // Each kind of change the document reports reaches the page.
    void followsEveryKindOfChange() {
        TFormMain& main = fixture->start();
        TLiveView* live = view();
        live->show();
        live->ChooseWidth(375);
        QVERIFY(current());
        using quorvel::page::PageLayout;
        const auto layout = [live] { return live->Canvas()->Layout(); };
        struct Step {
            const char* what;
            std::function<void()> change;
            std::function<bool()> shown;
        };
        const int item2 = quorvel::ItemTag(2);
        const Step steps[] = {
            {"typing",
             [&] {
                 uitest::TypeInto(
                     main.CellByTag(quorvel::kTitleTag),
                     QStringLiteral("【送料無料】デジタル一眼レフカメラ 美品 とても長い題名"));
             },
             [&] { return layout()->PageWidth() > 375; }},
            {"format",
             [&] {
                 uitest::TypeInto(main.CellByTag(item2), QStringLiteral("大"));
                 quorvel::TCellFormat format = main.Sheet().CellByTag(item2).Format;
                 format.FontSize = 18;
                 main.SheetDocument()->SetCellFormat(item2, TSheetDocument::FormatField::FontSize,
                                                     format, false);
             },
             [&] { return layout()->Cell(item2)->box.height() > 40; }},
            {"include", [&] { fixture->find<QCheckBox>("CheckBoxKou2")->click(); },
             [&] { return !layout()->Cell(item2); }},
            {"table style",
             [&] {
                 quorvel::TTableStyle style = main.Sheet().Style;
                 style.CellPadding = 9;
                 main.SheetDocument()->SetTableStyle(TSheetDocument::StyleField::CellPadding,
                                                     style);
             },
             [&] {
                 const auto title = layout()->Cell(quorvel::kTitleTag);
                 return title && title->first && title->first->x() - title->box.left() >= 9;
             }},
            {"a burst of keystrokes, laid out while the next come",
             [&] {
                 for (int i = 0; i < 60; ++i) {
                     uitest::TypeInto(main.CellByTag(quorvel::DescriptionTag(3)),
                                      QStringLiteral("字字"));
                     QCoreApplication::processEvents();
                 }
             },
             [&] {
                 PageLayout fresh;
                 fresh.LayoutSheet(main.Sheet(), 375);
                 return layout()->PageHeight() == fresh.PageHeight() &&
                        layout()->Cell(quorvel::DescriptionTag(3))->box ==
                            fresh.Cell(quorvel::DescriptionTag(3))->box;
             }},
            {"whole sheet",
             [&] {
                 quorvel::TDescriptionSheet fresh;
                 fresh.ResetSheet();
                 main.SheetDocument()->ReplaceSheet(fresh, false);
             },
             [&] { return layout()->PageWidth() == 375 && layout()->Cell(item2); }},
        };
        for (const Step& step : steps) {
            step.change();
            QVERIFY2(QTest::qWaitFor([&] { return current() && step.shown(); }, kWaitMs),
                     step.what);
        }
        // The scroll position stays where the seller left it across a change.
        quorvel::TDescriptionSheet tall = main.Sheet();
        tall.Note.Text = Cp932(
            QString(40, QChar(u'行')).replace(QStringLiteral("行"), QStringLiteral("行\r\n")));
        main.SheetDocument()->ReplaceSheet(tall, false);
        QVERIFY(current());
        QScrollBar* bar = live->ScrollArea()->verticalScrollBar();
        QVERIFY(bar->maximum() > 100);
        bar->setValue(100);
        main.SheetDocument()->CellTextChanged(quorvel::kNoteTag);
        QVERIFY(current());
        QCOMPARE(bar->value(), 100);
    }

    void outlinesTheFocusedCellAndAClickPutsTheCaretThere() {
        TFormMain& main = fixture->start();
        quorvel::TDescriptionSheet named = main.Sheet();
        for (int tag = quorvel::kTitleTag; tag <= quorvel::kNoteTag; ++tag)
            named.CellByTag(tag).Text = Cp932(QStringLiteral("セル %1").arg(tag));
        main.SheetDocument()->ReplaceSheet(named, false);
        TLiveView* live = view();
        live->show();
        QVERIFY(current());
        const int item = quorvel::ItemTag(3);
        main.CellByTag(item)->setFocus(Qt::OtherFocusReason);
        QVERIFY(QTest::qWaitFor([&] { return live->Canvas()->FocusedTag() == item; }, kWaitMs));
        const QRect box = live->Canvas()->CellRect(item);
        QVERIFY(!box.isEmpty());
        const QImage picture = live->Canvas()->grab().toImage();
        QCOMPARE(picture.pixelColor(box.left() + 1, box.center().y()),
                 QColor::fromRgb(TLiveViewCanvas::kOutline));
        Shoot(live, "live-focus");

        const int description = quorvel::DescriptionTag(5);
        QTest::mouseClick(live->Canvas(), Qt::LeftButton, Qt::NoModifier,
                          live->Canvas()->CellRect(description).center());
        QVERIFY(QTest::qWaitFor([&] { return main.FocusedCell() == main.CellByTag(description); },
                                kWaitMs));
        QCOMPARE(live->Canvas()->FocusedTag(), description);
    }

    // The status field, the check tab, the phone tab and the live view give one number.
    void thePhoneWidthFiguresAgree() {
        TFormMain& main = fixture->start();
        quorvel::TDescriptionSheet listing = main.Sheet();
        listing.Title.Text = Cp932(QStringLiteral("【送料無料】デジタル一眼レフカメラ 美品"));
        listing.Title.Format.FontSize = 14;
        main.SheetDocument()->ReplaceSheet(listing, false);
        TLiveView* live = view();
        live->show();
        live->ChooseWidth(375);
        QVERIFY(current());
        const int figure = live->PageWidth();
        QVERIFY(figure > 375);
        const QString number = QString::number(figure) + " px";
        QVERIFY2(live->WidthLabel()->text().contains(number),
                 qPrintable(live->WidthLabel()->text()));
        Shoot(live, "live-phone-375");

        const quorvel::ListingCheckResult& result = main.Checker()->CheckNow();
        QString lines;
        for (const auto& finding : result.findings)
            lines += QString::fromStdString(quorvel::FindingLine(finding)) + "\n";
        QVERIFY2(lines.contains(number) && !lines.contains(QStringLiteral("約")),
                 qPrintable(lines));
        QVERIFY2(main.CheckField()->toolTip().contains(number),
                 qPrintable(main.CheckField()->toolTip()));

        const std::string tags = quorvel::BuildHtmlTags(main.Sheet());
        TPreviewPhoneTab* phone = main.Preview()->TabSheet3;
        phone->SetPhoneWidth(375);
        phone->ShowPage(QByteArray(tags.data(), qsizetype(tags.size())),
                        QStringLiteral("text/html;charset=Shift_JIS"), QUrl(), true);
        QVERIFY2(phone->LabelPhoneWidth->text().contains(number),
                 qPrintable(phone->LabelPhoneWidth->text()));
    }

    // Beside a maximised window the docked view still holds the whole phone and its width line;
    // the phone's edge is a line, and what a page wider than the phone puts past it is shaded.
    void thePhonesEdgeIsMarkedAndKeepsItsRoomBesideAMaximisedWindow() {
        TFormMain& main = fixture->start();
        main.showMaximized();
        if (!QTest::qWaitFor([&] { return main.isMaximized(); }, kWaitMs))
            QSKIP("this platform's windows are not maximised without a window manager");
        quorvel::TDescriptionSheet listing = main.Sheet();
        listing.Title.Text = std::string(48, 'M');  // one unbreakable word, wider than the phone
        main.SheetDocument()->ReplaceSheet(listing, false);
        TLiveView* live = view();
        live->ChooseWidth(414);
        fixture->find<QToolButton>("SpeedButtonLiveView")->click();
        QVERIFY(current());
        QVERIFY(!live->isFloating());
        QVERIFY2(live->PageWidth() > 414, qPrintable(QString::number(live->PageWidth())));
        const int viewport = live->ScrollArea()->viewport()->width();
        QVERIFY2(viewport > 414, qPrintable(QString::number(viewport)));
        QLabel* line = live->WidthLabel();
        QVERIFY2(line->width() >= line->fontMetrics().horizontalAdvance(line->text()),
                 qPrintable(QStringLiteral("%1 for %2").arg(line->width()).arg(line->text())));
        Shoot(live, "live-maximised-414");

        TLiveViewCanvas* canvas = live->Canvas();
        const int edge = canvas->PhoneEdge();
        QCOMPARE(edge, canvas->PageOrigin().x() + 414);
        const QImage picture = canvas->grab().toImage();
        QCOMPARE(picture.pixel(edge, 1), TLiveViewCanvas::kPhoneEdge);
        const int y = canvas->height() - 1;  // the body's margin, white across the page
        const QColor before = picture.pixelColor(edge - 3, y);
        const QColor past = picture.pixelColor(edge + 3, y);
        QCOMPARE(before, QColor(Qt::white));
        QVERIFY2(past.lightness() < before.lightness(), qPrintable(past.name()));
    }

    // A page that grows taller than the view at a phone's width brings the vertical bar; the
    // view it narrows must not scroll sideways for a page that fits the phone.
    void aPhonePageThatGrowsTallScrollsOnlyDownward() {
        TFormMain& main = fixture->start();
        TLiveView* live = view();
        live->show();
        live->ChooseWidth(360);
        QVERIFY(current());
        QScrollArea* scroll = live->ScrollArea();
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        quorvel::TDescriptionSheet listing = main.Sheet();
        for (auto& row : listing.Rows) row.Description.Text = "a\r\nb\r\nc\r\nd\r\ne\r\nf";
        main.SheetDocument()->ReplaceSheet(listing, false);
        QVERIFY(current());
        QVERIFY2(live->PageWidth() <= 360, qPrintable(QString::number(live->PageWidth())));
        QVERIFY(QTest::qWaitFor([&] { return scroll->verticalScrollBar()->isVisible(); }, kWaitMs));
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QVERIFY(live->Canvas()->width() <= scroll->viewport()->width());
    }

    void itsStateIsKeptWithTheOtherSettings() {
        fixture->start();
        view()->show();
        view()->ChooseWidth(390);
        QVERIFY(current());
        fixture->main().close();
        fixture->stop();
        fixture->start();
        QVERIFY(QTest::qWaitFor([&] { return view()->isVisible(); }, kWaitMs));
        QCOMPARE(view()->ChosenWidth(), 390);
        QVERIFY(current());
        QCOMPARE(view()->LaidOutWidth(), 390);
        Shoot(view(), "live-restored-390");
    }

    // Geometry read back from the settings, whatever it says, puts the floating view and the
    // main window on the screen at no more than its size; the close then stores those.
    void hostileStoredGeometryStaysOnTheScreen() {
        const struct {
            std::uint32_t left, top, width, height;
        } cases[] = {
            {static_cast<std::uint32_t>(-5000), static_cast<std::uint32_t>(-5000), 300, 400},
            {4294962296u, 4294962296u, 45, 60},
            {100, 100, 30000, 30000},
            {0, 0, 2000000000, 2000000000},
        };
        fixture->start();
        fixture->main().close();
        fixture->stop();
        for (const auto& c : cases) {
            const QString name =
                QStringLiteral("%1,%2 %3x%4").arg(c.left).arg(c.top).arg(c.width).arg(c.height);
            {
                auto key = fixture->store().Open(true);
                QVERIFY(key);
                key->WriteDword("LiveVisible", 1);
                key->WriteDword("LiveFloating", 1);
                key->WriteDword("LiveLeft", c.left);
                key->WriteDword("LiveTop", c.top);
                key->WriteDword("LiveWidth", c.width);
                key->WriteDword("LiveHeight", c.height);
                key->WriteDword("Width", c.width);
                key->WriteDword("Height", c.height);
                QVERIFY(key->Commit());
            }
            fixture->start();
            QVERIFY(QTest::qWaitFor([&] { return view()->isVisible(); }, kWaitMs));
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY2(view()->isFloating(), qPrintable(name));
            QVERIFY2(area.contains(view()->geometry()), qPrintable(name));
            QVERIFY2(view()->width() >= 120 && view()->height() >= 80, qPrintable(name));
            QVERIFY2(fixture->main().width() <= area.width(), qPrintable(name));
            QVERIFY2(fixture->main().height() <= area.height(), qPrintable(name));
            fixture->main().close();
            fixture->stop();
            const auto stored = quorvel::ReadLiveViewSettings(fixture->store());
            QVERIFY(stored);
            QVERIFY2(stored->Width <= area.width() && stored->Height <= area.height(),
                     qPrintable(name));
        }
    }
};

QUORVEL_UI_TEST_MAIN(TestLiveView)
#include "test_live_view.moc"
