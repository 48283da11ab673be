#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileStreams.h"
#include "store/MergeBatch.h"
#include "store/MergeRows.h"
#include "store/TakenNames.h"

// Where the merge's rows go: a folder of files, or one extended spreadsheet. Problems are UTF-8
// texts for the user; a row's problem leaves out the row prefix, which the caller adds.
namespace quorvel::merge {

class MergeOutput {
  public:
    virtual ~MergeOutput() = default;
    // Whether the unnamed columns are written back, and so read and checked.
    virtual bool keepsOtherColumns() const = 0;
    // Before anything is read past the heading; `input` is the open spreadsheet.
    virtual std::optional<FileError> Open(const fileio::InputFile& input) = 0;
    virtual std::optional<FileError> Start(const CsvRecord& heading, CsvEncoding encoding,
                                           bool byteOrderMark, const std::string& lineEnd) = 0;
    // One made row; a problem fails the row. With `fatal` set the run stops after it.
    virtual std::optional<std::string> Produce(const CsvRecord& record, const PreparedRow& row,
                                               const TDescriptionSheet& sheet) = 0;
    // The end of the run; `keep` false when what was begun should not take effect.
    virtual std::optional<FileError> Finish(bool keep) = 0;
    bool fatal = false;
};

// "ファイル X に書き込めません (…)": a failed write names its file.
std::string WriteFailedText(const std::string& path);

class FolderOutput final : public MergeOutput {
  public:
    FolderOutput(std::string folder, const MergeOptions& options);
    bool keepsOtherColumns() const override { return false; }
    std::optional<FileError> Open(const fileio::InputFile& input) override;
    std::optional<FileError> Start(const CsvRecord&, CsvEncoding, bool,
                                   const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> Produce(const CsvRecord& record, const PreparedRow& row,
                                       const TDescriptionSheet& sheet) override;
    std::optional<FileError> Finish(bool keep) override;

  private:
    std::string folderPath_;
    fileio::OutputFolder folder_;
    std::vector<MergeRendition> renditions_;  // the tags first, when made
    bool tags_ = true;
    TakenNames taken_;
};

class CsvOutput final : public MergeOutput {
  public:
    CsvOutput(std::string path, const MergeOptions& options);
    bool keepsOtherColumns() const override { return true; }
    std::optional<FileError> Open(const fileio::InputFile& input) override;
    std::optional<FileError> Start(const CsvRecord& heading, CsvEncoding encoding,
                                   bool byteOrderMark, const std::string& lineEnd) override;
    std::optional<std::string> Produce(const CsvRecord& record, const PreparedRow& row,
                                       const TDescriptionSheet& sheet) override;
    std::optional<FileError> Finish(bool keep) override;

  private:
    std::string path_;
    std::vector<MergeRendition> columns_;  // the tags first, when made
    fileio::FileReplacement out_;
    CsvEncoding encoding_ = CsvEncoding::Utf8;
    std::string lineEnd_;
    std::size_t width_ = 0;
    CsvRow fields_;
    std::string line_;
};

}  // namespace quorvel::merge
