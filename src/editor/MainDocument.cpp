// The document commands of the main window: New, Open, Save, Save As, dropped files, closing.
#include <QFile>

#include "editor/Mainunit.h"
#include "editor/RowsArea.h"
#include "editor/SheetBars.h"
#include "editor/StyleStrip.h"
#include "sheet/DisplayName.h"
#include "sheet/Maker.h"
#include "store/DataFile.h"
#include "ui/DialogSeam.h"
#include "ui/SjisText.h"

namespace {

const QString kSaveFilter = QStringLiteral("Quorvelファイル (*.qvl)|*.qvl|全てのﾌｧｲﾙ(*.*)|*.*");
const QString kOpenFilter = QStringLiteral("Quorvelﾌｧｲﾙ(*.qvl)|*.qvl|全てのﾌｧｲﾙ(*.*)|*.*");
const QString kDefaultSuffix = QStringLiteral("qvl");
const QString kUntitledFile = QStringLiteral("無題.") + QStringLiteral("qvl");

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

QString TFormMain::DisplayName(const QString& path) {
#ifdef _WIN32
    return ui::fromSjis(quorvel::DisplayName(ui::toSjis(path), false));
#else
    return ui::fromSjis(quorvel::DisplayName(ui::toSjis(path), true));
#endif
}

void TFormMain::showTitle() {
    const QString name =
        currentFileName_.isEmpty() ? QStringLiteral("無題") : DisplayName(currentFileName_);
    setWindowTitle(QString::fromUtf8(quorvel::maker::kAppTitle) + QStringLiteral(" - ") + name);
}

void TFormMain::showFileError(const quorvel::FileError& error) {
    showWarning(this, QString::fromStdString(error.message), QString::fromStdString(error.caption));
}

// After the sheet was replaced as a whole: every box, check box and the style strip follow it.
void TFormMain::showWholeSheet() {
    styleStrip_->ShowWholeStyle();
    titleBar_->ShowIncludeFlags();
    rowsArea_->ShowIncludeFlags();
    noteBar_->ShowIncludeFlags();
    titleBar_->ShowCells();
    rowsArea_->ShowCells();
    noteBar_->ShowCells();
}

bool TFormMain::saveTo(const QString& path) {
    if (auto error = quorvel::SaveDataFile(sheet_, nativePath(path))) {
        showFileError(*error);
        return false;
    }
    return true;
}

bool TFormMain::loadFrom(const QString& path) {
    if (auto error = quorvel::LoadDataFile(sheet_, nativePath(path))) {
        showFileError(*error);
        return false;
    }
    showWholeSheet();
    return true;
}

std::optional<QString> TFormMain::runSaveDialog(const QString& fileName) {
    saveDialogFileName_ = fileName;
    auto chosen = dialogs().saveFileName(this, kSaveFilter, kDefaultSuffix, fileName);
    if (chosen) saveDialogFileName_ = *chosen;
    return chosen;
}

// A failed save stops the command: the edits it was meant to keep are still only on screen.
TFormMain::SaveQuestion TFormMain::askToSave(const QString& caption) {
    if (!sheet_.AnyCellModified()) return SaveQuestion::Proceed;
    const auto answer = dialogs().message(
        this, QStringLiteral("変更を保存しますか？"), caption, QMessageBox::Question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::No) return SaveQuestion::Proceed;
    if (answer != QMessageBox::Yes) return SaveQuestion::Stop;
    QString path = currentFileName_;
    if (path.isEmpty()) {
        const auto chosen = runSaveDialog(saveDialogFileName_);
        if (!chosen) return SaveQuestion::Stop;
        path = *chosen;
    }
    if (!saveTo(path)) return SaveQuestion::Stop;
    currentFileName_ = path;
    return SaveQuestion::Proceed;
}

void TFormMain::SpeedButtonNewClick() {
    if (askToSave(QStringLiteral("確認")) == SaveQuestion::Stop) return;
    sheet_.ResetSheet();
    showWholeSheet();
    currentFileName_.clear();
    showTitle();
    rowsArea_->ScrollToTop();
}

void TFormMain::SpeedButtonOpenClick() {
    if (askToSave(QStringLiteral("確認")) == SaveQuestion::Stop) return;
    const auto chosen = dialogs().openFileName(this, kOpenFilter, kDefaultSuffix, QString());
    if (!chosen) return;
    if (!loadFrom(*chosen)) return;
    currentFileName_ = *chosen;
    showTitle();
    rowsArea_->ScrollToTop();
}

void TFormMain::SpeedButtonSaveClick() {
    QString path = currentFileName_;
    if (path.isEmpty()) {
        const auto chosen = runSaveDialog(kUntitledFile);
        if (!chosen) return;
        path = *chosen;
    }
    if (!saveTo(path)) return;
    currentFileName_ = path;
    showTitle();
    ClearModified();
}

void TFormMain::SpeedButtonSaveAsClick() {
    const auto chosen =
        runSaveDialog(currentFileName_.isEmpty() ? kUntitledFile : currentFileName_);
    if (!chosen) return;
    if (!saveTo(*chosen)) return;
    currentFileName_ = *chosen;
    showTitle();
    ClearModified();
}

bool TFormMain::FormCloseQuery() {
    if (askToSave(QStringLiteral("終了確認")) == SaveQuestion::Stop) return false;
    SaveSettings();
    return true;
}

void TFormMain::FilesDropped(const QStringList& paths) {
    for (const QString& path : paths) {
        if (!loadFrom(path)) continue;
        currentFileName_ = path;
        showTitle();
        break;
    }
}
