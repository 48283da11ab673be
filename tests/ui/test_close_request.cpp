#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

#include "UiTestEnvironment.h"
#include "editor/CloseWithBoxes.h"

#ifdef _WIN32
#include <windows.h>
#elif defined(QUORVEL_HAVE_XCB)
#include "X11Atoms.h"

#include <cstdlib>
#include <cstring>
#endif

namespace {

// Only a hung window system or event loop waits this long.
constexpr int kCeilingMs = 60000;

class CountingWindow : public QWidget {
  public:
    int closes = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

// The messages the test sends: a close request, one that is none, and the test's own marker.
enum class Sent { Close, Other, Mark };

#ifdef _WIN32
#define QUORVEL_NATIVE_CLOSE 1
constexpr WPARAM kOther = 0x5155, kMark = 0x4d4b;
// What the desktop sends when the close box or the task bar's close is used.
void sendClose(const QWidget& target) {
    PostMessageW(reinterpret_cast<HWND>(target.winId()), WM_CLOSE, 0, 0);
}
void sendOther(const QWidget& target) {
    PostMessageW(reinterpret_cast<HWND>(target.winId()), WM_NULL, kOther, 0);
}
void sendMark(const QWidget& target) {
    PostMessageW(reinterpret_cast<HWND>(target.winId()), WM_NULL, kMark, 0);
}
std::optional<Sent> sentKind(const QByteArray& type, void* message) {
    // The window procedure's view: each message once.
    if (type != "windows_generic_MSG") return std::nullopt;
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_CLOSE) return Sent::Close;
    if (msg->message == WM_NULL && msg->wParam == kOther) return Sent::Other;
    if (msg->message == WM_NULL && msg->wParam == kMark) return Sent::Mark;
    return std::nullopt;
}
#elif defined(QUORVEL_HAVE_XCB)
#define QUORVEL_NATIVE_CLOSE 1

// A client message to the window, delivered to the program that made it: what a window manager
// sends when the close box or the task bar's close is used is a WM_PROTOCOLS one.
void sendMessage(const QWidget& target, xcb_atom_t type, xcb_atom_t data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(target.winId());
    event.type = type;
    event.data.data32[0] = data;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection(), 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection());
}
void sendClose(const QWidget& target) {
    sendMessage(target, atomNamed("WM_PROTOCOLS"), atomNamed("WM_DELETE_WINDOW"));
}
void sendOther(const QWidget& target) {
    sendMessage(target, atomNamed("WM_PROTOCOLS"), atomNamed("WM_TAKE_FOCUS"));
}
void sendMark(const QWidget& target) {
    sendMessage(target, atomNamed("QUORVEL_TEST_MARK"), 0);
}
std::optional<Sent> sentKind(const QByteArray& type, void* message) {
    if (type != "xcb_generic_event_t") return std::nullopt;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return std::nullopt;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type == atomNamed("QUORVEL_TEST_MARK")) return Sent::Mark;
    if (client->type != atomNamed("WM_PROTOCOLS")) return std::nullopt;
    if (client->data.data32[0] == atomNamed("WM_DELETE_WINDOW")) return Sent::Close;
    if (client->data.data32[0] == atomNamed("WM_TAKE_FOCUS")) return Sent::Other;
    return std::nullopt;
}
#endif

#ifdef QUORVEL_NATIVE_CLOSE
// Sees the test's messages as the window system delivers them, before the code under test does
// (the filter installed last is asked first), and keeps the marker to itself.
class Witness final : public QAbstractNativeEventFilter {
  public:
    Witness() { qApp->installNativeEventFilter(this); }
    ~Witness() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        const std::optional<Sent> kind = sentKind(type, message);
        if (!kind) return false;
        if (*kind == Sent::Mark) {
            ++marks;
            return true;
        }
        if (onSeen) onSeen(*kind);
        return false;
    }

    int marks = 0;
    std::function<void(Sent)> onSeen;
};
#endif

// How a box opened over the window ended, with a message sent to the window or the box.
struct BoxRun {
    bool shown = false;      // the box came up, so the message was sent
    bool delivered = false;  // the message reached this program
    bool openAfterMessage = false;
    bool hung = false;  // ended by the test's ceiling
    int windowClosesWhileOpen = 0;
};

}  // namespace

// The desktop's close request as the window system really delivers it (an X11 client message, a
// Windows WM_CLOSE) while a box is open over the main window.
class CloseRequestTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // The test command runs this under xvfb-run on Linux and with the Windows platform under
        // wine: anything else means its cases cannot run, which is a failure, not a skip.
        const QString platform = QGuiApplication::platformName();
        if (platform != QLatin1String("xcb") && platform != QLatin1String("windows"))
            QFAIL(qPrintable("needs a desktop's windows, not the platform " + platform));
#ifndef QUORVEL_NATIVE_CLOSE
        QFAIL("built without a way to send the desktop's close messages (xcb headers missing)");
#endif
    }

#ifdef QUORVEL_NATIVE_CLOSE
    void init() {
        window = std::make_unique<CountingWindow>();
        window->resize(400, 300);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get(), kCeilingMs));
        closing = std::make_unique<TCloseWithBoxes>(*window);
        witness = std::make_unique<Witness>();
    }
    void cleanup() {
        witness.reset();
        closing.reset();
        window.reset();
    }

    void closeDismissesAnOkOnlyBoxThenClosesOnce() {
        const BoxRun run = runBox(QMessageBox::Ok, window.get(), sendClose, Sent::Close);
        verifySent(run);
        QVERIFY(!run.openAfterMessage);
        // The box's own loop ends before the window's close runs.
        QCOMPARE(run.windowClosesWhileOpen, 0);
        QTRY_COMPARE_WITH_TIMEOUT(window->closes, 1, kCeilingMs);
        QVERIFY(settle());
        QCOMPARE(window->closes, 1);
        QVERIFY(!window->isVisible());
    }

    void closeLeavesAQuestionOpenAndTheWindowWaiting() {
        const BoxRun run =
            runBox(QMessageBox::Yes | QMessageBox::No, window.get(), sendClose, Sent::Close);
        verifySent(run);
        QVERIFY(run.openAfterMessage);
        QVERIFY(settle());
        QCOMPARE(window->closes, 0);
        QVERIFY(window->isVisible());
    }

    void otherMessagesDoNotDismiss() {
        const BoxRun run = runBox(QMessageBox::Ok, window.get(), sendOther, Sent::Other);
        verifySent(run);
        QVERIFY(run.openAfterMessage);
        QVERIFY(settle());
        QCOMPARE(window->closes, 0);
    }

    void closingTheBoxItselfLeavesTheWindowOpen() {
        const BoxRun run = runBox(QMessageBox::Ok, nullptr, sendClose, Sent::Close);
        verifySent(run);
        QVERIFY(!run.openAfterMessage);
        QVERIFY(settle());
        QCOMPARE(window->closes, 0);
        QVERIFY(window->isVisible());
    }

    void withoutABoxTheWindowClosesOnce() {
        sendClose(*window);
        QTRY_COMPARE_WITH_TIMEOUT(window->closes, 1, kCeilingMs);
        QVERIFY(settle());
        QCOMPARE(window->closes, 1);
    }
#endif

  private:
#ifdef QUORVEL_NATIVE_CLOSE
    static void verifySent(const BoxRun& run) {
        QVERIFY2(run.shown, "the box never came up, so nothing was sent");
        QVERIFY2(run.delivered, "the message never arrived");
        QVERIFY(!run.hung);
    }

    // Opens a box over the window and, once it is up, sends a message to `target` (the window,
    // or the box when null). Once the message has been handled, a box still open is closed by
    // the test and counted as left open.
    BoxRun runBox(QMessageBox::StandardButtons buttons, QWidget* target,
                  void (*send)(const QWidget&), Sent kind) {
        BoxRun run;
        QMessageBox box(QMessageBox::Information, "Quorvel", "確認", buttons, window.get());
        witness->onSeen = [&](Sent seen) {
            if (seen != kind || run.delivered) return;
            run.delivered = true;
            afterHandling(&box, [&] {
                run.openAfterMessage = box.isVisible();
                if (run.openAfterMessage) box.done(QMessageBox::Cancel);
            });
        };
        QTimer::singleShot(0, &box, [&] {
            run.shown = QTest::qWaitForWindowExposed(&box, kCeilingMs);
            if (run.shown)
                send(target ? *target : box);
            else
                box.done(QMessageBox::Cancel);
        });
        QTimer::singleShot(kCeilingMs, &box, [&] {
            run.hung = true;
            box.done(QMessageBox::Cancel);
        });
        box.exec();
        witness->onSeen = nullptr;
        run.windowClosesWhileOpen = window->closes;
        return run;
    }

    // Waits until everything the window system delivered before now has been handled, and what
    // that handling queued: a marker sent now arrives after it, and a call queued once the
    // marker is in runs after theirs.
    bool settle() {
        const int marks = witness->marks;
        sendMark(*window);
        if (!QTest::qWaitFor([&] { return witness->marks > marks; }, kCeilingMs)) return false;
        auto ran = std::make_shared<bool>(false);
        afterHandling(qApp, [ran] { *ran = true; });
        return QTest::qWaitFor([ran] { return *ran; }, kCeilingMs);
    }

    // Runs `then` once the native message being delivered now has been handled, and what Qt
    // queued for it: the window system's events (a close request among them) are queued and
    // sent after posted calls on Windows, so the call handles them itself first.
    template <typename Then>
    static void afterHandling(QObject* context, Then then) {
        QMetaObject::invokeMethod(
            context,
            [then] {
                QCoreApplication::processEvents();
                then();
            },
            Qt::QueuedConnection);
    }

    std::unique_ptr<Witness> witness;
#endif

    std::unique_ptr<CountingWindow> window;
    std::unique_ptr<TCloseWithBoxes> closing;
};

QUORVEL_UI_DESKTOP_TEST_MAIN(CloseRequestTest)
#include "test_close_request.moc"
