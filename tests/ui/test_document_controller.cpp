// The document logic on its own: no main window, only the sheet, the dialog seam and signals.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "editor/DocumentController.h"
#include "editor/RecentFiles.h"
#include "sheet/DescriptionSheet.h"
#include "store/DataFile.h"

namespace {

const QString kQuestion = QStringLiteral("変更を保存しますか？");

}  // namespace

class DocumentControllerTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        sheet = std::make_unique<quorvel::TDescriptionSheet>();
        dialogs = std::make_unique<ScriptedDialogs>();
        files = std::make_unique<QTemporaryDir>();
        sheetDocument = std::make_unique<TSheetDocument>(*sheet);
        document = std::make_unique<TDocumentController>(*sheetDocument, nullptr);
    }
    void cleanup() {
        QCOMPARE(dialogs->unexpected, 0);
        document.reset();
        sheetDocument.reset();
        dialogs.reset();
    }

    void newOnAnUntouchedSheetResetsWithoutAsking() {
        QSignalSpy replaced(document.get(), &TDocumentController::sheetReplaced);
        QSignalSpy titles(document.get(), &TDocumentController::titleChanged);
        QSignalSpy toTop(document.get(), &TDocumentController::scrollToTopWanted);
        sheetDocument->SetIncluded(quorvel::ItemTag(4), false);
        QVERIFY(!sheet->Rows[3].IncludeItem);
        // Only a change of presentation, but a change: it is worth a question now.
        dialogs->messageAnswers.push_back(QMessageBox::No);
        document->New();
        QCOMPARE(int(dialogs->messages.size()), 1);
        QVERIFY(!sheetDocument->IsModified());
        QCOMPARE(sheetDocument->History()->count(), 0);
        document->New();
        QCOMPARE(int(dialogs->messages.size()), 1);  // an untouched sheet: no second question
        QVERIFY(sheet->Rows[3].IncludeItem);
        QCOMPARE(replaced.count(), 2);
        QCOMPARE(toTop.count(), 2);
        QCOMPARE(titles.count(), 2);
        QCOMPARE(titles[0][0].toString(), QStringLiteral("Quorvel - 無題"));
        QCOMPARE(document->Title(), QStringLiteral("Quorvel - 無題"));
    }

    void saveOnAnUntitledSheetNamesWritesAndRetitles() {
        edit(quorvel::kTitleTag, "camera");
        const QString path = files->filePath("camera.qvl");
        dialogs->fileAnswers.push_back(path);
        QSignalSpy titles(document.get(), &TDocumentController::titleChanged);
        document->Save();
        QCOMPARE(int(dialogs->fileRequests.size()), 1);
        QVERIFY(dialogs->fileRequests[0].save);
        QCOMPARE(dialogs->fileRequests[0].fileName, QStringLiteral("無題.qvl"));
        QCOMPARE(document->CurrentFileName(), path);
        QCOMPARE(document->SaveDialogFileName(), path);
        QVERIFY(!sheetDocument->IsModified());
        QCOMPARE(titles.count(), 1);
        QCOMPARE(titles[0][0].toString(), QStringLiteral("Quorvel - camera"));
        quorvel::TDescriptionSheet reread;
        QVERIFY(!quorvel::LoadDataFile(reread, QFile::encodeName(path).toStdString()));
        QCOMPARE(reread.Title.Text, std::string("camera"));
    }

    void closingAsksAndStopsWhenTheSaveDoesNotHappen_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("nameGiven");
        QTest::addColumn<bool>("mayClose");
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("no") << int(QMessageBox::No) << false << true;
        QTest::newRow("yes, dialog cancelled") << int(QMessageBox::Yes) << false << false;
        QTest::newRow("yes, named") << int(QMessageBox::Yes) << true << true;
    }
    void closingAsksAndStopsWhenTheSaveDoesNotHappen() {
        QFETCH(int, answer);
        QFETCH(bool, nameGiven);
        QFETCH(bool, mayClose);
        edit(quorvel::ItemTag(2), "bag");
        const QString path = files->filePath("bag.qvl");
        dialogs->messageAnswers.push_back(QMessageBox::StandardButton(answer));
        if (answer == QMessageBox::Yes)
            dialogs->fileAnswers.push_back(nameGiven ? std::optional<QString>(path) : std::nullopt);
        QCOMPARE(document->QueryClose(), mayClose);
        QCOMPARE(int(dialogs->messages.size()), 1);
        QCOMPARE(dialogs->messages[0].text, kQuestion);
        QCOMPARE(dialogs->messages[0].caption, QStringLiteral("終了確認"));
        QCOMPARE(QFile::exists(path), nameGiven);
        QCOMPARE(document->CurrentFileName(), nameGiven ? path : QString());
    }

    void aFailedSaveKeepsTheEditsAndTheName() {
        edit(quorvel::kNoteTag, "note");
        const QString path = files->filePath("missing/dir/note.qvl");
        dialogs->fileAnswers.push_back(path);
        QSignalSpy titles(document.get(), &TDocumentController::titleChanged);
        document->SaveAs();
        QCOMPARE(int(dialogs->messages.size()), 1);
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Warning);
        QVERIFY(document->CurrentFileName().isEmpty());
        QVERIFY(sheetDocument->IsModified());
        QCOMPARE(titles.count(), 0);
    }

    void droppedFilesOpenTheFirstThatLoads() {
        quorvel::TDescriptionSheet stored;
        stored.Title.Text = "watch";
        const QString good = files->filePath("watch.qvl");
        QVERIFY(!quorvel::SaveDataFile(stored, QFile::encodeName(good).toStdString()));
        const QString broken = files->filePath("broken.qvl");
        {
            QFile file(broken);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a data file");
        }
        QSignalSpy replaced(document.get(), &TDocumentController::sheetReplaced);
        QSignalSpy toTop(document.get(), &TDocumentController::scrollToTopWanted);
        document->OpenFirstOf({broken, good, broken});
        QCOMPARE(int(dialogs->messages.size()), 1);  // the broken file, once
        QCOMPARE(replaced.count(), 1);
        QCOMPARE(toTop.count(), 0);
        QCOMPARE(document->CurrentFileName(), good);
        QCOMPARE(sheet->Title.Text, std::string("watch"));
        QCOMPARE(document->Title(), QStringLiteral("Quorvel - watch"));
    }

    void openAfterAnsweringNoLoadsAndGoesToTheTop() {
        quorvel::TDescriptionSheet stored;
        stored.Note.Text = "stored";
        const QString path = files->filePath("stored.qvl");
        QVERIFY(!quorvel::SaveDataFile(stored, QFile::encodeName(path).toStdString()));
        edit(quorvel::kTitleTag, "unsaved");
        dialogs->messageAnswers.push_back(QMessageBox::No);
        dialogs->fileAnswers.push_back(path);
        QSignalSpy toTop(document.get(), &TDocumentController::scrollToTopWanted);
        document->Open();
        QCOMPARE(dialogs->messages[0].caption, QStringLiteral("確認"));
        QVERIFY(!dialogs->fileRequests[0].save);
        QCOMPARE(sheet->Note.Text, std::string("stored"));
        QVERIFY(sheet->Title.Text.empty());
        QCOMPARE(document->CurrentFileName(), path);
        QCOMPARE(toTop.count(), 1);
    }

    // Names code page 932 cannot spell, beside a file that a best-fit mapping would take for
    // them: each saves, opens and titles only itself.
    void namesBeyondCodePage932AreOnlyThemselves_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("é") << QStringLiteral("Pokémon３号");
        QTest::newRow("𠮷") << QStringLiteral("𠮷野家");
        QTest::newRow("emoji") << QStringLiteral("📦発送");
    }
    void namesBeyondCodePage932AreOnlyThemselves() {
        QFETCH(QString, name);
        const QString lookAlike = files->filePath(QStringLiteral("Pokemon３号.qvl"));
        {
            QFile other(lookAlike);
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.write("another sheet");
        }
        edit(quorvel::kTitleTag, "card");
        const QString path = files->filePath(name + QStringLiteral(".qvl"));
        dialogs->fileAnswers.push_back(path);
        document->SaveAs();
        QCOMPARE(document->Title(), QStringLiteral("Quorvel - ") + name);
        QVERIFY(QFileInfo::exists(path));
        QFile other(lookAlike);
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), QByteArray("another sheet"));
        QCOMPARE(QDir(files->path()).entryList(QDir::Files).size(), 2);

        document->New();
        QVERIFY(sheet->Title.Text.empty());
        document->OpenPath(path);
        QCOMPARE(sheet->Title.Text, std::string("card"));
        QCOMPARE(document->Title(), QStringLiteral("Quorvel - ") + name);
        QCOMPARE(TRecentFiles::MenuLabels({path, lookAlike}),
                 (QStringList{name, QStringLiteral("Pokemon３号")}));

        // A file that is not there is named in the message as the system spells it.
        const QString missing = files->filePath(name + QStringLiteral("カード.qvl"));
        document->OpenPath(missing);
        QCOMPARE(int(dialogs->messages.size()), 1);
        QCOMPARE(dialogs->messages[0].text,
                 QStringLiteral("ファイル %1 は開けません").arg(QDir::toNativeSeparators(missing)));
    }

  private:
    void edit(int tag, const char* text) {
        sheetDocument->CellTextEdited(tag, text, nullptr, 0, TSheetDocument::TextKind::Typing);
    }

    std::unique_ptr<quorvel::TDescriptionSheet> sheet;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<QTemporaryDir> files;
    std::unique_ptr<TSheetDocument> sheetDocument;
    std::unique_ptr<TDocumentController> document;
};

QUORVEL_UI_TEST_MAIN(DocumentControllerTest)
#include "test_document_controller.moc"
