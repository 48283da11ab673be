// The markup of a cell as the marketplace rules read it: what a buyer sees, and the tags with
// their attributes, offsets kept so that a finding can point at its text.
#include "sheet/ListingCheckMarkup.h"

#include <cctype>

#include "platform/Sjis.h"

namespace quorvel::markup {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsAlpha(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool IsLead(std::string_view s, std::size_t i) {
    return sjis::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
}
std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// One pass over a cell's code page 932 bytes: runs of visible text and the opening tags between
// them. Comments and end tags show nothing; a "<" that starts no tag is text, as in a browser.
class CellWalker {
  public:
    explicit CellWalker(std::string_view text) : s_(text) {}

    void Run(const std::function<void(std::size_t, std::size_t)>& onText,
             const std::function<void(const Element&)>& onElement) {
        std::size_t textStart = 0;
        for (std::size_t i = 0; i < s_.size();) {
            if (IsLead(s_, i)) {
                i += 2;
                continue;
            }
            if (s_[i] != '<') {
                ++i;
                continue;
            }
            Element element;
            const std::size_t end = readTag(i, element);
            if (end == i) {
                ++i;
                continue;
            }
            onText(textStart, i);
            if (!element.name.empty()) onElement(element);
            i = textStart = end;
        }
        onText(textStart, s_.size());
    }

  private:
    // Past the tag at `at`, or `at` when the "<" is text. A tag left open swallows the rest.
    std::size_t readTag(std::size_t at, Element& element) {
        const std::size_t n = s_.size();
        if (s_.compare(at, 4, "<!--") == 0) {
            const std::size_t close = s_.find("-->", at + 4);
            return close == npos ? n : close + 3;
        }
        std::size_t i = at + 1;
        const bool closing = i < n && s_[i] == '/';
        if (closing) ++i;
        const bool bang = i < n && s_[i] == '!';
        if (!bang && (i >= n || !IsAlpha(static_cast<unsigned char>(s_[i])))) return at;
        const std::size_t nameStart = i;
        while (i < n && std::isalnum(static_cast<unsigned char>(s_[i]))) ++i;
        if (!closing && !bang) element.name = Lower(s_.substr(nameStart, i - nameStart));
        while (i < n) {
            const unsigned char c = static_cast<unsigned char>(s_[i]);
            if (c == '>') return i + 1;
            if (IsBlank(c) || c == '/') {
                ++i;
                continue;
            }
            Attribute attribute;
            attribute.start = i;
            while (i < n && !IsBlank(static_cast<unsigned char>(s_[i])) && s_[i] != '>' &&
                   s_[i] != '=' && s_[i] != '/')
                ++i;
            attribute.name = Lower(s_.substr(attribute.start, i - attribute.start));
            while (i < n && IsBlank(static_cast<unsigned char>(s_[i]))) ++i;
            if (i < n && s_[i] == '=') {
                ++i;
                while (i < n && IsBlank(static_cast<unsigned char>(s_[i]))) ++i;
                if (i < n && (s_[i] == '"' || s_[i] == '\'')) {
                    const std::size_t close = s_.find(s_[i], i + 1);
                    if (close == npos) return n;
                    attribute.value = s_.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t from = i;
                    while (i < n && !IsBlank(static_cast<unsigned char>(s_[i])) && s_[i] != '>')
                        ++i;
                    attribute.value = s_.substr(from, i - from);
                }
            }
            attribute.end = i;
            element.attributes.push_back(std::move(attribute));
        }
        element.name.clear();
        return n;
    }

    std::string_view s_;
};

// Where an address leads: its scheme ("" for a relative one) and, for a web address, its host.
}  // namespace

void WalkCell(std::string_view text, const std::function<void(std::size_t, std::size_t)>& onText,
              const std::function<void(const Element&)>& onElement) {
    CellWalker(text).Run(onText, onElement);
}

Target TargetOf(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
    value.remove_prefix(i);
    Target target;
    const std::size_t colon = value.find(':');
    const std::size_t stop = value.find_first_of("/?#");
    if (colon != npos && (stop == npos || colon < stop)) {
        target.scheme = Lower(value.substr(0, colon));
        value.remove_prefix(colon + 1);
    }
    if (value.substr(0, 2) != "//") return target;
    value.remove_prefix(2);
    std::string_view authority = value.substr(0, value.find_first_of("/?#\\"));
    if (const std::size_t at = authority.rfind('@'); at != npos) authority.remove_prefix(at + 1);
    target.host = Lower(authority.substr(0, authority.find(':')));
    while (!target.host.empty() && target.host.back() == '.') target.host.pop_back();
    return target;
}

std::size_t MailDomainEnd(std::string_view text, std::size_t at, std::size_t to) {
    std::size_t end = at + 1;
    while (end < to && IsDomain(static_cast<unsigned char>(text[end]))) ++end;
    while (end > at + 1 && text[end - 1] == '.') --end;
    const std::size_t lastDot = text.rfind('.', end - 1);
    if (lastDot == npos || lastDot <= at + 1 || end - lastDot < 3) return npos;
    return end;
}

bool IsWeb(const Target& target) {
    return target.scheme == "http" || target.scheme == "https" ||
           (target.scheme.empty() && !target.host.empty());
}

}  // namespace quorvel::markup
