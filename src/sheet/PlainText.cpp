#include "sheet/PlainText.h"

#include <optional>
#include <vector>

#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"

namespace quorvel {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFullColon = "\x81\x46";  // "："
constexpr std::string_view kFullSpace = "\x81\x40";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNameChar(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9');
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsLead(char c) {
    return sjis::IsLeadByte(static_cast<unsigned char>(c));
}
// A lead byte pairs only with a byte that can follow it; a line break after it stays a break.
bool IsPairAt(std::string_view s, std::size_t i) {
    return i + 1 < s.size() && IsLead(s[i]) &&
           sjis::IsTrailByte(static_cast<unsigned char>(s[i + 1]));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

struct Tag {
    std::size_t end = 0;  // one past its ">"
    std::string name;     // lower case; empty for comments and declarations
    bool closing = false;
    std::string_view body;  // from the name to before ">"
};

// A tag starting at the "<" at `pos`, or nothing when the "<" is plain text (no tag name follows,
// or no ">" ends it). A ">" inside a quoted attribute value does not end the tag. No code page 932
// trail byte is "<", ">", "=" or a quote, so the scan may look at single bytes.
std::optional<Tag> ReadTag(std::string_view s, std::size_t pos) {
    const std::size_t n = s.size();
    if (s.substr(pos).starts_with("<!--")) {
        const auto close = s.find("-->", pos + 4);
        return Tag{close == std::string_view::npos ? n : close + 3, {}, false, {}};
    }
    Tag tag;
    std::size_t i = pos + 1;
    if (i < n && s[i] == '/') {
        tag.closing = true;
        ++i;
    }
    if (i >= n) return std::nullopt;
    const bool declaration = !tag.closing && (s[i] == '!' || s[i] == '?');
    if (declaration)
        ++i;
    else if (!IsLetter(s[i]))
        return std::nullopt;
    const std::size_t bodyStart = i;
    while (i < n && IsNameChar(s[i])) tag.name += Lower(s[i++]);
    if (declaration) tag.name.clear();
    char quote = 0;
    bool afterEquals = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '>') {
            tag.end = i + 1;
            tag.body = s.substr(bodyStart, i - bodyStart);
            return tag;
        }
        if ((c == '"' || c == '\'') && afterEquals) {
            quote = c;
            afterEquals = false;
        } else if (c == '=') {
            afterEquals = true;
        } else if (!IsSpace(c)) {
            afterEquals = false;
        }
    }
    return std::nullopt;
}

// The value of one attribute of a tag body ("a href=x target=_blank"), or nothing.
std::optional<std::string_view> AttributeValue(std::string_view body, std::string_view wanted) {
    std::size_t i = 0;
    const std::size_t n = body.size();
    while (i < n && IsNameChar(body[i])) ++i;  // the tag's own name
    while (i < n) {
        while (i < n && (IsSpace(body[i]) || body[i] == '/')) ++i;
        const std::size_t nameStart = i;
        while (i < n && !IsSpace(body[i]) && body[i] != '=' && body[i] != '/')
            i += IsLead(body[i]) ? 2 : 1;
        const std::string_view name = body.substr(nameStart, std::min(i, n) - nameStart);
        while (i < n && IsSpace(body[i])) ++i;
        std::string_view value;
        if (i < n && body[i] == '=') {
            ++i;
            while (i < n && IsSpace(body[i])) ++i;
            if (i < n && (body[i] == '"' || body[i] == '\'')) {
                const char quote = body[i++];
                const auto close = body.find(quote, i);
                const std::size_t end = close == std::string_view::npos ? n : close;
                value = body.substr(i, end - i);
                i = end + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < n && !IsSpace(body[i])) ++i;
                value = body.substr(valueStart, i - valueStart);
            }
        }
        if (!name.empty() && EqualsNoCase(name, wanted)) return value;
        if (name.empty() && i == nameStart) ++i;  // a lone "=" or the like
    }
    return std::nullopt;
}

struct Reference {
    std::string bytes;
    std::size_t end = 0;
};

// A character reference at the "&" at `pos` that decodes to something printable code page 932
// holds; control characters and unknown names stay as written.
std::optional<Reference> ReadReference(std::string_view s, std::size_t pos) {
    static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&nbsp;", " "}};
    const std::string_view rest = s.substr(pos);
    for (const auto& [name, text] : kNamed)
        if (rest.starts_with(name)) return Reference{std::string(text), pos + name.size()};
    if (!rest.starts_with("&#")) return std::nullopt;
    std::size_t i = 2;
    const bool hex = i < rest.size() && (rest[i] == 'x' || rest[i] == 'X');
    if (hex) ++i;
    const std::size_t digitsStart = i;
    char32_t value = 0;
    while (i < rest.size() && i - digitsStart < 8) {
        const char c = rest[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        ++i;
    }
    if (i == digitsStart || i >= rest.size() || rest[i] != ';') return std::nullopt;
    if (value < 0x20 || (value >= 0x7F && value < 0xA0) || value > 0x10FFFF) return std::nullopt;
    auto bytes = sjis::EncodeChar(value);
    if (bytes) return Reference{std::move(*bytes), pos + i + 1};
    // Code page 932 has no form for it: the cells' own form of the reference, which the UTF-8
    // renditions show as the character.
    if (!cellchars::EntersAsReference(value)) return std::nullopt;
    std::string reference;
    cellchars::AppendReference(reference, value);
    return Reference{std::move(reference), pos + i + 1};
}

std::string DecodeReferences(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '&') {
            if (auto ref = ReadReference(s, i)) {
                out += ref->bytes;
                i = ref->end;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

bool IsBlankText(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (IsSpace(s[i])) continue;
        if (s.substr(i).starts_with(kFullSpace)) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

// What a reader is shown of a link's target: the mail address alone for a mail link.
std::string ShownAddress(std::string_view href) {
    std::string_view shown = href;
    if (shown.size() >= 7 && EqualsNoCase(shown.substr(0, 7), "mailto:")) {
        shown.remove_prefix(7);
        shown = shown.substr(0, shown.find('?'));
    }
    std::string out;
    for (char c : shown)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

// After an anchor's visible text: " (address)" unless the text is the address or there is no
// text at all (a picture link shows nothing).
void CloseAnchor(std::string& out, std::size_t visibleStart, std::string_view href) {
    const std::string shown = ShownAddress(href);
    const std::string_view visible = std::string_view(out).substr(visibleStart);
    if (shown.empty() || IsBlankText(visible) || visible == shown || visible == href) return;
    out += " (";
    out += shown;
    out += ')';
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find(kCrLf, start);
        lines.emplace_back(text.substr(start, at - start));
        if (at == std::string_view::npos) break;
        start = at + kCrLf.size();
    }
    return lines;
}

// A cell's plain lines without the blank lines around them; none for an excluded or empty cell.
std::vector<std::string> CellLines(const TSheetCell& cell, bool included) {
    if (!included) return {};
    std::vector<std::string> lines = SplitLines(PlainCellText(cell.Text));
    while (!lines.empty() && IsBlankText(lines.back())) lines.pop_back();
    std::size_t first = 0;
    while (first < lines.size() && IsBlankText(lines[first])) ++first;
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
    return lines;
}

void AppendLine(std::string& out, std::string_view line) {
    out += line;
    out += kCrLf;
}

void AppendRow(std::string& out, const std::vector<std::string>& item,
               const std::vector<std::string>& description) {
    if (item.empty() || description.empty()) {
        for (const std::string& line : item.empty() ? description : item) AppendLine(out, line);
        return;
    }
    // A multi-line item keeps its lines; its last one carries the description.
    for (std::size_t i = 0; i + 1 < item.size(); ++i) AppendLine(out, item[i]);
    const std::string head = item.back() + std::string(kFullColon);
    AppendLine(out, head + description.front());
    // Full-width spaces line the continuation up under the description in a fixed-width face,
    // as long as that leaves the line room.
    std::string indent;
    if (head.size() <= kMaxIndentColumns)
        for (std::size_t i = 0; i < (head.size() + 1) / 2; ++i) indent += kFullSpace;
    for (std::size_t i = 1; i < description.size(); ++i)
        AppendLine(out, description[i].empty() ? description[i] : indent + description[i]);
}

}  // namespace

std::string PlainCellText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    bool inAnchor = false;
    std::string href;
    std::size_t visibleStart = 0;
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const char c = s[i];
        if (IsPairAt(s, i)) {
            out.append(s.substr(i, 2));
            i += 2;
            continue;
        }
        if (c == '\r' || c == '\n') {
            out += kCrLf;
            i += (c == '\r' && i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        if (c == '<') {
            if (auto tag = ReadTag(s, i)) {
                if (tag->name == "br") {
                    out += kCrLf;
                } else if (tag->name == "a") {
                    // Anchors do not nest: a new one ends the one before, as in a browser.
                    if (inAnchor) CloseAnchor(out, visibleStart, href);
                    inAnchor = !tag->closing;
                    if (inAnchor) {
                        href = DecodeReferences(AttributeValue(tag->body, "href").value_or(""));
                        visibleStart = out.size();
                    }
                }
                i = tag->end;
                continue;
            }
        }
        if (c == '&') {
            if (auto ref = ReadReference(s, i)) {
                out += ref->bytes;
                i = ref->end;
                continue;
            }
        }
        out += c;
        ++i;
    }
    if (inAnchor) CloseAnchor(out, visibleStart, href);
    return out;
}

std::string BuildPlainText(const TDescriptionSheet& sheet) {
    std::string out;
    for (const std::string& line : CellLines(sheet.Title, sheet.IncludeTitle))
        AppendLine(out, line);
    for (const TSheetRow& row : sheet.Rows)
        AppendRow(out, CellLines(row.Item, row.IncludeItem),
                  CellLines(row.Description, row.IncludeDescription));
    const std::vector<std::string> note = CellLines(sheet.Note, sheet.IncludeNote);
    if (!note.empty()) {
        if (!out.empty()) out += kCrLf;
        for (const std::string& line : note) AppendLine(out, line);
    }
    return out;
}

std::size_t CountLeftOutPictures(const TDescriptionSheet& sheet) {
    std::size_t pictures = 0;
    for (int i = 0; i < kCellCount; ++i) {
        const TSheetCell& cell = sheet.CellAt(i);
        if (!sheet.IncludedByTag(cell.Tag)) continue;
        const std::string_view s = cell.Text;
        for (std::size_t at = 0; at < s.size();) {
            if (IsPairAt(s, at)) {
                at += 2;
                continue;
            }
            if (s[at] == '<') {
                if (auto tag = ReadTag(s, at)) {
                    if (tag->name == "img" && !tag->closing) ++pictures;
                    at = tag->end;
                    continue;
                }
            }
            ++at;
        }
    }
    return pictures;
}

std::size_t CountPlainTextChars(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        // A reference is the one character the copied text carries.
        std::size_t reference = 0;
        if (s[i] == '&' && cellchars::ReadReference(s, i, reference)) {
            i += reference;
            continue;
        }
        const bool pair = i + 1 < s.size() && (IsLead(s[i]) || (s[i] == '\r' && s[i + 1] == '\n'));
        i += pair ? 2 : 1;
    }
    return count;
}

}  // namespace quorvel
