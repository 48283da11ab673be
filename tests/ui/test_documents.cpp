#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "editor/DocumentController.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "panes/RowsArea.h"
#include "panes/SheetBars.h"
#include "panes/StyleStrip.h"
#include "platform/Sjis.h"
#include "store/DataFile.h"
#include "store/Settings.h"

namespace {

const QString kQuestion = QStringLiteral("変更を保存しますか？");

}  // namespace

class DocumentsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void presentationChangesAskTheSaveQuestionToo() {
        TFormMain& main = fixture->start();
        fixture->find<QCheckBox>("CheckBoxKou2")->click();
        main.StyleStrip()->SpeedButtonTableAlignRightClick();
        QVERIFY(main.AnyCellModified());
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        main.SpeedButtonNewClick();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(fixture->dialogs.messages[0].caption, QStringLiteral("確認"));
        QVERIFY(main.Sheet().Rows[1].IncludeItem);  // reset
        QVERIFY(fixture->find<QCheckBox>("CheckBoxKou2")->isChecked());
        QVERIFY(main.StyleStrip()->SpeedButtonTableAlignCenter->isChecked());
        QVERIFY(!main.AnyCellModified());
    }

    void newWithTheQuestionAnswered_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("reset");
        QTest::newRow("no") << int(QMessageBox::No) << true;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
    }
    void newWithTheQuestionAnswered() {
        QFETCH(int, answer);
        QFETCH(bool, reset);
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo3Left"), QStringLiteral("鞄"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::StandardButton(answer));
        main.SpeedButtonNewClick();
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        const auto& asked = fixture->dialogs.messages[0];
        QCOMPARE(asked.text, kQuestion);
        QCOMPARE(asked.caption, QStringLiteral("確認"));
        QCOMPARE(asked.icon, QMessageBox::Question);
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(asked.defaultButton, QMessageBox::Yes);
        QCOMPARE(main.Sheet().Rows[2].Item.Text.empty(), reset);
        QCOMPARE(main.AnyCellModified(), !reset);
        QVERIFY(fixture->dialogs.fileRequests.empty());
    }

    void yesOnAnUntitledSheetAsksForANameAndSaves() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("MemoTytle"), QStringLiteral("カメラ"));
        const QString path = fixture->files.filePath("camera.qvl");
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        fixture->dialogs.fileAnswers.push_back(path);
        main.SpeedButtonNewClick();
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 1);
        const auto& request = fixture->dialogs.fileRequests[0];
        QVERIFY(request.save);
        QCOMPARE(request.fileName, QString());  // the dialog's last name: none yet
        QCOMPARE(request.filter,
                 QStringLiteral("Quorvelファイル (*.qvl)|*.qvl|全てのﾌｧｲﾙ(*.*)|*.*"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("qvl"));
        quorvel::TDescriptionSheet saved;
        QVERIFY(!quorvel::LoadDataFile(saved, path.toStdString()));
        QCOMPARE(saved.Title.Text, quorvel::sjis::FromUtf8("カメラ").bytes);
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));  // New ran
        QVERIFY(main.CurrentFileName().isEmpty());
    }

    void yesWithAFileNameSavesWithoutADialog() {
        const QString path = fixture->files.filePath("bag.qvl");
        quorvel::SaveDataFile(quorvel::TDescriptionSheet{}, path.toStdString());
        TFormMain& main = fixture->start({path});
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Right"), QStringLiteral("革"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        fixture->dialogs.fileAnswers.push_back(std::nullopt);  // open dialog cancelled
        main.SpeedButtonOpenClick();
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 1);
        QVERIFY(!fixture->dialogs.fileRequests[0].save);
        QCOMPARE(fixture->dialogs.fileRequests[0].filter,
                 QStringLiteral("Quorvelﾌｧｲﾙ(*.qvl)|*.qvl|全てのﾌｧｲﾙ(*.*)|*.*"));
        quorvel::TDescriptionSheet saved;
        QVERIFY(!quorvel::LoadDataFile(saved, path.toStdString()));
        QCOMPARE(saved.Rows[0].Description.Text, quorvel::sjis::FromUtf8("革").bytes);
        // The save inside the question leaves the sheet counted as changed.
        QVERIFY(main.AnyCellModified());
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - bag"));
    }

    void yesThenACancelledSaveDialogStopsTheCommand() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("MemoKey"), QStringLiteral("注記"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        fixture->dialogs.fileAnswers.push_back(std::nullopt);
        main.SpeedButtonNewClick();
        QCOMPARE(main.Sheet().Note.Text, quorvel::sjis::FromUtf8("注記").bytes);
        QVERIFY(main.AnyCellModified());
    }

    void saveOffersUntitledThenReusesTheName() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("メーカー"));
        const QString path = fixture->files.filePath("bag.qvl");
        fixture->dialogs.fileAnswers.push_back(path);
        main.SpeedButtonSaveClick();
        QCOMPARE(fixture->dialogs.fileRequests.back().fileName, QStringLiteral("無題.qvl"));
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - bag"));
        QVERIFY(!main.AnyCellModified());
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("2"));
        main.SpeedButtonSaveClick();  // no dialog now
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 1);
        quorvel::TDescriptionSheet saved;
        QVERIFY(!quorvel::LoadDataFile(saved, path.toStdString()));
        QCOMPARE(saved.Rows[0].Item.Text, quorvel::sjis::FromUtf8("メーカー2").bytes);
        fixture->dialogs.fileAnswers.push_back(std::nullopt);
        main.SpeedButtonSaveAsClick();
        QCOMPARE(fixture->dialogs.fileRequests.back().fileName, path);
    }

    void failedSaveKeepsTitleAndModifiedState() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("x"));
        const QString path = fixture->files.filePath("no/such/folder/bag.qvl");
        fixture->dialogs.fileAnswers.push_back(path);
        main.SpeedButtonSaveAsClick();
        QCOMPARE(fixture->dialogs.messages.back().caption, QStringLiteral("データ保存"));
        QCOMPARE(
            fixture->dialogs.messages.back().text,
            QStringLiteral("ファイル %1 を作成できません").arg(QDir::toNativeSeparators(path)));
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
        QVERIFY(main.CurrentFileName().isEmpty());
        QVERIFY(main.AnyCellModified());
        // Closing: Yes, a name, a failing save: the window stays open.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Yes);
        fixture->dialogs.fileAnswers.push_back(path);
        QVERIFY(!main.close());
        QVERIFY(main.isVisible());
        QVERIFY(main.AnyCellModified());
    }

    void closingAsksWithItsOwnCaptionAndSavesSettings() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("x"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        QVERIFY(!main.close());
        QCOMPARE(fixture->dialogs.messages.back().caption, QStringLiteral("終了確認"));
        QVERIFY(!quorvel::ReadStoredSettings(fixture->store()));  // nothing written yet
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        QVERIFY(main.close());
        QVERIFY(quorvel::ReadStoredSettings(fixture->store()));
    }

    void openReplacesTheSheetAndScrollsToTheTop() {
        quorvel::TDescriptionSheet sheet;
        sheet.Rows[9].Description.Text = "last";
        sheet.Style.TableAlign = quorvel::kAlignRight;
        const QString path = fixture->files.filePath("shoes.2005.qvl");
        quorvel::SaveDataFile(sheet, path.toStdString());
        TFormMain& main = fixture->start();
        main.RowsArea()->SetRowHeight(1, 300);
        main.RowsArea()->UpdateRowsScrollRange();
        main.RowsArea()->verticalScrollBar()->setValue(200);
        fixture->dialogs.fileAnswers.push_back(path);
        main.SpeedButtonOpenClick();
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - shoes.2005"));
        QCOMPARE(fixture->find<TCellEdit>("Memo10Right")->toPlainText(), QStringLiteral("last"));
        QVERIFY(main.StyleStrip()->SpeedButtonTableAlignRight->isChecked());
        QCOMPARE(main.RowsArea()->verticalScrollBar()->value(), 0);
        QCOMPARE(fixture->dialogs.fileRequests.back().fileName, QString());
    }

    void openOfANonDataFileChangesNothing() {
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("keep"));
        const QString path = fixture->files.filePath("junk.qvl");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(30000, 'j'));
        file.close();
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        fixture->dialogs.fileAnswers.push_back(path);
        main.SpeedButtonOpenClick();
        QCOMPARE(fixture->dialogs.messages.back().text,
                 QStringLiteral("ファイルが壊れているか、異常なデータファイルです"));
        QCOMPARE(main.Sheet().Rows[0].Item.Text, std::string("keep"));
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - 無題"));
    }

    void droppedFilesAskFirstThenLoadTheFirstThatLoads() {
        const QString bad = fixture->files.filePath("bad.qvl");
        QFile file(bad);
        file.open(QIODevice::WriteOnly);
        file.write("not a sheet");
        file.close();
        quorvel::TDescriptionSheet sheet;
        sheet.Title.Text = "good";
        const QString good = fixture->files.filePath("good.qvl");
        quorvel::SaveDataFile(sheet, good.toStdString());
        sheet.Title.Text = "third";
        const QString third = fixture->files.filePath("third.qvl");
        quorvel::SaveDataFile(sheet, third.toStdString());
        TFormMain& main = fixture->start();
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("unsaved"));
        // Cancelled, nothing is read.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        main.FilesDropped({bad, good, third});
        QCOMPARE(int(fixture->dialogs.messages.size()), 1);
        QCOMPARE(main.Sheet().Rows[0].Item.Text, std::string("unsaved"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        main.FilesDropped({bad, good, third});
        QCOMPARE(int(fixture->dialogs.messages.size()), 3);
        QCOMPARE(fixture->dialogs.messages[1].text, QStringLiteral("変更を保存しますか？"));
        QCOMPARE(fixture->dialogs.messages[1].caption, QStringLiteral("確認"));
        QCOMPARE(fixture->dialogs.messages[2].text,
                 QStringLiteral("ストリームからの読み込みエラー"));
        QCOMPARE(main.CurrentFileName(), good);
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - good"));
        QCOMPARE(main.Sheet().Title.Text, std::string("good"));
        QVERIFY(!main.AnyCellModified());
    }

    void displayNames() {
        QCOMPARE(TDocumentController::DisplayName(QStringLiteral("/data/bag.qvl")),
                 QStringLiteral("bag"));
        QCOMPARE(TDocumentController::DisplayName(QStringLiteral("/data/bag.2005.qvl")),
                 QStringLiteral("bag.2005"));
        QCOMPARE(TDocumentController::DisplayName(QStringLiteral("/表計算/ソフト.qvl")),
                 QStringLiteral("ソフト"));
        QCOMPARE(TDocumentController::DisplayName(QStringLiteral("/data/noext")),
                 QStringLiteral("noext"));
    }

    void settingsRoundTripAndLimits() {
        TFormMain& main = fixture->start();
        main.RowsArea()->SetRowHeight(3, 120);
        main.NoteBar()->SetNoteHeight(94);
        main.RowsArea()->SetLeftColumnWidth(150);
        fixture->find<QToolButton>("SpeedButtonMulti")->click();
        main.FormatToolbar()->SetApplyToAll(true);
        main.resize(500, 480);
        QVERIFY(main.close());
        fixture->stop();
        fixture->start();
        TFormMain& again = fixture->main();
        QCOMPARE(again.RowsArea()->RowHeight(3), 120);
        QCOMPARE(again.findChild<QWidget*>("PanelSet3")->height(), 120);
        QCOMPARE(again.NoteBar()->NoteHeight(), 94);
        QCOMPARE(again.RowsArea()->LeftColumnWidth(), 150);
        QVERIFY(again.SpeedButtonMulti->isChecked());
        QVERIFY(again.FormatToolbar()->ApplyToAll());
        QCOMPARE(again.size(), QSize(500, 480));
        QCOMPARE(again.RowsArea()->RowsScrollRange(), 450 + 75);
        QVERIFY(quorvel::ReadAllowMultiple(fixture->store()));

        // Stored sizes beyond the panels' limits come back at the limits.
        QVERIFY(again.close());
        {
            auto key = fixture->store().Open(false);
            key->WriteDword("K3_Height", 500);
            key->WriteDword("KWk_Height", 10);
            key->WriteDword("PanelLeftWidth", 20);
        }
        fixture->stop();
        fixture->start();
        QCOMPARE(fixture->main().RowsArea()->RowHeight(3), 300);
        QCOMPARE(fixture->main().NoteBar()->NoteHeight(), 64);
        QCOMPARE(fixture->main().RowsArea()->LeftColumnWidth(), 100);
    }

  private:
    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(DocumentsTest)
#include "test_documents.moc"
