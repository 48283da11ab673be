#include "store/CsvTable.h"

#include "platform/Sjis.h"
#include "store/CsvStream.h"

namespace quorvel {
namespace {

bool StartsWithByteOrderMark(std::string_view bytes) {
    return bytes.starts_with(kUtf8ByteOrderMark);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();)
        if (!sjis::NextUtf8(bytes, pos)) return false;
    return true;
}

std::size_t Utf8ErrorCount(std::string_view bytes) {
    std::size_t errors = 0;
    for (std::size_t pos = 0; pos < bytes.size();)
        if (!sjis::NextUtf8(bytes, pos)) ++errors;
    return errors;
}

std::size_t Cp932ErrorCount(std::string_view bytes) {
    // Code page 932 has no character of its own for U+FFFD: each one is an undecodable sequence.
    const std::string text = sjis::ToUtf8(bytes);
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::size_t errors = 0;
    for (auto at = text.find(kReplacement); at != std::string::npos;
         at = text.find(kReplacement, at + kReplacement.size()))
        ++errors;
    return errors;
}

CsvEncoding DetectCsvEncoding(std::string_view bytes) {
    if (StartsWithByteOrderMark(bytes)) return CsvEncoding::Utf8;
    // Cut at a line feed: no byte of a multi-byte character in either encoding is one.
    constexpr std::size_t kSample = 1 << 20;
    if (bytes.size() > kSample) {
        const auto cut = bytes.rfind('\n', kSample);
        bytes = bytes.substr(0, cut == std::string_view::npos ? kSample : cut + 1);
    }
    const std::size_t utf8Errors = Utf8ErrorCount(bytes);
    if (utf8Errors == 0) return CsvEncoding::Utf8;
    const std::size_t cp932Errors = Cp932ErrorCount(bytes);
    if (cp932Errors == 0) return CsvEncoding::Cp932;
    // Neither fits: the heading decides, as the rows are read by it. UTF-8 Japanese often passes
    // for code page 932 byte pairs, so counting errors alone would take a UTF-8 file with a few
    // Shift_JIS rows for Shift_JIS.
    const std::string_view heading = bytes.substr(0, bytes.find('\n'));
    if (Utf8ErrorCount(heading) == 0) return CsvEncoding::Utf8;
    if (Cp932ErrorCount(heading) == 0) return CsvEncoding::Cp932;
    return cp932Errors <= utf8Errors ? CsvEncoding::Cp932 : CsvEncoding::Utf8;
}

CsvTable ReadCsv(std::string_view bytes, std::optional<CsvEncoding> forced) {
    CsvTable table;
    table.encoding = forced ? *forced : DetectCsvEncoding(bytes);
    StringCsvSource source(bytes);
    CsvReader reader(source);
    if (table.encoding == CsvEncoding::Utf8) table.byteOrderMark = reader.SkipByteOrderMark();
    CsvRecord record;
    for (;;) {
        const CsvStatus status = reader.Next(record);
        if (status == CsvStatus::End || status == CsvStatus::ReadFailed) break;
        if (status == CsvStatus::UnclosedQuote) table.unclosedQuoteRow = table.rows.size();
        table.rows.push_back(std::move(record.fields));
        if (status == CsvStatus::UnclosedQuote) break;
    }
    table.lineEnd = reader.lineEnd();
    return table;
}

namespace {

std::string QuotedField(std::string_view field) {
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace

std::string CsvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    return QuotedField(field);
}

void AppendCsvRecord(std::string& out, const CsvRow& fields, std::string_view lineEnd,
                     bool atStart) {
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0) out += ',';
        // A first field that looks like a byte-order mark is quoted, or a reader would drop it.
        if (k == 0 && atStart && StartsWithByteOrderMark(fields[k]))
            out += QuotedField(fields[k]);
        else
            out += CsvField(fields[k]);
    }
    out += lineEnd;
}

std::string WriteCsv(const CsvTable& table) {
    std::string out;
    if (table.byteOrderMark) out += kUtf8ByteOrderMark;
    for (const CsvRow& row : table.rows) AppendCsvRecord(out, row, table.lineEnd, out.empty());
    return out;
}

}  // namespace quorvel
