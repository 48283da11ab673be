#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What is handed to the engine for a page's tag text, and whether the engine can be trusted
// with it.
namespace quorvel::page {

// Deeper nesting than this, tables nested deeper than this, a table span wider than this, or
// more layout work than this is not laid out: the page is then shown as its text.
constexpr int kMaxDepth = 128;
constexpr int kMaxTableDepth = 8;
constexpr int kMaxSpan = 1000;
// About half a second of the engine's time on a busy machine, at the most.
constexpr std::int64_t kMaxLayoutWork = 100'000;
constexpr std::size_t kMaxMarkupBytes = 512 * 1024;
constexpr std::size_t kMaxTextBytes = 64 * 1024;

// A zero-width space in the block's own face: what the first line of a block of smaller text
// stands on, as a browser's line does.
constexpr const char* kEmptyLineMark = "\xE2\x80\x8B";
// The block's face for a line that holds only a line break (the engine would give it the
// break's face), and an empty box in it for a line after a break, which then stands on it without
// a word of its own to wrap at.
constexpr const char* kEmptyLineStrut = "<span style=\"font-size: 1rem\">\xE2\x80\x8B</span>";
constexpr const char* kLineStrut = "<span style=\"font-size: 1rem\"></span>";

// The page around UTF-8 tag text: a doctype (standards mode) and an empty head. White space
// right before a block's start or end, or a line break, is left out: a browser does not count
// it at the end of a line and the engine would. A block's first line and a line after a break
// get the marks.
std::string PageDocument(std::string_view utf8Tags);

// What laying a document out would cost: the engine lays a table's cells out several times over,
// once for each table around them, so each box weighs more the deeper in tables it is.
struct MarkupCost {
    int depth = 0;
    int tableDepth = 0;
    std::int64_t work = 0;
    bool spanTooWide = false;
};
MarkupCost MeasureMarkup(const std::string& document);

// True when the markup's tree stays within the bounds above.
bool WithinBounds(const std::string& document);

// A page that shows `utf8Tags` as plain text.
std::string TextDocument(std::string_view utf8Tags);

}  // namespace quorvel::page
