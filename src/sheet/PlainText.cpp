#include "sheet/PlainText.h"

#include <optional>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"
#include "sheet/CellMarkup.h"

namespace quorvel {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFullColon = "\x81\x46";  // "："
constexpr std::string_view kFullSpace = "\x81\x40";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A character reference decoded when it names something printable code page 932 holds, or what
// code page 932 cannot hold in the cells' own form ("&#x1F4E6;"), which the UTF-8 renditions show
// as the character; control characters and anything else stay as written.
bool AppendReference(std::string& out, std::string_view s, std::size_t at, std::size_t& length) {
    const std::optional<char32_t> ch = markup::ReadReference(s, at, length);
    if (!ch || *ch < 0x20 || (*ch >= 0x7F && *ch < 0xA0) || *ch > 0x10FFFF) return false;
    if (*ch == U'\u00A0') {
        out += ' ';
        return true;
    }
    if (sjis::AppendEncoded(out, *ch)) return true;
    if (!cellchars::EntersAsReference(*ch)) return false;
    cellchars::AppendReference(out, *ch);
    return true;
}

// Visible text as the plain text writes it: references decoded, every line break (CR LF, CR or
// LF) as CR LF. A lead byte before a line break is written alone, so that the break stays whole.
void AppendText(std::string& out, std::string_view s, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to;) {
        const char c = s[i];
        std::size_t length = sjis::CharLength(s, i);
        if (length == 2 && (s[i + 1] == '\r' || s[i + 1] == '\n')) length = 1;
        if (c == '\r' || c == '\n') {
            out += kCrLf;
            i += (c == '\r' && i + 1 < to && s[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        if (c == '&' && AppendReference(out, s, i, length)) {
            i += length;
            continue;
        }
        out.append(s.substr(i, length));
        i += length;
    }
}

std::string DecodeReferences(std::string_view s) {
    std::string out;
    AppendText(out, s, 0, s.size());
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
    if (StartsNoCase(shown, 0, "mailto:")) {
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
    markup::Reader reader(s);
    markup::Token token;
    while (reader.Next(token)) {
        if (token.kind == markup::TokenKind::Text) {
            AppendText(out, s, token.start, token.end);
        } else if (token.IsTag() && token.closed) {
            if (token.name == "br") {
                out += kCrLf;
            } else if (token.name == "a") {
                // Anchors do not nest: a new one ends the one before, as in a browser.
                if (inAnchor) CloseAnchor(out, visibleStart, href);
                inAnchor = token.kind == markup::TokenKind::StartTag;
                if (inAnchor) {
                    const markup::Attribute* address = token.Find("href");
                    href = DecodeReferences(address ? address->value : "");
                    visibleStart = out.size();
                }
            }
        }
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
        markup::Reader reader(cell.Text);
        markup::Token token;
        while (reader.Next(token)) pictures += token.Opens("img") ? 1 : 0;
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
        i += s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n' ? 2 : sjis::CharLength(s, i);
    }
    return count;
}

}  // namespace quorvel
