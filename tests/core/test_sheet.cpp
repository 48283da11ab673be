#include <gtest/gtest.h>

#include <set>

#include "sheet/DescriptionSheet.h"

using namespace quorvel;

TEST(DescriptionSheet, ResetGivesTheDefaultSheet) {
    TDescriptionSheet sheet;
    sheet.Title.Text = "x";
    sheet.Rows[4].Description.Format.Bold = true;
    sheet.Rows[2].IncludeItem = false;
    sheet.Note.Modified = true;
    sheet.Style.BorderWidth = 7;
    sheet.ResetSheet();

    EXPECT_TRUE(sheet.IncludeTitle);
    EXPECT_TRUE(sheet.IncludeNote);
    for (int i = 0; i < kCellCount; ++i) {
        const TSheetCell& cell = sheet.CellAt(i);
        EXPECT_TRUE(cell.Text.empty());
        EXPECT_FALSE(cell.Modified);
        EXPECT_TRUE(sheet.IncludedByTag(cell.Tag));
        EXPECT_EQ(cell.Format.FontColor, 0x000000u);
        EXPECT_EQ(cell.Format.FontSize, 9);
        EXPECT_FALSE(cell.Format.Bold || cell.Format.Italic || cell.Format.Underline);
        EXPECT_EQ(cell.Format.BackColor, 0xFFFFFFu);
        EXPECT_EQ(cell.Format.HAlign, kHAlignLeft);
        EXPECT_EQ(cell.Format.VAlign, kVAlignTop);
    }
    EXPECT_EQ(sheet.Style.TableAlign, kAlignCenter);
    EXPECT_EQ(sheet.Style.BorderWidth, 1);
    EXPECT_EQ(sheet.Style.BorderColor, 0xFF0000u);
    EXPECT_TRUE(sheet.Style.BorderColorSet);
    EXPECT_EQ(sheet.Style.CellPadding, 0);
    EXPECT_EQ(sheet.Style.BannerAlign, kAlignLeft);
    EXPECT_FALSE(sheet.AnyCellModified());
}

TEST(DescriptionSheet, TagsFollowTheCanonicalOrder) {
    TDescriptionSheet sheet;
    EXPECT_EQ(sheet.Title.Tag, 1000);
    EXPECT_EQ(sheet.Rows[6].Item.Tag, 1013);
    EXPECT_EQ(sheet.Rows[6].Description.Tag, 1014);
    EXPECT_EQ(sheet.Note.Tag, 1021);
    for (int i = 0; i < kCellCount; ++i) EXPECT_EQ(sheet.CellAt(i).Tag, 1000 + i);
    EXPECT_EQ(&sheet.CellByTag(1001), &sheet.Rows[0].Item);
    EXPECT_EQ(&sheet.CellByTag(1020), &sheet.Rows[9].Description);
    EXPECT_EQ(&sheet.IncludedByTag(1014), &sheet.Rows[6].IncludeDescription);
    EXPECT_EQ(&sheet.IncludedByTag(1021), &sheet.IncludeNote);
    EXPECT_THROW(sheet.CellByTag(999), std::out_of_range);
    EXPECT_THROW(sheet.CellByTag(1022), std::out_of_range);
}

TEST(DescriptionSheet, ApplyToAllSetIsTheTwentyRowCellsInOrder) {
    const auto& tags = TDescriptionSheet::ApplyToAllTags();
    ASSERT_EQ(tags.size(), 20u);
    EXPECT_EQ(tags.front(), 1001);
    EXPECT_EQ(tags.back(), 1020);
    EXPECT_TRUE(std::is_sorted(tags.begin(), tags.end()));
    EXPECT_EQ(std::set<int>(tags.begin(), tags.end()).count(kTitleTag), 0u);
    EXPECT_EQ(std::set<int>(tags.begin(), tags.end()).count(kNoteTag), 0u);
}

TEST(DescriptionSheet, OnlyCellModifiedFlagsMakeTheSheetModified) {
    TDescriptionSheet sheet;
    sheet.Rows[3].Item.Format.FontSize = 18;
    sheet.Rows[3].IncludeItem = false;
    sheet.Style.TableAlign = kAlignRight;
    EXPECT_FALSE(sheet.AnyCellModified());
    sheet.Note.Modified = true;
    EXPECT_TRUE(sheet.AnyCellModified());
    sheet.ClearModified();
    EXPECT_FALSE(sheet.AnyCellModified());
}
