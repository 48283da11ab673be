#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewPhoneTab.h"
#include "platform/Sjis.h"
#include "store/PreviewFile.h"
#include "ui/PreviewBrowserLoader.h"
#ifdef QUORVEL_HAVE_PAGE
#include <QScrollArea>

#include "page/PageEngine.h"
#include "sheet/HtmlGenerator.h"
#include "ui/EnginePageView.h"
#include "ui/LiveViewCanvas.h"
#endif

namespace {

const char* const kTags = "<P align=\"center\">デジタルカメラ ｶﾒﾗ ①</P>\r\n";
const QString kNoBrowserLine = QStringLiteral("プレビュー表示部品を読み込めません");

std::string Sjis(const char* utf8) {
    const auto encoded = quorvel::sjis::FromUtf8(utf8);
    if (!encoded.ok()) qFatal("test text has no Shift_JIS form");
    return encoded.bytes;
}

QList<QLabel*> NoBrowserLines(const TFormPreview& form) {
    QList<QLabel*> lines;
    for (QLabel* label : form.TabSheet1->findChildren<QLabel*>())
        if (label->text() == kNoBrowserLine) lines << label;
    return lines;
}

#ifdef QUORVEL_HAVE_PAGE
// Saves what the window looks like when a folder for pictures is named.
void Shoot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("QUORVEL_SHOT_DIR");
    if (!folder.isEmpty()) widget->window()->grab().save(folder + "/" + name + ".png");
}

// A title on a colour of its own, its text at the left so that the box's centre is bare.
constexpr quorvel::TColor kTitleBack = 0x00336699;  // blue, green, red
const QColor kTitleColour(0x99, 0x66, 0x33);

quorvel::TDescriptionSheet TitledSheet(std::size_t descriptionLength) {
    quorvel::TDescriptionSheet sheet;
    sheet.Title.Text = "A";
    sheet.Title.Format.FontSize = 14;
    sheet.Title.Format.BackColor = kTitleBack;
    sheet.Rows[0].Item.Text = "Maker";
    sheet.Rows[0].Description.Text = std::string(descriptionLength, 'x');
    return sheet;
}

// The colour `view` shows at the centre of the title's box, grabbed from `tab` as a person sees
// it there; the box is where the engine puts the title at the width the view laid out.
QColor TitleCentreColour(const quorvel::TDescriptionSheet& sheet, TEnginePageView& view,
                         QWidget& tab) {
    quorvel::page::PageLayout own;
    own.LayoutSheet(sheet, view.Layout()->CssWidth());
    const auto title = own.Cell(quorvel::kTitleTag);
    if (!title) return {};
    const QPoint centre = title->box.toAlignedRect().center() + view.Canvas()->PageOrigin();
    const QPoint onTab = view.Canvas()->mapTo(&tab, centre);
    const QImage picture = tab.grab().toImage();
    if (!picture.rect().contains(onTab)) return {};
    return picture.pixelColor(onTab);
}
#endif

}  // namespace

// Without its browser module the preview still shows the tag text and says what is missing.
class TestPreviewWithoutModule : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    std::string writeTags(const char* name, const std::string& bytes = Sjis(kTags)) {
        const std::string file = dir_.filePath(name).toStdString();
        if (quorvel::WritePreviewFile(file, bytes)) qFatal("cannot write the test page");
        return file;
    }

    void checkPreviewWithoutBrowser() {
        ScriptedDialogs scripted;
        TFormPreview form;
        form.setFilePath(writeTags("tags.htm"));
        form.show();
        QCOMPARE(form.Text(), QString::fromUtf8(kTags));
        QCOMPARE(form.MemoHtml->toPlainText(), QString::fromUtf8(kTags).remove(QLatin1Char('\r')));
        QVERIFY(!form.browser());
        QVERIFY(!form.findChild<QWidget*>(QStringLiteral("WebBrowser1")));
        QCOMPARE(form.PageControl1->count(), 5);
        QCOMPARE(form.PageControl1->widget(0), form.TabSheet1);
        QVERIFY(!form.TabSheet3->browser());
#ifdef QUORVEL_HAVE_PAGE
        // The program's own engine draws the page in both tabs and says so; nothing is missing.
        QVERIFY(NoBrowserLines(form).isEmpty());
        QVERIFY(!form.TabSheet3->findChild<QLabel*>(QStringLiteral("LabelNoBrowser")));
        for (TEnginePageView* view : {form.enginePage(), form.TabSheet3->enginePage()}) {
            QVERIFY(view);
            QVERIFY(view->Layout());
            QCOMPARE(view->Note()->text(),
                     QStringLiteral("Quorvel 内蔵の表示エンジンで表示しています"));
        }
        QVERIFY(form.enginePage()->isVisible());
        QVERIFY(form.enginePage()->Note()->isVisible());
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(), QStringLiteral("はみ出しなし"));
        // A page that fits the phone does not scroll sideways there.
        form.PageControl1->setCurrentWidget(form.TabSheet3);
        auto* phoneScroll = form.TabSheet3->enginePage()->findChild<QScrollArea*>();
        QVERIFY(phoneScroll);
        QTRY_VERIFY(phoneScroll->viewport()->isVisible());
        QTRY_COMPARE(phoneScroll->viewport()->width(), 375);
        QCOMPARE(phoneScroll->horizontalScrollBar()->maximum(), 0);
#else
        QCOMPARE(NoBrowserLines(form).size(), 1);
        QVERIFY(NoBrowserLines(form).first()->isVisible());
        // The phone tab says it cannot show or measure the page.
        auto* phoneLine = form.TabSheet3->findChild<QLabel*>(QStringLiteral("LabelNoBrowser"));
        QVERIFY(phoneLine);
        QVERIFY(phoneLine->text().contains(QStringLiteral("幅の測定はできません")));
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(), QStringLiteral("横幅は測れません"));
#endif

        // Showing again tries again but adds nothing twice; the copy works as ever.
        form.hide();
        form.show();
#ifdef QUORVEL_HAVE_PAGE
        QCOMPARE(form.findChildren<TEnginePageView*>().size(), 2);
#else
        QCOMPARE(NoBrowserLines(form).size(), 1);
#endif
        QApplication::clipboard()->setText(QStringLiteral("stale"));
        form.ButtonCopy->click();
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8(kTags));
        form.PageControl1->setCurrentIndex(1);
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet2);
        // A missing part is not the seller's error: no message box.
        QVERIFY(scripted.messages.empty());
    }

  private slots:
    void opensWithItsHtmlTabWhenNoFolderHoldsTheModule() {
        ui::SetPreviewBrowserModuleFolders({dir_.filePath(QStringLiteral("no-such-folder"))});
        checkPreviewWithoutBrowser();
    }

    void opensWithItsHtmlTabWhenTheModuleIsBroken() {
        const QString folder = dir_.filePath(QStringLiteral("broken"));
        QVERIFY(QDir().mkpath(folder));
        QFile fake(folder + QStringLiteral("/libquorvel_webview.so"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("not a shared library");
        fake.close();
        ui::SetPreviewBrowserModuleFolders({folder});
        checkPreviewWithoutBrowser();
        QString whyNot;
        QVERIFY(!ui::PreviewBrowserFactoryOrNull(&whyNot));
        QVERIFY2(!whyNot.isEmpty(), "the loader gives no reason");
    }

    // The preview tab lays the page out at its own width and follows the window's; the title
    // is drawn on its colour where the engine put it.
    void thePreviewTabShowsTheEnginesPageAtItsWidth() {
#ifndef QUORVEL_HAVE_PAGE
        QSKIP("this build has no page engine");
#else
        ui::SetPreviewBrowserModuleFolders({dir_.filePath(QStringLiteral("no-such-folder"))});
        ScriptedDialogs scripted;
        TFormPreview form;
        const quorvel::TDescriptionSheet sheet = TitledSheet(10);
        form.setFilePath(writeTags("titled.htm", quorvel::BuildHtmlTags(sheet)));
        form.show();
        TEnginePageView* view = form.enginePage();
        QVERIFY(view);
        for (int windowWidth : {510, 800, 420}) {
            form.resize(windowWidth, form.height());
            QVERIFY(QTest::qWaitFor([&] {
                return view->Layout()->CssWidth() == view->ScrollArea()->viewport()->width();
            }));
            QCOMPARE(TitleCentreColour(sheet, *view, *form.TabSheet1), kTitleColour);
            Shoot(&form, QStringLiteral("engine-preview-%1").arg(windowWidth));
        }
#endif
    }

    // The phone tab draws the engine's page at each offered width, and its line gives the
    // engine's figure for the page: the one the listing check and the live view give.
    void thePhoneTabShowsTheEnginesPageAndFigureAtEachWidth() {
#ifndef QUORVEL_HAVE_PAGE
        QSKIP("this build has no page engine");
#else
        ui::SetPreviewBrowserModuleFolders({dir_.filePath(QStringLiteral("no-such-folder"))});
        ScriptedDialogs scripted;
        TFormPreview form;
        form.PageControl1->setCurrentWidget(form.TabSheet3);
        QSignalSpy measures(&form, &TFormPreview::phoneWidthMeasured);
        struct Case {
            const char* name;
            quorvel::TDescriptionSheet sheet;
            bool overflows;
        };
        const Case cases[] = {{"fits", TitledSheet(10), false},
                              {"runs over", TitledSheet(300), true}};
        for (const Case& c : cases) {
            form.setFilePath(writeTags("phone.htm", quorvel::BuildHtmlTags(c.sheet)));
            form.hide();
            form.show();
            TEnginePageView* view = form.TabSheet3->enginePage();
            QVERIFY(view);
            for (int width : {360, 414, 390, 375}) {
                form.SetPhoneWidth(width);
                const int figure = quorvel::page::MeasurePageWidth(c.sheet, width);
                QCOMPARE(figure > width, c.overflows);
                QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(),
                         TPreviewPhoneTab::WidthLine(width, figure));
                QCOMPARE(measures.last().at(2).toInt(), figure);
                QCOMPARE(view->Layout()->CssWidth(), width);
                QCOMPARE(view->Layout()->PageWidth(), figure);
                QVERIFY(QTest::qWaitFor(
                    [&] { return view->ScrollArea()->viewport()->width() == width; }));
                // A page wider than the phone has its title's centre out of sight.
                if (!c.overflows)
                    QVERIFY2(TitleCentreColour(c.sheet, *view, *form.TabSheet3) == kTitleColour,
                             c.name);
                Shoot(&form, QStringLiteral("engine-phone-%1-%2").arg(c.overflows).arg(width));
            }
        }
#endif
    }

    // Where the module is there the tabs keep the browser; the engine draws nothing twice.
    void withTheModuleTheTabsKeepTheBrowser() {
        if (!QUORVEL_HAVE_WEBVIEW) QSKIP("this build has no browser module (the MinGW build)");
        ui::SetPreviewBrowserModuleFolders({});
        ScriptedDialogs scripted;
        TFormPreview form;
        QSignalSpy loaded(&form, &TFormPreview::pageLoaded);
        form.setFilePath(writeTags("browser.htm"));
        form.show();
        QVERIFY(form.browser());
        QVERIFY(form.TabSheet3->browser());
        QVERIFY(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 30000));
        QVERIFY(!form.enginePage());
        QVERIFY(!form.TabSheet3->enginePage());
        QVERIFY(NoBrowserLines(form).isEmpty());
    }

    void cleanupTestCase() {
        ui::SetPreviewBrowserModuleFolders({});
    }
};

QUORVEL_UI_TEST_MAIN(TestPreviewWithoutModule)

#include "test_preview_without_module.moc"
