#include "editor/MergeCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <atomic>
#include <exception>
#include <string>
#include <thread>

#include "dialogs/MergeOptions.h"
#include "sheet/MarketRules.h"
#include "ui/DialogSeam.h"
#include "ui/SjisText.h"

namespace editor {
namespace {

const char* const kCsvFilter = "CSVファイル (*.csv)|*.csv|全てのﾌｧｲﾙ(*.*)|*.*";

// A box taller than the screen hides its OK button: beyond this many, failed rows are counted.
constexpr int kListedRowErrors = 20;
// Findings listed word for word in the report; the rest are counted.
constexpr std::size_t kListedFindings = 20;
// A merge quicker than this shows no progress window at all.
constexpr int kProgressDelayMs = 500;

// What the merge's thread and the window share while it runs.
struct MergeJob {
    std::atomic<long long> done{0};
    std::atomic<long long> total{0};
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    quorvel::MergeResult result;
    std::exception_ptr failure;
    // Written by the merge's thread only, read once it has finished.
    std::vector<std::string> checkLines;
    std::size_t findings = 0;
};

}  // namespace

QString MergeReport(const quorvel::MergeResult& result, const QString& folder, long long notDone) {
    QStringList lines{QStringLiteral("%1 件のタグを作成しました").arg(result.produced)};
    // Where the files went, so the user need not remember what was picked.
    if (!folder.isEmpty()) lines << QStringLiteral("出力先: ") + QDir::toNativeSeparators(folder);
    if (result.stopped)
        lines << QStringLiteral("中止しました (残り %1 行は作成していません)").arg(notDone);
    if (result.removedControls > 0)
        lines << QStringLiteral("制御文字 %1 個を取り除きました").arg(result.removedControls);
    if (!result.ignoredColumns.empty()) {
        QStringList columns;
        for (const std::string& column : result.ignoredColumns)
            columns << QString::fromStdString(column);
        lines << QString() << QStringLiteral("使わない列: ") + columns.join(QStringLiteral(", "));
    }
    const auto failed = static_cast<long long>(result.failed);
    if (failed > 0) {
        lines << QString();
        long long listed = 0;
        for (const std::string& error : result.rowErrors) {
            if (listed == kListedRowErrors) break;
            lines << QString::fromStdString(error);
            ++listed;
        }
        if (failed > listed) lines << QStringLiteral("ほか %1 行").arg(failed - listed);
    }
    return lines.join(u'\n');
}

QString MergeCheckReport(quorvel::CheckMarket market, const std::vector<std::string>& lines,
                         std::size_t findings) {
    const QString head = QStringLiteral("チェック（出品先：%1）: ")
                             .arg(QString::fromUtf8(quorvel::CheckMarketName(market)));
    if (findings == 0) return head + QStringLiteral("問題なし");
    QStringList out{head + QStringLiteral("注意 %1 件").arg(findings)};
    for (const std::string& line : lines) out << QString::fromStdString(line);
    if (findings > lines.size()) out << QStringLiteral("ほか %1 件").arg(findings - lines.size());
    return out.join(u'\n');
}

std::optional<quorvel::MergeResult> MergeWithChoices(
    const quorvel::TDescriptionSheet& templateSheet, quorvel::CheckMarket market,
    QWidget* dialogParent) {
    // The output and the check stay as last chosen within a run; the marketplace follows the
    // check's.
    static MergeChoices last;
    TMergeOptionsForm form(dialogParent);
    form.SetChoices(last.text, last.check, market);
    if (dialogs().execModal(form) != QDialog::Accepted) return std::nullopt;
    last = MergeChoices{form.TextChoice(), form.Check(), form.Market()};
    return RunMerge(templateSheet, dialogParent, last);
}

std::optional<quorvel::MergeResult> RunMerge(const quorvel::TDescriptionSheet& templateSheet,
                                             QWidget* dialogParent, const MergeChoices& choices) {
    const QString caption = QString::fromUtf8(quorvel::kMergeCaption);
    const std::optional<QString> csvPath =
        dialogs().openFileName(dialogParent, QString::fromUtf8(kCsvFilter), QStringLiteral("csv"),
                               QString(), QStringLiteral("一括作成 - CSVファイルを選択"));
    if (!csvPath || csvPath->isEmpty()) return std::nullopt;
    // The tags usually go beside the spreadsheet they came from.
    const std::optional<QString> folder =
        dialogs().folderName(dialogParent, QStringLiteral("一括作成 - 出力先フォルダを選択"),
                             QFileInfo(*csvPath).absolutePath());
    if (!folder || folder->isEmpty()) return std::nullopt;

    // The merge runs on its own thread with its own copy of the sheet; the window waits,
    // painted, and the user may stop it between rows.
    MergeJob job;
    const std::string csv = ui::nativePath(*csvPath);
    const std::string out = ui::nativePath(*folder);
    std::thread worker([&job, csv, out, choices, sheet = templateSheet] {
        try {
            quorvel::MergeOptions options;
            quorvel::ApplyMergeTextChoice(options, choices.text);
            quorvel::CheckOptions check;
            check.market = choices.market;
            options.onRow = [&job, &choices, &check](const quorvel::MergeRowEvent& row) {
                if (choices.check) {
                    std::vector<std::string> lines = quorvel::MergeRowCheckLines(row, check);
                    job.findings += lines.size();
                    for (std::string& line : lines)
                        if (job.checkLines.size() < kListedFindings)
                            job.checkLines.push_back(std::move(line));
                }
                job.done.fetch_add(1);
                return !job.cancel.load();
            };
            if (const auto rows = quorvel::CountMergeRows(csv))
                job.total = static_cast<long long>(*rows);
            job.result = quorvel::MergeToFolder(sheet, csv, out, options);
        } catch (...) {
            job.failure = std::current_exception();
        }
        job.finished = true;
    });
    dialogs().waitWithProgress(
        dialogParent, caption, QStringLiteral("一括作成中…"), kProgressDelayMs,
        [&job] {
            return DialogSeam::Progress{job.done.load(), job.total.load(), job.finished.load()};
        },
        [&job] { job.cancel = true; });
    worker.join();
    if (job.failure) std::rethrow_exception(job.failure);

    const quorvel::MergeResult& result = job.result;
    if (result.error && result.produced == 0) {
        showFileError(dialogParent, *result.error);
        return result;
    }
    if (result.error) showFileError(dialogParent, *result.error);
    const QMessageBox::Icon icon = result.ok() ? QMessageBox::Information : QMessageBox::Warning;
    QString report = MergeReport(result, *folder, job.total - job.done);
    if (choices.check)
        report +=
            QStringLiteral("\n\n") + MergeCheckReport(choices.market, job.checkLines, job.findings);
    dialogs().message(dialogParent, report, caption, icon, QMessageBox::Ok, QMessageBox::Ok);
    return result;
}

}  // namespace editor
