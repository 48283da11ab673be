#include "sheet/HtmlGenerator.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/HexDigits.h"
#include "platform/SystemColours.h"
#include "sheet/Maker.h"

namespace quorvel {
namespace {

// Literals are appended with their length known at compile time; no strlen, no temporaries.
template <std::size_t N>
void Put(std::string& out, const char (&literal)[N]) {
    out.append(literal, N - 1);
}

std::string_view BlockAlignWord(int align) {
    switch (align) {
        case kAlignCenter:
            return "center";
        case kAlignRight:
            return "right";
        default:
            return "left";
    }
}

std::string_view CellHAlignWord(int align) {
    switch (align) {
        case kHAlignRight:
            return "right";
        case kHAlignCenter:
            return "center";
        default:
            return "left";
    }
}

std::string_view CellVAlignWord(int align) {
    switch (align) {
        case kVAlignCenter:
            return "center";
        case kVAlignBottom:
            return "bottom";
        default:
            return "top";
    }
}

void AppendDecimal(std::string& out, int value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendParagraph(std::string& out, bool open, std::string_view word) {
    if (!open) return Put(out, "</p>\r\n");
    Put(out, "<P ALIGN=\"");
    out += word;
    Put(out, "\">\r\n");
}

// Copies the text in runs between CR LF pairs, each pair becoming <BR>. Lone CR and LF stay;
// no byte of a double-byte character is CR or LF, so the search may work on bytes.
void AppendCellText(std::string& out, std::string_view text) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t runStart = 0;
    std::size_t searchFrom = 0;
    while (searchFrom < size) {
        const void* found = std::memchr(data + searchFrom, '\r', size - searchFrom);
        if (!found) break;
        const std::size_t cr = static_cast<const char*>(found) - data;
        if (cr + 1 < size && data[cr + 1] == '\n') {
            out.append(data + runStart, cr - runStart);
            Put(out, "<BR>");
            runStart = cr + 2;
        }
        searchFrom = cr + 1;
    }
    out.append(data + runStart, size - runStart);
}

// Shift_JIS literals of the footer; the generated page carries no charset, so these stay bytes.
constexpr char kFooterFirstLine[] =
    "<!--\x82\xB1\x82\xB1\x82\xA9\x82\xE7\x95\xD2\x8FW\x81"
    "A\x8D\xED\x8F\x9C\x8B\xD6\x8E~-->";
constexpr char kFooterLead[] =
    "\x82\xB1\x82\xCC\x83t\x83H\x81[\x83\x80\x82\xCD "
    "\x83t\x83\x8A\x81[\x83\x5C\x83t\x83g\x81@";
constexpr char kFooterTrail[] =
    "\x81@\x82\xC9\x82\xE6\x82\xC1\x82\xC4\x90\xB6\x90\xAC\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC"
    "\x82\xB7\x81"
    "B<BR><BR>";
constexpr char kFooterLastLine[] = "<!--\x82\xB1\x82\xB1\x82\xDC\x82\xC5-->";

std::string MakeFooter() {
    std::string block;
    Put(block, kFooterFirstLine);
    Put(block, "\r\n<BR><FONT COLOR=\"#FF0000\" SIZE=\"3\">");
    Put(block, kFooterLead);
    Put(block, "<A HREF=\"");
    Put(block, maker::kSiteUrl);
    Put(block, "\" TARGET=\"_blank\">");
    Put(block, maker::kAppTitle);
    Put(block, " (");
    Put(block, maker::kVersionText);
    Put(block, ")</A>");
    Put(block, kFooterTrail);
    Put(block, "</FONT>\r\n");
    Put(block, kFooterLastLine);
    Put(block, "\r\n");
    return block;
}

// The footer never changes while the program runs.
const std::string& Footer() {
    static const std::string footer = MakeFooter();
    return footer;
}

// Upper bound of the bytes one cell adds (its TD lines and FONT line), text aside.
constexpr std::size_t kCellMarkupBytes = 192;
// Upper bound of the paragraph, table and row lines around the cells.
constexpr std::size_t kFrameBytes = 256 + 14 * kRowCount;

// Room for the whole page, so it is written without one reallocation: every CR LF of a text
// (two bytes) becomes <BR> (four), so a text takes at most twice its size.
std::size_t PageCapacity(const TDescriptionSheet& sheet) {
    std::size_t capacity = kFrameBytes + Footer().size();
    for (int i = 0; i < kCellCount; ++i)
        capacity += kCellMarkupBytes + 2 * sheet.CellAt(i).Text.size();
    return capacity;
}

void AppendCell(std::string& out, const TSheetCell& cell, bool spansBothColumns) {
    AppendCellTag(out, true, spansBothColumns, cell);
    AppendCellBody(out, cell);
    AppendCellTag(out, false, spansBothColumns, cell);
}

}  // namespace

void AppendHtmlColor(std::string& out, TColor colour) {
    if ((colour >> 24) == 0x80) colour = syscolour::Resolve(static_cast<int>(colour & 0xFF));
    char text[7];
    text[0] = '#';
    char* digit = text + 1;
    for (int shift : {0, 8, 16}) {  // red, green, blue
        const unsigned component = (colour >> shift) & 0xFF;
        *digit++ = kUpperHexDigits[component >> 4];
        *digit++ = kUpperHexDigits[component & 0xF];
    }
    out.append(text, sizeof text);
}

std::string HtmlColor(TColor colour) {
    std::string text;
    AppendHtmlColor(text, colour);
    return text;
}

int HtmlFontSize(int points) {
    switch (points) {
        case 7:
            return 1;
        case 8:
            return 2;
        case 9:
            return 3;
        case 12:
            return 4;
        case 14:
            return 5;
        default:
            return 6;
    }
}

void AppendAlignParagraphTag(std::string& out, bool open, int blockAlign) {
    AppendParagraph(out, open, BlockAlignWord(blockAlign));
}

void AppendNoteParagraphTag(std::string& out, bool open, const TSheetCell& note) {
    AppendParagraph(out, open, CellHAlignWord(note.Format.HAlign));
}

void AppendTableTag(std::string& out, bool open, const TTableStyle& style) {
    if (!open) return Put(out, "</TABLE>\r\n");
    if (style.BorderColorSet) {
        Put(out, "<TABLE BGCOLOR=\"");
        AppendHtmlColor(out, style.BorderColor);
        Put(out, "\" CELLSPACING=\"");
        AppendDecimal(out, style.BorderWidth);
    } else {
        Put(out, "<TABLE BORDER=\"");
        AppendDecimal(out, style.BorderWidth);
        Put(out, "\" CELLSPACING=\"0");
    }
    Put(out, "\" CELLPADDING=\"");
    AppendDecimal(out, style.CellPadding);
    // The paragraph before the table does not centre it in a page with a doctype (the table's
    // start closes the paragraph), so a centred table says so itself. Not a right-aligned one:
    // ALIGN="right" floats a table, the note and footer then rise beside it, and a table wider
    // than a phone is cut off at the left where nobody can scroll to it.
    if (style.TableAlign == kAlignCenter) Put(out, "\" ALIGN=\"center");
    Put(out, "\">\r\n");
}

void AppendRowTag(std::string& out, bool open) {
    if (open) return Put(out, "<TR>\r\n");
    Put(out, "</TR>\r\n");
}

void AppendCellTag(std::string& out, bool open, bool spansBothColumns, const TSheetCell& cell) {
    if (!open) return Put(out, "</TD>\r\n");
    const TCellFormat& format = cell.Format;
    Put(out, "<TD ALIGN=\"");
    out += CellHAlignWord(format.HAlign);
    Put(out, "\" VALIGN=\"");
    out += CellVAlignWord(format.VAlign);
    Put(out, "\" BGCOLOR=\"");
    AppendHtmlColor(out, format.BackColor);
    if (spansBothColumns) return Put(out, "\" COLSPAN=\"2\" NOWRAP>\r\n");
    Put(out, "\" NOWRAP>\r\n");
}

void AppendCellBody(std::string& out, const TSheetCell& cell) {
    const TCellFormat& format = cell.Format;
    Put(out, "<FONT COLOR=\"");
    AppendHtmlColor(out, format.FontColor);
    Put(out, "\" SIZE=\"");
    out += static_cast<char>('0' + HtmlFontSize(format.FontSize));
    Put(out, "\" >");
    if (format.Bold) Put(out, "<B>");
    if (format.Italic) Put(out, "<I>");
    if (format.Underline) Put(out, "<U>");
    AppendCellText(out, cell.Text);
    // Closing tags in the opening order, not mirrored: pages already pasted rely on it.
    if (format.Bold) Put(out, "</B>");
    if (format.Italic) Put(out, "</I>");
    if (format.Underline) Put(out, "</U>");
    Put(out, "</FONT>\r\n");
}

void AppendFooterBlock(std::string& out) {
    out += Footer();
}

std::string AlignParagraphTag(bool open, int blockAlign) {
    std::string line;
    AppendAlignParagraphTag(line, open, blockAlign);
    return line;
}

std::string NoteParagraphTag(bool open, const TSheetCell& note) {
    std::string line;
    AppendNoteParagraphTag(line, open, note);
    return line;
}

std::string TableTag(bool open, const TTableStyle& style) {
    std::string line;
    AppendTableTag(line, open, style);
    return line;
}

std::string RowTag(bool open) {
    std::string line;
    AppendRowTag(line, open);
    return line;
}

std::string CellTag(bool open, bool spansBothColumns, const TSheetCell& cell) {
    std::string line;
    AppendCellTag(line, open, spansBothColumns, cell);
    return line;
}

std::string CellBody(const TSheetCell& cell) {
    std::string line;
    line.reserve(kCellMarkupBytes + 2 * cell.Text.size());
    AppendCellBody(line, cell);
    return line;
}

std::string FooterBlock() {
    return Footer();
}

std::string BuildHtmlTags(const TDescriptionSheet& sheet) {
    std::string out;
    out.reserve(PageCapacity(sheet));
    AppendAlignParagraphTag(out, true, sheet.Style.TableAlign);
    AppendTableTag(out, true, sheet.Style);
    if (sheet.IncludeTitle) {
        AppendRowTag(out, true);
        AppendCell(out, sheet.Title, true);
        AppendRowTag(out, false);
    }
    for (const TSheetRow& row : sheet.Rows) {
        if (!row.IncludeItem && !row.IncludeDescription) continue;
        AppendRowTag(out, true);
        if (row.IncludeItem) AppendCell(out, row.Item, !row.IncludeDescription);
        if (row.IncludeDescription) AppendCell(out, row.Description, !row.IncludeItem);
        AppendRowTag(out, false);
    }
    AppendTableTag(out, false, sheet.Style);
    AppendAlignParagraphTag(out, false, sheet.Style.TableAlign);
    if (sheet.IncludeNote) {
        AppendNoteParagraphTag(out, true, sheet.Note);
        AppendCellBody(out, sheet.Note);
        AppendNoteParagraphTag(out, false, sheet.Note);
    }
    AppendAlignParagraphTag(out, true, sheet.Style.BannerAlign);
    AppendFooterBlock(out);
    AppendAlignParagraphTag(out, false, sheet.Style.BannerAlign);
    return out;
}

}  // namespace quorvel
