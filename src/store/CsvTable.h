#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated tables as spreadsheet programs save them: fields in double quotes may hold
// commas, doubled quotes and line breaks; lines end in CR LF or LF. Fields are kept as the file's
// own bytes, so a table written back keeps every text exactly.
namespace quorvel {

enum class CsvEncoding { Utf8, Cp932 };

using CsvRow = std::vector<std::string>;

struct CsvTable {
    std::vector<CsvRow> rows;  // every row has at least one field
    CsvEncoding encoding = CsvEncoding::Utf8;
    bool byteOrderMark = false;    // the UTF-8 byte-order mark, not part of any field
    std::string lineEnd = "\r\n";  // the first line end met, used again when writing

    bool operator==(const CsvTable&) const = default;
};

// UTF-8 when the bytes start with a byte-order mark or are valid UTF-8, code page 932 otherwise.
CsvEncoding DetectCsvEncoding(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Reads any bytes; never fails. A quote that is never closed takes the rest of the input; text
// after a closing quote is kept in the field. A line end at the very end adds no row.
CsvTable ReadCsv(std::string_view bytes, std::optional<CsvEncoding> forced = std::nullopt);

// The field as the table's writer puts it: quoted when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view field);
// The whole table, byte-order mark first when it has one, every row ended by `lineEnd`.
std::string WriteCsv(const CsvTable& table);

}  // namespace quorvel
