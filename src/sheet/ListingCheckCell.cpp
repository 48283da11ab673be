// The cell-by-cell part of the listing check: one pass over a cell's code page 932 bytes that
// reads the markup the seller typed as a browser would, and estimates each line's width.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"
#include "sheet/ListingCheckMarkup.h"

namespace quorvel {
namespace {

using markup::IsMailLocal;

// Elements whose end tag a cell must hold itself: left open they run into the generated markup.
constexpr std::string_view kPaired[] = {"a",   "b",      "i",      "u",     "s",   "font", "span",
                                        "div", "p",      "center", "table", "tr",  "td",   "h1",
                                        "h2",  "h3",     "h4",     "h5",    "h6",  "ul",   "ol",
                                        "li",  "strong", "em",     "small", "big", "tbody"};

// Refused or not shown by the marketplaces: scripts, embedded pages and plug-ins, forms.
constexpr std::string_view kActive[] = {"script", "iframe",   "frame", "frameset", "object",
                                        "embed",  "applet",   "form",  "input",    "button",
                                        "select", "textarea", "option"};

// Everything else a browser knows; an unknown name such as the "M" of "サイズ<M>" is swallowed.
constexpr std::string_view kKnown[] = {
    "abbr",     "address",  "area",  "article",    "aside",    "audio",      "base",    "basefont",
    "bdi",      "bdo",      "blink", "blockquote", "body",     "br",         "canvas",  "caption",
    "cite",     "code",     "col",   "colgroup",   "dd",       "del",        "details", "dfn",
    "dialog",   "dir",      "dl",    "dt",         "fieldset", "figcaption", "figure",  "footer",
    "head",     "header",   "hr",    "html",       "img",      "ins",        "kbd",     "label",
    "legend",   "link",     "main",  "mark",       "marquee",  "meta",       "nav",     "nobr",
    "noscript", "optgroup", "pre",   "q",          "section",  "strike",     "style",   "sub",
    "summary",  "sup",      "tfoot", "th",         "thead",    "tt"};

constexpr std::string_view kAddressAttributes[] = {"href",       "src",    "background", "action",
                                                   "lowsrc",     "dynsrc", "data",       "codebase",
                                                   "formaction", "poster"};

template <std::size_t N>
int IndexIn(const std::string_view (&names)[N], std::string_view name) {
    const auto it = std::find(std::begin(names), std::end(names), name);
    return it == std::end(names) ? -1 : static_cast<int>(it - std::begin(names));
}

bool IsAsciiAlpha(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The address's scheme, lower case, as a browser reads it: leading blanks and tabs or line
// breaks inside the scheme ("java\tscript:") do not count.
std::string Scheme(std::string_view value) {
    std::string scheme;
    std::size_t i = 0;
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
    for (; i < value.size() && scheme.size() < 16; ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '\t' || c == '\r' || c == '\n') continue;
        if (c == ':') return scheme;
        if (!IsAsciiAlpha(c)) break;
        scheme += static_cast<char>(std::tolower(c));
    }
    return {};
}

// Widths in CSS pixels of the HTML font sizes 1..6 in a browser's default style.
int FontPixels(int points) {
    static constexpr int kPixels[] = {10, 13, 16, 18, 24, 32};
    return kPixels[std::clamp(HtmlFontSize(points), 1, 6) - 1];
}

struct Tag {
    std::size_t start = 0, end = 0;  // from "<" to after ">"
    std::string name;                // lower case
    bool closing = false;
};

struct Attribute {
    std::string name;          // lower case, for comparing
    std::string_view written;  // the name as written
    std::string_view value;
    std::size_t start = 0, end = 0;
};

class CellScanner {
  public:
    CellScanner(const TSheetCell& cell, const TTableStyle& style, int phoneWidth,
                std::vector<CheckFinding>& out)
        : text_(cell.Text), tag_(cell.Tag), phoneWidth_(phoneWidth), out_(out) {
        const int fontPx = FontPixels(cell.Format.FontSize);
        halfWidth_ = fontPx / 2.0;
        // The body's margins, the cell's padding and the table's border on both sides.
        overhead_ = 16 + 2 * (style.CellPadding + 1) + 2 * style.BorderWidth;
    }

    void Run() {
        const std::size_t n = text_.size();
        std::size_t i = 0;
        while (i < n) {
            // Most bytes are plain text; "<", CR and LF are never part of a double-byte
            // character, so the scan may jump to them byte by byte.
            std::size_t run = i;
            while (run + 8 <= n && !WordHasStop(text_.data() + run)) run += 8;
            while (run < n && !IsStop(static_cast<unsigned char>(text_[run]))) ++run;
            visible(i, run - i);
            i = run;
            if (i >= n) break;
            const char c = text_[i];
            if (c == '<') {
                i = markup(i);
                walk_ = i;
                localStart_ = npos;
            } else if (c == '@') {
                atSign(i);
                visible(i, 1);
                ++i;
            } else {
                lineBreak(i);
                walk_ = ++i;
                localStart_ = npos;
            }
        }
        lineBreak(n);
        for (const Open& open : opens_)
            add(CheckKind::Markup, open.start, open.end,
                "閉じタグがないため、後ろの表示が崩れます");
        reportWidestLine();
    }

  private:
    static constexpr std::size_t npos = std::string_view::npos;

    // Eight bytes at a time: true when any of them is a stop byte.
    static bool WordHasStop(const char* bytes) {
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & (kOnes << 7); };
        return hasZero(word ^ (kOnes * '<')) | hasZero(word ^ (kOnes * '\r')) |
               hasZero(word ^ (kOnes * '\n')) | hasZero(word ^ (kOnes * '@'));
    }

    static bool IsStop(unsigned char c) {
        static constexpr auto kStops = [] {
            std::array<bool, 256> stops{};
            for (unsigned char stop : {'<', '\r', '\n', '@'}) stops[stop] = true;
            return stops;
        }();
        return kStops[c];
    }
    struct Open {
        int element;
        std::size_t start, end;
    };

    void add(CheckKind kind, std::size_t start, std::size_t end, std::string message) {
        CheckFinding finding;
        finding.kind = kind;
        finding.tag = tag_;
        finding.offset = start;
        finding.length = end - start;
        finding.message = std::move(message);
        // Long enough to recognise, short enough for one row; never split inside a character.
        constexpr std::size_t kMaxBytes = 48;
        std::size_t cut = start;
        while (cut < end && cut - start < kMaxBytes)
            cut += sjis::IsLeadByte(static_cast<unsigned char>(text_[cut])) ? 2 : 1;
        cut = std::min(cut, end);
        std::string excerpt(text_.substr(start, cut - start));
        std::replace(excerpt.begin(), excerpt.end(), '\r', ' ');
        excerpt.erase(std::remove(excerpt.begin(), excerpt.end(), '\n'), excerpt.end());
        finding.text = sjis::ToUtf8(excerpt);
        if (cut < end) finding.text += "…";
        out_.push_back(std::move(finding));
    }

    // Reads the markup starting at "<" at `at`; returns where the scan goes on.
    std::size_t markup(std::size_t at) {
        const std::size_t n = text_.size();
        if (text_.compare(at, 4, "<!--") == 0) {
            const std::size_t close = text_.find("-->", at + 4);
            if (close != npos) return close + 3;
            add(CheckKind::Markup, at, n, "閉じていないコメントが後ろをすべて隠します");
            return n;
        }
        Tag tag;
        tag.start = at;
        std::size_t i = at + 1;
        if (i < n && text_[i] == '/') {
            tag.closing = true;
            ++i;
        }
        const bool bang = i < n && text_[i] == '!';
        // "<" before a blank, a digit or any other character is shown as it is.
        if (!bang && (i >= n || !IsAsciiAlpha(static_cast<unsigned char>(text_[i])))) {
            visible(at, 1);
            return at + 1;
        }
        const std::size_t nameStart = i;
        while (i < n && std::isalnum(static_cast<unsigned char>(text_[i]))) ++i;
        tag.name = Lower(text_.substr(nameStart, i - nameStart));
        std::vector<Attribute>& attributes = attributes_;
        attributes.clear();
        i = readAttributes(i, attributes);
        if (i >= n) {
            add(CheckKind::Markup, at, n, "「>」のないタグが後ろの表示を飲み込みます");
            return n;
        }
        tag.end = i + 1;
        if (bang) return tag.end;  // a declaration, shown as nothing and harmless
        element(tag, attributes);
        return tag.end;
    }

    // Attributes up to the tag's ">" (quotes hide a ">"); returns the position of ">" or the end.
    std::size_t readAttributes(std::size_t i, std::vector<Attribute>& attributes) {
        const std::size_t n = text_.size();
        while (i < n) {
            const unsigned char c = static_cast<unsigned char>(text_[i]);
            if (c == '>') return i;
            if (IsSpace(c) || c == '/') {
                ++i;
                continue;
            }
            Attribute attribute;
            attribute.start = i;
            while (i < n && !IsSpace(static_cast<unsigned char>(text_[i])) && text_[i] != '>' &&
                   text_[i] != '=' && text_[i] != '/')
                ++i;
            attribute.written = text_.substr(attribute.start, i - attribute.start);
            attribute.name = Lower(attribute.written);
            while (i < n && IsSpace(static_cast<unsigned char>(text_[i]))) ++i;
            if (i < n && text_[i] == '=') {
                ++i;
                while (i < n && IsSpace(static_cast<unsigned char>(text_[i]))) ++i;
                if (i < n && (text_[i] == '"' || text_[i] == '\'')) {
                    const std::size_t close = text_.find(text_[i], i + 1);
                    if (close == npos) return n;
                    attribute.value = text_.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t from = i;
                    while (i < n && !IsSpace(static_cast<unsigned char>(text_[i])) &&
                           text_[i] != '>')
                        ++i;
                    attribute.value = text_.substr(from, i - from);
                }
            }
            attribute.end = i;
            attributes.push_back(std::move(attribute));
        }
        return n;
    }

    void element(const Tag& tag, const std::vector<Attribute>& attributes) {
        const int paired = IndexIn(kPaired, tag.name);
        const bool active = IndexIn(kActive, tag.name) >= 0;
        if (paired < 0 && !active && IndexIn(kKnown, tag.name) < 0) {
            add(CheckKind::Markup, tag.start, tag.end,
                "ブラウザが知らないタグとして隠します（文字なら全角の＜＞に）");
            return;
        }
        if (tag.closing) {
            if (paired >= 0) closeElement(paired, tag);
            if (tag.name == "a") inMailLink_ = false;
            return;
        }
        if (active)
            add(CheckKind::ActiveContent, tag.start, tag.end,
                "スクリプト・埋め込み・フォームは出品ページで使えません");
        if (paired >= 0) opens_.push_back({paired, tag.start, tag.end});
        if (tag.name == "br" || tag.name == "p" || tag.name == "div" || tag.name == "li" ||
            tag.name == "tr")
            lineBreak(tag.start);
        for (const Attribute& attribute : attributes) checkAttribute(tag, attribute);
    }

    void closeElement(int paired, const Tag& tag) {
        for (auto it = opens_.rbegin(); it != opens_.rend(); ++it) {
            if (it->element != paired) continue;
            opens_.erase(std::next(it).base());
            return;
        }
        add(CheckKind::Markup, tag.start, tag.end, "開始タグのない閉じタグが表の構造を崩します");
    }

    void checkAttribute(const Tag& tag, const Attribute& attribute) {
        const std::string& name = attribute.name;
        if (name.size() > 2 && name.compare(0, 2, "on") == 0) {
            add(CheckKind::ActiveContent, attribute.start, attribute.end,
                "イベント属性（" + sjis::ToUtf8(attribute.written) + "）は出品ページで使えません");
            return;
        }
        if (name == "width") fixedWidth(attribute);
        if (IndexIn(kAddressAttributes, name) < 0) return;
        const std::string scheme = Scheme(attribute.value);
        if (scheme == "javascript" || scheme == "vbscript") {
            add(CheckKind::ActiveContent, attribute.start, attribute.end,
                scheme + ": のアドレスは出品ページで使えません");
        } else if (scheme == "http") {
            const bool image = tag.name == "img" || name != "href";
            add(CheckKind::Address, attribute.start, attribute.end,
                image ? "http: の画像は https のページで表示されません（https: に）"
                      : "http: のリンクは安全ではありません（https: に）");
        } else if (scheme == "mailto") {
            add(CheckKind::Address, attribute.start, attribute.end,
                "メールアドレスへのリンクは外部への連絡として規約違反になります");
            if (tag.name == "a") inMailLink_ = true;
        } else if (scheme == "data") {
            add(CheckKind::Address, attribute.start, attribute.end,
                "data: のアドレスは出品ページで使えません");
        }
    }

    void fixedWidth(const Attribute& attribute) {
        int pixels = 0;
        for (char c : attribute.value) {
            if (c < '0' || c > '9') return;  // a percentage follows the phone
            pixels = std::min(pixels * 10 + (c - '0'), 100000);
        }
        if (pixels + 16 <= phoneWidth_ || phoneWidth_ <= 0) return;
        add(CheckKind::PhoneWidth, attribute.start, attribute.end,
            "幅 " + std::to_string(pixels) + " px の固定サイズはスマホの幅 " +
                std::to_string(phoneWidth_) + " px を超えます");
    }

    // An "@" byte may be the second byte of a double-byte character (as in the ideographic
    // space): the characters are walked from the last known boundary, once each.
    void atSign(std::size_t at) {
        while (walk_ < at) {
            const unsigned char c = static_cast<unsigned char>(text_[walk_]);
            if (sjis::IsLeadByte(c) && walk_ + 1 < text_.size()) {
                walk_ += 2;
                localStart_ = npos;
                continue;
            }
            if (!IsMailLocal(c))
                localStart_ = npos;
            else if (localStart_ == npos)
                localStart_ = walk_;
            ++walk_;
        }
        if (walk_ == at && localStart_ != npos) mailAddress(at);
        if (walk_ == at) ++walk_;
        localStart_ = npos;
    }

    // A mail address written out in the visible text; one inside a mail link was reported with
    // the link.
    void mailAddress(std::size_t at) {
        const std::size_t end = markup::MailDomainEnd(text_, at, text_.size());
        if (end == npos || inMailLink_) return;
        add(CheckKind::Address, localStart_, end,
            "メールアドレスの記載は外部への連絡として規約違反になります");
    }

    // A double-byte character is twice as wide as a single-byte one, so a line's width is its
    // visible bytes' count times half the font's size. A reference a cell keeps for a character
    // code page 932 cannot hold is one full-width character on the page.
    void visible(std::size_t at, std::size_t bytes) {
        if (bytes == 0) return;
        if (lineBytes_ == 0) lineStart_ = at;
        lineBytes_ += bytes;
        const char* const end = text_.data() + at + bytes;
        for (const char* amp = static_cast<const char*>(std::memchr(text_.data() + at, '&', bytes));
             amp; amp = static_cast<const char*>(std::memchr(amp + 1, '&', end - amp - 1))) {
            std::size_t length = 0;
            const std::size_t from = static_cast<std::size_t>(amp - text_.data());
            if (amp + 1 < end &&
                cellchars::ReadReference(text_.substr(0, at + bytes), from, length))
                lineBytes_ -= length - 2;
        }
    }

    // Every cell is NOWRAP, so only a line break ends a line on the page.
    void lineBreak(std::size_t at) {
        if (lineBytes_ > widest_) {
            widest_ = lineBytes_;
            widestStart_ = lineStart_;
            widestEnd_ = at;
        }
        lineBytes_ = 0;
    }

    void reportWidestLine() {
        if (phoneWidth_ <= 0) return;
        const int pixels =
            static_cast<int>(static_cast<double>(widest_) * halfWidth_ + 0.5) + overhead_;
        if (pixels <= phoneWidth_) return;
        add(CheckKind::PhoneWidth, widestStart_, widestEnd_,
            "改行のない行が約 " + std::to_string(pixels) + " px になり、スマホの幅 " +
                std::to_string(phoneWidth_) + " px を超えます");
    }

    std::string_view text_;
    int tag_;
    int phoneWidth_;
    std::vector<CheckFinding>& out_;
    std::vector<Open> opens_;
    std::vector<Attribute> attributes_;  // of the tag being read, kept for its capacity
    std::size_t localStart_ = npos;      // where a run that could be a mail address's name began
    bool inMailLink_ = false;
    double halfWidth_ = 8;
    int overhead_ = 0;
    std::size_t walk_ = 0;  // a character boundary up to which localStart_ is known
    std::size_t lineBytes_ = 0, widest_ = 0;
    std::size_t lineStart_ = 0, widestStart_ = 0, widestEnd_ = 0;
};

}  // namespace

void CheckCell(const TSheetCell& cell, const TTableStyle& style, int phoneWidth,
               std::vector<CheckFinding>& out) {
    CellScanner(cell, style, phoneWidth, out).Run();
}

}  // namespace quorvel
