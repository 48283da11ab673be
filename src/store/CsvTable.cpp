#include "store/CsvTable.h"

#include "platform/Sjis.h"

namespace quorvel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool StartsWithByteOrderMark(std::string_view bytes) {
    return bytes.starts_with(kByteOrderMark);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();)
        if (!sjis::NextUtf8(bytes, pos)) return false;
    return true;
}

CsvEncoding DetectCsvEncoding(std::string_view bytes) {
    if (StartsWithByteOrderMark(bytes) || IsValidUtf8(bytes)) return CsvEncoding::Utf8;
    return CsvEncoding::Cp932;
}

CsvTable ReadCsv(std::string_view bytes, std::optional<CsvEncoding> forced) {
    CsvTable table;
    table.encoding = forced ? *forced : DetectCsvEncoding(bytes);
    if (table.encoding == CsvEncoding::Utf8 && StartsWithByteOrderMark(bytes)) {
        table.byteOrderMark = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    // Splitting on bytes is safe in both encodings: no byte of a multi-byte character is a quote,
    // a comma, CR or LF.
    bool lineEndSeen = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        CsvRow row;
        bool rowDone = false;
        while (!rowDone) {
            std::string field;
            bool quoted = false;
            while (i < bytes.size()) {
                const char c = bytes[i];
                if (quoted) {
                    if (c == '"') {
                        if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                            field += '"';
                            i += 2;
                        } else {
                            quoted = false;
                            ++i;
                        }
                    } else {
                        field += c;
                        ++i;
                    }
                } else if (c == '"') {
                    quoted = true;
                    ++i;
                } else if (c == ',' || c == '\n' ||
                           (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) {
                    break;
                } else {
                    field += c;
                    ++i;
                }
            }
            row.push_back(std::move(field));
            if (i >= bytes.size()) {
                rowDone = true;
            } else if (bytes[i] == ',') {
                ++i;
                // A comma at the very end still opens one last, empty field.
                if (i >= bytes.size()) row.emplace_back();
            } else {
                const std::size_t length = bytes[i] == '\r' ? 2 : 1;
                if (!lineEndSeen) {
                    table.lineEnd.assign(bytes.substr(i, length));
                    lineEndSeen = true;
                }
                i += length;
                rowDone = true;
            }
        }
        table.rows.push_back(std::move(row));
    }
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

std::string WriteCsv(const CsvTable& table) {
    std::string out;
    if (table.byteOrderMark) out += kByteOrderMark;
    for (const CsvRow& row : table.rows) {
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (k > 0) out += ',';
            // A first field that looks like a byte-order mark is quoted, or a reader would drop it.
            if (out.empty() && StartsWithByteOrderMark(row[k]))
                out += QuotedField(row[k]);
            else
                out += CsvField(row[k]);
        }
        out += table.lineEnd;
    }
    return out;
}

}  // namespace quorvel
