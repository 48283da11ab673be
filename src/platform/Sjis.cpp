#include "platform/Sjis.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <mutex>
#include <unordered_map>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace quorvel::sjis {
namespace {

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

// Reads one UTF-8 character at pos; returns nothing for a malformed sequence (pos moves one byte).
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

#ifdef _WIN32
std::u32string DecodeAll(std::string_view bytes) {
    std::u32string out;
    if (bytes.empty()) return out;
    const int n =
        MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    for (wchar_t w : wide) out += static_cast<char32_t>(w);
    return out;
}

std::optional<std::string> EncodeUncached(char32_t ch) {
    if (ch > 0xFFFF) return std::nullopt;
    const wchar_t wide = static_cast<wchar_t>(ch);
    char buffer[4];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, buffer, sizeof buffer,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    return std::string(buffer, n);
}
#else
// One iconv descriptor per direction; iconv keeps no state between whole characters of CP932.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    // Converts in; returns false at the first byte that does not convert (consumed tells where).
    bool Run(std::string_view in, std::string& out, std::size_t& consumed) {
        std::lock_guard lock(mutex_);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[256];
        bool ok = true;
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, outPtr - buffer);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                ok = false;
                break;
            }
        }
        consumed = in.size() - inLeft;
        return ok;
    }

  private:
    iconv_t cd_;
    std::mutex mutex_;
};

Converter& Decoder() {
    static Converter converter("UTF-32LE", "CP932");
    return converter;
}
Converter& Encoder() {
    static Converter converter("CP932", "UTF-32LE");
    return converter;
}

std::u32string Utf32(std::string_view bytes) {
    std::u32string out;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        const auto b = [&](std::size_t k) {
            return static_cast<char32_t>(static_cast<unsigned char>(bytes[i + k]));
        };
        out += b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
    }
    return out;
}

std::u32string DecodeAll(std::string_view bytes) {
    std::u32string out;
    while (!bytes.empty()) {
        std::string utf32;
        std::size_t consumed = 0;
        const bool ok = Decoder().Run(bytes, utf32, consumed);
        out += Utf32(utf32);
        if (ok) break;
        // Skip the sequence that has no mapping: a lead byte takes its trail byte with it.
        const auto lead = static_cast<unsigned char>(bytes[consumed]);
        const std::size_t skip = IsLeadByte(lead) && consumed + 1 < bytes.size() ? 2 : 1;
        out += U'\uFFFD';
        bytes.remove_prefix(consumed + skip);
    }
    return out;
}

std::optional<std::string> EncodeUncached(char32_t ch) {
    std::string in(4, '\0');
    for (int k = 0; k < 4; ++k) in[k] = static_cast<char>((ch >> (8 * k)) & 0xFF);
    std::string bytes;
    std::size_t consumed = 0;
    if (!Encoder().Run(in, bytes, consumed) || bytes.empty()) return std::nullopt;
    // One-way conveniences (a character that decodes back to another) are not code page 932.
    const std::u32string back = DecodeAll(bytes);
    if (back.size() != 1 || back[0] != ch) return std::nullopt;
    return bytes;
}
#endif

}  // namespace

std::optional<std::string> EncodeChar(char32_t ch) {
    if (ch < 0x80) return std::string(1, static_cast<char>(ch));
    static std::mutex mutex;
    static std::unordered_map<char32_t, std::optional<std::string>> cache;
    std::lock_guard lock(mutex);
    auto found = cache.find(ch);
    if (found == cache.end()) found = cache.emplace(ch, EncodeUncached(ch)).first;
    return found->second;
}

std::string ToUtf8(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    // ASCII runs need no table.
    std::size_t start = 0;
    while (start < cp932.size()) {
        std::size_t end = start;
        while (end < cp932.size() && static_cast<unsigned char>(cp932[end]) < 0x80) ++end;
        out.append(cp932.substr(start, end - start));
        if (end == cp932.size()) break;
        std::size_t next = end;
        while (next < cp932.size() && static_cast<unsigned char>(cp932[next]) >= 0x80) {
            next += IsLeadByte(static_cast<unsigned char>(cp932[next])) ? 2 : 1;
        }
        next = std::min(next, cp932.size());
        for (char32_t ch : DecodeAll(cp932.substr(end, next - end))) AppendUtf8(out, ch);
        start = next;
    }
    return out;
}

EncodeResult FromUtf8(std::string_view utf8) {
    EncodeResult result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < utf8.size()) {
        const auto ch = NextUtf8(utf8, pos);
        const auto bytes = ch ? EncodeChar(*ch) : std::nullopt;
        if (!bytes) {
            result.badIndex = index;
            result.badChar = ch.value_or(U'\uFFFD');
            return result;
        }
        result.bytes += *bytes;
        ++index;
    }
    return result;
}

}  // namespace quorvel::sjis
