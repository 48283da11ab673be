#pragma once

#include <string>

#include "sheet/DescriptionSheet.h"

// Turns the sheet into the tag text pasted into an auction listing: code page 932 bytes, every
// line ending in CR LF. Cell text is copied unescaped, so markup typed by the seller stays markup.
namespace quorvel {

std::string BuildHtmlTags(const TDescriptionSheet& sheet);

// "#RRGGBB" for a Windows colour; system colours are resolved first.
std::string HtmlColor(TColor colour);
// The HTML font size 1..6 for a size in points.
int HtmlFontSize(int points);

// The fragment builders; each returns one or more whole lines.
std::string AlignParagraphTag(bool open, int blockAlign);
std::string NoteParagraphTag(bool open, const TSheetCell& note);
std::string TableTag(bool open, const TTableStyle& style);
std::string RowTag(bool open);
std::string CellTag(bool open, bool spansBothColumns, const TSheetCell& cell);
std::string CellBody(const TSheetCell& cell);
std::string FooterBlock();

// The same fragments appended to the caller's string, so a whole page is written into one buffer.
void AppendHtmlColor(std::string& out, TColor colour);
void AppendAlignParagraphTag(std::string& out, bool open, int blockAlign);
void AppendNoteParagraphTag(std::string& out, bool open, const TSheetCell& note);
void AppendTableTag(std::string& out, bool open, const TTableStyle& style);
void AppendRowTag(std::string& out, bool open);
void AppendCellTag(std::string& out, bool open, bool spansBothColumns, const TSheetCell& cell);
void AppendCellBody(std::string& out, const TSheetCell& cell);
void AppendFooterBlock(std::string& out);

}  // namespace quorvel
