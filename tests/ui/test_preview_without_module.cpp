#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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

}  // namespace

// Without its browser module the preview still shows the tag text and says what is missing.
class TestPreviewWithoutModule : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    std::string writeTags(const char* name) {
        const std::string file = dir_.filePath(name).toStdString();
        if (quorvel::WritePreviewFile(file, Sjis(kTags))) qFatal("cannot write the test page");
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
        QCOMPARE(NoBrowserLines(form).size(), 1);
        QVERIFY(NoBrowserLines(form).first()->isVisible());
        // The phone tab says it cannot show or measure the page.
        QVERIFY(!form.TabSheet3->browser());
        auto* phoneLine = form.TabSheet3->findChild<QLabel*>(QStringLiteral("LabelNoBrowser"));
        QVERIFY(phoneLine);
#ifdef QUORVEL_HAVE_PAGE
        // The page engine measures without the browser: the figure the check gives.
        QVERIFY(phoneLine->text().contains(QStringLiteral("スマホ表示はできません")));
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(), QStringLiteral("はみ出しなし"));
#else
        QVERIFY(phoneLine->text().contains(QStringLiteral("幅の測定はできません")));
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(), QStringLiteral("横幅は測れません"));
#endif

        // Showing again tries again but adds no second line; the copy works as ever.
        form.hide();
        form.show();
        QCOMPARE(NoBrowserLines(form).size(), 1);
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

    void cleanupTestCase() {
        ui::SetPreviewBrowserModuleFolders({});
    }
};

QUORVEL_UI_TEST_MAIN(TestPreviewWithoutModule)

#include "test_preview_without_module.moc"
