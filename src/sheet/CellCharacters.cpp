#include "sheet/CellCharacters.h"

#include "platform/HexDigits.h"
#include "platform/Sjis.h"

namespace quorvel::cellchars {
namespace {

constexpr char32_t kLastCharacter = 0x10FFFF;

bool IsControl(char32_t ch) {
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F);
}

bool IsPrivateUse(char32_t ch) {
    return (ch >= 0xE000 && ch <= 0xF8FF) || (ch >= 0xF0000 && ch <= kLastCharacter);
}

bool IsNoncharacter(char32_t ch) {
    return (ch >= 0xFDD0 && ch <= 0xFDEF) || (ch & 0xFFFE) == 0xFFFE;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::size_t HexDigitCount(char32_t ch) {
    std::size_t digits = 1;
    while (ch >>= 4) ++digits;
    return digits;
}

}  // namespace

char32_t Cp932Form(char32_t ch) {
    switch (ch) {
        case U'\u301C':  // WAVE DASH
            return U'\uFF5E';
        case U'\u2212':  // MINUS SIGN
            return U'\uFF0D';
        case U'\u2014':  // EM DASH
            return U'\u2015';
        case U'\u2016':  // DOUBLE VERTICAL LINE
            return U'\u2225';
        case U'\u00A2':  // CENT SIGN
            return U'\uFFE0';
        case U'\u00A3':  // POUND SIGN
            return U'\uFFE1';
        case U'\u00AC':  // NOT SIGN
            return U'\uFFE2';
        default:
            return ch;
    }
}

bool EntersAsReference(char32_t ch) {
    if (ch > kLastCharacter || IsControl(ch) || IsPrivateUse(ch) || IsNoncharacter(ch))
        return false;
    if (ch >= 0xD800 && ch <= 0xDFFF) return false;
    return sjis::EncodedLength(ch) == 0 && Cp932Form(ch) == ch;
}

void AppendReference(std::string& out, char32_t ch) {
    out += "&#x";
    for (std::size_t digit = HexDigitCount(ch); digit-- > 0;)
        out += kUpperHexDigits[(ch >> (4 * digit)) & 0xF];
    out += ';';
}

std::size_t ReferenceLength(char32_t ch) {
    return 4 + HexDigitCount(ch);
}

std::optional<char32_t> ReadReference(std::string_view text, std::size_t pos, std::size_t& length) {
    if (text.size() < pos + 5 || text[pos] != '&' || text[pos + 1] != '#' ||
        (text[pos + 2] != 'x' && text[pos + 2] != 'X'))
        return std::nullopt;
    // A leading zero would make the text longer than the reference a cell writes for it.
    if (text[pos + 3] == '0') return std::nullopt;
    char32_t ch = 0;
    std::size_t at = pos + 3;
    for (; at < text.size() && at - (pos + 3) < 7; ++at) {
        const int value = HexValue(text[at]);
        if (value < 0) break;
        ch = ch << 4 | static_cast<char32_t>(value);
    }
    const std::size_t digits = at - (pos + 3);
    if (digits == 0 || digits > 6 || at == text.size() || text[at] != ';') return std::nullopt;
    if (!EntersAsReference(ch)) return std::nullopt;
    length = at + 1 - pos;
    return ch;
}

void ForEachRun(std::string_view cellBytes, const std::function<void(std::string_view)>& plain,
                const std::function<void(char32_t)>& referenced) {
    std::size_t plainStart = 0;
    std::size_t pos = 0;
    while (pos < cellBytes.size()) {
        const auto byte = static_cast<unsigned char>(cellBytes[pos]);
        std::size_t length = 0;
        if (byte == '&') {
            if (const auto ch = ReadReference(cellBytes, pos, length)) {
                if (pos > plainStart) plain(cellBytes.substr(plainStart, pos - plainStart));
                referenced(*ch);
                pos += length;
                plainStart = pos;
                continue;
            }
        }
        // A lead byte takes its second byte along: that byte is never the start of a reference.
        pos += sjis::IsLeadByte(byte) && pos + 1 < cellBytes.size() ? 2 : 1;
    }
    if (plainStart < cellBytes.size()) plain(cellBytes.substr(plainStart));
}

std::string ToUtf8(std::string_view cellBytes) {
    std::string out;
    out.reserve(cellBytes.size() * 3 / 2);
    ForEachRun(
        cellBytes, [&out](std::string_view run) { out += sjis::ToUtf8(run); },
        [&out](char32_t ch) { sjis::AppendUtf8(out, ch); });
    return out;
}

CellBytes FromUtf8(std::string_view utf8) {
    CellBytes result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto decoded = sjis::NextUtf8(utf8, pos);
        const char32_t ch = Cp932Form(decoded.value_or(U'\uFFFD'));
        const bool lineOrTab = ch == U'\r' || ch == U'\n' || ch == U'\t';
        if (decoded && (lineOrTab || !IsControl(ch)) && sjis::AppendEncoded(result.bytes, ch))
            continue;
        if (decoded && EntersAsReference(ch)) {
            AppendReference(result.bytes, ch);
            continue;
        }
        result.refused = ch;
        return result;
    }
    return result;
}

}  // namespace quorvel::cellchars
