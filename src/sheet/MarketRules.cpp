#include "sheet/MarketRules.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "platform/AsciiCase.h"
#include "platform/Sjis.h"
#include "sheet/CellMarkup.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/PlainText.h"

namespace quorvel {
namespace {

using markup::Attribute;
using markup::IsWeb;
using markup::Target;
using markup::TargetOf;
using markup::Token;
using markup::TokenKind;

// What an address written in text may hold: printable ASCII but the characters that end it.
bool IsUrlChar(unsigned char c) {
    return c > ' ' && c < 0x7F && c != '<' && c != '>' && c != '"' && c != '\'';
}

// The closed start tags and the visible text of cell bytes, in order.
template <typename OnText, typename OnElement>
void ReadCell(std::string_view text, OnText onText, OnElement onElement) {
    markup::Reader reader(text);
    Token token;
    while (reader.Next(token)) {
        if (token.kind == TokenKind::Text) onText(token.start, token.end);
        if (token.kind == TokenKind::StartTag && token.closed) onElement(token);
    }
}

struct Rule {
    CheckFinding finding;
    bool supersedes = false;  // takes the place of the general finding on the same text
};

class MarketChecker {
  public:
    MarketChecker(CheckMarket market, std::vector<Rule>& rules)
        : market_(market), prefix_(std::string(Label(market)) + ": "), rules_(rules) {}

    void Cell(const TSheetCell& cell) {
        text_ = cell.Text;
        tag_ = cell.Tag;
        ReadCell(
            text_, [this](std::size_t from, std::size_t to) { visibleText(from, to); },
            [this](const Token& element) { this->element(element); });
    }

    // The footer's own links, which no cell holds and the seller cannot change.
    void Footer() {
        if (market_ != CheckMarket::Ebay) return;
        const std::string footer = FooterBlock();
        ReadCell(
            footer, [](std::size_t, std::size_t) {},
            [&](const Token& element) {
                for (const Attribute& attribute : element.attributes) {
                    if (attribute.name != "href") continue;
                    const Target target = TargetOf(attribute.value);
                    if (!IsWeb(target) || IsEbayHost(target.host)) continue;
                    std::string message = "フッターのリンク（" + std::string(attribute.value) +
                                          "）は eBay 以外のサイトへのリンクです";
                    if (target.scheme == "http") message += "（http: でもあります）";
                    message += "。フッターはタグに必ず入ります";
                    page(CheckKind::Address, std::move(message), kFooterTag);
                }
            });
    }

    void Page(const TDescriptionSheet& sheet, std::size_t tagChars) {
        if (market_ == CheckMarket::Ebay) {
            if (tagChars > kEbayMaxChars)
                page(CheckKind::Size,
                     "タグを含めて " + std::to_string(tagChars) + " 文字あり、上限 " +
                         std::to_string(kEbayMaxChars) + " 文字を超えています",
                     kWholePage, true);
            const std::size_t plain = CountPlainTextChars(BuildPlainText(sheet));
            if (plain > kEbayPhoneShownChars)
                page(CheckKind::Size, "タグを除いた説明文が " + std::to_string(plain) +
                                          " 文字あり、スマホでは最初の約 " +
                                          std::to_string(kEbayPhoneShownChars) +
                                          " 文字しか表示されないことがあります");
        } else if (market_ == CheckMarket::Text) {
            const std::size_t plain = CountPlainTextChars(BuildPlainText(sheet));
            if (plain > kTextMarketMaxChars)
                page(CheckKind::Size, "テキストが " + std::to_string(plain) + " 文字あり、上限 " +
                                          std::to_string(kTextMarketMaxChars) +
                                          " 文字を超えています");
        }
    }

  private:
    static const char* Label(CheckMarket market) {
        return market == CheckMarket::Text ? "Yahoo!フリマ・メルカリ・ラクマ"
                                           : CheckMarketName(market);
    }

    void add(CheckKind kind, std::size_t start, std::size_t end, std::string message,
             bool supersedes = false) {
        rules_.push_back(
            {CellFinding(kind, tag_, text_, start, end, prefix_ + message), supersedes});
    }

    void page(CheckKind kind, std::string message, int tag = kWholePage, bool supersedes = false) {
        Rule rule;
        rule.supersedes = supersedes;
        rule.finding.kind = kind;
        rule.finding.tag = tag;
        rule.finding.message = prefix_ + message;
        rules_.push_back(std::move(rule));
    }

    void element(const Token& element) {
        for (const Attribute& attribute : element.attributes) {
            if (market_ == CheckMarket::Ebay) ebayAttribute(element, attribute);
            // A link's address is written out beside its text in the plain rendition.
            if (market_ == CheckMarket::Text && element.name == "a" && attribute.name == "href" &&
                IsWeb(TargetOf(attribute.value)))
                add(CheckKind::Address, attribute.start, attribute.end,
                    "リンク先の URL がテキストに載ります。URL は書けません");
        }
    }

    void ebayAttribute(const Token& element, const Attribute& attribute) {
        const std::string& name = attribute.name;
        if (name == "width" && element.name == "img") imageWidth(attribute);
        if (name != "href" && name != "src" && name != "background") return;
        const Target target = TargetOf(attribute.value);
        const bool link = name == "href";
        if (link && IsWeb(target) && !IsEbayHost(target.host))
            add(CheckKind::Address, attribute.start, attribute.end,
                "eBay 以外のサイトへのリンクです（商品動画・配送・法定の表示のほかは不可）");
        if (target.scheme == "http")
            add(CheckKind::Address, attribute.start, attribute.end,
                link ? "リンクは https: でなければなりません"
                     : "画像は https: でなければなりません",
                true);
    }

    // A percentage follows the page; only a fixed size can be too wide.
    void imageWidth(const Attribute& attribute) {
        const std::optional<long> pixels = markup::DimensionPixels(attribute.value);
        if (!pixels || *pixels <= kEbayMaxImageWidth) return;
        add(CheckKind::Size, attribute.start, attribute.end,
            "画像の幅 " + std::to_string(*pixels) + " px は上限 " +
                std::to_string(kEbayMaxImageWidth) + " px を超えています");
    }

    // Addresses written in the visible text, where a buyer reads them, from left to right: one
    // reaches over what it holds (an "@" in a web address is the address's).
    void visibleText(std::size_t from, std::size_t to) {
        if (market_ != CheckMarket::Yahoo && market_ != CheckMarket::Text) return;
        const auto nextMail = [&](std::size_t at) {
            return market_ == CheckMarket::Yahoo ? markup::NextMailAddress(text_, at, to)
                                                 : std::nullopt;
        };
        std::optional<markup::MailAddress> mail = nextMail(from);
        bool afterWord = false;  // a double-byte character ends a word as a blank does
        for (std::size_t i = from; i < to;) {
            if (mail && i >= mail->at) {
                add(CheckKind::Address, mail->start, mail->end,
                    "メールアドレスの記載はガイドラインで禁止されています（取引を外部へ誘導）",
                    true);
                i = mail->end;
                afterWord = false;
                mail = nextMail(i);
                continue;
            }
            const std::size_t length = sjis::CharLength(text_, i);
            const unsigned char c = static_cast<unsigned char>(text_[i]);
            const bool wordStart = !afterWord;
            afterWord = length == 1 && std::isalnum(c) != 0;
            if (length == 1 && wordStart &&
                (StartsNoCase(text_, i, "http://") || StartsNoCase(text_, i, "https://") ||
                 StartsNoCase(text_, i, "www."))) {
                std::size_t end = i;
                while (end < to && IsUrlChar(static_cast<unsigned char>(text_[end]))) ++end;
                const std::size_t head = c == 'w' || c == 'W' ? 4 : 0;
                if (head == 0 ||
                    (end > i + head && std::isalnum(static_cast<unsigned char>(text_[i + head])))) {
                    add(CheckKind::Address, i, end,
                        market_ == CheckMarket::Yahoo
                            ? "URL の記載はガイドラインで禁止されています（取引を外部へ誘導）"
                            : "URL は書けません");
                    i = end;
                    afterWord = false;
                    if (mail && mail->start < end) mail = nextMail(end);
                    continue;
                }
            }
            i += length;
        }
    }

    CheckMarket market_;
    std::string prefix_;
    std::vector<Rule>& rules_;
    std::string_view text_;
    int tag_ = kWholePage;
};

bool Overlaps(const CheckFinding& a, const CheckFinding& b) {
    if (a.tag != b.tag || a.kind != b.kind) return false;
    if (a.length == 0 || b.length == 0) return a.length == b.length && a.offset == b.offset;
    return a.offset < b.offset + b.length && b.offset < a.offset + a.length;
}

// Cells in the sheet's order, then the footer and the page as they came.
int OrderOf(const CheckFinding& finding) {
    return IsCellTag(finding.tag) ? finding.tag : kNoteTag + 1;
}

}  // namespace

namespace {

struct MarketWords {
    CheckMarket market;
    const char* key;
    const char* name;
};

constexpr MarketWords kMarketWords[] = {
    {CheckMarket::Generic, "generic", "汎用"},
    {CheckMarket::Yahoo, "yahoo", "Yahoo!オークション"},
    {CheckMarket::Ebay, "ebay", "eBay"},
    {CheckMarket::Text, "text", "テキストのみ (Yahoo!フリマ・メルカリ・ラクマ)"},
};

const MarketWords& WordsOf(CheckMarket market) {
    for (const MarketWords& words : kMarketWords)
        if (words.market == market) return words;
    return kMarketWords[0];
}

}  // namespace

const char* CheckMarketKey(CheckMarket market) {
    return WordsOf(market).key;
}

std::optional<CheckMarket> ParseCheckMarket(std::string_view key) {
    for (const MarketWords& words : kMarketWords)
        if (key == words.key) return words.market;
    return std::nullopt;
}

const char* CheckMarketName(CheckMarket market) {
    return WordsOf(market).name;
}

bool IsEbayHost(std::string_view host) {
    static constexpr std::string_view kSites[] = {
        "ebay.com",    "ebay.co.uk",  "ebay.de",     "ebay.fr", "ebay.it", "ebay.es",   "ebay.ca",
        "ebay.com.au", "ebay.at",     "ebay.ch",     "ebay.ie", "ebay.nl", "ebay.be",   "ebay.pl",
        "ebay.com.hk", "ebay.com.sg", "ebay.com.my", "ebay.ph", "ebay.in", "ebay.co.jp"};
    for (std::string_view site : kSites) {
        if (host == site) return true;
        if (host.size() > site.size() && host.ends_with(site) &&
            host[host.size() - site.size() - 1] == '.')
            return true;
    }
    return false;
}

void AddMarketFindings(const TDescriptionSheet& sheet, std::size_t tagChars, CheckMarket market,
                       std::vector<CheckFinding>& findings) {
    if (market == CheckMarket::Generic) return;
    std::vector<Rule> rules;
    MarketChecker checker(market, rules);
    for (int i = 0; i < kCellCount; ++i) {
        const TSheetCell& cell = sheet.CellAt(i);
        if (sheet.IncludedByTag(cell.Tag)) checker.Cell(cell);
    }
    checker.Footer();
    checker.Page(sheet, tagChars);
    std::erase_if(findings, [&rules](const CheckFinding& general) {
        return std::any_of(rules.begin(), rules.end(), [&general](const Rule& rule) {
            return rule.supersedes && Overlaps(rule.finding, general);
        });
    });
    for (Rule& rule : rules) findings.push_back(std::move(rule.finding));
    std::stable_sort(findings.begin(), findings.end(),
                     [](const CheckFinding& a, const CheckFinding& b) {
                         const int orderA = OrderOf(a), orderB = OrderOf(b);
                         if (orderA != orderB) return orderA < orderB;
                         return IsCellTag(a.tag) && a.offset < b.offset;
                     });
}

}  // namespace quorvel
