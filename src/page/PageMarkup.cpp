#include "page/PageMarkup.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>
#include <vector>

namespace quorvel::page {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The tags before (or after, for a start tag) which a browser would not show a space.
// Whether the tag name at `at` is one of `names` (lower case), whole, in any case.
template <std::size_t N>
bool NamesOneOf(std::string_view markup, std::size_t at,
                const std::array<std::string_view, N>& names) {
    for (std::string_view name : names) {
        if (markup.size() - at <= name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(markup[at + i])) == name[i];
        const char after = markup[at + name.size()];
        if (same && (after == '>' || after == '/' || IsSpace(after))) return true;
    }
    return false;
}

bool BreaksLine(std::string_view markup, std::size_t lt) {
    static constexpr std::array<std::string_view, 21> kNames = {
        "td", "th", "tr", "p",  "div", "li", "br", "table", "ul", "ol",        "center",
        "h1", "h2", "h3", "h4", "h5",  "h6", "dd", "dt",    "hr", "blockquote"};
    std::size_t at = lt + 1;
    if (at < markup.size() && markup[at] == '/') ++at;
    return NamesOneOf(markup, at, kNames);
}

// Start tags of blocks whose lines hold text directly.
bool StartsTextBlock(std::string_view markup, std::size_t lt) {
    static constexpr std::array<std::string_view, 14> kNames = {
        "td", "th", "p", "div", "li", "center", "dd", "dt", "h1", "h2", "h3", "h4", "h5", "h6"};
    return NamesOneOf(markup, lt + 1, kNames);
}

bool IsPicture(std::string_view markup, std::size_t lt) {
    if (markup.size() - lt < 5) return false;
    const auto lower = [&](std::size_t k) {
        return std::tolower(static_cast<unsigned char>(markup[lt + k]));
    };
    return lower(1) == 'i' && lower(2) == 'm' && lower(3) == 'g' && !std::isalnum(lower(4));
}

// True when text or a picture comes after `from` before anything that ends the line: the line
// a browser would make there.
bool TextFollows(std::string_view markup, std::size_t from) {
    while (from < markup.size()) {
        const char c = markup[from];
        if (IsSpace(c)) {
            ++from;
        } else if (c != '<') {
            return true;
        } else if (markup.compare(from, 4, "<!--") == 0) {
            const std::size_t end = markup.find("-->", from + 4);
            if (end == std::string_view::npos) return false;
            from = end + 3;
        } else if (BreaksLine(markup, from)) {
            return false;
        } else if (IsPicture(markup, from)) {
            return true;
        } else {
            const std::size_t close = markup.find('>', from);
            if (close == std::string_view::npos) return false;
            from = close + 1;
        }
    }
    return false;
}

}  // namespace

std::string PageDocument(std::string_view tags) {
    std::string out = "<!DOCTYPE html><html><head></head><body>";
    out.reserve(out.size() + tags.size() + 16);
    std::size_t i = 0;
    bool afterBreak = false;  // just after a tag that starts or ends a line
    bool lineStart = true;    // nothing shown on the line so far
    while (i < tags.size()) {
        if (tags.compare(i, 4, "<!--") == 0) {
            // Comments go through whole, so their text is never taken for tags.
            const std::size_t end = tags.find("-->", i + 4);
            const std::size_t stop = end == std::string_view::npos ? tags.size() : end + 3;
            out.append(tags.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (IsSpace(tags[i])) {
            std::size_t end = i;
            while (end < tags.size() && IsSpace(tags[end])) ++end;
            const bool beforeBreak = end < tags.size() && tags[end] == '<' && BreaksLine(tags, end);
            if (!beforeBreak && !afterBreak) out.append(tags.substr(i, end - i));
            i = end;
            continue;
        }
        if (tags[i] == '<') {
            const std::size_t close = tags.find('>', i);
            const std::size_t stop = close == std::string_view::npos ? tags.size() : close + 1;
            afterBreak = tags.compare(i, 2, "</") != 0 && BreaksLine(tags, i);
            const bool isBreak =
                (tags.compare(i, 3, "<br") == 0 || tags.compare(i, 3, "<BR") == 0 ||
                 tags.compare(i, 3, "<Br") == 0 || tags.compare(i, 3, "<bR") == 0) &&
                afterBreak;
            if (isBreak && lineStart) out += kEmptyLineStrut;
            if (BreaksLine(tags, i)) lineStart = true;
            if (IsPicture(tags, i)) lineStart = false;
            out.append(tags.substr(i, stop - i));
            // A browser's every line stands at least on its block's face (the strut); the
            // engine gives that only to a line holding nothing but a break, so the line after a
            // break in smaller text is given it here.
            if (isBreak && TextFollows(tags, stop)) out += kLineStrut;
            // The block's own face sets its first line's baseline in a browser, even when all
            // its text is in a smaller font; the mark stands in for it.
            if (StartsTextBlock(tags, i) && TextFollows(tags, stop)) out += kEmptyLineMark;
            i = stop;
            continue;
        }
        afterBreak = false;
        lineStart = false;
        out += tags[i++];
    }
    out += "</body></html>";
    return out;
}

bool WithinBounds(const std::string& document) {
    if (document.size() > kMaxMarkupBytes) return false;
    GumboOutput* output =
        gumbo_parse_with_options(&kGumboDefaultOptions, document.data(), document.size());
    bool within = true;
    std::vector<std::pair<const GumboNode*, int>> pending{{output->root, 1}};
    while (!pending.empty() && within) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
        if (depth > kMaxDepth) within = false;
        const GumboElement& element = node->v.element;
        for (const char* span : {"colspan", "rowspan"}) {
            const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, span);
            if (attribute && std::atol(attribute->value) > kMaxSpan) within = false;
        }
        for (unsigned i = 0; i < element.children.length; ++i)
            pending.emplace_back(static_cast<const GumboNode*>(element.children.data[i]),
                                 depth + 1);
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return within;
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
