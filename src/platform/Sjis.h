#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Conversion between code page 932 bytes (the sheet's text) and UTF-8, mapped exactly as Windows
// maps code page 932.
namespace quorvel::sjis {

// Decodes code page 932 bytes. A byte sequence with no mapping becomes U+FFFD, on every platform:
// a lead byte with its following byte, or a single byte (80, A0, FD-FF and a final lead byte).
std::string ToUtf8(std::string_view cp932);

struct EncodeResult {
    std::string bytes;  // the text up to the first character that has no code page 932 form
    // Position (in characters, counted from 0) and value of the first character that code page 932
    // cannot hold; empty when the whole text converted.
    std::optional<std::size_t> badIndex;
    char32_t badChar = 0;
    bool ok() const { return !badIndex; }
};

// Encodes UTF-8 text. Invalid UTF-8 counts as an unmappable character at its position.
EncodeResult FromUtf8(std::string_view utf8);

// The code page 932 bytes of one character, or nothing when code page 932 has no form for it.
std::optional<std::string> EncodeChar(char32_t ch);

// Appends the code page 932 bytes of one character; false, with nothing appended, when code
// page 932 has no form for it. The typing path's form of EncodeChar: no string per character.
bool AppendEncoded(std::string& out, char32_t ch);

// Bytes one character takes in code page 932: 1 or 2, or 0 when it has no form there.
int EncodedLength(char32_t ch);

// One character as UTF-8, appended to `out`.
void AppendUtf8(std::string& out, char32_t ch);
// Reads one UTF-8 character at `pos`; nothing for a malformed, overlong, surrogate or out-of-range
// sequence (pos then moves one byte).
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& pos);

// Bytes a UTF-16 fragment (a text box's own text) takes in code page 932, so an edit can count
// only the text it changed. A character code page 932 cannot hold, or a lone surrogate, counts
// as unmappableBytes.
std::size_t EncodedLength(std::u16string_view utf16, std::size_t unmappableBytes = 2);

// True when the byte starts a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True when the byte may follow a lead byte as the second of a double-byte character.
constexpr bool IsTrailByte(unsigned byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// The bytes of the character at `pos` as ToUtf8 reads them: a lead byte takes the next byte with
// it, whatever that byte is ("<" and a line break too), unless it is the last byte.
constexpr std::size_t CharLength(std::string_view bytes, std::size_t pos) {
    return IsLeadByte(static_cast<unsigned char>(bytes[pos])) && pos + 1 < bytes.size() ? 2 : 1;
}

}  // namespace quorvel::sjis
