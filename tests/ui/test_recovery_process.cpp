#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "panes/CellEdit.h"
#include "store/DataFile.h"
#include "store/RecoveryStore.h"
#include "ui/SjisText.h"

// A real editor killed after typing loses nothing: the next start gets the typed text back under
// the file's name.
class RecoveryProcessTest : public QObject {
    Q_OBJECT
  private slots:
    void aKilledEditorsTypingComesBackAtTheNextStart() {
        QTemporaryDir home;
        const QString folder = home.filePath("recovery");
        const QString path = home.filePath("bag.qvl");
        const QString typed = QStringLiteral("ｸﾞｯﾁの鞄 ①");
        quorvel::TDescriptionSheet empty;
        empty.ResetSheet();
        QVERIFY(!quorvel::SaveDataFile(empty, QFile::encodeName(path).toStdString()));
        const QByteArray savedBytes = fileBytes(path);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", home.filePath("run"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("TMPDIR", home.path());
        environment.insert("QUORVEL_RECOVERY_DIR", folder);
        environment.insert("QUORVEL_TEST_TYPE_TITLE", typed);

        QProcess editor;
        editor.setProcessEnvironment(environment);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QStringLiteral(QUORVEL_EXE), {path});
        QVERIFY(editor.waitForStarted(5000));
        const auto copies = [&] {
            return QDir(folder).entryList({QStringLiteral("*.qvr")}, QDir::Files);
        };
        // The real write delay; the copy is whole once there (written by rename).
        QTRY_COMPARE_WITH_TIMEOUT(copies().size(), 1, 60000);
        QCOMPARE(editor.state(), QProcess::Running);
        editor.kill();  // SIGKILL: nothing of the editor's own ending runs
        QVERIFY(editor.waitForFinished(5000));
        QCOMPARE(editor.exitStatus(), QProcess::CrashExit);

        {
            quorvel::RecoveryStore store(QFile::encodeName(folder).toStdString());
            auto orphans = store.ListOrphans();
            QCOMPARE(int(orphans.size()), 1);
            const auto recovered = store.Read(orphans[0]);
            QVERIFY(recovered);
            QCOMPARE(ui::fromSjis(recovered->sheet.Title.Text), typed);
            QCOMPARE(QFile::decodeName(recovered->fileName.c_str()), path);
        }
        QCOMPARE(fileBytes(path), savedBytes);  // the user's file untouched

        // The next start, with the offer answered Yes.
        qputenv("QUORVEL_RECOVERY_DIR", QFile::encodeName(folder));
        auto fixture = std::make_unique<MainWindowFixture>();
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        TFormMain& main = fixture->start();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("復元確認"));
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - bag"));
        QCOMPARE(fixture->find<TCellEdit>("MemoTytle")->toPlainText(), typed);
        QVERIFY(main.AnyCellModified());

        // Closing without saving gives the work up for good.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.close());
        fixture.reset();
        quorvel::RecoveryStore later(QFile::encodeName(folder).toStdString());
        QVERIFY(later.ListOrphans().empty());
    }

  private:
    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

QUORVEL_UI_TEST_MAIN(RecoveryProcessTest)
#include "test_recovery_process.moc"
