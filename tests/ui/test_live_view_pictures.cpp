// A seller's picture in the live view and the listing check, from a loopback HTTPS server.
#include <QtTest>

#include "../page/PictureServer.h"
#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "editor/Mainunit.h"
#include "followers/ListingChecker.h"
#include "liveview/LiveView.h"
#include "page/PageEngine.h"
#include "page/PagePictures.h"
#include "platform/Sjis.h"
#include "ui/PictureFollower.h"

using namespace picture_test;

namespace {

constexpr int kWaitMs = 20000;

std::string Cp932(const QString& text) {
    return quorvel::sjis::FromUtf8(text.toStdString()).bytes;
}

QString CheckLines(TFormMain& main) {
    QString lines;
    for (const auto& finding : main.Checker()->CheckNow().findings)
        lines += QString::fromStdString(quorvel::FindingLine(finding)) + "\n";
    return lines;
}

}  // namespace

class TestLiveViewPictures : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> fixture;
    Certificate certificate;

    TLiveView* view() {
        return fixture->main().findChild<TLiveView*>(QStringLiteral("DockLiveView"));
    }
    void name(TFormMain& main, const QString& img, const QString& more = {}) {
        quorvel::TDescriptionSheet listing = main.Sheet();
        listing.Title.Text = Cp932(img + more);
        main.SheetDocument()->ReplaceSheet(listing, false);
    }
    quorvel::page::PagePictures* store() {
        auto* pictures = quorvel::page::PagePictures::Shared();
        if (pictures) pictures->AddTrustedCertificates({certificate.certificate});
        return pictures;
    }

  private slots:
    void initTestCase() {
        certificate = MakeCertificate();
        // No openssl, no test of the pictures: that fails the run.
        QVERIFY2(certificate.error.isEmpty(), qPrintable(certificate.error));
    }
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // The page shows the picture's box while the server holds it, the seller's edits are laid out
    // meanwhile, and once it comes the page is laid out again at its own size, which the check's
    // phone width counts.
    void aPictureWithoutWidthCountsOnceItComes() {
        TFormMain& main = fixture->start();
        QVERIFY(store());
        PictureServer server(&certificate);
        server.Route("/photo.png", {200, Png(1200, 30, Qt::darkGreen), true});
        const QString img = QStringLiteral("<IMG SRC=\"%1\">").arg(server.Url("/photo.png"));
        name(main, img);
        TLiveView* live = view();
        live->show();
        live->ChooseWidth(375);
        QVERIFY(QTest::qWaitFor([&] { return server.Held() == 1; }, kWaitMs));
        QVERIFY(QTest::qWaitFor([&] { return live->Current(); }, kWaitMs));
        QCOMPARE(live->PageWidth(), 375);
        // An edit while the picture is held back is laid out: the window never waits for it.
        name(main, img, QStringLiteral(" 送料無料"));
        QVERIFY(!live->Current());
        QVERIFY(QTest::qWaitFor([&] { return live->Current(); }, kWaitMs));
        QCOMPARE(server.Held(), 1);
        QCOMPARE(live->PageWidth(), 375);

        server.Release();
        QVERIFY(QTest::qWaitFor([&] { return live->PageWidth() > 1200; }, kWaitMs));
        const QString lines = CheckLines(main);
        QVERIFY2(lines.contains(QString::number(live->PageWidth()) + " px"), qPrintable(lines));
        QCOMPARE(server.Requests("/photo.png"), 1);
    }

    // A layout made on the page thread reaches its view after a while: a picture that came in
    // between changed nothing the view was following yet, and still brings it up to date.
    void aPictureThatCameBeforeItsLayoutWasShownIsNotMissed() {
        fixture->start();
        QVERIFY(store());
        PictureServer server(&certificate);
        server.Route("/early.png", {200, Png(30, 30, Qt::darkGreen), true});
        const std::string html = "<IMG SRC=\"" + server.Url("/early.png").toStdString() + "\">";
        quorvel::page::PageLayout layout;
        layout.Layout(html, 375);
        QVERIFY(QTest::qWaitFor([&] { return server.Held() == 1; }, kWaitMs));
        server.Release();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return store()->Find(server.Url("/early.png")).state ==
                       quorvel::page::PictureState::Loaded;
            },
            kWaitMs));
        int calls = 0;
        ui::PictureFollower follower(nullptr, nullptr, [&] { ++calls; });
        follower.Follow(layout);
        QVERIFY(QTest::qWaitFor([&] { return calls == 1; }, kWaitMs));
        // Laid out again with it, there is nothing more to follow.
        layout.Layout(html, 375);
        follower.Follow(layout);
        QCoreApplication::processEvents();
        QCOMPARE(calls, 1);
    }

    // A picture the store let go of for a later page is no news: a page of more pictures than
    // the store keeps would otherwise be laid out, and its pictures fetched, round and round.
    void aPictureLetGoForALaterPageIsNoNews() {
        fixture->start();
        QVERIFY(store());
        PictureServer server(&certificate);
        const QByteArray tiny = Png(2, 2, Qt::darkGreen);
        server.Route("/first.png", {200, tiny});
        const QString first = server.Url("/first.png");
        const auto stateOf = [&](const QString& url) { return store()->Find(url).state; };
        const std::string html = "<IMG SRC=\"" + first.toStdString() + "\">";
        quorvel::page::PageLayout layout;
        layout.Layout(html, 375);
        QVERIFY(QTest::qWaitFor(
            [&] { return stateOf(first) == quorvel::page::PictureState::Loaded; }, kWaitMs));
        layout.Layout(html, 375);  // laid out with it
        std::vector<std::string> later;
        for (int i = 0; i < quorvel::page::PagePictures::kCacheCount; ++i) {
            const QString name = QStringLiteral("/later%1.png").arg(i);
            server.Route(name, {200, tiny});
            store()->Want(server.Url(name));
            later.push_back(server.Url(name).toStdString());
        }
        store()->PageNeeds(later);
        QVERIFY(QTest::qWaitFor(
            [&] { return stateOf(first) == quorvel::page::PictureState::Unknown; }, kWaitMs));
        int calls = 0;
        ui::PictureFollower follower(nullptr, nullptr, [&] { ++calls; });
        follower.Follow(layout);
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
    }

    // A picture that cannot be loaded is the check's note where the page's width needed its
    // size, and not where the IMG gives both.
    void theCheckNamesAPictureThatCouldNotBeLoaded() {
        TFormMain& main = fixture->start();
        PictureServer server(&certificate);
        const struct {
            QString size;
            bool noted;
        } cases[] = {{QString(), true}, {QStringLiteral(" WIDTH=\"50\" HEIGHT=\"20\""), false}};
        for (const auto& c : cases) {
            const QString url = server.Url("/gone" + QString::number(c.noted) + ".png");
            name(main, QStringLiteral("<IMG SRC=\"%1\"%2>").arg(url, c.size));
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return store() &&
                           store()->Find(url).state == quorvel::page::PictureState::Failed;
                },
                kWaitMs));
            const QString lines = CheckLines(main);
            QVERIFY2(lines.contains(QStringLiteral("読み込めない画像")) == c.noted,
                     qPrintable(lines));
        }
    }
};

QUORVEL_UI_TEST_MAIN(TestLiveViewPictures)
#include "test_live_view_pictures.moc"
