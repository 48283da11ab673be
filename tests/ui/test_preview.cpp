#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/Preview.h"
#include "dialogs/PreviewCheckTab.h"
#include "platform/Sjis.h"
#include "platform/TempDir.h"
#include "store/PreviewFile.h"
#include "ui/PreviewBrowser.h"

#if QUORVEL_HAVE_WEBVIEW
#include <QOpenGLContext>
#endif

namespace {

// A build without the browser module (the MinGW one) checks everything but the page itself.
constexpr bool kBrowserBuilt = QUORVEL_HAVE_WEBVIEW;

std::string Sjis(const char* utf8) {
    const auto encoded = quorvel::sjis::FromUtf8(utf8);
    if (!encoded.ok()) qFatal("test text has no Shift_JIS form");
    return encoded.bytes;
}

// Japanese text with katakana, half-width katakana, a circled digit and trail bytes 0x5C (ソ, 表).
const char* const kTags =
    "<P align=\"center\">\r\n<TABLE border=\"1\">\r\n<TR><TD>デジタルカメラ</TD><TD>ｶﾒﾗ ① "
    "ソニー 表示</TD></TR>\r\n</TABLE>\r\n</P>\r\n";

#if QUORVEL_HAVE_WEBVIEW
QString PageText(PreviewBrowser* view) {
    QString text;
    bool done = false;
    view->pageText([&](const QString& result) {
        text = result;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000)) return QStringLiteral("<no reply>");
    return text;
}

int PageWidth(PreviewBrowser* view, int cssWidth) {
    int width = -2;
    view->measurePageWidth(cssWidth, [&](int result) { width = result; });
    if (!QTest::qWaitFor([&] { return width != -2; }, 20000)) return -3;
    return width;
}
#endif

}  // namespace

class TestPreview : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    std::string path(const char* name) const { return dir_.filePath(name).toStdString(); }
    static void write(const std::string& file, const std::string& bytes) {
        QVERIFY(!quorvel::WritePreviewFile(file, bytes).has_value());
    }
    // The sample tags in the preview file `name`, which the form is to show.
    void loadSample(TFormPreview& form, const char* name) const {
        const std::string file = path(name);
        write(file, Sjis(kTags));
        form.setFilePath(file);
    }

  private slots:
    void controlsHaveTheirNamesAndTexts() {
        TFormPreview form;
        QCOMPARE(form.objectName(), QStringLiteral("FormPreview"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Quorvel ﾌﾟﾚﾋﾞｭｰ"));
        QCOMPARE(form.size(), QSize(510, 482));
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));

        auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QVERIFY(pages);
        QCOMPARE(pages->count(), 5);
        QCOMPARE(pages->widget(0)->objectName(), QStringLiteral("TabSheet1"));
        QCOMPARE(pages->tabText(pages->count() - 1), QStringLiteral("ﾃｷｽﾄ"));
        QCOMPARE(pages->widget(1)->objectName(), QStringLiteral("TabSheet2"));
        QCOMPARE(pages->widget(2)->objectName(), QStringLiteral("TabSheet3"));
        QCOMPARE(pages->widget(3)->objectName(), QStringLiteral("TabSheet4"));
        QCOMPARE(pages->tabText(0), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
        QCOMPARE(pages->tabText(1), QStringLiteral("HTMLﾀｸﾞ"));
        QCOMPARE(pages->tabText(2), QStringLiteral("ｽﾏﾎ表示"));
        QCOMPARE(pages->tabText(3), QStringLiteral("ﾁｪｯｸ"));
        QCOMPARE(pages->currentIndex(), 0);

        auto* memo = form.findChild<QPlainTextEdit*>(QStringLiteral("MemoHtml"));
        QVERIFY(memo);
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->parentWidget(), pages->widget(1));

        auto* bar = form.findChild<QWidget*>(QStringLiteral("Panel2"));
        auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel1"));
        QVERIFY(bar && panel);
        QCOMPARE(panel->parentWidget(), bar);
        QCOMPARE(bar->maximumHeight(), 29);
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("HTMLﾀｸﾞをｸﾘｯﾌﾟﾎﾞｰﾄﾞに"));
        auto* copy = form.findChild<QPushButton*>(QStringLiteral("ButtonCopy"));
        auto* copyClose = form.findChild<QPushButton*>(QStringLiteral("ButtonCopyClose"));
        QVERIFY(copy && copyClose);
        QCOMPARE(copy->text(), QStringLiteral("ｺﾋﾟｰ(&c)"));
        QCOMPARE(copyClose->text(), QStringLiteral("ｺﾋﾟｰ後に閉じる(&x)"));
        QVERIFY(copyClose->isDefault());
        QCOMPARE(copyClose->nextInFocusChain(), static_cast<QWidget*>(copy));

        // The browser view costs a module and its processes; nothing is made before the first
        // load.
        QVERIFY(!form.browser());
        QVERIFY(!form.findChild<QWidget*>(QStringLiteral("WebBrowser1")));
    }

    void loadReadsShiftJisFromThePreviewFileAtEachShowing() {
        ScriptedDialogs scripted;
        // The real preview file, in this run's private temporary folder.
        const quorvel::TempPathResult file = quorvel::PreviewFilePath();
        QVERIFY2(file.ok(), file.error.c_str());
        write(file.path, Sjis(kTags));

        TFormPreview form;
        QVERIFY(form.FormShow());
        QCOMPARE(form.Text(), QString::fromUtf8(kTags));
        QCOMPARE(form.MemoHtml->toPlainText(),
                 QString::fromUtf8(kTags).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        // The tag copy loads without showing, and without starting the browser.
        QVERIFY(!form.isVisible());
        QVERIFY(!form.browser());

        // Every showing reads the file again, into the browser too.
        write(file.path, Sjis("<P>新しい説明</P>\r\n"));
        form.show();
        QCOMPARE(form.Text(), QStringLiteral("<P>新しい説明</P>\r\n"));
        if (kBrowserBuilt) {
            QVERIFY(form.browser());
            QCOMPARE(form.browser()->widget()->objectName(), QStringLiteral("WebBrowser1"));
            QCOMPARE(form.browser()->widget()->parentWidget(), form.TabSheet1);
            QVERIFY(form.browser()->widget()->isVisible());
        }
        form.hide();
        write(file.path, Sjis("<P>三度目</P>\r\n"));
        form.show();
        QCOMPARE(form.Text(), QStringLiteral("<P>三度目</P>\r\n"));
        form.hide();

        // An empty path falls back to the preview file.
        form.setFilePath(path("absent.htm"));
        form.setFilePath("");
        QVERIFY(form.FormShow());
        QCOMPARE(form.Text(), QStringLiteral("<P>三度目</P>\r\n"));
        QVERIFY(scripted.messages.empty());
    }

    void copyPutsExactlyTheLoadedTextOnTheClipboard() {
        ScriptedDialogs scripted;
        TFormPreview form;
        QClipboard* clipboard = QApplication::clipboard();

        // Before any load the box is empty, and a copy still replaces an old clipboard.
        clipboard->setText(QStringLiteral("stale"));
        form.ButtonCopyClick();
        QCOMPARE(clipboard->text(), QString());

        loadSample(form, "copy.htm");
        QVERIFY(form.FormShow());
        clipboard->setText(QStringLiteral("stale"));
        form.ButtonCopy->click();
        QCOMPARE(clipboard->text(), QString::fromUtf8(kTags));
        QCOMPARE(form.MemoHtml->textCursor().selectedText().size(),
                 form.MemoHtml->toPlainText().size());
        QVERIFY(form.MemoHtml->textCursor().hasSelection());

        // After ClearText a copy hands out nothing old.
        form.ClearText();
        QCOMPARE(form.MemoHtml->toPlainText(), QString());
        form.ButtonCopyClick();
        QCOMPARE(clipboard->text(), QString());
        QVERIFY(scripted.messages.empty());
    }

    void enterOnFirstShowingCopiesAndCloses() {
        ScriptedDialogs scripted;
        TFormPreview form;
        loadSample(form, "enter.htm");
        QApplication::clipboard()->setText(QStringLiteral("stale"));
        QWidget* focused = nullptr;
        scripted.modalScripts.push_back([&](QDialog& dialog) {
            dialog.activateWindow();
            if (!QTest::qWaitForWindowActive(&dialog)) return -1;
            focused = dialog.focusWidget();
            QTest::keyClick(focused, Qt::Key_Return);
            return dialog.result();
        });
        const int result = dialogs().execModal(form);
        QCOMPARE(focused, static_cast<QWidget*>(form.ButtonCopyClose));
        QCOMPARE(result, static_cast<int>(QDialog::Accepted));
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8(kTags));
        QVERIFY(!form.isVisible());
        QCOMPARE(scripted.modalShown.size(), size_t(1));
        QCOMPARE(scripted.modalShown[0], QStringLiteral("FormPreview"));
    }

    void altCCopiesAndKeepsTheWindowOpen() {
        ScriptedDialogs scripted;
        TFormPreview form;
        loadSample(form, "altc.htm");
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QApplication::clipboard()->setText(QStringLiteral("stale"));
        // A mnemonic clicks the button with a short animation, so the copy comes a moment later.
        QTest::keyClick(&form, Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::clipboard()->text(), QString::fromUtf8(kTags),
                                  60000);
        // The click that copied would have closed the window in the same handler.
        QVERIFY(form.isVisible());
        // Alt+X is the copy-and-close button.
        QApplication::clipboard()->setText(QStringLiteral("stale"));
        QTest::keyClick(&form, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 60000);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8(kTags));
        QCOMPARE(form.result(), static_cast<int>(QDialog::Accepted));
    }

    void loadFailureWarnsAndKeepsTheOldText() {
        ScriptedDialogs scripted;
        TFormPreview form;
        const std::string missing = path("missing/Preview.htm");

        // A failing first load leaves an empty box and makes no web view.
        form.setFilePath(missing);
        QVERIFY(!form.FormShow());
        QCOMPARE(scripted.messages.size(), size_t(1));
        QCOMPARE(scripted.messages[0].text,
                 QStringLiteral("ファイル %1 は開けません").arg(QString::fromStdString(missing)));
        QCOMPARE(scripted.messages[0].caption, QStringLiteral("プレビューデータ読み込み"));
        QCOMPARE(scripted.messages[0].icon, QMessageBox::Warning);
        QCOMPARE(scripted.messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(form.MemoHtml->toPlainText(), QString());
        QVERIFY(!form.browser());

        const std::string good = path("good.htm");
        write(good, Sjis(kTags));
        form.setFilePath(good);
        QSignalSpy started(&form, &TFormPreview::pageLoadStarted);
        QSignalSpy finished(&form, &TFormPreview::pageLoaded);
        form.show();
        if (kBrowserBuilt) {
            QVERIFY(form.browser());
            QVERIFY(finished.wait(20000));
        }
        form.hide();
        started.clear();

        // Through a showing too: the message appears and the old text stays.
        form.setFilePath(missing);
        form.show();
        form.hide();
        QCOMPARE(scripted.messages.size(), size_t(2));
        QCOMPARE(scripted.messages[1].caption, QStringLiteral("プレビューデータ読み込み"));
        QCOMPARE(form.Text(), QString::fromUtf8(kTags));
        QCOMPARE(form.MemoHtml->toPlainText(),
                 QString::fromUtf8(kTags).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        if (kBrowserBuilt) {
            // A load begun by that showing would have begun before the next one ends.
            const std::string other = path("other.htm");
            write(other, Sjis("<B>other</B>"));
            form.setFilePath(other);
            finished.clear();
            form.show();
            QVERIFY(finished.wait(20000));
            form.hide();
            QCOMPARE(started.count(), 1);
        } else {
            QCOMPARE(started.count(), 0);  // no browser: nothing can load
        }
        QCOMPARE(scripted.unexpected, 0);
    }

    void chosenTabSurvivesHideAndShow() {
        ScriptedDialogs scripted;
        TFormPreview form;
        loadSample(form, "tab.htm");
        form.show();
        QCOMPARE(form.PageControl1->currentIndex(), 0);
        form.PageControl1->setCurrentIndex(1);
        form.hide();
        form.show();
        QCOMPARE(form.PageControl1->currentIndex(), 1);
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet2);
        form.hide();
    }

    // The check tab's summary comes when the tab is first shown, and the market box holds the
    // longest market's name: neither may make the window wider than it opened.
    void choosingTheCheckTabKeepsTheWindowsWidth() {
        ScriptedDialogs scripted;
        TFormPreview form;
        loadSample(form, "check.htm");
        form.show();
        form.layout()->activate();
        const int width = form.width();
        quorvel::ListingCheckResult result;
        result.chars = 123456;
        result.bytes = 234567;
        form.ShowCheck(result);
        form.TabSheet4->ComboBoxMarket->setCurrentIndex(form.TabSheet4->ComboBoxMarket->count() -
                                                        1);
        form.PageControl1->setCurrentWidget(form.TabSheet4);
        // The new sizes go up the layouts as posted requests, one level at a time.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        form.layout()->activate();
        QVERIFY(form.TabSheet4->LabelCheckSummary->text().contains(QStringLiteral("123456")));
        QCOMPARE(form.width(), width);
        form.hide();
    }

    void renderedPageShowsJapaneseAndRunsNoScript() {
#if !QUORVEL_HAVE_WEBVIEW
        QSKIP("this build has no browser module");
#else
        ScriptedDialogs scripted;
        TFormPreview form;
        const std::string file = path("render.htm");
        write(file, Sjis(kTags) + "<SCRIPT>document.write('SCRIPT' + 'RAN');</SCRIPT>\r\n");
        form.setFilePath(file);
        QSignalSpy finished(&form, &TFormPreview::pageLoaded);
        form.show();
        PreviewBrowser* view = form.browser();
        QVERIFY(view);
        // The engine's shared OpenGL context comes with the browser, not with the program.
        QVERIFY(QOpenGLContext::globalShareContext());
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toBool(), true);
        QString text = PageText(view);
        QVERIFY2(text.contains(QStringLiteral("デジタルカメラ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("ｶﾒﾗ ①")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("ソニー 表示")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("SCRIPTRAN")), qPrintable(text));
        QCOMPARE(view->url(), QUrl::fromLocalFile(QString::fromStdString(file)));

        // Short, katakana-only text is where guessing the character set goes wrong.
        const char* const shortPages[] = {"<P>ｶﾒﾗ</P>\r\n", "<B>デジカメ</B>\r\n",
                                          "<P>ﾃﾞｼﾞﾀﾙｶﾒﾗ ①②</P>\r\n"};
        for (const char* page : shortPages) {
            write(file, Sjis(page));
            finished.clear();
            QVERIFY(form.FormShow());
            QVERIFY(finished.wait(20000));
            text = PageText(view);
            QString expected = QString::fromUtf8(page);
            expected = expected.remove(QRegularExpression(QStringLiteral("<[^>]*>"))).trimmed();
            QVERIFY2(text.contains(expected), qPrintable(text));
        }
        form.hide();
#endif
    }

    // A table inherits FONT SIZE only in standards mode (quirks mode resets it to the default),
    // so the page's width tells which mode the browser laid the tags out in. The preview file
    // itself keeps the tags' bytes.
    void browserTabsLayOutTheTagsInStandardsModeAsTheLiveViewDoes() {
#if !QUORVEL_HAVE_WEBVIEW
        QSKIP("this build has no browser module");
#else
        ScriptedDialogs scripted;
        TFormPreview form;
        const std::string file = path("mode.htm");
        const std::string tags = Sjis(
            "<FONT SIZE=\"7\"><TABLE><TR><TD>MMMMMMMMMMMMMMMMMMMM</TD></TR></TABLE></FONT>\r\n");
        write(file, tags);
        form.setFilePath(file);
        QSignalSpy finished(&form, &TFormPreview::pageLoaded);
        form.show();
        PreviewBrowser* view = form.browser();
        QVERIFY(view);
        QVERIFY(finished.wait(20000));
        // Twenty unbreakable capitals at 48 px run far past 375 px; at the default 16 px they fit.
        const int width = PageWidth(view, 375);
        QVERIFY2(width > 500, qPrintable(QString::number(width)));
        const quorvel::PreviewReadResult kept = quorvel::ReadPreviewFile(file);
        QVERIFY(kept.ok());
        QCOMPARE(kept.bytes, tags);
        form.hide();
#endif
    }
};

QUORVEL_UI_TEST_MAIN(TestPreview)

#include "test_preview.moc"
