// Each built-in design on the sample listing, laid out as a phone shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "page/PageEngine.h"
#include "platform/Sjis.h"
#include "sheet/BuiltinDesigns.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"

namespace {

using namespace quorvel;

TEST(BuiltinDesignPages, EachFitsAPhoneAndPassesTheMeasuredCheck) {
    for (const NamedDesign& d : BuiltinDesigns()) {
        SCOPED_TRACE(d.name);
        TDescriptionSheet sheet = SampleListing();
        ApplyDesign(d.design, sheet);
        page::PageLayout layout;
        layout.LayoutSheet(sheet, kDefaultPhoneWidth);
        ASSERT_FALSE(layout.ShownAsText());
        EXPECT_LE(layout.PageWidth(), kDefaultPhoneWidth);
        EXPECT_TRUE(page::WideCells(layout).empty());
        // Every included cell is on the page, so the thumbnails show the whole sample.
        EXPECT_EQ(layout.Cells().size(), page::IncludedCellTags(sheet).size());

        CheckOptions options;
        options.measuredPageWidth = layout.PageWidth();
        options.measuredWideCells = page::WideCells(layout);
        const auto result = CheckListing(sheet, BuildHtmlTags(sheet), options);
        for (const CheckFinding& f : result.findings) ADD_FAILURE() << FindingLine(f);
    }
}

// WCAG's relative luminance of a colour stored as 0x00BBGGRR.
double Luminance(TColor colour) {
    const auto channel = [&](int shift) {
        const double c = ((colour >> shift) & 0xFF) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(0) + 0.7152 * channel(8) + 0.0722 * channel(16);
}

double Contrast(TColor a, TColor b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every design reads on a phone with a title as long as a listing's usually is: thirty
// characters as the sheet counts them (half-width ones, or fifteen full-width, in code page 932
// bytes; the title cell does not wrap), and every text colour stands at least 4.5:1 on its
// ground (WCAG AA). The note is written outside the table, on the page's white.
TEST(BuiltinDesignPages, EachFitsAPhoneWithALongTitleAndEveryTextReads) {
    const char* const kTitles[] = {
        "ヴィンテージ自動巻き腕時計美品",     // fifteen full-width
        "ｾｲｺｰ ｼﾞﾄﾞｳﾏｷ ｳﾃﾞﾄﾞｹｲ ﾋﾞﾋﾝ ﾊｺﾂｷ",  // thirty half-width
    };
    for (const char* title : kTitles) ASSERT_EQ(sjis::FromUtf8(title).bytes.size(), 30u);
    constexpr TColor kPage = 0xFFFFFF;
    std::printf("%-24s %6s %6s %6s %6s %6s\n", "design", "width", "title", "item", "descr",
                "note");
    for (const NamedDesign& d : BuiltinDesigns()) {
        SCOPED_TRACE(d.name);
        TDescriptionSheet sheet = SampleListing();
        ApplyDesign(d.design, sheet);
        int widest = 0;
        for (const char* title : kTitles) {
            SCOPED_TRACE(title);
            sheet.Title.Text = sjis::FromUtf8(title).bytes;
            page::PageLayout layout;
            layout.LayoutSheet(sheet, kDefaultPhoneWidth);
            ASSERT_FALSE(layout.ShownAsText());
            EXPECT_LE(layout.PageWidth(), kDefaultPhoneWidth);
            EXPECT_TRUE(page::WideCells(layout).empty());
            widest = std::max(widest, layout.PageWidth());
        }

        double lowest[4] = {1e9, 1e9, 1e9, 1e9};  // title, items, descriptions, note
        for (int index = 0; index < kCellCount; ++index) {
            const TSheetCell& cell = sheet.CellAt(index);
            const int part = cell.Tag == kTitleTag  ? 0
                             : cell.Tag == kNoteTag ? 3
                             : cell.Tag % 2 == 1    ? 1
                                                    : 2;
            const TColor ground = part == 3 ? kPage : cell.Format.BackColor;
            lowest[part] = std::min(lowest[part], Contrast(cell.Format.FontColor, ground));
        }
        std::printf("%-24s %6d %6.2f %6.2f %6.2f %6.2f\n", d.name.c_str(), widest,
                    lowest[0], lowest[1], lowest[2], lowest[3]);
        for (double contrast : lowest) EXPECT_GE(contrast, 4.5);
    }
}

}  // namespace
