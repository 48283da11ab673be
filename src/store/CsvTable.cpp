#include "store/CsvTable.h"

namespace quorvel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool StartsWithByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        char32_t value;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) ||
            (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
            return false;
        i += length;
    }
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
