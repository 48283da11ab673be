#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sheet/HtmlGenerator.h"

using namespace quorvel;

namespace {

// The line-break rule worded plainly: find the first CR LF, put <BR> in its place, repeat.
std::string WithBreaks(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n"))
        text.replace(at, 2, "<BR>");
    return text;
}

std::string PlainBody(const std::string& middle) {
    return "<FONT COLOR=\"#000000\" SIZE=\"3\" >" + middle + "</FONT>\r\n";
}

// 1000 bytes mixing double-byte characters (one with trail byte 5C), ASCII and every kind of line
// end, with the pattern shifted by `seed` so that breaks fall at the start and end of some cells.
std::string LongCell(int seed) {
    static const std::string pieces[] = {
        "\x83J\x83\x81\x83\x89", "\r\n", "abc", "\r", "\n", "\x95\x5C", "\n\r", "<&>", "\r\r\n"};
    std::string text;
    for (int i = seed; text.size() < 1000; ++i) text += pieces[i % std::size(pieces)];
    text.resize(1000);
    return text;
}

}  // namespace

TEST(HtmlGeneratorText, LineEndsAtTheStartAndEndOfACell) {
    const struct {
        const char* text;
        const char* middle;
    } cases[] = {
        {"", ""},
        {"\r", "\r"},
        {"\n", "\n"},
        {"\r\n", "<BR>"},
        {"\r\nx", "<BR>x"},
        {"x\r", "x\r"},
        {"\nx\r", "\nx\r"},
        {"\n\r\n", "\n<BR>"},
        {"\r\r\n", "\r<BR>"},
        {"\r\n\r", "<BR>\r"},
        {"\r\n\n", "<BR>\n"},
        {"\n\r", "\n\r"},
        {"a\r\r\n\nb\r\n", "a\r<BR>\nb<BR>"},
        {"\x95\x5C\r\n\x83\x5C", "\x95\x5C<BR>\x83\x5C"},  // trail bytes 5C stay
    };
    for (const auto& c : cases) {
        TSheetCell cell;
        cell.Text = c.text;
        EXPECT_EQ(CellBody(cell), PlainBody(c.middle)) << testing::PrintToString(c.text);
    }
    TSheetCell withNul;
    withNul.Text = std::string("a\0\r\nb", 5);
    EXPECT_EQ(CellBody(withNul), PlainBody(std::string("a\0<BR>b", 7)));
}

TEST(HtmlGeneratorText, ThousandByteCellsArriveWhole) {
    TDescriptionSheet sheet;
    for (int i = 0; i < kCellCount; ++i) sheet.CellAt(i).Text = LongCell(i);
    const std::string out = BuildHtmlTags(sheet);
    std::size_t from = 0;
    for (int i = 0; i < kCellCount; ++i) {
        const std::string line = PlainBody(WithBreaks(LongCell(i)));
        const std::size_t at = out.find(line, from);
        ASSERT_NE(at, std::string::npos) << "cell " << i;
        from = at + line.size();
    }
    // Canonical order: the note's line is the last cell line, just before the footer paragraph.
    EXPECT_EQ(out.compare(from, 15, "</p>\r\n<P ALIGN="), 0);
    EXPECT_EQ(out.substr(out.size() - 6), "</p>\r\n");
}

TEST(HtmlGeneratorText, EveryFormatCode) {
    const char* const hWords[] = {"left", "right", "center"};
    const char* const vWords[] = {"top", "center", "bottom"};
    for (int h = -1; h <= 3; ++h) {
        for (int v = -1; v <= 3; ++v) {
            TSheetCell cell;
            cell.Format.HAlign = h;
            cell.Format.VAlign = v;
            const std::string hWord = h >= 0 && h <= 2 ? hWords[h] : "left";
            const std::string vWord = v >= 0 && v <= 2 ? vWords[v] : "top";
            const std::string start =
                "<TD ALIGN=\"" + hWord + "\" VALIGN=\"" + vWord + "\" BGCOLOR=\"#FFFFFF\" ";
            EXPECT_EQ(CellTag(true, false, cell), start + "NOWRAP>\r\n") << h << v;
            EXPECT_EQ(CellTag(true, true, cell), start + "COLSPAN=\"2\" NOWRAP>\r\n") << h << v;
            EXPECT_EQ(NoteParagraphTag(true, cell), "<P ALIGN=\"" + hWord + "\">\r\n");
        }
    }
    const char* const blockWords[] = {"left", "center", "right"};
    for (int a = -1; a <= 3; ++a)
        EXPECT_EQ(
            AlignParagraphTag(true, a),
            "<P ALIGN=\"" + std::string(a >= 0 && a <= 2 ? blockWords[a] : "left") + "\">\r\n");
    for (int points = 0; points <= 30; ++points) {
        TSheetCell cell;
        cell.Format.FontSize = points;
        const std::string size = std::to_string(HtmlFontSize(points));
        EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"" + size + "\" ></FONT>\r\n");
    }
    for (int styles = 0; styles < 8; ++styles) {
        TSheetCell cell;
        cell.Text = "t";
        cell.Format.Bold = styles & 1;
        cell.Format.Italic = styles & 2;
        cell.Format.Underline = styles & 4;
        std::string open, close;
        if (styles & 1) open += "<B>", close += "</B>";
        if (styles & 2) open += "<I>", close += "</I>";
        if (styles & 4) open += "<U>", close += "</U>";
        EXPECT_EQ(CellBody(cell), PlainBody(open + "t" + close)) << styles;
    }
}

TEST(HtmlGeneratorText, ColoursAndNumbersInEveryPosition) {
    TSheetCell cell;
    cell.Format.FontColor = 0x00ABCDEF;
    cell.Format.BackColor = 0x00000001;
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#EFCDAB\" SIZE=\"3\" ></FONT>\r\n");
    EXPECT_EQ(CellTag(true, false, cell),
              "<TD ALIGN=\"left\" VALIGN=\"top\" BGCOLOR=\"#010000\" NOWRAP>\r\n");
    TTableStyle style;
    style.BorderColor = 0x00102030;
    style.BorderWidth = 12;
    style.CellPadding = 10;
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BGCOLOR=\"#302010\" CELLSPACING=\"12\" CELLPADDING=\"10\" ALIGN=\"center\">\r\n");
    style.BorderColorSet = false;
    style.BorderWidth = -3;  // a damaged file's value is written as it stands
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BORDER=\"-3\" CELLSPACING=\"0\" CELLPADDING=\"10\" ALIGN=\"center\">\r\n");
}

TEST(HtmlGeneratorText, AppendingBuildersKeepWhatTheStringHeld) {
    TSheetCell cell;
    cell.Text = "x\r\ny";
    cell.Format.Italic = true;
    TTableStyle style;
    std::string out = "kept";
    AppendCellTag(out, true, true, cell);
    AppendCellBody(out, cell);
    AppendCellTag(out, false, true, cell);
    AppendRowTag(out, false);
    AppendTableTag(out, true, style);
    AppendNoteParagraphTag(out, false, cell);
    AppendFooterBlock(out);
    AppendHtmlColor(out, 0x00FF8000);
    EXPECT_EQ(out, "kept" + CellTag(true, true, cell) + CellBody(cell) +
                       CellTag(false, true, cell) + RowTag(false) + TableTag(true, style) +
                       NoteParagraphTag(false, cell) + FooterBlock() + "#0080FF");
}

TEST(HtmlGeneratorText, EmptyCellsEverywhere) {
    TDescriptionSheet sheet;  // every cell included, every text empty
    const std::string out = BuildHtmlTags(sheet);
    const std::string empty = PlainBody("");
    std::size_t lines = 0;
    for (std::size_t at = out.find(empty); at != std::string::npos; at = out.find(empty, at + 1))
        ++lines;
    EXPECT_EQ(lines, static_cast<std::size_t>(kCellCount));
    EXPECT_EQ(out.find("<BR><BR></FONT>"), out.rfind("<BR><BR></FONT>"));  // only the footer's
    // The footer is built once and shared; a second page carries the same bytes.
    EXPECT_EQ(BuildHtmlTags(sheet), out);
}
