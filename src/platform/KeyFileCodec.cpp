#include "platform/KeyFileCodec.h"

#include <charconv>
#include <utility>

#include "platform/HexDigits.h"
#include "platform/Sjis.h"

namespace quorvel {
namespace {

void AppendByteEscape(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kUpperHexDigits[byte >> 4];
    out += kUpperHexDigits[byte & 0xF];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The code point of UTF-8 text that holds exactly one character.
std::optional<char32_t> SingleCodePoint(std::string_view utf8) {
    if (utf8.empty()) return std::nullopt;
    auto lead = static_cast<unsigned char>(utf8[0]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
    if (length == 0 || length != utf8.size()) return std::nullopt;
    char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (utf8[i] & 0x3F);
    return cp;
}

// A character worth showing as itself: printable and not one of the private or replacement code
// points, which would look like nothing in an editor.
bool Readable(char32_t cp) {
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return false;
    if (cp >= 0xE000 && cp <= 0xF8FF) return false;
    return cp != 0xFFFD;
}

std::string EncodeKeyName(std::string_view name) {
    std::string encoded = EncodeKeyFileText(name);
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        bool edge = i == 0 || i + 1 == encoded.size();
        // '=' ends the name; '#', ';' would start a comment and edge blanks would be trimmed.
        if (c == '=' || (i == 0 && (c == '#' || c == ';')) || (edge && c == ' '))
            AppendByteEscape(out, static_cast<unsigned char>(c));
        else
            out += c;
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

KeyFileValue* Find(std::vector<KeyFileValue>& values, std::string_view name) {
    for (auto& value : values)
        if (SameKeyName(value.name, name)) return &value;
    return nullptr;
}

std::optional<KeyFileValue> ParseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;
    auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    auto name = DecodeKeyFileText(Trim(line.substr(0, equals)));
    if (!name || name->empty()) return std::nullopt;
    KeyFileValue value;
    value.name = std::move(*name);
    std::string_view data = line.substr(equals + 1);
    if (data.starts_with("dword:")) {
        data.remove_prefix(6);
        if (data.empty() || data.size() > 10) return std::nullopt;
        std::uint64_t number = 0;
        auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), number);
        if (error != std::errc() || end != data.data() + data.size() || number > 0xFFFFFFFFu)
            return std::nullopt;
        value.type = KeyValueType::Dword;
        value.dword = static_cast<std::uint32_t>(number);
        return value;
    }
    if (data.starts_with("sz:")) {
        auto text = DecodeKeyFileText(data.substr(3));
        if (!text) return std::nullopt;
        value.type = KeyValueType::String;
        value.text = std::move(*text);
        return value;
    }
    return std::nullopt;
}

}  // namespace

bool SameKeyName(std::string_view a, std::string_view b) {
    // Value names, like the registry's, ignore ASCII case.
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::vector<KeyFileValue> ParseKeyFile(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    std::vector<KeyFileValue> values;
    while (!content.empty()) {
        auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        auto value = ParseLine(line);
        if (!value) continue;
        // A name given twice keeps its first place and its last value.
        if (KeyFileValue* existing = Find(values, value->name))
            *existing = std::move(*value);
        else
            values.push_back(std::move(*value));
    }
    return values;
}

std::string FormatKeyFile(const std::vector<KeyFileValue>& values) {
    std::string out;
    for (const auto& value : values) {
        out += EncodeKeyName(value.name);
        if (value.type == KeyValueType::Dword)
            out += "=dword:" + std::to_string(value.dword);
        else
            out += "=sz:" + EncodeKeyFileText(value.text);
        out += '\n';
    }
    return out;
}

std::string EncodeKeyFileText(std::string_view cp932) {
    std::string out;
    std::size_t i = 0;
    while (i < cp932.size()) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        std::size_t length = sjis::IsLeadByte(byte) && i + 1 < cp932.size() ? 2 : 1;
        std::string_view piece = cp932.substr(i, length);
        i += length;
        if (byte < 0x80) {
            switch (byte) {
                case '\\':
                    out += "\\\\";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (byte < 0x20 || byte == 0x7F)
                        AppendByteEscape(out, byte);
                    else
                        out += static_cast<char>(byte);
            }
            continue;
        }
        // A character goes in as UTF-8 only when it comes back as the same bytes; duplicates in
        // code page 932 and bytes without a character are kept as escapes.
        std::string utf8 = sjis::ToUtf8(piece);
        auto cp = SingleCodePoint(utf8);
        auto back = sjis::FromUtf8(utf8);
        if (cp && Readable(*cp) && back.ok() && back.bytes == piece) {
            out += utf8;
        } else {
            for (char c : piece) AppendByteEscape(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

std::optional<std::string> DecodeKeyFileText(std::string_view escaped) {
    std::string out;
    std::string run;
    auto flush = [&]() {
        if (run.empty()) return true;
        auto bytes = sjis::FromUtf8(run);
        if (!bytes.ok()) return false;
        out += bytes.bytes;
        run.clear();
        return true;
    };
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        if (c != '\\') {
            run += c;
            continue;
        }
        if (!flush() || i + 1 >= escaped.size()) return std::nullopt;
        switch (escaped[++i]) {
            case '\\':
                out += '\\';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 2 >= escaped.size()) return std::nullopt;
                int high = HexValue(escaped[i + 1]), low = HexValue(escaped[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    if (!flush()) return std::nullopt;
    return out;
}

}  // namespace quorvel
