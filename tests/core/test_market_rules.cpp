#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"
#include "sheet/Maker.h"
#include "sheet/MarketRules.h"
#include "sheet/PlainText.h"

using namespace quorvel;

namespace {

ListingCheckResult Check(const TDescriptionSheet& sheet, CheckMarket market) {
    CheckOptions options;
    options.market = market;
    return CheckListing(sheet, BuildHtmlTags(sheet), options);
}

std::string Prefix(CheckMarket market) {
    return market == CheckMarket::Text ? "Yahoo!フリマ・メルカリ・ラクマ: "
                                       : std::string(CheckMarketName(market)) + ": ";
}

bool IsMarketFinding(const CheckFinding& finding, CheckMarket market) {
    return finding.message.rfind(Prefix(market), 0) == 0;
}

// The offending texts of the marketplace's findings in the first description cell.
std::vector<std::string> MarketTexts(const std::string& cellUtf8, CheckMarket market) {
    TDescriptionSheet sheet;
    sheet.CellByTag(DescriptionTag(1)).Text = Sj(cellUtf8);
    std::vector<std::string> texts;
    for (const CheckFinding& finding : Check(sheet, market).findings) {
        if (finding.tag != DescriptionTag(1) || !IsMarketFinding(finding, market)) continue;
        texts.push_back(
            sjis::ToUtf8(sheet.CellByTag(finding.tag).Text.substr(finding.offset, finding.length)));
    }
    return texts;
}

struct CellCase {
    CheckMarket market;
    const char* cell;
    std::vector<std::string> found;  // the offending texts, in order; none for a near miss
};

}  // namespace

TEST(MarketRules, EachRuleFindsItsTextAndLeavesTheNearMiss) {
    const auto ebay = CheckMarket::Ebay, yahoo = CheckMarket::Yahoo, text = CheckMarket::Text;
    const CellCase cases[] = {
        {ebay, "<A HREF=\"https://www.ebay.com/itm/1\">出品中</A>", {}},
        {ebay, "<A HREF=\"https://pages.ebay.co.uk/help\">ヘルプ</A>", {}},
        {ebay, "<A HREF=\"/itm/1\">相対</A>", {}},
        {ebay, "<A HREF=\"https://shop.example/\">店</A>", {"HREF=\"https://shop.example/\""}},
        {ebay,
         "<A HREF=\"https://ebay.com.shop.example/\">偽</A>",
         {"HREF=\"https://ebay.com.shop.example/\""}},
        {ebay, "<a href=//shop.example/x>店</a>", {"href=//shop.example/x"}},
        {ebay, "<A HREF=\"https://myebay.com/\">店</A>", {"HREF=\"https://myebay.com/\""}},
        // Both rules over one link: another site, and not over HTTPS.
        {ebay,
         "<A HREF=\"http://shop.example/\">店</A>",
         {"HREF=\"http://shop.example/\"", "HREF=\"http://shop.example/\""}},
        {ebay, "<A HREF=\"http://www.ebay.com/\">店</A>", {"HREF=\"http://www.ebay.com/\""}},
        {ebay, "<IMG SRC=\"http://img.example/a.jpg\">", {"SRC=\"http://img.example/a.jpg\""}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\">", {}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\" WIDTH=\"700\">", {}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\" WIDTH=\"701\">", {"WIDTH=\"701\""}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\" width=900px>", {"width=900px"}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\" WIDTH=\"100%\">", {}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\" WIDTH=\"900%\">", {}},
        {ebay, "<IMG SRC=\"https://img.example/a.jpg\" WIDTH=\" 900\">", {"WIDTH=\" 900\""}},
        {ebay, "<TABLE WIDTH=\"900\"><TR><TD>表</TD></TR></TABLE>", {}},
        {ebay, "連絡は shop@example.com へ https://shop.example/", {}},
        {yahoo, "連絡は shop@example.com まで", {"shop@example.com"}},
        // A mail client takes the ASCII name before "@", not the double-byte text before it.
        {yahoo, "連絡はabc漢字def@example.jp まで", {"def@example.jp"}},
        {yahoo,
         "https://a@shop.example/ と a@b.example@c.example",
         {"https://a@shop.example/", "a@b.example"}},
        {yahoo, "詳細は https://shop.example/a?b=1 で", {"https://shop.example/a?b=1"}},
        {yahoo, "詳細はwww.shop.example/aで", {"www.shop.example/a"}},
        // A trail byte that is an ASCII letter ("ア" is 83 41) does not glue to the address.
        {yahoo, "アhttp://shop.example/", {"http://shop.example/"}},
        {yahoo, "<A HREF=\"https://shop.example/\">店</A>", {}},
        {yahoo, "<IMG SRC=\"https://img.example/a.jpg\">", {}},
        {yahoo, "awww.example と user@localhost と www.", {}},
        {yahoo, "<!-- https://memo.example/ -->", {}},
        {text, "詳細は HTTPS://shop.example/ で", {"HTTPS://shop.example/"}},
        {text, "<A HREF=\"https://shop.example/\">店</A>", {"HREF=\"https://shop.example/\""}},
        {text, "<IMG SRC=\"https://img.example/a.jpg\">", {}},
        {text, "shop@example.com と <A HREF=\"mailto:a@b.example\">メール</A>", {}},
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(std::string(CheckMarketKey(c.market)) + " " + c.cell);
        EXPECT_EQ(MarketTexts(c.cell, c.market), c.found);
        // The generic check keeps to the general rules.
        TDescriptionSheet sheet;
        sheet.CellByTag(DescriptionTag(1)).Text = Sj(c.cell);
        for (const CheckFinding& finding : Check(sheet, CheckMarket::Generic).findings)
            EXPECT_FALSE(IsMarketFinding(finding, c.market)) << finding.message;
    }
}

TEST(MarketRules, AMarketRuleTakesThePlaceOfTheGeneralFindingOnTheSameText) {
    TDescriptionSheet sheet;
    sheet.Rows[0].Description.Text =
        Sj("<B>太字 <IMG SRC=\"http://img.example/a.jpg\"> a@b.example");
    const auto general = Check(sheet, CheckMarket::Generic).findings;
    ASSERT_EQ(general.size(), 3u);  // the open <B>, the http picture, the mail address

    const auto ebay = Check(sheet, CheckMarket::Ebay).findings;
    // The footer's finding comes after the cells'.
    ASSERT_EQ(ebay.size(), 4u);
    EXPECT_EQ(ebay[0].message, general[0].message);  // the open <B> stays as it was
    EXPECT_EQ(ebay[1].offset, general[1].offset);
    EXPECT_EQ(ebay[1].message.rfind("eBay: 画像は https:", 0), 0u) << ebay[1].message;
    EXPECT_EQ(ebay[2].message, general[2].message);
    EXPECT_EQ(ebay[3].tag, kFooterTag);

    const auto yahoo = Check(sheet, CheckMarket::Yahoo).findings;
    ASSERT_EQ(yahoo.size(), 3u);
    EXPECT_EQ(yahoo[1].message, general[1].message);
    EXPECT_EQ(yahoo[2].offset, general[2].offset);
    EXPECT_EQ(yahoo[2].message.rfind("Yahoo!オークション: メールアドレス", 0), 0u);
    EXPECT_EQ(Check(sheet, CheckMarket::Text).findings.size(), 3u);
}

TEST(MarketRules, ACleanSheetHasNoFindingsButTheFooterLinkOnEbay) {
    TDescriptionSheet sheet;
    sheet.Title.Text = Sj("デジタルカメラ");
    sheet.Rows[0].Item.Text = Sj("状態");
    sheet.Rows[0].Description.Text = Sj("<B>美品</B><BR><IMG SRC=\"https://img.example/a.jpg\">");
    for (const TDescriptionSheet& s : {TDescriptionSheet{}, sheet}) {
        for (CheckMarket market : kCheckMarkets) {
            const ListingCheckResult result = Check(s, market);
            EXPECT_EQ(result.market, market);
            if (market != CheckMarket::Ebay) {
                EXPECT_TRUE(result.findings.empty()) << CheckMarketKey(market);
                continue;
            }
            ASSERT_EQ(result.findings.size(), 1u);
            const CheckFinding& footer = result.findings[0];
            EXPECT_EQ(footer.tag, kFooterTag);
            EXPECT_EQ(CellCaption(footer.tag), "フッター");
            EXPECT_EQ(footer.message.rfind("eBay: フッターのリンク（", 0), 0u) << footer.message;
            EXPECT_NE(footer.message.find(maker::kSiteUrl), std::string::npos);
        }
    }
}

TEST(MarketRules, PageLengthsAreCountedAsTheMarketplacesCount) {
    // The title alone: its plain text is the characters and one line break, counted as one.
    const auto withTitle = [](std::size_t chars) {
        TDescriptionSheet sheet;
        sheet.Title.Text = std::string(chars - 1, 'x');
        EXPECT_EQ(CountPlainTextChars(BuildPlainText(sheet)), chars);
        return sheet;
    };
    const auto pageMessages = [](const TDescriptionSheet& sheet, CheckMarket market) {
        std::vector<std::string> messages;
        for (const CheckFinding& f : Check(sheet, market).findings)
            if (f.tag == kWholePage) messages.push_back(f.message);
        return messages;
    };
    EXPECT_TRUE(pageMessages(withTitle(1000), CheckMarket::Text).empty());
    const auto over = pageMessages(withTitle(1001), CheckMarket::Text);
    ASSERT_EQ(over.size(), 1u);
    EXPECT_EQ(over[0].rfind("Yahoo!フリマ・メルカリ・ラクマ: テキストが 1001 文字", 0), 0u);
    EXPECT_TRUE(pageMessages(withTitle(800), CheckMarket::Ebay).empty());
    const auto note = pageMessages(withTitle(801), CheckMarket::Ebay);
    ASSERT_EQ(note.size(), 1u);
    EXPECT_NE(note[0].find("801 文字"), std::string::npos);
    // Text with tags is not the text a phone shows: markup does not count towards the note.
    TDescriptionSheet marked = withTitle(700);
    marked.Rows[0].Description.Text = std::string(40, 'y') + std::string(50, '<') + "<B></B>";
    for (int i = 0; i < 30; ++i) marked.Rows[0].Description.Text += "<I></I>";
    EXPECT_TRUE(pageMessages(marked, CheckMarket::Ebay).empty());
}

TEST(MarketRules, EbaysCharacterLimitCountsTheTagsAndReplacesTheGeneralOne) {
    TDescriptionSheet sheet;
    sheet.Note.Text = "x";
    const std::size_t frame = CheckListing(sheet, BuildHtmlTags(sheet)).chars - 1;
    const auto sizeMessages = [&sheet](std::size_t noteBytes) {
        sheet.Note.Text = std::string(noteBytes, 'x');
        std::vector<std::string> messages;
        const auto result = Check(sheet, CheckMarket::Ebay);
        for (const CheckFinding& f : result.findings)
            if (f.tag == kWholePage && f.message.find("上限") != std::string::npos)
                messages.push_back(f.message);
        return std::make_pair(result.chars, messages);
    };
    const std::size_t atLimit = kEbayMaxChars - frame;
    const auto [chars, none] = sizeMessages(atLimit);
    EXPECT_EQ(chars, kEbayMaxChars);
    EXPECT_TRUE(none.empty());
    const auto [overChars, one] = sizeMessages(atLimit + 1);
    EXPECT_EQ(overChars, kEbayMaxChars + 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].rfind("eBay: タグを含めて 500001 文字", 0), 0u) << one[0];
}

TEST(MarketRules, PicturesLeftOutOfThePlainTextAreCountedInIncludedCellsOnly) {
    TDescriptionSheet sheet;
    sheet.Title.Text = Sj("<IMG SRC=\"a.jpg\">写真<img src=b.jpg></IMG>");
    sheet.Rows[0].Description.Text = Sj("<!-- <IMG SRC=\"c.jpg\"> --><IMAGE>説明 <IMGX>");
    sheet.Note.Text = Sj("<IMG SRC=\"d.jpg\">");
    EXPECT_EQ(CountLeftOutPictures(sheet), 3u);
    sheet.IncludeNote = false;
    EXPECT_EQ(CountLeftOutPictures(sheet), 2u);
}
