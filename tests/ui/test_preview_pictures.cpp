// The browser tab loads the page's HTTPS pictures from other sites and nothing else from them;
// the engine's tabs lay the page out again when a picture comes.
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "../page/PictureServer.h"
#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "dialogs/Preview.h"
#include "store/PreviewFile.h"
#include "ui/PreviewBrowser.h"
#include "ui/PreviewBrowserLoader.h"
#ifdef QUORVEL_HAVE_PAGE
#include "dialogs/PreviewPhoneTab.h"
#include "page/PageEngine.h"
#include "page/PagePictures.h"
#include "ui/EnginePageView.h"
#endif

using namespace picture_test;

class TestPreviewPictures : public QObject {
    Q_OBJECT

  private slots:
    // Without the browser module the engine draws both tabs: a picture held back is its box
    // there, and once it comes its own size widens the page and the phone tab's figure.
    void theEngineTabsFollowAPictureThatComesLater() {
#ifndef QUORVEL_HAVE_PAGE
        QSKIP("this build has no page engine: its preview tabs are the browser's or none");
#else
        const Certificate certificate = MakeCertificate();
        QVERIFY2(certificate.error.isEmpty(), qPrintable(certificate.error));
        auto* store = quorvel::page::PagePictures::Ensure();
        QVERIFY(store);
        store->AddTrustedCertificates({certificate.certificate});
        PictureServer server(&certificate);
        server.Route("/photo.png", {200, Png(1200, 30, Qt::darkGreen), true});
        const std::string page =
            ("<P>Photo</P><IMG SRC=\"" + server.Url("/photo.png") + "\">\r\n").toStdString();
        QTemporaryDir dir;
        ui::SetPreviewBrowserModuleFolders({dir.filePath(QStringLiteral("no-such-folder"))});
        const std::string file = dir.filePath(QStringLiteral("photo.htm")).toStdString();
        QVERIFY(!quorvel::WritePreviewFile(file, page).has_value());

        ScriptedDialogs scripted;
        TFormPreview form;
        form.setFilePath(file);
        form.show();
        TEnginePageView* pc = form.enginePage();
        TEnginePageView* phone = form.TabSheet3->enginePage();
        QVERIFY(pc && phone);
        QVERIFY(QTest::qWaitFor([&] { return server.Held() == 1; }, 20000));
        QVERIFY(pc->Layout()->PageWidth() < 1200);
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(), QStringLiteral("はみ出しなし"));

        server.Release();
        QVERIFY(QTest::qWaitFor([&] { return pc->Layout()->PageWidth() > 1200; }, 20000));
        const int figure = phone->Layout()->PageWidth();
        QVERIFY(figure > 1200);
        QCOMPARE(phone->Layout()->CssWidth(), form.TabSheet3->PhoneWidth());
        QCOMPARE(form.TabSheet3->LabelPhoneWidth->text(),
                 TPreviewPhoneTab::WidthLine(form.TabSheet3->PhoneWidth(), figure));
        QCOMPARE(server.Requests("/photo.png"), 1);
        form.hide();
#endif
    }

    void onlyHttpsPicturesReachTheirServers() {
#if !QUORVEL_HAVE_WEBVIEW
        QSKIP("this build has no browser module: its preview is the page engine's");
#else
        ui::SetPreviewBrowserModuleFolders({});
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
