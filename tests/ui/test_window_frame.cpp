#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <memory>

#include "UiTestEnvironment.h"
#include "ui/Placement.h"

#ifdef QUORVEL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

// Only a hung window system waits this long.
constexpr int kCeilingMs = 60000;

#ifdef QUORVEL_HAVE_XCB
// Whether a window manager has taken over the screen: it then names its check window on the
// root window.
bool WindowManagerRuns() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    static constexpr char kName[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
    if (!atom) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    const bool named = property && xcb_get_property_value_length(property) > 0;
    std::free(property);
    std::free(atom);
    return named;
}
#endif

}  // namespace

// A window restored from a stored position lands with its frame, title bar included, on the
// screen, once a real window system has framed it.
class WindowFrameTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // The test command runs this under xvfb-run with openbox installed on Linux, and with the
        // Windows platform under wine: anything less means its cases cannot run, a failure.
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("xcb")) {
#ifndef QUORVEL_HAVE_XCB
            QFAIL("built without the xcb headers needed to see the window manager start");
#else
            // Frames on X11 are the window manager's.
            const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
            if (openbox.isEmpty()) QFAIL("needs openbox to frame the windows (package openbox)");
            manager = std::make_unique<QProcess>();
            manager->start(openbox, {});
            QVERIFY(manager->waitForStarted(kCeilingMs));
            QVERIFY2(QTest::qWaitFor(WindowManagerRuns, kCeilingMs), "openbox never took over");
#endif
        } else if (platform != QLatin1String("windows")) {
            QFAIL(qPrintable("needs a desktop's windows, not the platform " + platform));
        }
    }
    void cleanupTestCase() {
        if (manager) {
            manager->terminate();
            manager->waitForFinished();
        }
    }

    void aWindowAtTheBottomEdgeIsMovedUpByItsFrame_data() {
        QTest::addColumn<bool>("right");
        QTest::newRow("bottom") << false;
        QTest::newRow("bottom right") << true;
    }
    void aWindowAtTheBottomEdgeIsMovedUpByItsFrame() {
        QFETCH(bool, right);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QWidget window;
        window.resize(400, 300);
        // Where the placement before showing leaves it: the inner size just fits.
        window.move(right ? screen.width() - 400 : 100, screen.height() - 300);
        ui::KeepFrameOnScreenWhenShown(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, kCeilingMs));
        QTRY_VERIFY_WITH_TIMEOUT(window.windowHandle()->frameMargins().top() > 0, kCeilingMs);
        QTRY_VERIFY_WITH_TIMEOUT(window.frameGeometry().bottom() < screen.height(), kCeilingMs);
        if (right)
            QTRY_VERIFY_WITH_TIMEOUT(window.frameGeometry().right() < screen.width(), kCeilingMs);
        QCOMPARE(window.size(), QSize(400, 300));
    }

    void aWindowInsideTheScreenStaysWhereItWas() {
        QWidget window;
        window.resize(400, 300);
        window.move(200, 150);
        ui::KeepFrameOnScreenWhenShown(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, kCeilingMs));
        QTRY_VERIFY_WITH_TIMEOUT(window.windowHandle()->frameMargins().top() > 0, kCeilingMs);
        const QPoint framed = window.frameGeometry().topLeft();
        // The placement looks for the frame every 50 ms: a timer due later than its next look
        // fires after it, however loaded the machine.
        QTimer later;
        later.setSingleShot(true);
        later.setTimerType(Qt::PreciseTimer);
        QSignalSpy lookedAgain(&later, &QTimer::timeout);
        later.start(200);
        QVERIFY(lookedAgain.wait(kCeilingMs));
        QCoreApplication::processEvents();
        QCOMPARE(window.frameGeometry().topLeft(), framed);
    }

  private:
    std::unique_ptr<QProcess> manager;
};

QUORVEL_UI_DESKTOP_TEST_MAIN(WindowFrameTest)

#include "test_window_frame.moc"
