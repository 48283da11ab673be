#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

#include "TestUtil.h"
#include "platform/SystemColours.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/Maker.h"

using namespace quorvel;

namespace {

std::string Footer(const char* bannerWord) {
    return "<P ALIGN=\"" + std::string(bannerWord) + "\">\r\n" +
           Sj("<!--ここから編集、削除禁止-->\r\n"
              "<BR><FONT COLOR=\"#FF0000\" SIZE=\"3\">このフォームは フリーソフト　<A HREF=\"") +
           maker::kSiteUrl +
           Sj("\" TARGET=\"_blank\">Quorvel (Ver. 1.72)</A>　によって生成されています。<BR><BR>"
              "</FONT>\r\n<!--ここまで-->\r\n") +
           "</p>\r\n";
}

TDescriptionSheet EmptySheet() {
    TDescriptionSheet sheet;
    sheet.IncludeTitle = sheet.IncludeNote = false;
    for (auto& row : sheet.Rows) row.IncludeItem = row.IncludeDescription = false;
    return sheet;
}

}  // namespace

TEST(HtmlGenerator, CompleteExampleByteForByte) {
    TDescriptionSheet sheet;
    sheet.Style.CellPadding = 2;
    sheet.Title.Text = Sj("デジタルカメラ");
    sheet.Title.Format.FontColor = 0x0000FF;
    sheet.Title.Format.FontSize = 14;
    sheet.Title.Format.Bold = true;
    sheet.Title.Format.HAlign = kHAlignCenter;
    sheet.Title.Format.VAlign = kVAlignCenter;
    sheet.Rows[0].Item.Text = Sj("メーカー");
    sheet.Rows[0].Description.Text = Sj("ABC\r\n型番 X-10");
    sheet.Rows[0].Description.Format.Bold = sheet.Rows[0].Description.Format.Italic = true;
    sheet.Rows[1].Item.Text = Sj("付属品");
    sheet.Rows[1].IncludeDescription = false;
    for (int row = 3; row <= 10; ++row)
        sheet.Rows[row - 1].IncludeItem = sheet.Rows[row - 1].IncludeDescription = false;
    sheet.Note.Text = Sj("よろしくお願いします");
    sheet.Note.Format.FontSize = 8;
    sheet.Note.Format.HAlign = kHAlignRight;

    const std::string expected =
        Sj("<P ALIGN=\"center\">\r\n"
           "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"1\" CELLPADDING=\"2\" ALIGN=\"center\">\r\n"
           "<TR>\r\n"
           "<TD ALIGN=\"center\" VALIGN=\"center\" BGCOLOR=\"#FFFFFF\" COLSPAN=\"2\" NOWRAP>\r\n"
           "<FONT COLOR=\"#FF0000\" SIZE=\"5\" ><B>デジタルカメラ</B></FONT>\r\n"
           "</TD>\r\n"
           "</TR>\r\n"
           "<TR>\r\n"
           "<TD ALIGN=\"left\" VALIGN=\"top\" BGCOLOR=\"#FFFFFF\" NOWRAP>\r\n"
           "<FONT COLOR=\"#000000\" SIZE=\"3\" >メーカー</FONT>\r\n"
           "</TD>\r\n"
           "<TD ALIGN=\"left\" VALIGN=\"top\" BGCOLOR=\"#FFFFFF\" NOWRAP>\r\n"
           "<FONT COLOR=\"#000000\" SIZE=\"3\" ><B><I>ABC<BR>型番 X-10</B></I></FONT>\r\n"
           "</TD>\r\n"
           "</TR>\r\n"
           "<TR>\r\n"
           "<TD ALIGN=\"left\" VALIGN=\"top\" BGCOLOR=\"#FFFFFF\" COLSPAN=\"2\" NOWRAP>\r\n"
           "<FONT COLOR=\"#000000\" SIZE=\"3\" >付属品</FONT>\r\n"
           "</TD>\r\n"
           "</TR>\r\n"
           "</TABLE>\r\n"
           "</p>\r\n"
           "<P ALIGN=\"right\">\r\n"
           "<FONT COLOR=\"#000000\" SIZE=\"2\" >よろしくお願いします</FONT>\r\n"
           "</p>\r\n") +
        Footer("left");
    EXPECT_EQ(BuildHtmlTags(sheet), expected);
}

TEST(HtmlGenerator, FooterLiteralsAreShiftJisBytes) {
    const std::string footer = FooterBlock();
    // ideographic spaces around the anchor and the full stop of the sentence
    EXPECT_NE(footer.find("\x81\x40<A HREF="), std::string::npos);
    EXPECT_NE(footer.find("</A>\x81\x40"), std::string::npos);
    EXPECT_NE(footer.find("\x82\xCD \x83t"), std::string::npos);  // "は" ASCII space "フ"
    EXPECT_EQ(footer.find('\n'), footer.find("\r\n") + 1);
    EXPECT_EQ(std::count(footer.begin(), footer.end(), '\n'), 3);
}

TEST(HtmlGenerator, EverythingExcludedGivesAnEmptyTable) {
    EXPECT_EQ(BuildHtmlTags(EmptySheet()),
              "<P ALIGN=\"center\">\r\n"
              "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"1\" CELLPADDING=\"0\" ALIGN=\"center\">\r\n"
              "</TABLE>\r\n</p>\r\n" +
                  Footer("left"));
}

TEST(HtmlGenerator, RowSpansFollowTheIncludeFlags) {
    TDescriptionSheet sheet = EmptySheet();
    sheet.IncludeTitle = true;
    sheet.Rows[0].IncludeDescription = true;
    const std::string out = BuildHtmlTags(sheet);
    // Title and the lone description cell both span; nothing else is written.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2 + 5 + 5 + 2 + 5);
    const std::string spanning =
        "<TD ALIGN=\"left\" VALIGN=\"top\" BGCOLOR=\"#FFFFFF\" COLSPAN=\"2\" NOWRAP>\r\n";
    EXPECT_EQ(out.find(spanning), out.find("<TR>\r\n") + 6);
    EXPECT_NE(out.rfind(spanning), out.find(spanning));
}

TEST(HtmlGenerator, CellBodyText) {
    TSheetCell cell;
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" ></FONT>\r\n");
    cell.Text = "ABC\r\nX-10";
    cell.Format.Bold = true;
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" ><B>ABC<BR>X-10</B></FONT>\r\n");
    cell.Format = {};
    cell.Text = "a\r\n";
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" >a<BR></FONT>\r\n");
    cell.Text = "\r\n\r\n\r\n";
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" ><BR><BR><BR></FONT>\r\n");
    cell.Text = "a\rb\nc\n\r";  // lone CR and LF stay
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" >a\rb\nc\n\r</FONT>\r\n");
    cell.Text = "<A HREF=\"http://x/?a=1&b=2\">&amp;</A>";
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" >" + cell.Text + "</FONT>\r\n");
    cell.Text = "x";
    cell.Format.Bold = cell.Format.Underline = true;
    EXPECT_EQ(CellBody(cell), "<FONT COLOR=\"#000000\" SIZE=\"3\" ><B><U>x</B></U></FONT>\r\n");
    cell.Format.Italic = true;
    EXPECT_EQ(CellBody(cell),
              "<FONT COLOR=\"#000000\" SIZE=\"3\" ><B><I><U>x</B></I></U></FONT>\r\n");
}

TEST(HtmlGenerator, ColoursAndSizes) {
    EXPECT_EQ(HtmlColor(0x000000FF), "#FF0000");
    EXPECT_EQ(HtmlColor(0x00FF0000), "#0000FF");
    EXPECT_EQ(HtmlColor(0x00FFFFFF), "#FFFFFF");
    EXPECT_EQ(HtmlColor(0x00010203), "#030201");
    EXPECT_EQ(HtmlColor(0x000AFF00), "#00FF0A");
    const int expected[][2] = {{7, 1},  {8, 2},  {9, 3},  {12, 4}, {14, 5},
                               {18, 6}, {10, 6}, {13, 6}, {0, 6}};
    for (const auto& [points, size] : expected) EXPECT_EQ(HtmlFontSize(points), size) << points;
}

namespace {

// What the platform reports for a system colour, as #RRGGBB: the machine's scheme on Windows,
// the standard scheme elsewhere.
std::string SystemReports(int index) {
#ifdef _WIN32
    const std::uint32_t bgr = GetSysColor(index) & 0x00FFFFFF;
#else
    const std::uint32_t bgr = syscolour::StandardColour(index);
#endif
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(bgr & 0xFF),
                  static_cast<unsigned>((bgr >> 8) & 0xFF),
                  static_cast<unsigned>((bgr >> 16) & 0xFF));
    return text;
}

}  // namespace

TEST(HtmlGenerator, SystemColoursResolveThroughTheReplaceableResolver) {
#ifndef _WIN32
    EXPECT_EQ(HtmlColor(0x80000005), "#FFFFFF");  // COLOR_WINDOW of the standard scheme
    EXPECT_EQ(HtmlColor(0x8000000F), "#F0F0F0");  // COLOR_BTNFACE
#endif
    for (int index : {0, 1, 5, 8, 15, 18, 30})
        EXPECT_EQ(HtmlColor(0x80000000u | static_cast<std::uint32_t>(index)), SystemReports(index))
            << index;
    syscolour::SetResolver([](int index) { return index == 5 ? 0x00123456u : 0u; });
    TSheetCell cell;
    cell.Format.BackColor = 0x80000005;
    EXPECT_EQ(CellTag(true, false, cell),
              "<TD ALIGN=\"left\" VALIGN=\"top\" BGCOLOR=\"#563412\" NOWRAP>\r\n");
    syscolour::SetResolver({});
    EXPECT_EQ(HtmlColor(0x80000005), SystemReports(5));
}

TEST(HtmlGenerator, TableAndParagraphLines) {
    TTableStyle style;
    EXPECT_EQ(
        TableTag(true, style),
        "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"1\" CELLPADDING=\"0\" ALIGN=\"center\">\r\n");
    style.BorderColorSet = false;
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"0\" ALIGN=\"center\">\r\n");
    style.BorderWidth = 0;
    style.CellPadding = 9;
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"9\" ALIGN=\"center\">\r\n");
    style.BorderColorSet = true;
    EXPECT_EQ(
        TableTag(true, style),
        "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"0\" CELLPADDING=\"9\" ALIGN=\"center\">\r\n");
    // Only a centred table carries its alignment: ALIGN="right" would float it.
    style.TableAlign = kAlignRight;
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"0\" CELLPADDING=\"9\">\r\n");
    style.TableAlign = kAlignLeft;
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"0\" CELLPADDING=\"9\">\r\n");
    style.TableAlign = 7;  // an unknown code, from a damaged file: left, as the paragraph says
    EXPECT_EQ(TableTag(true, style),
              "<TABLE BGCOLOR=\"#0000FF\" CELLSPACING=\"0\" CELLPADDING=\"9\">\r\n");
    EXPECT_EQ(TableTag(false, style), "</TABLE>\r\n");
    EXPECT_EQ(AlignParagraphTag(true, kAlignRight), "<P ALIGN=\"right\">\r\n");
    EXPECT_EQ(AlignParagraphTag(true, kAlignCenter), "<P ALIGN=\"center\">\r\n");
    EXPECT_EQ(AlignParagraphTag(false, kAlignCenter), "</p>\r\n");
    TSheetCell note;
    note.Format.HAlign = kHAlignCenter;
    EXPECT_EQ(NoteParagraphTag(true, note), "<P ALIGN=\"center\">\r\n");
    note.Format.HAlign = kHAlignRight;
    EXPECT_EQ(NoteParagraphTag(true, note), "<P ALIGN=\"right\">\r\n");
    TSheetCell cell;
    cell.Format.HAlign = 7;
    cell.Format.VAlign = kVAlignBottom;
    EXPECT_EQ(CellTag(true, true, cell),
              "<TD ALIGN=\"left\" VALIGN=\"bottom\" BGCOLOR=\"#FFFFFF\" COLSPAN=\"2\" NOWRAP>\r\n");
    EXPECT_EQ(RowTag(true) + RowTag(false) + CellTag(false, false, cell),
              "<TR>\r\n</TR>\r\n</TD>\r\n");
}

TEST(HtmlGenerator, NoteAndBannerParagraphsAreIndependentOfTheTable) {
    TDescriptionSheet sheet = EmptySheet();
    sheet.IncludeNote = true;
    sheet.Note.Format.HAlign = kHAlignCenter;
    sheet.Note.Format.BackColor = 0x123456;  // never written for the note
    sheet.Style.TableAlign = kAlignLeft;
    sheet.Style.BannerAlign = kAlignRight;
    const std::string out = BuildHtmlTags(sheet);
    EXPECT_EQ(out.find("<P ALIGN=\"left\">\r\n<TABLE"), 0u);
    EXPECT_NE(out.find("</p>\r\n<P ALIGN=\"center\">\r\n<FONT"), std::string::npos);
    EXPECT_NE(out.find(Footer("right")), std::string::npos);
    EXPECT_EQ(out.find("#563412"), std::string::npos);
    EXPECT_EQ(out.find("VALIGN"), std::string::npos);
}
