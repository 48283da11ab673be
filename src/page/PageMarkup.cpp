#include "page/PageMarkup.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "sheet/CellMarkup.h"

namespace quorvel::page {
namespace {

using markup::IsBlank;
using markup::Token;
using markup::TokenKind;

template <std::size_t N>
bool OneOf(const std::string& name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The tags, start or end, before (or after, for a start tag) which a browser would not show a
// space. A tag the text ends inside is dropped by a browser and breaks nothing.
bool BreaksLine(const Token& token) {
    static constexpr std::array<std::string_view, 21> kNames = {
        "td", "th", "tr", "p",  "div", "li", "br", "table", "ul", "ol",        "center",
        "h1", "h2", "h3", "h4", "h5",  "h6", "dd", "dt",    "hr", "blockquote"};
    return token.IsTag() && token.closed && OneOf(token.name, kNames);
}

// Start tags of blocks whose lines hold text directly.
bool StartsTextBlock(const Token& token) {
    static constexpr std::array<std::string_view, 14> kNames = {
        "td", "th", "p", "div", "li", "center", "dd", "dt", "h1", "h2", "h3", "h4", "h5", "h6"};
    return token.kind == TokenKind::StartTag && token.closed && OneOf(token.name, kNames);
}

// True when text or a picture comes next before anything that ends the line: the line a browser
// would make there.
bool TextFollows(markup::Reader reader) {
    Token token;
    while (reader.Next(token)) {
        if (token.kind == TokenKind::Text) {
            for (std::size_t i = token.start; i < token.end; ++i)
                if (!IsBlank(reader.Text()[i])) return true;
        } else if (token.IsTag()) {
            if (!token.closed || BreaksLine(token)) return false;
            if (token.Opens("img")) return true;
        }
    }
    return false;
}

}  // namespace

std::string PageDocument(std::string_view tags) {
    std::string out = "<!DOCTYPE html><html><head></head><body>";
    out.reserve(out.size() + tags.size() + 16);
    bool afterBreak = false;  // just after a tag that starts or ends a line
    bool lineStart = true;    // nothing shown on the line so far
    markup::Reader reader(tags, markup::Encoding::Utf8);
    Token token;
    while (reader.Next(token)) {
        const std::string_view bytes = tags.substr(token.start, token.end - token.start);
        if (token.kind == TokenKind::Text) {
            for (std::size_t i = token.start; i < token.end;) {
                if (!IsBlank(tags[i])) {
                    afterBreak = false;
                    lineStart = false;
                    out += tags[i++];
                    continue;
                }
                std::size_t end = i;
                while (end < token.end && IsBlank(tags[end])) ++end;
                bool beforeBreak = false;
                if (end == token.end) {
                    markup::Reader next = reader;
                    Token following;
                    beforeBreak = next.Next(following) && BreaksLine(following);
                }
                if (!beforeBreak && !afterBreak) out.append(tags.substr(i, end - i));
                i = end;
            }
            continue;
        }
        // Comments go through whole, so their text is never taken for tags; so does a tag the
        // text ends inside, which the engine drops as a browser does.
        if (!token.IsTag() || !token.closed) {
            out.append(bytes);
            continue;
        }
        const bool breaks = BreaksLine(token);
        afterBreak = token.kind == TokenKind::StartTag && breaks;
        const bool isBreak = token.Opens("br");
        if (isBreak && lineStart) out += kEmptyLineStrut;
        if (breaks) lineStart = true;
        if (token.Opens("img")) lineStart = false;
        out.append(bytes);
        // A browser's every line stands at least on its block's face (the strut); the
        // engine gives that only to a line holding nothing but a break, so the line after a
        // break in smaller text is given it here.
        if (isBreak && TextFollows(reader)) out += kLineStrut;
        // The block's own face sets its first line's baseline in a browser, even when all
        // its text is in a smaller font; the mark stands in for it.
        if (StartsTextBlock(token) && TextFollows(reader)) out += kEmptyLineMark;
    }
    out += "</body></html>";
    return out;
}

namespace {

// How many times over the engine lays out what is inside one more table (measured).
constexpr double kTableFactor = 2.5;
// A text node weighs one box for every so many bytes: about a word.
constexpr std::size_t kTextBytesPerBox = 8;
// A table's grid costs little per cell, but its cells are many.
constexpr double kGridCellsPerBox = 8;

bool Named(const GumboNode* node, GumboTag tag) {
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

long Span(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    return attribute ? std::atol(attribute->value) : 1;
}

// The cells a table's grid holds: its rows times its widest row, spans counted.
std::int64_t GridCells(const GumboNode* table) {
    std::int64_t rows = 0;
    std::int64_t columns = 0;
    const auto row = [&](const GumboNode* tr) {
        std::int64_t width = 0;
        std::int64_t tallest = 1;
        const GumboVector& cells = tr->v.element.children;
        for (unsigned i = 0; i < cells.length; ++i) {
            const auto* cell = static_cast<const GumboNode*>(cells.data[i]);
            if (!Named(cell, GUMBO_TAG_TD) && !Named(cell, GUMBO_TAG_TH)) continue;
            width += std::clamp<long>(Span(cell->v.element, "colspan"), 1, kMaxSpan);
            tallest = std::max<std::int64_t>(
                tallest, std::clamp<long>(Span(cell->v.element, "rowspan"), 1, kMaxSpan));
        }
        columns = std::max(columns, width);
        rows += 1;
        rows = std::max(rows, tallest);
    };
    const GumboVector& children = table->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (Named(child, GUMBO_TAG_TR)) row(child);
        if (Named(child, GUMBO_TAG_TBODY) || Named(child, GUMBO_TAG_THEAD) ||
            Named(child, GUMBO_TAG_TFOOT)) {
            const GumboVector& rowsOf = child->v.element.children;
            for (unsigned j = 0; j < rowsOf.length; ++j) {
                const auto* tr = static_cast<const GumboNode*>(rowsOf.data[j]);
                if (Named(tr, GUMBO_TAG_TR)) row(tr);
            }
        }
    }
    return rows * columns;
}

}  // namespace

MarkupCost MeasureMarkup(const std::string& document) {
    MarkupCost cost;
    GumboOutput* output =
        gumbo_parse_with_options(&kGumboDefaultOptions, document.data(), document.size());
    struct Pending {
        const GumboNode* node;
        int depth;
        int tables;
    };
    std::vector<Pending> pending{{output->root, 1, 0}};
    // The weight stops growing past the table bound: such a page is refused anyway.
    double weights[kMaxTableDepth + 2];
    weights[0] = 1;
    for (int i = 1; i < kMaxTableDepth + 2; ++i) weights[i] = weights[i - 1] * kTableFactor;
    while (!pending.empty()) {
        const auto [node, depth, tables] = pending.back();
        pending.pop_back();
        const double weight = weights[std::min(tables, kMaxTableDepth + 1)];
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
            cost.work += static_cast<std::int64_t>(
                weight *
                static_cast<double>(1 + std::strlen(node->v.text.text) / kTextBytesPerBox));
            continue;
        }
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
        cost.depth = std::max(cost.depth, depth);
        cost.work += static_cast<std::int64_t>(weight);
        const GumboElement& element = node->v.element;
        for (const char* span : {"colspan", "rowspan"})
            if (Span(element, span) > kMaxSpan) cost.spanTooWide = true;
        int inner = tables;
        if (element.tag == GUMBO_TAG_TABLE) {
            inner = tables + 1;
            cost.tableDepth = std::max(cost.tableDepth, inner);
            cost.work +=
                static_cast<std::int64_t>(weights[std::min(inner, kMaxTableDepth + 1)] *
                                          static_cast<double>(GridCells(node)) / kGridCellsPerBox);
        }
        for (unsigned i = 0; i < element.children.length; ++i)
            pending.push_back(
                {static_cast<const GumboNode*>(element.children.data[i]), depth + 1, inner});
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return cost;
}

bool WithinBounds(const std::string& document) {
    if (document.size() > kMaxMarkupBytes) return false;
    const MarkupCost cost = MeasureMarkup(document);
    return cost.depth <= kMaxDepth && cost.tableDepth <= kMaxTableDepth && !cost.spanTooWide &&
           cost.work <= kMaxLayoutWork;
}

std::string TextDocument(std::string_view tags) {
    std::string out =
        "<!DOCTYPE html><html><head></head><body><div style=\"white-space: pre-wrap\">";
    for (char c : tags.substr(0, std::min(tags.size(), kMaxTextBytes))) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    out += "</div></body></html>";
    return out;
}

}  // namespace quorvel::page
