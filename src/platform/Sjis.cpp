#include "platform/Sjis.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

// Every conversion is a look-up in tables filled once, on first use, from the platform's own
// converter; typing then costs a few memory reads per character and takes no lock.
namespace quorvel::sjis {
namespace {

constexpr char16_t kNoCharacter = 0xFFFF;  // a noncharacter: no code decodes to it
constexpr char16_t kReplacement = 0xFFFD;
// What Windows decodes an undecodable code to; genuine only at its own code, 81 45.
constexpr char16_t kWindowsDefault = 0x30FB;

constexpr int kLeadCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);

constexpr int LeadIndex(unsigned lead) {
    return lead <= 0x9F ? static_cast<int>(lead - 0x81) : static_cast<int>(lead - 0xE0 + 0x1F);
}

// ---- the platform's converter, one character at a time, used only while filling the tables --

#ifdef _WIN32
class PlatformCodec {
  public:
    // The one character the bytes decode to, or kNoCharacter.
    char16_t Decode(const char* bytes, int length) {
        wchar_t wide[4];
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, length, wide, 4);
        return n == 1 ? static_cast<char16_t>(wide[0]) : kNoCharacter;
    }
    // The bytes of one character (one or two), or an empty string.
    std::string Encode(char16_t ch) {
        const wchar_t wide = static_cast<wchar_t>(ch);
        char buffer[4];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, buffer,
                                          sizeof buffer, nullptr, &usedDefault);
        if (n <= 0 || n > 2 || usedDefault) return {};
        return std::string(buffer, n);
    }
};
#else
// glibc's "CP932" is Windows' code page 932 (its "SHIFT_JIS" is a different table).
class PlatformCodec {
  public:
    PlatformCodec()
        : decoder_(iconv_open("UTF-32LE", "CP932")), encoder_(iconv_open("CP932", "UTF-32LE")) {}
    ~PlatformCodec() {
        if (decoder_ != kFailed) iconv_close(decoder_);
        if (encoder_ != kFailed) iconv_close(encoder_);
    }
    PlatformCodec(const PlatformCodec&) = delete;
    PlatformCodec& operator=(const PlatformCodec&) = delete;

    char16_t Decode(const char* bytes, int length) {
        unsigned char out[16];
        const std::size_t produced = Run(decoder_, bytes, length, out, sizeof out);
        if (produced != 4) return kNoCharacter;
        const char32_t ch = out[0] | (out[1] << 8) | (out[2] << 16) | (char32_t{out[3]} << 24);
        return ch < kNoCharacter ? static_cast<char16_t>(ch) : kNoCharacter;
    }
    std::string Encode(char16_t ch) {
        const char in[4] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8), 0, 0};
        unsigned char out[16];
        const std::size_t produced = Run(encoder_, in, 4, out, sizeof out);
        if (produced < 1 || produced > 2) return {};
        return std::string(reinterpret_cast<const char*>(out), produced);
    }

  private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);

    // Bytes written for the whole input, or 0 when any of it did not convert.
    static std::size_t Run(iconv_t cd, const char* in, std::size_t length, unsigned char* out,
                           std::size_t room) {
        if (cd == kFailed) return 0;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = length;
        std::size_t outLeft = room;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0)
            return 0;
        return room - outLeft;
    }

    iconv_t decoder_;
    iconv_t encoder_;
};
#endif

// ---- the tables ------------------------------------------------------------------------------

struct Tables {
    // Character of each single byte 80-FF that is not a lead byte, or kNoCharacter.
    std::array<char16_t, 256> single{};
    // Character of each lead byte (by LeadIndex) and following byte, or kNoCharacter.
    std::vector<char16_t> pairs = std::vector<char16_t>(kLeadCount * 256, kNoCharacter);
    // Code of each BMP character: 0 none, below 100 hex one byte, otherwise lead * 256 + trail.
    // ASCII is not kept here: it is always itself.
    std::vector<std::uint16_t> codes = std::vector<std::uint16_t>(0x10000, 0);

    char16_t Decode(unsigned lead, unsigned trail) const {
        return pairs[LeadIndex(lead) * 256 + trail];
    }
    char16_t DecodeCode(std::uint16_t code) const {
        return code < 0x100 ? single[code] : Decode(code >> 8, code & 0xFF);
    }
};

std::unique_ptr<Tables> BuildTables() {
    auto tables = std::make_unique<Tables>();
    PlatformCodec codec;
    // Portable rules decide what counts as undecodable, so every platform agrees: the only single
    // bytes above 7F are the half-width katakana A1-DF; a trail byte is 40-7E or 80-FC; and ・
    // is what Windows substitutes for any code it cannot decode, so it counts only at its own code.
    tables->single.fill(kNoCharacter);
    for (unsigned byte = 0xA1; byte <= 0xDF; ++byte) {
        const char in = static_cast<char>(byte);
        tables->single[byte] = codec.Decode(&in, 1);
    }
    const std::string defaultCode = codec.Encode(kWindowsDefault);
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!IsTrailByte(trail)) continue;
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t ch = codec.Decode(in, 2);
            if (ch == kWindowsDefault && std::string(in, 2) != defaultCode) ch = kNoCharacter;
            tables->pairs[LeadIndex(lead) * 256 + trail] = ch;
        }
    }
    // A character is encoded only when its bytes decode back to it: one-way conveniences
    // (‖ to 81 61, which decodes as ∥) would not survive a save and load.
    const auto learn = [&](char16_t ch) {
        if (ch == kNoCharacter || ch < 0x80 || tables->codes[ch] != 0) return;
        const std::string bytes = codec.Encode(ch);
        if (bytes.empty()) return;
        const std::uint16_t code =
            bytes.size() == 1
                ? static_cast<unsigned char>(bytes[0])
                : static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                             static_cast<unsigned char>(bytes[1]));
        if (bytes.size() == 2 && !IsLeadByte(static_cast<unsigned char>(bytes[0]))) return;
        if (bytes.size() == 1 && IsLeadByte(static_cast<unsigned char>(bytes[0]))) return;
        if (tables->DecodeCode(code) == ch) tables->codes[ch] = code;
    };
    for (char16_t ch : tables->single) learn(ch);
    for (char16_t ch : tables->pairs) learn(ch);
    return tables;
}

// Built once; C++ makes the first use thread-safe, and every later use is a plain read.
const Tables& TheTables() {
    static const std::unique_ptr<Tables> tables = BuildTables();
    return *tables;
}

std::uint16_t CodeOf(char32_t ch) {
    if (ch < 0x80) return static_cast<std::uint16_t>(ch);
    return ch > 0xFFFF ? 0 : TheTables().codes[ch];
}

}  // namespace

// ---- UTF-8 -----------------------------------------------------------------------------------

void AppendUtf8(std::string& out, char32_t ch) {
    char buffer[4];
    std::size_t length;
    if (ch < 0x80) {
        buffer[0] = static_cast<char>(ch);
        length = 1;
    } else if (ch < 0x800) {
        buffer[0] = static_cast<char>(0xC0 | (ch >> 6));
        buffer[1] = static_cast<char>(0x80 | (ch & 0x3F));
        length = 2;
    } else if (ch < 0x10000) {
        buffer[0] = static_cast<char>(0xE0 | (ch >> 12));
        buffer[1] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        buffer[2] = static_cast<char>(0x80 | (ch & 0x3F));
        length = 3;
    } else {
        buffer[0] = static_cast<char>(0xF0 | (ch >> 18));
        buffer[1] = static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        buffer[2] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        buffer[3] = static_cast<char>(0x80 | (ch & 0x3F));
        length = 4;
    }
    out.append(buffer, length);
}

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(pos);
    int length = first < 0x80         ? 1
                 : (first >> 5) == 6  ? 2
                 : (first >> 4) == 14 ? 3
                 : (first >> 3) == 30 ? 4
                                      : 0;
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return std::nullopt;
    }
    char32_t ch = length == 1 ? first : first & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return std::nullopt;
        }
        ch = (ch << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    static constexpr std::array<char32_t, 5> kMinimum{0, 0, 0x80, 0x800, 0x10000};
    if (ch < kMinimum[length] || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return std::nullopt;
    return ch;
}

bool AppendEncoded(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
        return true;
    }
    const std::uint16_t code = CodeOf(ch);
    if (code == 0) return false;
    if (code < 0x100) {
        out += static_cast<char>(code);
    } else {
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        out.append(bytes, 2);
    }
    return true;
}

std::optional<std::string> EncodeChar(char32_t ch) {
    std::string bytes;
    if (!AppendEncoded(bytes, ch)) return std::nullopt;
    return bytes;
}

int EncodedLength(char32_t ch) {
    if (ch < 0x80) return 1;
    const std::uint16_t code = CodeOf(ch);
    return code == 0 ? 0 : code < 0x100 ? 1 : 2;
}

std::size_t EncodedLength(std::u16string_view utf16, std::size_t unmappableBytes) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit < 0x80) {
            ++length;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            // No character beyond the BMP has a code page 932 form; a pair counts as one.
            const bool pair = unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
                              utf16[i + 1] <= 0xDFFF;
            if (pair) ++i;
            length += unmappableBytes;
        } else {
            const int bytes = EncodedLength(static_cast<char32_t>(unit));
            length += bytes == 0 ? unmappableBytes : static_cast<std::size_t>(bytes);
        }
    }
    return length;
}

std::string ToUtf8(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    const std::size_t size = cp932.size();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(cp932[i]); };
    std::size_t pos = 0;
    while (pos < size) {
        // ASCII runs need no table.
        const std::size_t runStart = pos;
        while (pos < size && byte(pos) < 0x80) ++pos;
        out.append(cp932.data() + runStart, pos - runStart);
        if (pos == size) break;
        const Tables& tables = TheTables();
        const unsigned char lead = byte(pos);
        char16_t ch;
        if (!IsLeadByte(lead)) {
            ch = tables.single[lead];
            pos += 1;
        } else if (pos + 1 < size) {
            // A lead byte always takes the next byte with it, even when the pair does not decode.
            ch = tables.Decode(lead, byte(pos + 1));
            pos += 2;
        } else {
            ch = kNoCharacter;
            pos += 1;
        }
        AppendUtf8(out, ch == kNoCharacter ? kReplacement : ch);
    }
    return out;
}

EncodeResult FromUtf8(std::string_view utf8) {
    EncodeResult result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < utf8.size()) {
        // ASCII runs are the same bytes in both encodings.
        const std::size_t runStart = pos;
        while (pos < utf8.size() && static_cast<unsigned char>(utf8[pos]) < 0x80) ++pos;
        result.bytes.append(utf8.data() + runStart, pos - runStart);
        index += pos - runStart;
        if (pos == utf8.size()) break;
        const auto ch = NextUtf8(utf8, pos);
        if (!ch || !AppendEncoded(result.bytes, *ch)) {
            result.badIndex = index;
            result.badChar = ch.value_or(U'\uFFFD');
            return result;
        }
        ++index;
    }
    return result;
}

}  // namespace quorvel::sjis
