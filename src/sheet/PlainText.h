#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sheet/DescriptionSheet.h"

// The sheet as plain text for marketplaces that take no HTML: the title, then one line per row
// ("item：description"), then a blank line and the note. Markup typed in the cells is removed and
// character references decoded; excluded and empty cells are left out, and so is the footer.
// Code page 932 bytes, every line ending in CR LF.
namespace quorvel {

std::string BuildPlainText(const TDescriptionSheet& sheet);

// One cell's text without its markup: <BR> becomes a line break, an anchor its visible text
// followed by " (address)" unless that text is the address, a picture and any other tag nothing.
// &amp; &lt; &gt; &quot; &nbsp; and numeric references to characters code page 932 holds are
// decoded; one to a character it cannot hold is written in the cells' own form ("&#x1F4E6;"),
// which the UTF-8 renditions show as the character; anything else stays as written. Line breaks
// come out as CR LF.
std::string PlainCellText(std::string_view cellText);

// The pictures (IMG tags) in the included cells, which the plain text leaves out.
std::size_t CountLeftOutPictures(const TDescriptionSheet& sheet);

// Characters as the marketplaces count them: a double-byte character is one, and so is a line
// break (CR LF) and a reference to a character code page 932 cannot hold (the copy's character).
std::size_t CountPlainTextChars(std::string_view cp932);

// A continuation line is indented under the description while the item and its "：" take at
// most this many columns (bytes: a double-byte character is two columns wide).
constexpr std::size_t kMaxIndentColumns = 16;

}  // namespace quorvel
