// The cell-by-cell part of the listing check: one pass over a cell's code page 932 bytes that
// reads the markup the seller typed as a browser would (sheet/CellMarkup.h), and estimates each
// line's width.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Sjis.h"
#include "sheet/CellMarkup.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"

namespace quorvel {
namespace {

using markup::Attribute;
using markup::Token;
using markup::TokenKind;

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

// Widths in CSS pixels of the HTML font sizes 1..6 in a browser's default style.
int FontPixels(int points) {
    static constexpr int kPixels[] = {10, 13, 16, 18, 24, 32};
    return kPixels[std::clamp(HtmlFontSize(points), 1, 6) - 1];
}

// The room a referenced character takes, in single-byte widths: a double-byte character's room
// unless code page 932 holds it in one byte (or it is the no-break space).
std::size_t ReferenceWidth(char32_t ch) {
    return ch == U'\u00A0' || sjis::EncodedLength(ch) == 1 ? 1 : 2;
}

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
        markup::Reader reader(text_);
        Token& token = token_;
        while (reader.Next(token)) {
            if (token.kind == TokenKind::Text) {
                visibleText(token.start, token.end);
            } else if (!token.closed) {
                add(CheckKind::Markup, token.start, token.end,
                    token.kind == TokenKind::Comment ? "閉じていないコメントが後ろをすべて隠します"
                                                     : "「>」のないタグが後ろの表示を飲み込みます");
            } else if (token.IsTag()) {
                element(token);
            }
        }
        lineBreak(text_.size());
        for (const Open& open : opens_)
            add(CheckKind::Markup, open.start, open.end,
                "閉じタグがないため、後ろの表示が崩れます");
        reportWidestLine();
    }

  private:
    struct Open {
        int element;
        std::size_t start, end;
    };

    void add(CheckKind kind, std::size_t start, std::size_t end, std::string message) {
        out_.push_back(CellFinding(kind, tag_, text_, start, end, std::move(message)));
    }

    void element(const Token& tag) {
        const int paired = IndexIn(kPaired, tag.name);
        const bool active = IndexIn(kActive, tag.name) >= 0;
        if (paired < 0 && !active && IndexIn(kKnown, tag.name) < 0) {
            add(CheckKind::Markup, tag.start, tag.end,
                "ブラウザが知らないタグとして隠します（文字なら全角の＜＞に）");
            return;
        }
        if (tag.kind == TokenKind::EndTag) {
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
        for (const Attribute& attribute : tag.attributes) checkAttribute(tag, attribute);
    }

    void closeElement(int paired, const Token& tag) {
        for (auto it = opens_.rbegin(); it != opens_.rend(); ++it) {
            if (it->element != paired) continue;
            opens_.erase(std::next(it).base());
            return;
        }
        add(CheckKind::Markup, tag.start, tag.end, "開始タグのない閉じタグが表の構造を崩します");
    }

    void checkAttribute(const Token& tag, const Attribute& attribute) {
        const std::string& name = attribute.name;
        if (name.size() > 2 && name.compare(0, 2, "on") == 0) {
            add(CheckKind::ActiveContent, attribute.start, attribute.end,
                "イベント属性（" + sjis::ToUtf8(attribute.written) + "）は出品ページで使えません");
            return;
        }
        if (name == "width") fixedWidth(attribute);
        if (IndexIn(kAddressAttributes, name) < 0) return;
        const std::string scheme = markup::TargetOf(attribute.value).scheme;
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

    // A percentage follows the phone; only a fixed size can be too wide.
    void fixedWidth(const Attribute& attribute) {
        const std::optional<long> pixels = markup::DimensionPixels(attribute.value);
        if (!pixels || *pixels + 16 <= phoneWidth_ || phoneWidth_ <= 0) return;
        add(CheckKind::PhoneWidth, attribute.start, attribute.end,
            "幅 " + std::to_string(*pixels) + " px の固定サイズはスマホの幅 " +
                std::to_string(phoneWidth_) + " px を超えます");
    }

    // The text a buyer sees: its lines' widths and the mail addresses written in it. A double-byte
    // character is twice as wide as a single-byte one, so a line's width is its visible bytes'
    // count times half the font's size; a reference takes the room of its character.
    void visibleText(std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to;) {
            const char c = text_[at];
            std::size_t length = sjis::CharLength(text_, at);
            if (c == '\r' || c == '\n') {
                lineBreak(at);
            } else if (const auto ch =
                           c == '&' ? markup::ReadReference(text_, at, length) : std::nullopt) {
                visible(at, ReferenceWidth(*ch));
            } else {
                visible(at, length);
            }
            at += length;
        }
        // One inside a mail link was reported with the link.
        if (inMailLink_) return;
        for (auto mail = markup::NextMailAddress(text_, from, to); mail;
             mail = markup::NextMailAddress(text_, mail->end, to))
            add(CheckKind::Address, mail->start, mail->end,
                "メールアドレスの記載は外部への連絡として規約違反になります");
    }

    void visible(std::size_t at, std::size_t width) {
        if (lineBytes_ == 0) lineStart_ = at;
        lineBytes_ += width;
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
    Token token_;  // kept for its storage
    bool inMailLink_ = false;
    double halfWidth_ = 8;
    int overhead_ = 0;
    std::size_t lineBytes_ = 0, widest_ = 0;
    std::size_t lineStart_ = 0, widestStart_ = 0, widestEnd_ = 0;
};

}  // namespace

void CheckCell(const TSheetCell& cell, const TTableStyle& style, int phoneWidth,
               std::vector<CheckFinding>& out) {
    CellScanner(cell, style, phoneWidth, out).Run();
}

}  // namespace quorvel
