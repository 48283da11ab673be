#include <QtTest>

#include "../core/test_http_server.h"
#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/Unitnewver.h"
#include "panes/CellEdit.h"
#include "platform/Sjis.h"
#include "update/VersionCheck.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <condition_variable>
#include <mutex>

using namespace std::chrono_literals;

namespace {
// Only a hung window or server waits this long; the servers are made before the editor starts,
// which can take a while on a loaded machine.
constexpr int kCeilingMs = 60000;
constexpr auto kServerLife = 60s;
}  // namespace

// The running editor against a version file served on 127.0.0.1.
class VersionNoticeTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() {
        fixture.reset();
        server.reset();
    }

    void aNewerReleaseIsAnnouncedOnceThenTheCheckStops() {
        httptest::LoopbackServer server(
            1,
            httptest::Fixed("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n173\r\n" +
                            quorvel::sjis::FromUtf8("新しい版です").bytes + "\r\n"),
            kServerLife);
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
        httptest::LoopbackServer server(1, httptest::Fixed("HTTP/1.0 200 OK\r\n\r\n172\r\n"),
                                        kServerLife);
        TFormMain& main = fixture->start();
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        for (int tick = 0; tick < 6; ++tick) main.Timer1Timer();
        QVERIFY(fixture->dialogs.modalShown.empty());
        QCOMPARE(main.VersionCheck()->VersionCheckState, -1);
    }

    void aSilentServerChangesNothingTheUserSees() {
        // Accepts, reads the request and never answers until it ends by itself.
        httptest::LoopbackServer server(
            1, [](int, int, const std::string&) { std::this_thread::sleep_for(300ms); },
            kServerLife);
        TFormMain& main = fixture->start();
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        for (int tick = 0; tick < 4; ++tick) main.Timer1Timer();
        QVERIFY(fixture->dialogs.modalShown.empty());
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(main.VersionCheck()->VersionCheckState != -1);
    }

    void closingTheWindowEndsARequestInFlightQuietly() {
        TFormMain* window = nullptr;
        // Holds the request until the test lets go, closing the window once it has it. The
        // hold's own end comes before the client's twenty-second limit, so a request the close
        // did not end is seen ending by the server instead.
        std::mutex mutex;
        std::condition_variable released;
        bool letGo = false, heldToTheEnd = false;
        httptest::LoopbackServer server(
            1,
            [&](int, int, const std::string&) {
                QMetaObject::invokeMethod(
                    window, [&] { window->close(); }, Qt::QueuedConnection);
                std::unique_lock lock(mutex);
                heldToTheEnd = !released.wait_for(lock, 15s, [&] { return letGo; });
            },
            kServerLife);
        TFormMain& main = fixture->start();
        window = &main;
        main.StartVersionCheck("127.0.0.1:" + std::to_string(server.port()), [] { return true; });
        // The client keeps the window's events flowing while it waits, so the close comes in
        // during the request.
        for (int tick = 0; tick < 4 && main.isVisible(); ++tick) main.Timer1Timer();
        {
            std::lock_guard lock(mutex);
            QVERIFY2(!heldToTheEnd, "the request went on after the window closed");
            letGo = true;
        }
        released.notify_all();
        server.Join();
        QVERIFY(!main.isVisible());
        QCOMPARE(int(server.requests().size()), 1);
        QVERIFY(!main.Timer1()->isActive());
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(fixture->dialogs.modalShown.empty());
    }

    // The desktop closes the main window while the notice is up: the notice goes, then the
    // close runs as usual with its save question.
    void closingWithTheNoticeOpenClosesItThenAsksAboutUnsavedWork() {
        const std::string host = startNewerRelease();
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("未保存"));
        fixture->dialogs.messageAnswers = {QMessageBox::Cancel, QMessageBox::No};
        NoticeRun run = showNoticeAndCloseTheWindow(main, host);
        QVERIFY(run.closeTaken);
        QCOMPARE(run.result, int(QDialog::Rejected));
        QCOMPARE(run.questionsWhileOpen, std::size_t(0));
        QVERIFY(!fixture->windows->Notice().isVisible());

        // Cancelled: the window stays, with its work, and the notice does not come back.
        QTRY_COMPARE_WITH_TIMEOUT(fixture->dialogs.messages.size(), std::size_t(1), 60000);
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("終了確認"));
        QCOMPARE(fixture->dialogs.messages[0].buttons,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QVERIFY(main.isVisible());
        QVERIFY(main.AnyCellModified());
        main.Timer1Timer();
        QCOMPARE(main.VersionCheck()->VersionCheckState, -1);
        QCOMPARE(fixture->dialogs.modalShown, std::vector<QString>{"NewVerForm"});

        // Closed again and the work discarded: the window goes.
        QVERIFY(main.close());
        QCOMPARE(fixture->dialogs.messages.size(), std::size_t(2));
        QVERIFY(!main.isVisible());
    }

    void closingWithTheNoticeOverAnUnchangedSheetEndsWithoutAQuestion() {
        const std::string host = startNewerRelease();
        TFormMain& main = fixture->start();
        NoticeRun run = showNoticeAndCloseTheWindow(main, host);
        QVERIFY(run.closeTaken);
        QTRY_VERIFY_WITH_TIMEOUT(!main.isVisible(), 60000);
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(!main.Timer1()->isActive());
    }

    // Esc dismisses the notice wherever its focus is, also after a click on the link.
    void escapeDismissesTheNoticeFromEveryControl() {
        const std::string host = startNewerRelease(5);
        TFormMain& main = fixture->start();
        uitest::RecordingUrlOpener opener;
        TNewVerForm& notice = fixture->windows->Notice();
        const std::vector<std::function<void()>> before{
            [] {},
            [&] { notice.MemoInfo->setFocus(Qt::MouseFocusReason); },
            [&] {
                notice.MemoInfo->setFocus(Qt::MouseFocusReason);
                notice.MemoInfo->selectAll();
            },
            [&] { notice.Button1->setFocus(Qt::TabFocusReason); },
            [&] { QTest::mouseClick(notice.Label6, Qt::LeftButton); },
        };
        for (std::size_t i = 0; i < before.size(); ++i) {
            int result = -1;
            bool active = false;
            QWidget* focused = nullptr;
            fixture->dialogs.modalScripts.push_back([&](QDialog& dialog) {
                dialog.hide();
                QTimer::singleShot(0, &dialog, [&] {
                    // The keyboard comes to the notice by itself, not left on the main window.
                    active = QTest::qWaitFor(
                        [&] { return QApplication::activeWindow() == &notice; }, kCeilingMs);
                    before[i]();
                    focused = QApplication::focusWidget();
                    QTest::keyClick(focused ? focused : &dialog, Qt::Key_Escape);
                });
                result = execWithTimeOut(dialog);
                return result;
            });
            fixture->dialogs.modalShown.clear();
            main.StartVersionCheck(host, [] { return true; });
            for (int tick = 0; tick < 5 && fixture->dialogs.modalShown.empty(); ++tick)
                main.Timer1Timer();
            QCOMPARE(fixture->dialogs.modalShown, std::vector<QString>{"NewVerForm"});
            QVERIFY2(result == QDialog::Rejected,
                     qPrintable(QStringLiteral("case %1: focus on %2")
                                    .arg(i)
                                    .arg(focused ? focused->objectName() : QString())));
            QVERIFY(active);
            QVERIFY(focused && notice.isAncestorOf(focused));
        }
        QCOMPARE(opener.opened.size(), 1);
        QVERIFY(main.isVisible());
    }

    void withoutAHostNothingIsEverAsked() {
        TFormMain& main = fixture->start();
        main.StartVersionCheck(std::string(), [] { return true; });
        for (int tick = 0; tick < 30; ++tick) main.Timer1Timer();
        QVERIFY(fixture->dialogs.modalShown.empty());
        QVERIFY(main.Timer1()->isActive());
    }

  private:
    struct NoticeRun {
        bool closeTaken = false;
        int result = -1;
        std::size_t questionsWhileOpen = 0;
    };

    // Runs the dialog modally; a result of 42 tells that it hung and had to be ended.
    static int execWithTimeOut(QDialog& dialog) {
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &dialog, [&dialog] { dialog.done(42); });
        limit.start(kCeilingMs);
        return dialog.exec();
    }

    // A server announcing release 173 to as many requests as the case makes.
    std::string startNewerRelease(int requests = 1) {
        server = std::make_unique<httptest::LoopbackServer>(
            requests, httptest::Fixed("HTTP/1.0 200 OK\r\n\r\n173\r\n"), kServerLife);
        return "127.0.0.1:" + std::to_string(server->port());
    }

    // Runs the check until the notice is open for real, and asks for the window's close from
    // the desktop while it is.
    NoticeRun showNoticeAndCloseTheWindow(TFormMain& main, const std::string& host) {
        NoticeRun run;
        fixture->dialogs.modalScripts.push_back([this, &run](QDialog& dialog) {
            dialog.hide();
            QTimer::singleShot(0, &dialog, [this, &run] {
                run.closeTaken = fixture->windows->closing->CloseRequested();
            });
            run.result = execWithTimeOut(dialog);
            run.questionsWhileOpen = fixture->dialogs.messages.size();
            return run.result;
        });
        main.StartVersionCheck(host, [] { return true; });
        for (int tick = 0; tick < 5 && fixture->dialogs.modalShown.empty(); ++tick)
            main.Timer1Timer();
        return run;
    }

    std::unique_ptr<httptest::LoopbackServer> server;
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(VersionNoticeTest)
#include "test_version_notice.moc"
