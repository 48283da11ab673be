#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The one reader of the markup sellers type into cells: the listing check, the marketplace rules,
// the plain text and the page's pre-pass all read tags, comments, references and text through it.
//
// It reads as a browser's HTML tokenizer does, on the characters the page is made of: in code page
// 932 bytes a lead byte takes the next byte with it whatever that is (sjis::CharLength, as the
// page's conversion reads it), so a "<" or a quote right after a lead byte is no markup; in UTF-8
// every byte markup is made of stands alone. Offsets are byte offsets in the text read.
//
// The rules, each the tokenizer's:
// - A "<" starts markup before a letter (a start tag), "/" and a letter (an end tag), "!" or "?";
//   and "</" followed by anything but the end. Any other "<" is text, and so is "</" at the end.
// - "<!--" starts a comment that "-->" or "--!>" ends ("<!-->" and "<!--->" are empty ones).
//   "<!" otherwise, "<?", and "</" before anything but a letter start a bogus comment up to the
//   next ">" ("<!DOCTYPE html>", "<?xml?>", "</ x>"); "</>" is nothing.
// - A tag's name runs to a blank, "/" or ">"; its attributes are read as the tokenizer reads them
//   (a quoted value hides a ">"), each kept as written, in order: a browser uses the first of a
//   name (Token::Find).
// - Unclosed markup: a tag or comment that the text ends inside is not closed (Token::closed). A
//   browser drops such a tag, and with it all that follows; such a comment hides all that follows.
//   Either way nothing after its start is shown.
namespace quorvel::markup {

enum class Encoding { Cp932, Utf8 };

enum class TokenKind {
    Text,          // what a browser shows, references as written
    StartTag,      // "<b>", "<img src=x>"
    EndTag,        // "</b>"
    Comment,       // "<!-- -->"
    BogusComment,  // read as a comment: "<!DOCTYPE html>", "<?x?>", "</ x>", "</>"
};

struct Attribute {
    std::string name;                // ASCII letters lower case, for comparing
    std::string_view written;        // the name as written
    std::string_view value;          // as written, without its quotes; references not decoded
    std::size_t start = 0, end = 0;  // from the name to after the value and its quote
};

struct Token {
    TokenKind kind = TokenKind::Text;
    std::size_t start = 0, end = 0;  // the bytes [start, end)
    bool closed = true;              // false: the text ends inside it (it then runs to the end)
    std::string name;                // of a tag: ASCII letters lower case
    std::vector<Attribute> attributes;

    bool IsTag() const { return kind == TokenKind::StartTag || kind == TokenKind::EndTag; }
    // A closed start tag called `lowerName`.
    bool Opens(std::string_view lowerName) const {
        return kind == TokenKind::StartTag && closed && name == lowerName;
    }
    // The first attribute called `lowerName`, as a browser takes it; nothing when there is none.
    const Attribute* Find(std::string_view lowerName) const;
};

// Reads `text` token by token; a copy reads on from the same place (to look ahead).
class Reader {
  public:
    explicit Reader(std::string_view text, Encoding encoding = Encoding::Cp932)
        : s_(text), encoding_(encoding) {}
    // The next token into `token` (its storage reused); false at the end.
    bool Next(Token& token);
    std::string_view Text() const { return s_; }

  private:
    std::size_t step(std::size_t at) const;
    bool startsMarkup(std::size_t at) const;
    void readMarkup(Token& token);
    void readTag(Token& token, std::size_t nameStart);
    void readComment(Token& token);
    void readBogus(Token& token, std::size_t from);
    bool readAttributes(Token& token, std::size_t at);

    std::string_view s_;
    Encoding encoding_;
    std::size_t pos_ = 0;
};

// HTML's blanks, and CR, which a browser reads as LF.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
inline bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// A character reference at the "&" at `at`: its character, with `length` its bytes. Taken are
// "&amp;", "&lt;", "&gt;", "&quot;", "&nbsp;" and numeric ones ("&#12354;", "&#x1F4E6;", up to
// eight digits) ended by ";"; nothing for any other text, which a cell shows as written.
std::optional<char32_t> ReadReference(std::string_view text, std::size_t at, std::size_t& length);

// The pixels of a width or height attribute as a browser reads it: blanks, then digits (a
// fraction is cut off, anything after the number ignored); nothing for a percentage or no number.
std::optional<long> DimensionPixels(std::string_view value);

// Where an address leads, as a browser's URL reader takes it: references decoded, blanks and
// control characters around it and tabs and line breaks inside it ignored. `scheme` is lower
// case ("" for a relative address), `host` that of a web address, lower case.
struct Target {
    std::string scheme;
    std::string host;
};
Target TargetOf(std::string_view address);
// An "http:", "https:" or scheme-less "//host" address.
bool IsWeb(const Target& target);

// The bytes a mail address written in text is made of, before and after its "@": what a mail
// client takes as the address (ASCII only).
inline bool IsMailLocal(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
           c == '_' || c == '%' || c == '+' || c == '-';
}
inline bool IsDomain(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
           c == '-';
}
// The first mail address in the code page 932 text [from, to), `from` a character boundary: the
// run of mail-name bytes right before an "@" (a double-byte character, a blank or any other byte
// ends it), the "@", and a domain with a dot inside and two letters or more after the last one.
// The next one is looked for from its end.
struct MailAddress {
    std::size_t start = 0, at = 0, end = 0;  // [start, end), its "@" at `at`
};
std::optional<MailAddress> NextMailAddress(std::string_view text, std::size_t from, std::size_t to);

}  // namespace quorvel::markup
