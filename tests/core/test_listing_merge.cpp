#include <gtest/gtest.h>

#include "TestUtil.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingMerge.h"

using namespace quorvel;

TEST(ListingMerge, CaptionsNameCells) {
    EXPECT_EQ(CellTagForCaption("タイトル"), kTitleTag);
    EXPECT_EQ(CellTagForCaption("枠外注記"), kNoteTag);
    EXPECT_EQ(CellTagForCaption("項目１"), ItemTag(1));
    EXPECT_EQ(CellTagForCaption("項目1"), ItemTag(1));
    EXPECT_EQ(CellTagForCaption("説明７"), 1014);
    EXPECT_EQ(CellTagForCaption("項目１０"), 1019);
    EXPECT_EQ(CellTagForCaption("説明10"), 1020);
    for (const char* other : {"項目", "項目０", "項目11", "項目１１", "項目01", "説明1a", "価格",
                              "ファイル名", "説明HTML", ""})
        EXPECT_FALSE(CellTagForCaption(other)) << other;
}

TEST(ListingMerge, LineBreaksBecomeCrLf) {
    EXPECT_EQ(WithSheetLineBreaks("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(WithSheetLineBreaks("plain"), "plain");
}

TEST(ListingMerge, FillsNamedCellsOfACopyAndKeepsFormats) {
    TDescriptionSheet templateSheet;
    templateSheet.Title.Text = Sj("見本");
    templateSheet.Title.Format.Bold = true;
    templateSheet.Rows[0].Item.Text = Sj("メーカー");
    templateSheet.Rows[0].Description.Format.FontColor = 0x000000FF;
    templateSheet.Rows[1].Item.Text = Sj("型番");
    templateSheet.Style.CellPadding = 3;

    const std::vector<ListingText> texts{{kTitleTag, Sj("カメラ")},
                                         {DescriptionTag(1), Sj("キヤノン\r\n<b>美品</b>")},
                                         {DescriptionTag(2), ""}};
    const TDescriptionSheet merged = MergeListing(templateSheet, texts, false);
    EXPECT_EQ(templateSheet.Title.Text, Sj("見本"));  // the template is untouched
    EXPECT_EQ(merged.Title.Text, Sj("カメラ"));
    EXPECT_TRUE(merged.Title.Format.Bold);
    EXPECT_EQ(merged.Rows[0].Item.Text, Sj("メーカー"));
    EXPECT_EQ(merged.Rows[0].Description.Format.FontColor, 0x000000FFu);
    EXPECT_TRUE(merged.Rows[1].IncludeDescription);
    EXPECT_EQ(merged.Style.CellPadding, 3);
    EXPECT_FALSE(merged.AnyCellModified());
    // Markup passes to the tags unescaped, line breaks as <BR>.
    EXPECT_NE(BuildHtmlTags(merged).find(Sj("キヤノン<BR><b>美品</b>")), std::string::npos);

    const TDescriptionSheet skipped = MergeListing(templateSheet, texts, true);
    EXPECT_FALSE(skipped.Rows[1].IncludeDescription);
    EXPECT_TRUE(skipped.Rows[1].IncludeItem);
    EXPECT_TRUE(skipped.Rows[0].IncludeDescription);
    // Cells no column names keep their flag even when empty.
    EXPECT_TRUE(skipped.IncludeNote);
}
