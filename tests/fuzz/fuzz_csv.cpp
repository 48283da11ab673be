// libFuzzer harness: the CSV reader takes any bytes; a table it read, written back by the writer,
// reads back equal; the stream reader gives the same records in pieces of any size; and a table
// of valid text in either encoding, headed like the merge's output, reads back with its encoding
// found again from the bytes alone.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Sjis.h"
#include "store/CsvStream.h"
#include "store/CsvTable.h"

namespace {

using quorvel::CsvEncoding;
using quorvel::CsvTable;

void CheckWholeTable(std::string_view bytes) {
    const CsvTable table = quorvel::ReadCsv(bytes);
    for (const auto& row : table.rows)
        if (row.empty()) std::abort();
    if (table.unclosedQuoteRow && *table.unclosedQuoteRow + 1 != table.rows.size()) std::abort();
    // What is written closes every quote, so an unclosed one is not there to be found again.
    CsvTable closed = table;
    closed.unclosedQuoteRow.reset();
    const CsvTable again = quorvel::ReadCsv(quorvel::WriteCsv(closed), table.encoding);
    if (!(again == closed)) std::abort();
}

void CheckPieces(std::string_view bytes, std::size_t piece) {
    const CsvTable whole = quorvel::ReadCsv(bytes, CsvEncoding::Cp932);
    quorvel::StringCsvSource source(bytes, piece);
    quorvel::CsvReader reader(source);
    quorvel::CsvRecord record;
    std::size_t row = 0;
    for (;;) {
        const quorvel::CsvStatus status = reader.Next(record);
        if (status == quorvel::CsvStatus::End || status == quorvel::CsvStatus::ReadFailed) break;
        if (row >= whole.rows.size() || record.fields != whole.rows[row]) std::abort();
        ++row;
        if (status == quorvel::CsvStatus::UnclosedQuote) break;
    }
    if (row != whole.rows.size()) std::abort();
}

// The bytes as valid text: UTF-8 through code page 932 decoding, code page 932 by encoding that
// text back and keeping what converts.
std::string ValidText(std::string_view bytes, CsvEncoding encoding) {
    const std::string utf8 = quorvel::sjis::ToUtf8(bytes);
    if (encoding == CsvEncoding::Utf8) return utf8;
    std::string kept;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto ch = quorvel::sjis::NextUtf8(utf8, pos);
        if (ch) quorvel::sjis::AppendEncoded(kept, *ch);
    }
    return kept;
}

void CheckEncodingSurvives(std::string_view bytes, CsvEncoding encoding, bool mark) {
    CsvTable table;
    table.encoding = encoding;
    table.byteOrderMark = mark && encoding == CsvEncoding::Utf8;
    table.lineEnd = bytes.size() % 2 ? "\n" : "\r\n";
    table.rows.push_back({ValidText(quorvel::sjis::FromUtf8("タイトル").bytes, encoding),
                          ValidText(quorvel::sjis::FromUtf8("説明HTML").bytes, encoding)});
    // Fields split where the input has a 0x1F byte, rows where it has 0x1E.
    quorvel::CsvRow row;
    std::string field;
    for (const char c : bytes) {
        if (c == '\x1E' || c == '\x1F') {
            row.push_back(ValidText(field, encoding));
            field.clear();
            if (c == '\x1E') {
                table.rows.push_back(row);
                row.clear();
            }
        } else {
            field += c;
        }
    }
    row.push_back(ValidText(field, encoding));
    table.rows.push_back(row);
    const CsvTable again = quorvel::ReadCsv(quorvel::WriteCsv(table));
    if (!(again == table)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckWholeTable(bytes);
    if (size == 0) return 0;
    CheckPieces(bytes.substr(1), 1 + static_cast<unsigned char>(bytes[0]) % 16);
    CheckEncodingSurvives(bytes.substr(1), CsvEncoding::Utf8, bytes[0] & 0x40);
    CheckEncodingSurvives(bytes.substr(1), CsvEncoding::Cp932, false);
    return 0;
}
