#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated tables as spreadsheet programs save them, whole in memory (the record syntax is
// CsvStream's). Fields are kept as the file's own bytes, so a table written back keeps every text
// exactly.
namespace quorvel {

enum class CsvEncoding { Utf8, Cp932 };

using CsvRow = std::vector<std::string>;

struct CsvTable {
    std::vector<CsvRow> rows;  // every row has at least one field
    CsvEncoding encoding = CsvEncoding::Utf8;
    bool byteOrderMark = false;    // the UTF-8 byte-order mark, not part of any field
    std::string lineEnd = "\r\n";  // the first line end met, used again when writing
    // The row (counted from 0) where a quoted field began that is never closed: the last row,
    // whose last field took the rest of the input.
    std::optional<std::size_t> unclosedQuoteRow;

    bool operator==(const CsvTable&) const = default;
};

// UTF-8 when the bytes start with a byte-order mark or are valid UTF-8, code page 932 when they
// are valid code page 932; when neither, the one the first line (the heading) is valid in, and
// failing that the one with fewer undecodable characters (ties go to code page 932). Only the
// first part of a long input is looked at.
CsvEncoding DetectCsvEncoding(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// Characters in the bytes that UTF-8, or code page 932, cannot decode.
std::size_t Utf8ErrorCount(std::string_view bytes);
std::size_t Cp932ErrorCount(std::string_view bytes);

// Reads any bytes. A quote that is never closed takes the rest of the input (see
// `unclosedQuoteRow`). A line end at the very end adds no row.
CsvTable ReadCsv(std::string_view bytes, std::optional<CsvEncoding> forced = std::nullopt);

// The field as the table's writer puts it: quoted when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view field);
// One record and its line end; `atStart` when nothing (not even a byte-order mark) comes before.
void AppendCsvRecord(std::string& out, const CsvRow& fields, std::string_view lineEnd,
                     bool atStart);
// The whole table, byte-order mark first when it has one, every row ended by `lineEnd`.
std::string WriteCsv(const CsvTable& table);

}  // namespace quorvel
