#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A cell's code page 932 markup walked once: the runs of text a buyer sees and the opening tags
// between them. Comments and end tags show nothing; a "<" that starts no tag is text, as in a
// browser; a tag left open swallows the rest.
namespace quorvel::markup {

struct Attribute {
    std::string name;  // lower case
    std::string_view value;
    std::size_t start = 0, end = 0;  // from the name to after the value
};

struct Element {
    std::string name;  // lower case
    std::vector<Attribute> attributes;
};

// Calls `onText` with each run of visible text (from, to) and `onElement` with each opening tag.
void WalkCell(std::string_view text, const std::function<void(std::size_t, std::size_t)>& onText,
              const std::function<void(const Element&)>& onElement);

// Where an address leads: its scheme, lower case ("" for a relative one), and for a web address
// its host, lower case.
struct Target {
    std::string scheme;
    std::string host;
};
Target TargetOf(std::string_view address);
// An "http:", "https:" or scheme-less "//host" address.
bool IsWeb(const Target& target);

// The bytes a mail address written in text is made of, before and after its "@".
inline bool IsMailLocal(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
           c == '_' || c == '%' || c == '+' || c == '-';
}
inline bool IsDomain(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
           c == '-';
}
// Where the domain of a mail address whose "@" is at `at` ends, before `to`: a dot inside it and
// at least two letters after the last one; npos when what follows is no domain.
std::size_t MailDomainEnd(std::string_view text, std::size_t at, std::size_t to);

}  // namespace quorvel::markup
