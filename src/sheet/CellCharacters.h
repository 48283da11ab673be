#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// How a character from outside the sheet becomes a cell's code page 932 bytes, and how those
// bytes read back as characters. Shift_JIS characters that code page 932 keeps under another code
// point (〜 is ～ at 81 60) enter in their code page 932 form; any other character code page 932
// cannot hold enters as a hexadecimal character reference ("&#x1F4E6;"), plain ASCII that every
// browser shows as the character.
namespace quorvel::cellchars {

// The code page 932 character that a Shift_JIS character stands for where the two tables differ
// (U+301C 〜 is U+FF5E, U+2212 − is U+FF0D, and so on); any other character is itself.
char32_t Cp932Form(char32_t ch);

// True for a character that enters a cell as a reference: one code page 932 cannot hold, and
// none of the control characters, surrogates, private-use characters or noncharacters that no
// cell takes.
bool EntersAsReference(char32_t ch);

// The reference's bytes: "&#x", upper-case hexadecimal digits without leading zeros, ";".
void AppendReference(std::string& out, char32_t ch);
std::size_t ReferenceLength(char32_t ch);

// The character of a reference that starts at `pos` and that a cell shows as its character:
// "&#x" (or "&#X"), one to six hexadecimal digits of either case without a leading zero, ";",
// naming a character that EntersAsReference. `length` is then the reference's bytes, always
// ReferenceLength of the character. Nothing for any other text.
std::optional<char32_t> ReadReference(std::string_view text, std::size_t pos, std::size_t& length);

// Walks a cell's bytes: `plain` for each stretch of code page 932 bytes, `referenced` for each
// reference ReadReference takes, in order.
void ForEachRun(std::string_view cellBytes, const std::function<void(std::string_view)>& plain,
                const std::function<void(char32_t)>& referenced);

// A cell's bytes (or any text in the cells' form, such as the plain text) as UTF-8, the
// references ReadReference takes as their characters.
std::string ToUtf8(std::string_view cellBytes);

// UTF-8 text in a cell's form by the rules above. `refused` is the first character no cell takes
// (a control character other than CR, LF and TAB, a private-use character, invalid UTF-8 as
// U+FFFD): the bytes then hold the text before it.
struct CellBytes {
    std::string bytes;
    std::optional<char32_t> refused;
};
CellBytes FromUtf8(std::string_view utf8);

}  // namespace quorvel::cellchars
