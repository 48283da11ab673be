#pragma once

#include <string>
#include <string_view>

// Case of ASCII letters alone, whatever the locale: for names that markup, URLs and schemes
// compare without case. Bytes outside ASCII letters stay as they are (in code page 932 a second
// byte may be a letter too and is lowered with the rest: such text is for comparing only).
namespace quorvel {

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

// True when `text` at `at` starts with `lowerPrefix` in any case of its ASCII letters.
inline bool StartsNoCase(std::string_view text, std::size_t at, std::string_view lowerPrefix) {
    if (at > text.size() || text.size() - at < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (AsciiLower(text[at + i]) != lowerPrefix[i]) return false;
    return true;
}

}  // namespace quorvel
