#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "UiTestEnvironment.h"
#include "platform/FileKeyStore.h"
#include "store/Settings.h"

namespace {

// A loaded machine may take long to start an editor; only a hung one reaches this.
constexpr int kCeilingMs = 60000;

// Whether anyone holds a lock on the file, asked without taking one: a probe that took the lock
// itself would make a starting editor think another one runs.
bool SomeoneHoldsTheLock(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
#ifdef F_OFD_GETLK
    const bool asked = ::fcntl(fd, F_OFD_GETLK, &probe) == 0;
#else
    const bool asked = ::fcntl(fd, F_GETLK, &probe) == 0;
#endif
    ::close(fd);
    return asked && probe.l_type != F_UNLCK;
}

// Whether the editor got past the single-instance check: only then does it make its
// application, which loads the platform plug-in.
bool PastTheInstanceCheck(const QProcess& process) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process.processId()));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libqoffscreen");
}

}  // namespace

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
        std::unique_ptr<QProcess> first;
        QVERIFY(startAndAwaitTheLock(first));
        std::unique_ptr<QProcess> second;
        QVERIFY(start(second));
        QVERIFY(second->waitForFinished(kCeilingMs));
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
        std::unique_ptr<QProcess> first;
        QVERIFY(startAndAwaitTheLock(first));
        std::unique_ptr<QProcess> second;
        QVERIFY(start(second));
        QVERIFY(awaitPastTheCheck(*second));
        stop(*second);
        stop(*first);
    }

    void aDeadInstanceDoesNotBlockTheNext() {
        std::unique_ptr<QProcess> first;
        QVERIFY(startAndAwaitTheLock(first));
        first->kill();
        QVERIFY(first->waitForFinished(kCeilingMs));
        std::unique_ptr<QProcess> next;
        QVERIFY(start(next));
        QVERIFY(awaitPastTheCheck(*next));
        stop(*next);
    }

  private:
    bool start(std::unique_ptr<QProcess>& process) {
        process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(QUORVEL_EXE), {});
        return process->waitForStarted(kCeilingMs);
    }
    // Started, holding the instance lock and past its own check of it.
    bool startAndAwaitTheLock(std::unique_ptr<QProcess>& process) {
        const QString lock = homeDir->filePath(QStringLiteral("run/Quorvel.lock"));
        return start(process) &&
               QTest::qWaitFor([&] { return SomeoneHoldsTheLock(lock); }, kCeilingMs) &&
               awaitPastTheCheck(*process);
    }
    // A refused editor ends instead: that fails at once rather than at the ceiling.
    static bool awaitPastTheCheck(const QProcess& process) {
        const bool past = QTest::qWaitFor(
            [&] { return process.state() != QProcess::Running || PastTheInstanceCheck(process); },
            kCeilingMs);
        return past && process.state() == QProcess::Running;
    }
    static void stop(QProcess& process) {
        process.kill();
        process.waitForFinished(kCeilingMs);
    }

    std::unique_ptr<QTemporaryDir> homeDir;
    QProcessEnvironment environment;
};

QUORVEL_UI_TEST_MAIN(StartupTest)
#include "test_startup.moc"
