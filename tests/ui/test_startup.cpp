#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "UiTestEnvironment.h"
#include "platform/FileKeyStore.h"
#include "store/Settings.h"

// Real editor processes sharing one runtime folder and one settings folder.
class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        homeDir = std::make_unique<QTemporaryDir>();
        QTemporaryDir& home = *homeDir;
        QVERIFY(home.isValid());
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", home.filePath("run"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("TMPDIR", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QDir().mkpath(home.filePath("run"));
        QFile::setPermissions(home.filePath("run"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
    }

    void secondInstanceIsRefusedSilently() {
        std::unique_ptr<QProcess> first = start();
        QTest::qWait(1500);
        QCOMPARE(first->state(), QProcess::Running);
        std::unique_ptr<QProcess> second = start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        stop(*first);
    }

    void secondInstanceRunsWhenTheStoredToggleAllowsIt() {
        quorvel::FileKeyStore store(std::string(),
                                    homeDir->filePath("config/Merrow").toStdString());
        quorvel::SettingsSnapshot snapshot;
        snapshot.SpeedButtonMultiple = true;
        QVERIFY(quorvel::WriteSettings(store, snapshot));
        std::unique_ptr<QProcess> first = start();
        QTest::qWait(1500);
        std::unique_ptr<QProcess> second = start();
        QVERIFY(!second->waitForFinished(2500));
        QCOMPARE(second->state(), QProcess::Running);
        stop(*second);
        stop(*first);
    }

    void aDeadInstanceDoesNotBlockTheNext() {
        std::unique_ptr<QProcess> first = start();
        QTest::qWait(1500);
        first->kill();
        first->waitForFinished(5000);
        std::unique_ptr<QProcess> next = start();
        QVERIFY(!next->waitForFinished(2500));
        stop(*next);
    }

  private:
    std::unique_ptr<QProcess> start() {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(QUORVEL_EXE), {});
        if (!process->waitForStarted(5000)) qWarning("editor did not start");
        return process;
    }
    static void stop(QProcess& process) {
        process.kill();
        process.waitForFinished(5000);
    }

    std::unique_ptr<QTemporaryDir> homeDir;
    QProcessEnvironment environment;
};

QUORVEL_UI_TEST_MAIN(StartupTest)
#include "test_startup.moc"
