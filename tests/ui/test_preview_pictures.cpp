// The browser tab loads the page's HTTPS pictures from other sites and nothing else from them.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "../page/PictureServer.h"
#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/Preview.h"
#include "store/PreviewFile.h"
#include "ui/PreviewBrowser.h"

using namespace picture_test;

class TestPreviewPictures : public QObject {
    Q_OBJECT

  private slots:
    void onlyHttpsPicturesReachTheirServers() {
#if !QUORVEL_HAVE_WEBVIEW
        QSKIP("this build has no browser module: its preview is the page engine's");
#else
        const Certificate certificate = MakeCertificate();
        QVERIFY2(certificate.error.isEmpty(), qPrintable(certificate.error));
        PictureServer pictures(&certificate);
        PictureServer plain;
        PictureServer styles(&certificate);
        PictureServer frames(&certificate);
        const std::string page =
            "<P>" + ("<IMG SRC=\"" + plain.Url("/a.png") + "\">").toStdString() +
            ("<IMG SRC=\"" + pictures.Url("/b.png") + "\">").toStdString() +
            ("<LINK REL=\"stylesheet\" HREF=\"" + styles.Url("/s.css") + "\">").toStdString() +
            ("<IFRAME SRC=\"" + frames.Url("/f.htm") + "\"></IFRAME>").toStdString() + "</P>\r\n";
        QTemporaryDir dir;
        const std::string file = dir.filePath(QStringLiteral("pictures.htm")).toStdString();
        QVERIFY(!quorvel::WritePreviewFile(file, page).has_value());

        ScriptedDialogs scripted;
        TFormPreview form;
        form.setFilePath(file);
        QSignalSpy finished(&form, &TFormPreview::pageLoaded);
        form.show();
        QVERIFY(form.browser());
        QVERIFY(finished.wait(20000));
        // The HTTPS picture was asked for (its certificate is the test's own, so it fails).
        QVERIFY(QTest::qWaitFor([&] { return pictures.Connections() > 0; }, 20000));
        QCOMPARE(plain.Connections(), 0);
        QCOMPARE(styles.Connections(), 0);
        QCOMPARE(frames.Connections(), 0);
        form.hide();
#endif
    }
};

QUORVEL_UI_TEST_MAIN(TestPreviewPictures)

#include "test_preview_pictures.moc"
