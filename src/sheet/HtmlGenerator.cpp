#include "sheet/HtmlGenerator.h"

#include "platform/SystemColours.h"
#include "sheet/Maker.h"

namespace quorvel {
namespace {

constexpr char kCrLf[] = "\r\n";

const char* BlockAlignWord(int align) {
    switch (align) {
        case kAlignCenter:
            return "center";
        case kAlignRight:
            return "right";
        default:
            return "left";
    }
}

const char* CellHAlignWord(int align) {
    switch (align) {
        case kHAlignRight:
            return "right";
        case kHAlignCenter:
            return "center";
        default:
            return "left";
    }
}

const char* CellVAlignWord(int align) {
    switch (align) {
        case kVAlignCenter:
            return "center";
        case kVAlignBottom:
            return "bottom";
        default:
            return "top";
    }
}

std::string Attribute(const char* name, const std::string& value) {
    return std::string(name) + "=\"" + value + "\"";
}

std::string Paragraph(bool open, const char* word) {
    if (!open) return std::string("</p>") + kCrLf;
    return std::string("<P ALIGN=\"") + word + "\">" + kCrLf;
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

}  // namespace

std::string HtmlColor(TColor colour) {
    if ((colour >> 24) == 0x80) colour = syscolour::Resolve(static_cast<int>(colour & 0xFF));
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "#";
    for (int shift : {0, 8, 16}) {  // red, green, blue
        const unsigned component = (colour >> shift) & 0xFF;
        text += kHex[component >> 4];
        text += kHex[component & 0xF];
    }
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

std::string AlignParagraphTag(bool open, int blockAlign) {
    return Paragraph(open, BlockAlignWord(blockAlign));
}

std::string NoteParagraphTag(bool open, const TSheetCell& note) {
    return Paragraph(open, CellHAlignWord(note.Format.HAlign));
}

std::string TableTag(bool open, const TTableStyle& style) {
    if (!open) return std::string("</TABLE>") + kCrLf;
    std::string line = "<TABLE ";
    if (style.BorderColorSet) {
        line += Attribute("BGCOLOR", HtmlColor(style.BorderColor)) + " ";
        line += Attribute("CELLSPACING", std::to_string(style.BorderWidth)) + " ";
    } else {
        line += Attribute("BORDER", std::to_string(style.BorderWidth)) + " ";
        line += Attribute("CELLSPACING", "0") + " ";
    }
    line += Attribute("CELLPADDING", std::to_string(style.CellPadding)) + ">" + kCrLf;
    return line;
}

std::string RowTag(bool open) {
    return std::string(open ? "<TR>" : "</TR>") + kCrLf;
}

std::string CellTag(bool open, bool spansBothColumns, const TSheetCell& cell) {
    if (!open) return std::string("</TD>") + kCrLf;
    const TCellFormat& format = cell.Format;
    std::string line = "<TD ";
    line += Attribute("ALIGN", CellHAlignWord(format.HAlign)) + " ";
    line += Attribute("VALIGN", CellVAlignWord(format.VAlign)) + " ";
    line += Attribute("BGCOLOR", HtmlColor(format.BackColor)) + " ";
    if (spansBothColumns) line += Attribute("COLSPAN", "2") + " ";
    line += "NOWRAP>";
    line += kCrLf;
    return line;
}

std::string CellBody(const TSheetCell& cell) {
    const TCellFormat& format = cell.Format;
    std::string line = "<FONT ";
    line += Attribute("COLOR", HtmlColor(format.FontColor)) + " ";
    line += Attribute("SIZE", std::to_string(HtmlFontSize(format.FontSize))) + " >";
    if (format.Bold) line += "<B>";
    if (format.Italic) line += "<I>";
    if (format.Underline) line += "<U>";
    // Only CR LF pairs become <BR>; no byte of a double-byte character is CR or LF.
    const std::string& text = cell.Text;
    line.reserve(line.size() + text.size() + 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            line += "<BR>";
            ++i;
        } else {
            line += text[i];
        }
    }
    if (format.Bold) line += "</B>";
    if (format.Italic) line += "</I>";
    if (format.Underline) line += "</U>";
    line += "</FONT>";
    line += kCrLf;
    return line;
}

std::string FooterBlock() {
    std::string block = kFooterFirstLine;
    block += kCrLf;
    block += "<BR><FONT COLOR=\"#FF0000\" SIZE=\"3\">";
    block += kFooterLead;
    block += "<A HREF=\"";
    block += maker::kSiteUrl;
    block += "\" TARGET=\"_blank\">";
    block += std::string(maker::kAppTitle) + " (" + maker::kVersionText + ")</A>";
    block += kFooterTrail;
    block += "</FONT>";
    block += kCrLf;
    block += kFooterLastLine;
    block += kCrLf;
    return block;
}

std::string BuildHtmlTags(const TDescriptionSheet& sheet) {
    std::string out;
    out.reserve(4096);
    out += AlignParagraphTag(true, sheet.Style.TableAlign);
    out += TableTag(true, sheet.Style);
    const auto cell = [&out](const TSheetCell& c, bool spans) {
        out += CellTag(true, spans, c);
        out += CellBody(c);
        out += CellTag(false, spans, c);
    };
    if (sheet.IncludeTitle) {
        out += RowTag(true);
        cell(sheet.Title, true);
        out += RowTag(false);
    }
    for (const TSheetRow& row : sheet.Rows) {
        if (!row.IncludeItem && !row.IncludeDescription) continue;
        out += RowTag(true);
        if (row.IncludeItem) cell(row.Item, !row.IncludeDescription);
        if (row.IncludeDescription) cell(row.Description, !row.IncludeItem);
        out += RowTag(false);
    }
    out += TableTag(false, sheet.Style);
    out += AlignParagraphTag(false, sheet.Style.TableAlign);
    if (sheet.IncludeNote) {
        out += NoteParagraphTag(true, sheet.Note);
        out += CellBody(sheet.Note);
        out += NoteParagraphTag(false, sheet.Note);
    }
    out += AlignParagraphTag(true, sheet.Style.BannerAlign);
    out += FooterBlock();
    out += AlignParagraphTag(false, sheet.Style.BannerAlign);
    return out;
}

}  // namespace quorvel
