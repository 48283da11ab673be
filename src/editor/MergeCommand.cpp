#include "editor/MergeCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <string>

#include "ui/DialogSeam.h"
#include "ui/SjisText.h"

namespace editor {
namespace {

const char* const kCsvFilter = "CSVファイル (*.csv)|*.csv|全てのﾌｧｲﾙ(*.*)|*.*";

// A box taller than the screen hides its OK button: beyond this many, failed rows are counted.
constexpr int kListedRowErrors = 20;

// Writing many files takes a moment; the pointer says so until the report shows.
class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

QString MergeReport(const quorvel::MergeResult& result, const QString& folder) {
    QStringList lines{QStringLiteral("%1 件のタグを作成しました").arg(result.produced)};
    // Where the files went, so the user need not remember what was picked.
    if (!folder.isEmpty()) lines << QStringLiteral("出力先: ") + QDir::toNativeSeparators(folder);
    if (result.removedControls > 0)
        lines << QStringLiteral("制御文字 %1 個を取り除きました").arg(result.removedControls);
    if (!result.ignoredColumns.empty()) {
        QStringList columns;
        for (const std::string& column : result.ignoredColumns)
            columns << QString::fromStdString(column);
        lines << QString() << QStringLiteral("使わない列: ") + columns.join(QStringLiteral(", "));
    }
    if (!result.rowErrors.empty()) {
        lines << QString();
        const int count = static_cast<int>(result.rowErrors.size());
        for (int i = 0; i < count && i < kListedRowErrors; ++i)
            lines << QString::fromStdString(result.rowErrors[static_cast<std::size_t>(i)]);
        if (count > kListedRowErrors)
            lines << QStringLiteral("ほか %1 行").arg(count - kListedRowErrors);
    }
    return lines.join(u'\n');
}

std::optional<quorvel::MergeResult> RunMerge(const quorvel::TDescriptionSheet& templateSheet,
                                             QWidget* dialogParent) {
    const QString caption = QString::fromUtf8(quorvel::kMergeCaption);
    const std::optional<QString> csvPath = dialogs().openFileName(
        dialogParent, QString::fromUtf8(kCsvFilter), QStringLiteral("csv"), QString());
    if (!csvPath || csvPath->isEmpty()) return std::nullopt;
    // The tags usually go beside the spreadsheet they came from.
    const std::optional<QString> folder =
        dialogs().folderName(dialogParent, QStringLiteral("一括作成 - 出力先フォルダを選択"),
                             QFileInfo(*csvPath).absolutePath());
    if (!folder || folder->isEmpty()) return std::nullopt;

    quorvel::MergeOptions options;
    options.skipEmpty = false;
    quorvel::MergeResult result;
    {
        WaitCursor wait;
        result = quorvel::MergeToFolder(templateSheet, ui::nativePath(*csvPath),
                                        ui::nativePath(*folder), options);
    }
    if (result.error) {
        showFileError(dialogParent, *result.error);
        return result;
    }
    const QMessageBox::Icon icon =
        result.rowErrors.empty() ? QMessageBox::Information : QMessageBox::Warning;
    dialogs().message(dialogParent, MergeReport(result, *folder), caption, icon, QMessageBox::Ok,
                      QMessageBox::Ok);
    return result;
}

}  // namespace editor
