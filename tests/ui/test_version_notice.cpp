#include <QtTest>

#include "../core/test_http_server.h"
#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "dialogs/Unitnewver.h"
#include "platform/Sjis.h"
#include "update/VersionCheck.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

// The running editor against a version file served on 127.0.0.1.
class VersionNoticeTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void aNewerReleaseIsAnnouncedOnceThenTheCheckStops() {
        httptest::LoopbackServer server(
            1, httptest::Fixed("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n173\r\n" +
                               quorvel::sjis::FromUtf8("新しい版です").bytes + "\r\n"));
        TFormMain& main = fixture->start();
        QString shown;
        fixture->dialogs.modalScripts.push_back([&](QDialog& dialog) {
            shown = dialog.findChild<QPlainTextEdit*>("MemoInfo")->toPlainText();
            return int(QDialog::Accepted);
        });
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        for (int tick = 0; tick < 6; ++tick) main.Timer1Timer();
        QCOMPARE(fixture->dialogs.modalShown, std::vector<QString>{"NewVerForm"});
        QVERIFY(shown.startsWith(QStringLiteral("173\n")));
        QVERIFY(shown.contains(QStringLiteral("新しい版です")));
        QCOMPARE(main.VersionCheck()->VersionCheckState, -1);
        QVERIFY(!main.Timer1()->isActive());
        const auto requests = server.requests();
        QCOMPARE(int(requests.size()), 1);
        QVERIFY(requests[0].rfind("GET /app/QvlVer.txt HTTP/1.0\r\n", 0) == 0);
        QVERIFY(fixture->dialogs.messages.empty());
    }

    void theRunningReleaseShowsNothing() {
        httptest::LoopbackServer server(1, httptest::Fixed("HTTP/1.0 200 OK\r\n\r\n172\r\n"));
        TFormMain& main = fixture->start();
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        for (int tick = 0; tick < 6; ++tick) main.Timer1Timer();
        QVERIFY(fixture->dialogs.modalShown.empty());
        QCOMPARE(main.VersionCheck()->VersionCheckState, -1);
    }

    void aSilentServerChangesNothingTheUserSees() {
        // Accepts, reads the request and never answers until it ends by itself.
        httptest::LoopbackServer server(1, [](int, int, const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        });
        TFormMain& main = fixture->start();
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        for (int tick = 0; tick < 4; ++tick) main.Timer1Timer();
        QVERIFY(fixture->dialogs.modalShown.empty());
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(main.VersionCheck()->VersionCheckState != -1);
    }

    void closingTheWindowEndsARequestInFlightQuietly() {
        // Holds the request for three seconds before it ends by itself.
        httptest::LoopbackServer server(1, [](int, int, const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(3000));
        });
        TFormMain& main = fixture->start();
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        QElapsedTimer waited;
        waited.start();
        // The client keeps the window's events flowing while it waits, so the close comes in
        // during the request.
        qint64 closedAt = -1;
        QTimer::singleShot(200, &main, [&main, &waited, &closedAt] {
            closedAt = waited.elapsed();
            main.close();
        });
        for (int tick = 0; tick < 4 && main.isVisible(); ++tick) main.Timer1Timer();
        QVERIFY(!main.isVisible());
        QVERIFY(closedAt >= 0);
        // The request ends at once, so a process would end within half a second of the close.
        QVERIFY2(waited.elapsed() - closedAt < 500,
                 qPrintable(QString::number(waited.elapsed() - closedAt)));
        QVERIFY(!main.Timer1()->isActive());
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(fixture->dialogs.modalShown.empty());
    }

    void withoutAHostNothingIsEverAsked() {
        TFormMain& main = fixture->start();
        main.StartVersionCheck(std::string(), [] { return true; });
        for (int tick = 0; tick < 30; ++tick) main.Timer1Timer();
        QVERIFY(fixture->dialogs.modalShown.empty());
        QVERIFY(main.Timer1()->isActive());
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(VersionNoticeTest)
#include "test_version_notice.moc"
