#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/DescriptionSheet.h"
#include "store/CsvTable.h"
#include "store/FileError.h"

// One template, many listings: every data row of a spreadsheet fills a copy of the template sheet
// and becomes a tag file (and optionally a data file), or a cell of an extended spreadsheet.
//
// The first row names the columns: the include-box captions name cells, "ファイル名" names the
// output file, and any other column is ignored. A row whose fields are all empty is skipped. A row
// fails alone, producing nothing, when a field cannot be decoded or holds a character code page
// 932 cannot hold, a merged cell passes the editor's 1000-byte limit, it has values beyond the
// named columns, or its file name is unusable, taken by an earlier row, or exists as anything but
// a regular file. NUL and other control characters are dropped from the fields and counted. A
// heading that cannot be decoded or names no cell, or a spreadsheet that is not a regular file,
// fails the whole run; a quote never closed fails its row and ends the table there.
//
// The spreadsheet is read as a stream: memory does not grow with its rows, only the names taken
// (for folder output) and the first failures kept for the report do.
//
// Every message is UTF-8 text meant for the user as is.
namespace quorvel {

inline constexpr const char* kMergeCaption = "一括作成";
inline constexpr const char* kMergeHtmlColumn = "説明HTML";

// A further rendition of each row's sheet (code page 932 bytes): in folder output a file named
// after the row's file name stem with `suffix` (".qvl" for the data file is one), in --csv
// output a further last column headed `column` (UTF-8), converted to the table's encoding. An
// empty suffix or column leaves that output without it.
struct MergeRendition {
    std::string suffix;
    std::string column;
    std::function<std::string(const TDescriptionSheet&)> render;
    // Text for people, not markup: a UTF-8 table gets the characters of its references.
    bool plainText = false;
};

// One data row as it is done, for progress and for per-row reports.
struct MergeRowEvent {
    std::size_t row = 0;                       // the spreadsheet row, the heading being 1
    const TDescriptionSheet* sheet = nullptr;  // the merged sheet, when the row was made
    std::string_view problem;                  // why it was not, else empty (also when blank)
    bool blank = false;                        // skipped: all its fields are empty
};

struct MergeOptions {
    std::optional<CsvEncoding> encoding;     // nothing: detect it
    bool skipEmpty = false;                  // a named cell left empty is excluded
    bool dataFiles = false;                  // folder output: also each sheet as a ".qvl" data file
    bool tags = true;                        // false: no ".html" file or "説明HTML" column
    std::vector<MergeRendition> renditions;  // further files or columns per row
    // Called for every data row once it is done; false stops the merge there.
    std::function<bool(const MergeRowEvent&)> onRow;
};

struct MergeResult {
    int produced = 0;                         // rows whose output was written
    std::size_t failed = 0;                   // rows that produced nothing
    std::vector<std::string> rowErrors;       // the first failures, in row order
    std::vector<std::string> ignoredColumns;  // e.g. "D列「価格」", in column order
    std::size_t removedControls = 0;  // NUL and other control characters left out of the fields
    bool stopped = false;             // the row hook asked to stop
    std::optional<FileError> error;   // the spreadsheet could not be read or an output not written
    bool ok() const { return !error && failed == 0 && !stopped; }
};

// How many failures MergeResult keeps word for word; the row hook sees every one.
inline constexpr std::size_t kKeptRowErrors = 100;

// One tag file per row in `folder` (which must exist), in code page 932 with CR LF, named after
// "ファイル名" with ".html" added unless it ends in ".htm" or ".html", else "0001.html" for the
// first data row; a data file with the same name and ".qvl" when asked. Files are replaced safely.
MergeResult MergeToFolder(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                          const std::string& folder, const MergeOptions& options);

// The spreadsheet again with a last column "説明HTML" holding each row's tag text, in the
// spreadsheet's own encoding (byte-order mark kept), so it reads back as the same table. Rows
// that fail are left out. The output is never the spreadsheet itself.
MergeResult MergeToCsv(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                       const std::string& csvOut, const MergeOptions& options);

// Data rows in the spreadsheet (records after the heading), for the progress window's count;
// nothing when it cannot be read.
std::optional<std::size_t> CountMergeRows(const std::string& csvPath);

}  // namespace quorvel
