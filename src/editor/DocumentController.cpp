#include "editor/DocumentController.h"

#include <algorithm>

#include "document/SheetDocument.h"
#include "sheet/Maker.h"
#include "store/DataFile.h"
#include "ui/DialogSeam.h"
#include "ui/SjisText.h"

namespace {

const QString kSaveFilter = QStringLiteral("Quorvelファイル (*.qvl)|*.qvl|全てのﾌｧｲﾙ(*.*)|*.*");
const QString kOpenFilter = QStringLiteral("Quorvelﾌｧｲﾙ(*.qvl)|*.qvl|全てのﾌｧｲﾙ(*.*)|*.*");
const QString kDefaultSuffix = QStringLiteral("qvl");
const QString kUntitledFile = QStringLiteral("無題.") + QStringLiteral("qvl");

}  // namespace

TDocumentController::TDocumentController(TSheetDocument& document, QWidget* dialogParent,
                                         QObject* parent)
    : QObject(parent), document_(document), dialogParent_(dialogParent) {}

// The core's rule, on the name as the system spells it: code page 932 may not hold it. Qt writes
// Windows paths with "/" too (dialogs, drops), so "/" separates everywhere.
QString TDocumentController::DisplayName(const QString& path) {
    const qsizetype separator =
        std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u':'), path.lastIndexOf(u'/')});
    QString name = path.mid(separator + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    return name;
}

QString TDocumentController::Title() const {
    const QString name =
        currentFileName_.isEmpty() ? QStringLiteral("無題") : DisplayName(currentFileName_);
    return QString::fromUtf8(quorvel::maker::kAppTitle) + QStringLiteral(" - ") + name;
}

void TDocumentController::setFileName(const QString& path) {
    currentFileName_ = path;
    document_.FileNameChanged(path);
    emit titleChanged(Title());
    if (!path.isEmpty()) emit fileUsed(path);
}

bool TDocumentController::saveTo(const QString& path, bool clean) {
    if (auto error = quorvel::SaveDataFile(document_.Sheet(), ui::nativePath(path))) {
        showFileError(dialogParent_, *error);
        return false;
    }
    document_.MarkSaved(path, clean);
    emit saved();
    return true;
}

bool TDocumentController::loadFrom(const QString& path) {
    // Read aside: a file that does not load leaves the sheet as it was.
    quorvel::TDescriptionSheet loaded = document_.Sheet();
    if (auto error = quorvel::LoadDataFile(loaded, ui::nativePath(path))) {
        showFileError(dialogParent_, *error);
        emit loadFailed(path);
        return false;
    }
    document_.ReplaceSheet(std::move(loaded), false);
    emit sheetReplaced();
    return true;
}

std::optional<QString> TDocumentController::runSaveDialog(const QString& fileName) {
    saveDialogFileName_ = fileName;
    auto chosen = dialogs().saveFileName(dialogParent_, kSaveFilter, kDefaultSuffix, fileName);
    if (chosen) saveDialogFileName_ = *chosen;
    return chosen;
}

// A failed save stops the command: the edits it was meant to keep are still only on screen.
TDocumentController::SaveQuestion TDocumentController::askToSave(const QString& caption) {
    if (!document_.IsModified()) return SaveQuestion::Proceed;
    const auto answer = dialogs().message(
        dialogParent_, QStringLiteral("変更を保存しますか？"), caption, QMessageBox::Question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::No) return SaveQuestion::Proceed;
    if (answer != QMessageBox::Yes) return SaveQuestion::Stop;
    QString path = currentFileName_;
    if (path.isEmpty()) {
        const auto chosen = runSaveDialog(saveDialogFileName_);
        if (!chosen) return SaveQuestion::Stop;
        path = *chosen;
    }
    if (!saveTo(path, false)) return SaveQuestion::Stop;
    currentFileName_ = path;
    emit fileUsed(path);
    return SaveQuestion::Proceed;
}

void TDocumentController::New() {
    newSheet(nullptr);
}

bool TDocumentController::NewInDesign(const quorvel::Design& design) {
    return newSheet(&design);
}

bool TDocumentController::newSheet(const quorvel::Design* design) {
    if (askToSave(QStringLiteral("確認")) == SaveQuestion::Stop) return false;
    quorvel::TDescriptionSheet reset;
    reset.ResetSheet();
    if (design) quorvel::ApplyDesign(*design, reset);
    document_.ReplaceSheet(std::move(reset), false);
    emit sheetReplaced();
    setFileName(QString());
    emit scrollToTopWanted();
    return true;
}

void TDocumentController::Open() {
    if (askToSave(QStringLiteral("確認")) == SaveQuestion::Stop) return;
    const auto chosen =
        dialogs().openFileName(dialogParent_, kOpenFilter, kDefaultSuffix, QString(), QString());
    if (!chosen) return;
    openLoaded(*chosen);
}

void TDocumentController::OpenPath(const QString& path) {
    if (askToSave(QStringLiteral("確認")) == SaveQuestion::Stop) return;
    openLoaded(path);
}

void TDocumentController::openLoaded(const QString& path) {
    if (!loadFrom(path)) return;
    setFileName(path);
    emit scrollToTopWanted();
}

void TDocumentController::Save() {
    // An untitled sheet is saved as Save As does, with its dialog.
    if (currentFileName_.isEmpty()) {
        SaveAs();
        return;
    }
    if (!saveTo(currentFileName_, true)) return;
    setFileName(currentFileName_);
}

void TDocumentController::SaveAs() {
    const auto chosen =
        runSaveDialog(currentFileName_.isEmpty() ? kUntitledFile : currentFileName_);
    if (!chosen) return;
    if (!saveTo(*chosen, true)) return;
    setFileName(*chosen);
}

void TDocumentController::OpenFirstOf(const QStringList& paths) {
    for (const QString& path : paths) {
        if (!loadFrom(path)) continue;
        setFileName(path);
        break;
    }
}

void TDocumentController::OpenDropped(const QStringList& paths) {
    if (paths.isEmpty()) return;
    // The sheet on screen may hold the only copy of an afternoon's work.
    if (askToSave(QStringLiteral("確認")) == SaveQuestion::Stop) return;
    OpenFirstOf(paths);
}

bool TDocumentController::QueryClose() {
    return askToSave(QStringLiteral("終了確認")) == SaveQuestion::Proceed;
}

void TDocumentController::Restore(quorvel::TDescriptionSheet sheet, const QString& fileName) {
    // Work nobody saved: it counts as changed, and no undo takes it back to a saved state.
    document_.ReplaceSheet(std::move(sheet), true);
    emit sheetReplaced();
    setFileName(fileName);
}
