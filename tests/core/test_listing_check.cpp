#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"

using namespace quorvel;

namespace {

std::string Sjis(const std::string& utf8) {
    auto encoded = sjis::FromUtf8(utf8);
    EXPECT_TRUE(encoded.ok()) << utf8;
    return encoded.bytes;
}

TDescriptionSheet SheetWith(int tag, const std::string& utf8) {
    TDescriptionSheet sheet;
    sheet.CellByTag(tag).Text = Sjis(utf8);
    return sheet;
}

ListingCheckResult Check(const TDescriptionSheet& sheet, CheckOptions options = {}) {
    return CheckListing(sheet, BuildHtmlTags(sheet), options);
}

// The findings of one description cell holding `utf8`.
std::vector<CheckFinding> InCell(const std::string& utf8) {
    return Check(SheetWith(DescriptionTag(1), utf8)).findings;
}

std::vector<CheckKind> Kinds(const std::vector<CheckFinding>& findings) {
    std::vector<CheckKind> kinds;
    for (const auto& f : findings) kinds.push_back(f.kind);
    return kinds;
}

std::string Offending(const std::string& cellUtf8, const CheckFinding& f) {
    return sjis::ToUtf8(Sjis(cellUtf8).substr(f.offset, f.length));
}

}  // namespace

TEST(ListingCheck, MarkupThatBreaksThePageIsFoundWithItsText) {
    struct Case {
        const char* cell;
        const char* offending;
    };
    const Case cases[] = {
        {"<B>送料無料", "<B>"},
        {"送料無料</i>です", "</i>"},
        {"<font color=\"red\">赤<span>字</font>", "<span>"},
        {"サイズ<M>です", "<M>"},
        {"説明<B 続き", "<B 続き"},
        {"前<!-- メモ", "<!-- メモ"},
        {"太<b:x>字", "<b:x>"},  // a name runs to a blank, "/" or ">"
        {"前<?xml 閉じない", "<?xml 閉じない"},
    };
    for (const Case& c : cases) {
        const auto findings = InCell(c.cell);
        ASSERT_EQ(findings.size(), 1u) << c.cell;
        EXPECT_EQ(findings[0].kind, CheckKind::Markup) << c.cell;
        EXPECT_EQ(findings[0].tag, DescriptionTag(1));
        EXPECT_EQ(Offending(c.cell, findings[0]), c.offending) << c.cell;
        EXPECT_FALSE(findings[0].message.empty());
    }
}

TEST(ListingCheck, MarkupThatABrowserShowsOrClosesIsNotFound) {
    for (const char* cell : {
             "<B>一行目\r\n二行目</B>",                      // closed across a line break
             "<B>一行目<BR>二行目</B>",                      // and across a typed break
             "<b>小文字</B>と<Font Size=\"4\">混在</fOnT>",  // case does not matter
             "<A HREF=\"https://shop.example/a>b\" TARGET='_blank'>店</A>",
             "1 < 2 と 3<4 と <あ",                              // "<" before a blank or digit
             "<B><I>交差</B></I>",                               // crossed, but every one closed
             "<BR><HR><IMG SRC=\"https://img.example/x.jpg\">",  // elements without end tags
             "<!-- メモ --> 本文",
             "<!-->本文<!--->と<!DOCTYPE html></ x></>",  // empty and bogus comments
         })
        EXPECT_TRUE(InCell(cell).empty()) << cell << ": " << FindingLine(InCell(cell)[0]);
}

TEST(ListingCheck, ActiveContentIsFoundInAnyCaseAndCell) {
    const TDescriptionSheet title = SheetWith(kTitleTag, "<SCRIPT>alert(1)</SCRIPT>");
    auto findings = Check(title).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, CheckKind::ActiveContent);
    EXPECT_EQ(findings[0].tag, kTitleTag);

    for (const char* cell :
         {"<iframe src=\"https://x.example\"></iframe>", "<form action=\"https://x.example\">",
          "<Input type=text>", "<EMBED src=\"https://x.example/a.swf\">",
          "<IMG SRC=\"https://x.example/a.jpg\" OnError='x()'>",
          "<A HREF=\"JavaScript:go()\">押す</A>", "<A HREF=\" java\tscript:go()\">押す</A>",
          "<A HREF=\"java&#115;cript:go()\">押す</A>"}) {
        findings = InCell(cell);
        ASSERT_EQ(findings.size(), 1u) << cell;
        EXPECT_EQ(findings[0].kind, CheckKind::ActiveContent) << cell;
    }
    // Words that only look like active content.
    for (const char* cell : {"onclick で動く",
                             "<IMG SRC=\"https://x.example/a.jpg\" "
                             "ALT=\"onload javascript:\">",
                             "<A HREF=\"https://x.example/javascript:\">記事</A>"})
        EXPECT_TRUE(InCell(cell).empty()) << cell;
}

TEST(ListingCheck, InsecureAndOffSiteAddressesAreFound) {
    const char* const image = "<IMG SRC=\"http://img.example/a.jpg\">";
    auto findings = InCell(image);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, CheckKind::Address);
    EXPECT_EQ(Offending(image, findings[0]), "SRC=\"http://img.example/a.jpg\"");
    EXPECT_NE(findings[0].message.find("画像"), std::string::npos);

    findings = InCell("<A HREF='HTTP://shop.example/'>店</A>");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_NE(findings[0].message.find("リンク"), std::string::npos);

    // A mail link that shows its own address is one finding, not two.
    findings = InCell("<A HREF=\"mailto:me@shop.example?Subject=\">me@shop.example</A>");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, CheckKind::Address);

    const std::string written =
        "連絡は　me.seller+a@mail.shop.example. まで\r\n漢字x@y.example@z.ex";
    findings = InCell(written);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(Offending(written, findings[0]), "me.seller+a@mail.shop.example");
    EXPECT_EQ(Offending(written, findings[1]), "x@y.example");

    EXPECT_EQ(Kinds(InCell("<IMG SRC=\"data:image/png;base64,AAAA\">")),
              std::vector<CheckKind>{CheckKind::Address});

    for (const char* cell :
         {"<IMG SRC=\"https://img.example/a.jpg\">", "<A HREF=\"https://shop.example/\">店</A>",
          "公式 http://maker.example/ を参照",  // text, not a link
          "@ma と a@b と x@y.z と ＠全角"})
        EXPECT_TRUE(InCell(cell).empty()) << cell;
}

TEST(ListingCheck, SizesAreHeldAgainstTheirLimits) {
    TDescriptionSheet sheet;
    for (int line = 0; line < 166; ++line) sheet.Note.Text += "abcd\r\n";
    sheet.Note.Text += "abcd";  // 1000 bytes
    EXPECT_TRUE(Check(sheet).findings.empty());
    sheet.Note.Text += "\x82\xA0";  // "あ": 1002 bytes
    auto findings = Check(sheet).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, CheckKind::Size);
    EXPECT_EQ(findings[0].tag, kNoteTag);
    EXPECT_EQ(findings[0].offset, 1000u);

    // Characters, not bytes: a double-byte character counts once.
    sheet = SheetWith(kTitleTag, "あいう");
    const std::string tags = BuildHtmlTags(sheet);
    ListingCheckResult result = CheckListing(sheet, tags, {});
    EXPECT_EQ(result.bytes, tags.size());
    std::size_t codePoints = 0;
    for (unsigned char c : sjis::ToUtf8(tags)) codePoints += (c & 0xC0) != 0x80;
    EXPECT_EQ(result.chars, codePoints);
    EXPECT_LT(result.chars, result.bytes);
    CheckOptions options;
    options.maxChars = result.chars;
    EXPECT_TRUE(CheckListing(sheet, tags, options).findings.empty());
    options.maxChars = result.chars - 1;
    result = CheckListing(sheet, tags, options);
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(result.findings[0].tag, kWholePage);
    EXPECT_EQ(result.findings[0].kind, CheckKind::Size);
}

TEST(ListingCheck, CharactersAreCountedAcrossTheFastAndSlowPaths) {
    TDescriptionSheet sheet;
    // ASCII runs of every length around the eight-byte step, then kana and half-width kana.
    for (std::size_t run = 0; run < 20; ++run) {
        const std::string text = std::string(run, 'x') + "\x82\xA0\xB1" + std::string(run, 'y');
        ListingCheckResult result = CheckListing(sheet, text, {});
        EXPECT_EQ(result.chars, 2 * run + 2) << run;
        EXPECT_EQ(result.bytes, 2 * run + 3);
    }
}

TEST(ListingCheck, LinesWiderThanAPhoneAreFound) {
    const std::string longLine(600, 'x');
    auto findings = InCell("短い行\r\n" + longLine + "\r\n短い行");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, CheckKind::PhoneWidth);
    EXPECT_EQ(findings[0].offset, Sjis("短い行\r\n").size());
    EXPECT_EQ(findings[0].length, 600u);

    // Twenty full-width characters at 9 points fit; thirty do not; a break between them fits.
    const std::string twenty = "あいうえおかきくけこさしすせそたちつてと";
    EXPECT_TRUE(InCell(twenty).empty());
    EXPECT_EQ(Kinds(InCell(twenty + "なにぬねの")), std::vector<CheckKind>{CheckKind::PhoneWidth});
    EXPECT_TRUE(InCell(twenty + "<BR>なにぬねの").empty());
    // A character a cell keeps as its reference takes a full-width character's room.
    std::string emoji;
    for (int i = 0; i < 20; ++i) emoji += "&#x1F4E6;";
    EXPECT_TRUE(InCell(emoji).empty());
    EXPECT_EQ(Kinds(InCell(emoji + "&#x2728;&#x2728;&#x2728;&#x2728;&#x2728;")),
              std::vector<CheckKind>{CheckKind::PhoneWidth});
    // Markup takes no room; a larger font takes more.
    EXPECT_TRUE(InCell("<B><FONT COLOR=\"#FF0000\">" + twenty + "</FONT></B>").empty());
    TDescriptionSheet big = SheetWith(DescriptionTag(1), twenty);
    big.Rows[0].Description.Format.FontSize = 18;
    EXPECT_EQ(Kinds(Check(big).findings), std::vector<CheckKind>{CheckKind::PhoneWidth});
    // A narrower phone is stricter.
    CheckOptions narrow;
    narrow.phoneWidth = 300;
    EXPECT_EQ(Check(SheetWith(DescriptionTag(1), twenty), narrow).findings.size(), 1u);

    EXPECT_EQ(Kinds(InCell("<IMG SRC=\"https://x.example/a.jpg\" WIDTH=\"800\">")),
              std::vector<CheckKind>{CheckKind::PhoneWidth});
    EXPECT_TRUE(InCell("<IMG SRC=\"https://x.example/a.jpg\" WIDTH=\"300\">").empty());
    EXPECT_TRUE(InCell("<TABLE WIDTH=\"800%\"><TR><TD>x</TD></TR></TABLE>").empty());
    for (const char* width : {"800px", " 800", "800.5"})
        EXPECT_EQ(Kinds(InCell("<TABLE WIDTH=\"" + std::string(width) + "\"></TABLE>")),
                  std::vector<CheckKind>{CheckKind::PhoneWidth})
            << width;
    // A reference takes its character's room: forty "<" fit where their references' letters would
    // not.
    std::string lessThan;
    for (int i = 0; i < 40; ++i) lessThan += "&lt;";
    EXPECT_TRUE(InCell(lessThan).empty());
}

TEST(ListingCheck, ABrowsersWidthOverridesTheEstimate) {
    const TDescriptionSheet wide = SheetWith(DescriptionTag(1), std::string(600, 'x'));
    CheckOptions options;
    options.measuredPageWidth = 375;  // fits after all
    EXPECT_TRUE(Check(wide, options).findings.empty());
    options.measuredPageWidth = 4900;  // the cell already explains it
    auto findings = Check(wide, options).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].tag, DescriptionTag(1));
    // The cell keeps its place with the one figure, no estimate beside it.
    EXPECT_NE(findings[0].message.find("4900 px"), std::string::npos) << findings[0].message;
    EXPECT_EQ(findings[0].message.find("約"), std::string::npos) << findings[0].message;
    // A layout that saw the cell stay inside (it wraps, or another cell widens the page) clears
    // the cell and names the page instead.
    options.measuredWideCells = std::vector<int>{};
    findings = Check(wide, options).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].tag, kWholePage);
    options.measuredWideCells = std::vector<int>{DescriptionTag(1)};
    findings = Check(wide, options).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].tag, DescriptionTag(1));
    options.measuredWideCells.reset();

    // Too wide with no cell to blame (two columns side by side): the page is reported.
    TDescriptionSheet pair = SheetWith(ItemTag(1), "あいうえおかきくけこあいうえお");
    pair.Rows[0].Description.Text = pair.Rows[0].Item.Text;
    ASSERT_TRUE(Check(pair).findings.empty());
    options.measuredPageWidth = 500;
    findings = Check(pair, options).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].tag, kWholePage);
    EXPECT_EQ(findings[0].kind, CheckKind::PhoneWidth);
    EXPECT_NE(findings[0].message.find("125 px"), std::string::npos) << findings[0].message;
}

TEST(ListingCheck, FindingsComeInTheSheetsOrderAndSkipExcludedCells) {
    TDescriptionSheet sheet;
    sheet.Note.Text = Sjis("<B>注記");
    sheet.Rows[1].Description.Text = Sjis("<I>説明２ </U>");  // two, reported by position
    sheet.Rows[1].Item.Text = Sjis("<U>項目２");
    sheet.Rows[0].Description.Text = Sjis("<S>説明１");
    sheet.Title.Text = Sjis("<SPAN>題");
    sheet.Rows[4].Item.Text = Sjis("<B>除外");
    sheet.Rows[4].IncludeItem = false;
    CheckOptions options;
    options.maxChars = 10;
    const auto findings = Check(sheet, options).findings;
    std::vector<std::string> order;
    for (const auto& f : findings) order.push_back(CellCaption(f.tag));
    EXPECT_EQ(order, (std::vector<std::string>{"タイトル", "説明１", "項目２", "説明２", "説明２",
                                               "枠外注記", "ページ全体"}));
    EXPECT_LT(findings[3].offset, findings[4].offset);
}

TEST(ListingCheck, CaptionsKindsAndSummaryReadAsTheEditorShowsThem) {
    EXPECT_EQ(CellCaption(kTitleTag), "タイトル");
    EXPECT_EQ(CellCaption(ItemTag(3)), "項目３");
    EXPECT_EQ(CellCaption(DescriptionTag(10)), "説明１０");
    EXPECT_EQ(CellCaption(kNoteTag), "枠外注記");
    EXPECT_EQ(CellCaption(kWholePage), "ページ全体");
    EXPECT_STREQ(CheckKindName(CheckKind::ActiveContent), "動的内容");

    ListingCheckResult result;
    EXPECT_EQ(CheckSummary(result), "問題なし");
    result =
        Check(SheetWith(DescriptionTag(2), "<B>送料無料<IMG SRC=\"http://img.example/a.jpg\">\r\n" +
                                               std::string(600, 'x')));
    EXPECT_EQ(CheckSummary(result), "注意 3 件");
    EXPECT_EQ(Kinds(result.findings), (std::vector<CheckKind>{CheckKind::Markup, CheckKind::Address,
                                                              CheckKind::PhoneWidth}));
    EXPECT_EQ(FindingLine(result.findings[0]).rfind("説明２: ", 0), 0u);
    EXPECT_NE(FindingLine(result.findings[0]).find("「<B>」"), std::string::npos);
}

TEST(ListingCheck, AnExcerptStopsAtACharacterAndShowsNoLineBreak) {
    std::string cell = "<!--";
    for (int i = 0; i < 40; ++i) cell += "表";
    const auto findings = InCell(cell + "\r\n次");
    ASSERT_EQ(findings.size(), 1u);
    const std::string& text = findings[0].text;
    EXPECT_EQ(text.rfind("<!--表表", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 3), "…");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos);  // no broken character
}

TEST(ListingCheck, AnAttributeNameInTheMessageIsShownAsText) {
    // An event attribute's name with a double-byte character in it: shown decoded, never as
    // raw code page 932 bytes inside a UTF-8 message.
    const auto findings = InCell("<B on\xe3\x82\xab=x>太字</B>");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, CheckKind::ActiveContent);
    EXPECT_NE(findings[0].message.find("（onカ）"), std::string::npos) << findings[0].message;
}
