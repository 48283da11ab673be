#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "UiTestEnvironment.h"
#include "editor/CloseWithBoxes.h"

#ifdef _WIN32
#include <windows.h>
#elif defined(QUORVEL_HAVE_XCB)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

class CountingWindow : public QWidget {
  public:
    int closes = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

#ifdef _WIN32
#define QUORVEL_NATIVE_CLOSE 1
// What the desktop sends when the close box or the task bar's close is used.
void sendClose(const QWidget& target) {
    PostMessageW(reinterpret_cast<HWND>(target.winId()), WM_CLOSE, 0, 0);
}
// A message that is no close request.
void sendOther(const QWidget& target) {
    PostMessageW(reinterpret_cast<HWND>(target.winId()), WM_NULL, 0, 0);
}
#elif defined(QUORVEL_HAVE_XCB)
#define QUORVEL_NATIVE_CLOSE 1
xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// What a window manager sends when the close box or the task bar's close is used: a
// WM_PROTOCOLS client message to the window, delivered to the program that made it.
void sendProtocol(const QWidget& target, const char* protocol) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(target.winId());
    event.type = atomNamed(connection, "WM_PROTOCOLS");
    event.data.data32[0] = atomNamed(connection, protocol);
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}
void sendClose(const QWidget& target) {
    sendProtocol(target, "WM_DELETE_WINDOW");
}
void sendOther(const QWidget& target) {
    sendProtocol(target, "WM_TAKE_FOCUS");
}
#endif

// How a box opened over the window ended while a message was sent to one of the two.
struct BoxRun {
    bool dismissedByTimeOut = false;
    int windowClosesWhileOpen = 0;
};

}  // namespace

// The desktop's close request as the window system really delivers it (an X11 client message, a
// Windows WM_CLOSE) while a box is open over the main window.
class CloseRequestTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        const QString platform = QGuiApplication::platformName();
        if (platform != QLatin1String("xcb") && platform != QLatin1String("windows"))
            QSKIP("needs a desktop's windows (the test command runs it under xvfb-run)");
    }

    void init() {
        window = std::make_unique<CountingWindow>();
        window->resize(400, 300);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        closing = std::make_unique<TCloseWithBoxes>(*window);
    }
    void cleanup() {
        closing.reset();
        window.reset();
    }

#ifdef QUORVEL_NATIVE_CLOSE
    void closeDismissesAnOkOnlyBoxThenClosesOnce() {
        const BoxRun run = runBox(QMessageBox::Ok, window.get(), sendClose);
        QVERIFY(!run.dismissedByTimeOut);
        // The box's own loop ends before the window's close runs.
        QCOMPARE(run.windowClosesWhileOpen, 0);
        QTRY_COMPARE(window->closes, 1);
        QTest::qWait(100);
        QCOMPARE(window->closes, 1);
        QVERIFY(!window->isVisible());
    }

    void closeLeavesAQuestionOpenAndTheWindowWaiting() {
        const BoxRun run = runBox(QMessageBox::Yes | QMessageBox::No, window.get(), sendClose);
        QVERIFY(run.dismissedByTimeOut);
        QCOMPARE(window->closes, 0);
        QVERIFY(window->isVisible());
    }

    void otherMessagesDoNotDismiss() {
        const BoxRun run = runBox(QMessageBox::Ok, window.get(), sendOther);
        QVERIFY(run.dismissedByTimeOut);
        QTest::qWait(100);
        QCOMPARE(window->closes, 0);
    }

    void closingTheBoxItselfLeavesTheWindowOpen() {
        const BoxRun run = runBox(QMessageBox::Ok, nullptr, sendClose);
        QVERIFY(!run.dismissedByTimeOut);
        QTest::qWait(100);
        QCOMPARE(window->closes, 0);
        QVERIFY(window->isVisible());
    }

    void withoutABoxTheWindowClosesOnce() {
        sendClose(*window);
        QTRY_COMPARE(window->closes, 1);
        QTest::qWait(100);
        QCOMPARE(window->closes, 1);
    }
#endif

  private:
#ifdef QUORVEL_NATIVE_CLOSE
    // Opens a box over the window and, once it is up, sends a message to `target` (the window,
    // or the box when null). A box still open after five seconds is closed by the test: long
    // enough for a loaded machine to deliver the message, short enough for the cases that wait.
    BoxRun runBox(QMessageBox::StandardButtons buttons, QWidget* target,
                  void (*send)(const QWidget&)) {
        BoxRun run;
        QMessageBox box(QMessageBox::Information, "Quorvel", "確認", buttons, window.get());
        QTimer::singleShot(0, &box, [&] {
            if (!QTest::qWaitForWindowExposed(&box)) return;
            send(target ? *target : box);
        });
        QTimer::singleShot(5000, &box, [&] {
            run.dismissedByTimeOut = true;
            box.done(QMessageBox::Cancel);
        });
        box.exec();
        run.windowClosesWhileOpen = window->closes;
        return run;
    }
#endif

    std::unique_ptr<CountingWindow> window;
    std::unique_ptr<TCloseWithBoxes> closing;
};

QUORVEL_UI_DESKTOP_TEST_MAIN(CloseRequestTest)
#include "test_close_request.moc"
