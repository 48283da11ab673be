#include "store/MergeBatch.h"

#include "platform/FileNames.h"
#include "sheet/ListingMerge.h"
#include "store/CsvStream.h"
#include "store/MergeOutputs.h"
#include "store/MergeRows.h"

namespace quorvel {
namespace {

using merge::MergeOutput;
using merge::RowPrefix;

// Enough for the encoding guess, which looks at the first mebibyte cut at a line end.
constexpr std::size_t kDetectionBytes = std::size_t{2} << 20;

std::string UnclosedQuoteText() {
    return "引用符 \" が閉じられていません (この行から後は読めません)";
}

FileError SpreadsheetError(const std::string& path, const std::string& problem) {
    return {"ファイル " + filenames::ToUtf8(path) + " の" + problem, kMergeCaption};
}

FileError ReadFailedError(const std::string& path) {
    return {"ファイル " + filenames::ToUtf8(path) + " を読み込めません", kMergeCaption};
}

// Reads the heading and settles the encoding; the reader is then at the first data row.
std::optional<FileError> ReadHeading(CsvReader& reader, const std::string& csvPath,
                                     const MergeOptions& options, CsvEncoding& encoding,
                                     bool& byteOrderMark, CsvRecord& heading,
                                     merge::Heading& columns) {
    encoding =
        options.encoding ? *options.encoding : DetectCsvEncoding(reader.Peek(kDetectionBytes));
    byteOrderMark = encoding == CsvEncoding::Utf8 && reader.SkipByteOrderMark();
    reader.SetLimits(merge::HeadingLimits());
    switch (reader.Next(heading)) {
        case CsvStatus::Record:
            break;
        case CsvStatus::End:
            return SpreadsheetError(csvPath, "見出しの行がありません");
        case CsvStatus::UnclosedQuote:
            return SpreadsheetError(csvPath, RowPrefix(0) + UnclosedQuoteText());
        case CsvStatus::ReadFailed:
            return ReadFailedError(csvPath);
    }
    for (std::size_t k = 0; k < heading.fields.size(); ++k)
        if (heading.cut(k))
            return SpreadsheetError(csvPath,
                                    RowPrefix(0) + merge::ColumnLetters(k) + "列: 長すぎます");
    columns = merge::ReadHeading(heading, encoding);
    if (!columns.problem.empty()) return SpreadsheetError(csvPath, RowPrefix(0) + columns.problem);
    return std::nullopt;
}

void CountFailure(MergeResult& result, const std::string& problem) {
    ++result.failed;
    if (result.rowErrors.size() < kKeptRowErrors) result.rowErrors.push_back(problem);
}

// Streams the spreadsheet into `output`, one record at a time.
MergeResult Run(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                const MergeOptions& options, MergeOutput& output) {
    MergeResult result;
    fileio::InputFile file;
    if (!file.Open(csvPath)) {
        result.error = CannotOpenError(csvPath, kMergeCaption);
        return result;
    }
    if ((result.error = output.Open(file))) return result;
    FileCsvSource source(file);
    CsvReader reader(source);
    CsvEncoding encoding = CsvEncoding::Utf8;
    bool byteOrderMark = false;
    CsvRecord record;
    merge::Heading heading;
    result.error = ReadHeading(reader, csvPath, options, encoding, byteOrderMark, record, heading);
    if (!result.error)
        result.error = output.Start(record, encoding, byteOrderMark, reader.lineEnd());
    if (result.error) {
        output.Finish(false);
        return result;
    }
    result.ignoredColumns = heading.ignored;
    const bool keepOthers = output.keepsOtherColumns();
    reader.SetLimits(merge::DataLimits(heading.columns, keepOthers));

    for (bool more = true; more;) {
        const CsvStatus status = reader.Next(record);
        if (status == CsvStatus::End) break;
        if (status == CsvStatus::ReadFailed) {
            result.error = ReadFailedError(csvPath);
            break;
        }
        MergeRowEvent event;
        event.row = record.row + 1;
        std::string problem;
        std::optional<TDescriptionSheet> sheet;
        if (status == CsvStatus::UnclosedQuote) {
            // Every later row would land inside that one field: nothing after it is trusted.
            event.row = reader.unclosedRow() + 1;
            problem = RowPrefix(reader.unclosedRow()) + UnclosedQuoteText();
            more = false;
        } else if (record.blank()) {
            event.blank = true;
        } else {
            merge::PreparedRow prepared =
                merge::PrepareRow(record, heading.columns, encoding, keepOthers);
            result.removedControls += prepared.removedControls;
            if (prepared.problem.empty()) {
                sheet = MergeListing(templateSheet, prepared.texts, options.skipEmpty);
                if (auto made = output.Produce(record, prepared, *sheet)) prepared.problem = *made;
            }
            if (!prepared.problem.empty()) problem = RowPrefix(record.row) + prepared.problem;
        }
        if (output.fatal) {
            result.error = FileError{problem.substr(RowPrefix(record.row).size()), kMergeCaption};
            break;
        }
        if (!problem.empty())
            CountFailure(result, problem);
        else if (!event.blank)
            ++result.produced;
        event.problem = problem;
        if (problem.empty() && sheet) event.sheet = &*sheet;
        if (options.onRow && !options.onRow(event)) {
            result.stopped = true;
            break;
        }
    }
    if (auto error = output.Finish(!result.error && !result.stopped)) {
        result.error = error;
        result.produced = 0;
    }
    return result;
}

}  // namespace

MergeResult MergeToFolder(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                          const std::string& folder, const MergeOptions& options) {
    merge::FolderOutput output(folder, options);
    return Run(templateSheet, csvPath, options, output);
}

MergeResult MergeToCsv(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                       const std::string& csvOut, const MergeOptions& options) {
    merge::CsvOutput output(csvOut, options);
    MergeResult result = Run(templateSheet, csvPath, options, output);
    // Nothing of a table that was not written counts as made.
    if (result.error || result.stopped) result.produced = 0;
    return result;
}

std::optional<std::size_t> CountMergeRows(const std::string& csvPath) {
    fileio::InputFile file;
    if (!file.Open(csvPath)) return std::nullopt;
    FileCsvSource source(file);
    CsvReader reader(source);
    CsvLimits nothing;
    nothing.others = 0;
    nothing.record = 0;
    nothing.maxFields = 0;
    reader.SetLimits(nothing);
    CsvRecord record;
    std::size_t records = 0;
    for (;;) {
        const CsvStatus status = reader.Next(record);
        if (status == CsvStatus::ReadFailed) return std::nullopt;
        if (status == CsvStatus::End) break;
        ++records;
        if (status == CsvStatus::UnclosedQuote) break;
    }
    return records > 0 ? records - 1 : 0;
}

}  // namespace quorvel
