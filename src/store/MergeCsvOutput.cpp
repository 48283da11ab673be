#include <algorithm>

#include "platform/FileNames.h"
#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"
#include "sheet/HtmlGenerator.h"
#include "store/MergeOutputs.h"

namespace quorvel::merge {

CsvOutput::CsvOutput(std::string path, const MergeOptions& options) : path_(std::move(path)) {
    if (options.tags)
        columns_.push_back({{}, kMergeHtmlColumn, [](const TDescriptionSheet& sheet) {
                                return BuildHtmlTags(sheet);
                            }});
    for (const MergeRendition& rendition : options.renditions)
        if (!rendition.column.empty()) columns_.push_back(rendition);
}

std::optional<FileError> CsvOutput::Open(const fileio::InputFile& input) {
    // Replacing the spreadsheet while it is read would lose it.
    if (input.IsSameFile(path_))
        return FileError{"ファイル " + filenames::ToUtf8(path_) +
                             " は読み込む CSV ファイルそのものです: 別の名前を指定してください",
                         kMergeCaption};
    if (out_.Begin(path_) != fileio::WriteOutcome::Ok)
        return CannotCreateError(path_, kMergeCaption);
    return std::nullopt;
}

std::optional<FileError> CsvOutput::Start(const CsvRecord& heading, CsvEncoding encoding,
                                          bool byteOrderMark, const std::string& lineEnd) {
    encoding_ = encoding;
    lineEnd_ = lineEnd;
    width_ = heading.fields.size();
    fields_ = heading.fields;
    for (const MergeRendition& column : columns_)
        fields_.push_back(ToTableEncoding(sjis::FromUtf8(column.column).bytes, encoding));
    line_.clear();
    if (byteOrderMark) line_ = kUtf8ByteOrderMark;
    AppendCsvRecord(line_, fields_, lineEnd_, !byteOrderMark);
    if (!out_.Write(line_)) fatal = true;
    return std::nullopt;
}

std::optional<std::string> CsvOutput::Produce(const CsvRecord& record, const PreparedRow&,
                                              const TDescriptionSheet& sheet) {
    fields_.assign(record.fields.begin(),
                   record.fields.begin() +
                       static_cast<std::ptrdiff_t>(std::min(width_, record.fields.size())));
    fields_.resize(width_);  // only empty fields go beyond the heading
    for (const MergeRendition& column : columns_) {
        const std::string bytes = column.render(sheet);
        fields_.push_back(column.plainText && encoding_ == CsvEncoding::Utf8
                              ? cellchars::ToUtf8(bytes)
                              : ToTableEncoding(bytes, encoding_));
    }
    line_.clear();
    AppendCsvRecord(line_, fields_, lineEnd_, false);
    if (out_.Write(line_)) return std::nullopt;
    fatal = true;
    return WriteFailedText(path_);
}

std::optional<FileError> CsvOutput::Finish(bool keep) {
    if (!keep) {
        out_.Abandon();
        return std::nullopt;
    }
    switch (out_.Commit()) {
        case fileio::WriteOutcome::Ok:
            return std::nullopt;
        case fileio::WriteOutcome::CannotCreate:
            return CannotCreateError(path_, kMergeCaption);
        case fileio::WriteOutcome::WriteFailed:
            break;
    }
    return FileError{WriteFailedText(path_), kMergeCaption};
}

}  // namespace quorvel::merge
