#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <memory>

#include "UiTestEnvironment.h"
#include "ui/Placement.h"

// A window restored from a stored position lands with its frame, title bar included, on the
// screen, once a real window system has framed it.
class WindowFrameTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("xcb")) {
            // Frames on X11 are the window manager's.
            const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
            if (openbox.isEmpty()) QSKIP("needs openbox to frame the windows");
            manager = std::make_unique<QProcess>();
            manager->start(openbox, {});
            QVERIFY(manager->waitForStarted());
            QTest::qWait(500);
        } else if (platform != QLatin1String("windows")) {
            QSKIP("needs a desktop's windows (the test command runs it under xvfb-run)");
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
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.windowHandle()->frameMargins().top() > 0);
        QTRY_VERIFY(window.frameGeometry().bottom() < screen.height());
        if (right) QTRY_VERIFY(window.frameGeometry().right() < screen.width());
        QCOMPARE(window.size(), QSize(400, 300));
    }

    void aWindowInsideTheScreenStaysWhereItWas() {
        QWidget window;
        window.resize(400, 300);
        window.move(200, 150);
        ui::KeepFrameOnScreenWhenShown(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.windowHandle()->frameMargins().top() > 0);
        const QPoint framed = window.frameGeometry().topLeft();
        QTest::qWait(1200);
        QCOMPARE(window.frameGeometry().topLeft(), framed);
    }

  private:
    std::unique_ptr<QProcess> manager;
};

QUORVEL_UI_DESKTOP_TEST_MAIN(WindowFrameTest)

#include "test_window_frame.moc"
