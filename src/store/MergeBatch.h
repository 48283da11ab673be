#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sheet/DescriptionSheet.h"
#include "store/CsvTable.h"
#include "store/FileError.h"

// One template, many listings: every data row of a spreadsheet fills a copy of the template sheet
// and becomes a tag file (and optionally a data file), or a cell of an extended spreadsheet.
//
// The first row names the columns: the include-box captions name cells, "ファイル名" names the
// output file, and any other column is ignored. A row whose fields are all empty is skipped. A row
// fails alone, producing nothing, when a field holds a character code page 932 cannot hold, a
// merged cell passes the editor's 1000-byte limit, it has values beyond the named columns, or its
// file name is unusable or taken by an earlier row.
//
// Every message is UTF-8 text meant for the user as is.
namespace quorvel {

inline constexpr const char* kMergeCaption = "一括作成";
inline constexpr const char* kMergeHtmlColumn = "説明HTML";

struct MergeOptions {
    std::optional<CsvEncoding> encoding;  // nothing: detect it
    bool skipEmpty = false;               // a named cell left empty is excluded
    bool dataFiles = false;               // folder output: also each sheet as a ".qvl" data file
};

struct MergeResult {
    int produced = 0;                         // rows whose output was written
    std::vector<std::string> rowErrors;       // one per row that produced nothing, in row order
    std::vector<std::string> ignoredColumns;  // e.g. "D列「価格」", in column order
    std::optional<FileError> error;  // the spreadsheet could not be read or the table not written
    bool ok() const { return !error && rowErrors.empty(); }
};

// One tag file per row in `folder` (which must exist), in code page 932 with CR LF, named after
// "ファイル名" with ".html" added unless it ends in ".htm" or ".html", else "0001.html" for the
// first data row; a data file with the same name and ".qvl" when asked. Files are replaced safely.
MergeResult MergeToFolder(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                          const std::string& folder, const MergeOptions& options);

// The spreadsheet again with a last column "説明HTML" holding each row's tag text, in the
// spreadsheet's own encoding (byte-order mark kept). Rows that fail are left out.
MergeResult MergeToCsv(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                       const std::string& csvOut, const MergeOptions& options);

}  // namespace quorvel
