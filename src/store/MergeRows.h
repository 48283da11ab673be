#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "sheet/ListingMerge.h"
#include "store/CsvStream.h"
#include "store/CsvTable.h"

// One spreadsheet record at a time, as the merge sees it: the heading's columns, and each data
// row's texts checked and converted to the sheet's code page 932. Messages are UTF-8.
namespace quorvel::merge {

struct Column {
    std::string label;  // "C列「項目１」", for messages
    std::optional<int> tag;
    bool fileName = false;
    bool used() const { return tag || fileName; }
};

struct Heading {
    std::vector<Column> columns;
    std::vector<std::string> ignored;  // labels of the columns no cell or name takes
    std::string problem;               // why the heading is unusable, else empty
};

// The heading must decode, and name at least one cell: else every row would silently become the
// bare template.
Heading ReadHeading(const CsvRecord& heading, CsvEncoding encoding);

// What a data record keeps while it is read: a cell's field can be legal only up to three bytes
// per code page 932 byte (half-width katakana in UTF-8), so a little more than that tells an
// over-long field; other columns are kept only when they are written back.
CsvLimits DataLimits(const std::vector<Column>& columns, bool keepOthers);
CsvLimits HeadingLimits();

struct PreparedRow {
    std::size_t removedControls = 0;
    std::vector<ListingText> texts;
    std::optional<std::string> fileName;  // code page 932 bytes
    std::string fileNameLabel;            // "A列「ファイル名」: ", for messages
    std::string problem;                  // empty when the row can be produced
};

// Checks and converts one data record. NUL and other control characters but CR, LF and TAB are
// removed from its fields (in place, so a record written back has none either). With
// `checkOthers` the unnamed columns must decode too, as they are written back.
PreparedRow PrepareRow(CsvRecord& record, const std::vector<Column>& columns, CsvEncoding encoding,
                       bool checkOthers);

// "12行目 ": the spreadsheet row of a record counted from 0, the heading being row 1.
std::string RowPrefix(std::size_t record);
std::string ColumnLetters(std::size_t index);
std::string ToTableEncoding(const std::string& sheetBytes, CsvEncoding encoding);

}  // namespace quorvel::merge
