#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "editor/DocumentController.h"
#include "editor/RecoveryOffer.h"
#include "followers/RecoveryKeeper.h"
#include "panes/CellEdit.h"
#include "panes/StatusNote.h"
#include "store/DataFile.h"
#include "store/RecoveryStore.h"
#include "ui/Delay.h"
#include "ui/SjisText.h"

namespace {

const QString kOfferCaption = QStringLiteral("復元確認");
constexpr std::chrono::milliseconds kWriteDelay{TRecoveryKeeper::kWriteDelayMs};
constexpr std::chrono::milliseconds kJustShort = kWriteDelay - std::chrono::milliseconds(1);

// A sheet with `title` typed into its title cell, as a dead editor would have left it.
quorvel::TDescriptionSheet sheetTitled(const QString& title) {
    quorvel::TDescriptionSheet sheet;
    sheet.ResetSheet();
    sheet.Title.Text = ui::toSjis(title);
    sheet.Title.Modified = true;
    return sheet;
}

}  // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        clock = std::make_unique<uitest::TestClock>();
        recovery = std::make_unique<QTemporaryDir>();
        qputenv("QUORVEL_RECOVERY_DIR", recovery->path().toLocal8Bit());
        fixture = std::make_unique<MainWindowFixture>();
    }
    void cleanup() {
        fixture.reset();
        recovery.reset();
        clock.reset();
    }

    // ---- the copy follows the typing --------------------------------------------------------

    void aBurstOfTypingGivesOneWriteAfterTheDelay() {
        TFormMain& main = startShort();
        QCOMPARE(main.Recovery()->WriteTimer()->Interval(), kWriteDelay);
        QSignalSpy writes(main.Recovery()->WriteTimer(), &ui::Delay::due);
        TCellEdit* title = fixture->find<TCellEdit>("MemoTytle");
        for (const char* piece : {"ｶ", "メ", "ラ"}) {
            uitest::TypeInto(title, QString::fromUtf8(piece));
            clock->Advance(std::chrono::milliseconds(100));
        }
        QVERIFY(copyFiles().isEmpty());  // nothing per keystroke
        QVERIFY(main.Recovery()->WriteTimer()->IsActive());
        // Counted from the first keystroke, not the last.
        clock->Advance(kWriteDelay - std::chrono::milliseconds(400));
        QVERIFY(copyFiles().isEmpty());
        clock->Advance(std::chrono::milliseconds(100));
        QCOMPARE(copyFiles().size(), 1);
        // Nothing else is on the way: the burst cost one write.
        QVERIFY(!main.Recovery()->WriteTimer()->IsActive());
        clock->Advance(kWriteDelay * 2);
        QCOMPARE(writes.size(), 1);
        const auto copy = readCopy();
        QVERIFY(copy);
        QCOMPARE(ui::fromSjis(copy->sheet.Title.Text), QStringLiteral("ｶメラ"));
        QVERIFY(copy->fileName.empty());
    }

    void steadyTypingIsNotPutOffForEver() {
        startShort();
        // A character every 100 ms for twice the delay: a copy put off while typing goes on would
        // only come after the last character.
        TCellEdit* key = fixture->find<TCellEdit>("MemoKey");
        int typed = 0;
        for (; typed < 2 * kWriteDelay.count() / 100 && copyFiles().isEmpty(); ++typed) {
            uitest::TypeInto(key, QStringLiteral("あ"));
            clock->Advance(std::chrono::milliseconds(100));
        }
        QCOMPARE(typed, kWriteDelay.count() / 100);
    }

    // A write that failed (here: a folder others may write, which is never used) is tried again
    // with the next change once the folder is fit again.
    void aFailedWriteIsTriedAgainWithTheNextChange() {
#ifdef _WIN32
        QSKIP("the refusal made here is of a folder others may write, a POSIX permission check");
#endif
        TFormMain& main = startShort();
        QVERIFY(QFile::setPermissions(recovery->path(), QFile::Permissions(0x7777)));
        QSignalSpy writes(main.Recovery()->WriteTimer(), &ui::Delay::due);
        TCellEdit* title = fixture->find<TCellEdit>("MemoTytle");
        uitest::TypeInto(title, QStringLiteral("鞄"));
        clock->Advance(kWriteDelay);
        QCOMPARE(writes.size(), 1);
        QVERIFY(copyFiles().isEmpty());
        QVERIFY(!main.Recovery()->Store().HasCopy());
        QVERIFY(QFile::setPermissions(recovery->path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        uitest::TypeInto(title, QStringLiteral("靴"));
        clock->Advance(kWriteDelay);
        QCOMPARE(writes.size(), 2);
        QCOMPARE(copyFiles().size(), 1);
        const auto copy = readCopy();
        QVERIFY(copy);
        QCOMPARE(ui::fromSjis(copy->sheet.Title.Text), QStringLiteral("鞄靴"));
    }

    void formatsAloneStartACopyAndTheCopyCarriesThem() {
        TFormMain& main = startShort();
        // A change of presentation is unsaved work too.
        fixture->find<QCheckBox>("CheckBoxKou2")->click();
        QVERIFY(main.Recovery()->WriteTimer()->IsActive());
        clock->Advance(kWriteDelay);
        QCOMPARE(copyFiles().size(), 1);

        uitest::TypeInto(fixture->find<TCellEdit>("Memo2Left"), QStringLiteral("鞄"));
        fixture->find<QCheckBox>("CheckBoxKou3")->click();
        QVERIFY(main.Recovery()->WriteTimer()->IsActive());
        clock->Advance(kWriteDelay);
        QCOMPARE(copyFiles().size(), 1);  // the same copy, written again
        const auto copy = readCopy();
        QVERIFY(copy);
        QVERIFY(!copy->sheet.Rows[1].IncludeItem);
        QVERIFY(!copy->sheet.Rows[2].IncludeItem);
        QCOMPARE(ui::fromSjis(copy->sheet.Rows[1].Item.Text), QStringLiteral("鞄"));
    }

    // ---- saved or discarded: the copy goes --------------------------------------------------

    void savesRemoveTheCopy_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("save") << "save";
        QTest::newRow("save as") << "saveas";
        QTest::newRow("question before a cancelled open") << "question";
    }
    void savesRemoveTheCopy() {
        QFETCH(QString, how);
        TFormMain& main = startShort();
        typeAndWaitForCopy();
        fixture->dialogs.fileAnswers.push_back(fixture->files.filePath("kept.qvl"));
        if (how == "save") main.SpeedButtonSaveClick();
        if (how == "saveas") main.SpeedButtonSaveAsClick();
        if (how == "question") {
            fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
            fixture->dialogs.fileAnswers.push_back(std::nullopt);  // the open dialog
            main.SpeedButtonOpenClick();
        }
        QVERIFY(QFile::exists(fixture->files.filePath("kept.qvl")));
        QVERIFY(copyFiles().isEmpty());
        QVERIFY(!main.Recovery()->Store().HasCopy());
        QCOMPARE(fixture->dialogs.unexpected, 0);
    }

    void aFailedSaveKeepsTheCopy() {
        TFormMain& main = startShort();
        typeAndWaitForCopy();
        fixture->dialogs.fileAnswers.push_back(fixture->files.filePath("missing/dir/x.qvl"));
        main.SpeedButtonSaveClick();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);  // the write error
        QCOMPARE(copyFiles().size(), 1);
    }

    void discardingRemovesTheCopy_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("new, no") << "new";
        QTest::newRow("open") << "open";
        QTest::newRow("drop") << "drop";
        QTest::newRow("close, no") << "close";
    }
    void discardingRemovesTheCopy() {
        QFETCH(QString, how);
        TFormMain& main = startShort();
        const QString other = savedFile("other.qvl");
        typeAndWaitForCopy();
        if (how == "new") {
            fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
            main.SpeedButtonNewClick();
        } else if (how == "open") {
            fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
            fixture->dialogs.fileAnswers.push_back(other);
            main.SpeedButtonOpenClick();
        } else if (how == "drop") {
            fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
            main.FilesDropped({other});
        } else {
            fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
            QVERIFY(main.close());
        }
        QVERIFY(copyFiles().isEmpty());
        QCOMPARE(fixture->dialogs.unexpected, 0);
    }

    void aCancelledCloseKeepsTheCopy() {
        TFormMain& main = startShort();
        typeAndWaitForCopy();
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        QVERIFY(!main.close());
        QCOMPARE(copyFiles().size(), 1);
    }

    void aCleanCloseLeavesNothingToOffer() {
        TFormMain& main = startShort();
        uitest::TypeInto(fixture->find<TCellEdit>("MemoKey"), QStringLiteral("x"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.close());  // before the delay ran out: no late write after the close
        QVERIFY(!main.Recovery()->WriteTimer()->IsActive());
        clock->Advance(kWriteDelay);
        QVERIFY(copyFiles().isEmpty());
        fixture->stop();
        quorvel::RecoveryStore later(recovery->path().toStdString());
        QVERIFY(later.ListOrphans().empty());
    }

    // ---- the offer at start -----------------------------------------------------------------

    void yesRestoresTheSheetUnderItsOldTitle() {
        const QString path = fixture->files.filePath("bag.qvl");
        leaveOrphan(QStringLiteral("ｸﾞｯﾁ 鞄"), path);
        const QString commandLine = savedFile("other.qvl");
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        TFormMain& main = fixture->start({commandLine});
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        const auto& asked = fixture->dialogs.messages[0];
        // Names the work, when it was lost and the file a Yes keeps from being opened.
        QCOMPARE(
            asked.text,
            QStringLiteral("前回保存されずに終了した編集内容があります（ファイル: bag、%1）。"
                           "復元しますか？\n復元すると、指定されたファイル other は開かれません。")
                .arg(orphanTime));
        // Asked over the main window once it is on the screen, so it is centred on it.
        QCOMPARE(asked.parent, static_cast<QWidget*>(&main));
        QVERIFY(asked.parentShown);
        QCOMPARE(asked.caption, kOfferCaption);
        QCOMPARE(asked.icon, QMessageBox::Question);
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(asked.defaultButton, QMessageBox::Yes);

        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - bag"));
        QCOMPARE(main.CurrentFileName(), path);  // not the command line's file
        QCOMPARE(fixture->find<TCellEdit>("MemoTytle")->toPlainText(), QStringLiteral("ｸﾞｯﾁ 鞄"));
        QVERIFY(main.AnyCellModified());
        QVERIFY(!QFile::exists(path));  // the user's file is never written
        QVERIFY(main.Recovery()->Store().HasCopy());
        QCOMPARE(copyFiles().size(), 1);  // adopted, not deleted

        // Unsaved work: closing asks.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        QVERIFY(!main.close());
        QCOMPARE(fixture->dialogs.messages.back().caption, QStringLiteral("終了確認"));
    }

    void anUntitledCopyComesBackUntitled() {
        leaveOrphan(QStringLiteral("無名"), QString());
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        TFormMain& main = fixture->start();
        QCOMPARE(fixture->dialogs.messages.at(0).text,
                 QStringLiteral("前回保存されずに終了した編集内容があります（ファイル: 無題、%1）。"
                                "復元しますか？")
                     .arg(orphanTime));
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
        QVERIFY(main.CurrentFileName().isEmpty());
        QVERIFY(main.AnyCellModified());
    }

    void copiesAreOfferedNewestFirstAndNoDeletesEach() {
        leaveOrphan(QStringLiteral("古い"), QString(), 3600);
        leaveOrphan(QStringLiteral("新しい"), QString());
        const QString commandLine = savedFile("other.qvl");
        fixture->dialogs.messageAnswers = {QMessageBox::No, QMessageBox::No};
        TFormMain& main = fixture->start({commandLine});
        QCOMPARE(int(fixture->dialogs.messages.size()), 2);
        QVERIFY(copyFiles().isEmpty());
        // Nothing taken: the command line opens as usual.
        QCOMPARE(main.CurrentFileName(), commandLine);
        QVERIFY(!main.AnyCellModified());
    }

    void yesToTheNewestLeavesTheOlderForLater() {
        leaveOrphan(QStringLiteral("古い"), QString(), 3600);
        leaveOrphan(QStringLiteral("新しい"), QString());
        fixture->dialogs.messageAnswers = {QMessageBox::Yes};
        TFormMain& main = fixture->start();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->find<TCellEdit>("MemoTytle")->toPlainText(), QStringLiteral("新しい"));
        fixture->stop();  // ends without a close: the adopted copy stays too
        quorvel::RecoveryStore later(recovery->path().toStdString());
        auto orphans = later.ListOrphans();
        QCOMPARE(int(orphans.size()), 2);
        QCOMPARE(ui::fromSjis(later.Read(orphans[1])->sheet.Title.Text), QStringLiteral("古い"));
        Q_UNUSED(main);
    }

    void aDamagedCopyIsMovedAsideWithANote() {
        const QString damaged = recovery->filePath("00000000deadbeef.qvr");
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a recovery copy");
        file.close();
        TFormMain& main = fixture->start();
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(!QFile::exists(damaged));
        const QStringList aside = QDir(recovery->path()).entryList({"*.qvr?*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        TStatusNote* note = main.StatusNote();
        QVERIFY(note->text().contains(aside[0]));
        // A button's hint covers the note only while the pointer rests on the button.
        QStatusTipEvent hint(QStringLiteral("編集中の内容を破棄して新規に作成"));
        QApplication::sendEvent(&main, &hint);
        QVERIFY(!note->isVisibleTo(&main));
        QStatusTipEvent left{QString()};
        QApplication::sendEvent(&main, &left);
        QVERIFY(note->isVisibleTo(&main));
        QVERIFY(note->text().contains(aside[0]));
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
        // Once aside it is never offered nor reported again.
        fixture->stop();
        TFormMain& again = fixture->start();
        QVERIFY(fixture->dialogs.messages.empty());
        QVERIFY(again.StatusNote()->text().isEmpty());
        QVERIFY(!again.StatusNote()->isVisibleTo(&again));
    }

    void anOpenFolderIsRefusedWithANoteAndKeptWhole() {
#ifdef _WIN32
        QSKIP("folder modes are POSIX; on Windows the per-user folder's access list closes it");
#endif
        leaveOrphan(QStringLiteral("他人"), QString());
        QVERIFY(QFile::setPermissions(recovery->path(), QFile::Permissions(0x7777)));
        const QString commandLine = savedFile("other.qvl");
        TFormMain& main = fixture->start({commandLine});
        QVERIFY(fixture->dialogs.messages.empty());
        QCOMPARE(copyFiles().size(), 1);  // nothing deleted either
        QVERIFY(main.StatusNote()->text().contains(QStringLiteral("は使えません")));
        QCOMPARE(main.CurrentFileName(), commandLine);
        // Saving the work puts the note away.
        main.Document()->Save();
        QVERIFY(main.StatusNote()->text().isEmpty());
    }

    void theOfferTellsTheTimeInLocalDigits() {
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 59));
        QCOMPARE(TRecoveryOffer::OfferText(QStringLiteral("/a/b/靴.qvl"), when.toSecsSinceEpoch(),
                                           QString()),
                 QStringLiteral("前回保存されずに終了した編集内容があります（ファイル: 靴、"
                                "2026/03/04 05:06）。復元しますか？"));
    }

    void aLiveEditorsCopyIsNotAnOrphan() {
        startShort();
        typeAndWaitForCopy();
        quorvel::RecoveryStore second(recovery->path().toStdString());
        QVERIFY(second.ListOrphans().empty());
        fixture->stop();  // the process "dies": its lock goes, its copy stays
        QCOMPARE(int(second.ListOrphans().size()), 1);
    }

  private:
    TFormMain& startShort(const QStringList& arguments = {}) {
        TFormMain& main = fixture->start(arguments);
        return main;
    }
    void typeAndWaitForCopy() {
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Right"), QStringLiteral("説明"));
        clock->Advance(kJustShort);
        QVERIFY(copyFiles().isEmpty());
        clock->Advance(kWriteDelay - kJustShort);
        QCOMPARE(copyFiles().size(), 1);
    }
    QStringList copyFiles() const {
        return QDir(recovery->path()).entryList({QStringLiteral("*.qvr")}, QDir::Files);
    }
    std::optional<quorvel::RecoveredSheet> readCopy() const {
        QFile file(QDir(recovery->path()).filePath(copyFiles().value(0)));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        const QByteArray bytes = file.readAll();
        return quorvel::DecodeRecoveryCopy(std::string_view(bytes.constData(), bytes.size()));
    }
    // Written `ago` seconds before now (the copy's file time).
    void leaveOrphan(const QString& title, const QString& path, int ago = 0) {
        const QStringList before = copyFiles();
        {
            quorvel::RecoveryStore dead(recovery->path().toStdString());
            QVERIFY(dead.Write(sheetTitled(title), QFile::encodeName(path).toStdString()));
        }
        if (ago > 0) {
            QStringList added = copyFiles();
            for (const QString& name : before) added.removeOne(name);
            QCOMPARE(added.size(), 1);
            QFile written(QDir(recovery->path()).filePath(added[0]));
            QVERIFY(written.open(QIODevice::ReadWrite));
            QVERIFY(written.setFileTime(QDateTime::currentDateTime().addSecs(-ago),
                                        QFileDevice::FileModificationTime));
        }
        quorvel::RecoveryStore reader(recovery->path().toStdString());
        const auto orphans = reader.ListOrphans();
        QVERIFY(!orphans.empty());
        orphanTime = QDateTime::fromSecsSinceEpoch(orphans.front().WrittenAt())
                         .toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    }
    QString savedFile(const QString& name) {
        const QString path = fixture->files.filePath(name);
        quorvel::TDescriptionSheet sheet;
        sheet.ResetSheet();
        if (quorvel::SaveDataFile(sheet, QFile::encodeName(path).toStdString()))
            QTest::qFail(qPrintable(QStringLiteral("could not save ") + path), __FILE__, __LINE__);
        return path;
    }

    std::unique_ptr<uitest::TestClock> clock;
    std::unique_ptr<QTemporaryDir> recovery;
    std::unique_ptr<MainWindowFixture> fixture;
    QString orphanTime;  // of the newest copy left, as the question shows it
};

QUORVEL_UI_TEST_MAIN(RecoveryTest)
#include "test_recovery.moc"
