#include "sheet/PlainText.h"

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "sheet/Maker.h"

using namespace quorvel;

namespace {

void SetRow(TDescriptionSheet& sheet, int row, std::string_view item, std::string_view text) {
    sheet.Rows[row - 1].Item.Text = Sj(item);
    sheet.Rows[row - 1].Description.Text = Sj(text);
}

// Characters of UTF-8 text, a CR LF pair counting one: worked out apart from the code page.
std::size_t Utf8Chars(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (utf8[i] == '\n' && i > 0 && utf8[i - 1] == '\r') continue;
        ++count;
    }
    return count;
}

std::string Plain(std::string_view utf8) {
    return sjis::ToUtf8(PlainCellText(Sj(utf8)));
}

}  // namespace

TEST(PlainText, TitleRowsAndNoteAsASellerPastesThem) {
    TDescriptionSheet sheet;
    sheet.Title.Text = Sj("キヤノン EOS Kiss X10 ボディ");
    SetRow(sheet, 1, "メーカー", "キヤノン");
    SetRow(sheet, 2, "状態", "目立つ傷なし\r\nシャッター回数 約3000回");
    SetRow(sheet, 3, "付属品",
           "<A HREF=\"https://shop.example/\" target=\"_blank\">説明書</A>・バッテリー<BR>充電器");
    sheet.Note.Text = Sj("即決価格あり。&lt;土日発送&gt;");
    const std::string expected =
        "キヤノン EOS Kiss X10 ボディ\r\n"
        "メーカー：キヤノン\r\n"
        "状態：目立つ傷なし\r\n"
        "　　　シャッター回数 約3000回\r\n"
        "付属品：説明書 (https://shop.example/)・バッテリー\r\n"
        "　　　　充電器\r\n"
        "\r\n"
        "即決価格あり。<土日発送>\r\n";
    const std::string text = BuildPlainText(sheet);
    EXPECT_EQ(text, Sj(expected));
    EXPECT_EQ(text.find(maker::kSiteUrl), std::string::npos);  // no footer
    EXPECT_EQ(CountPlainTextChars(text), Utf8Chars(expected));
}

TEST(PlainText, RowsTakeTheirIncludedCellsWithText) {
    TDescriptionSheet sheet;
    SetRow(sheet, 1, "色", "黒");
    SetRow(sheet, 2, "型番", "X-100");
    sheet.Rows[1].IncludeDescription = false;  // item alone
    SetRow(sheet, 3, "サイズ", "");            // empty description: item alone
    SetRow(sheet, 4, "　 ", "説明だけ");       // blank item: description alone
    SetRow(sheet, 5, "隠す", "行ごと");
    sheet.Rows[4].IncludeItem = false;
    sheet.Rows[4].IncludeDescription = false;
    SetRow(sheet, 6, "送料", "無料");
    sheet.Rows[5].IncludeItem = false;  // description alone
    sheet.Title.Text = Sj("出さない題");
    sheet.IncludeTitle = false;
    sheet.Note.Text = Sj("出さない注記");
    sheet.IncludeNote = false;
    EXPECT_EQ(BuildPlainText(sheet), Sj("色：黒\r\n型番\r\nサイズ\r\n説明だけ\r\n無料\r\n"));

    // A note alone starts the text; an empty sheet gives nothing.
    TDescriptionSheet noteOnly;
    noteOnly.Note.Text = Sj("注記");
    EXPECT_EQ(BuildPlainText(noteOnly), Sj("注記\r\n"));
    EXPECT_EQ(BuildPlainText(TDescriptionSheet{}), "");
    TDescriptionSheet emptyNote;
    emptyNote.Title.Text = "T";
    emptyNote.Note.Text = "\r\n<BR>";
    EXPECT_EQ(BuildPlainText(emptyNote), "T\r\n");
}

TEST(PlainText, MultiLineCellsKeepTheirLinesAndLineUpWhereThereIsRoom) {
    TDescriptionSheet sheet;
    // Half-width letters take one column: "CPU：" is 5 columns, 3 full-width spaces.
    SetRow(sheet, 1, "CPU", "4コア\r\n3.2GHz");
    // 7 full-width characters and "：" take 16 columns, the most that is still lined up.
    SetRow(sheet, 2, "一二三四五六七", "上\r\n下");
    SetRow(sheet, 3, "一二三四五六七八", "上\r\n下");
    // A multi-line item: its last line carries the description.
    SetRow(sheet, 4, "メーカー\r\n（国内）", "キヤノン\r\n正規品");
    // Blank lines around a cell go; one inside stays empty, without spaces.
    SetRow(sheet, 5, "状態", "\r\n本体\r\n\r\n箱\r\n\r\n");
    SetRow(sheet, 6, "", "\r\n一行\r\n二行");
    EXPECT_EQ(BuildPlainText(sheet), Sj("CPU：4コア\r\n"
                                        "　　　3.2GHz\r\n"
                                        "一二三四五六七：上\r\n"
                                        "　　　　　　　　下\r\n"
                                        "一二三四五六七八：上\r\n"
                                        "下\r\n"
                                        "メーカー\r\n"
                                        "（国内）：キヤノン\r\n"
                                        "　　　　　正規品\r\n"
                                        "状態：本体\r\n"
                                        "\r\n"
                                        "　　　箱\r\n"
                                        "一行\r\n"
                                        "二行\r\n"));
}

TEST(PlainText, MarkupIsRemoved) {
    EXPECT_EQ(Plain("a<BR>b<br/>c<Br >d</br>e"), "a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(Plain("<b>太字</b> <FONT COLOR=\"#FF0000\" SIZE=3>赤</FONT>"), "太字 赤");
    EXPECT_EQ(Plain("<IMG SRC=\"x.jpg\" ALT=\"a>b\">後"), "後");
    EXPECT_EQ(Plain("<!-- 隠す <b> -->見せる<!-- 閉じない"), "見せる");
    EXPECT_EQ(Plain("<!DOCTYPE html><?x?></ x></><!-->本文"), "本文");
    // A "<" that starts no tag is text; a tag no ">" ends is dropped with the rest, as a browser
    // drops it.
    EXPECT_EQ(Plain("a < b > c"), "a < b > c");
    EXPECT_EQ(Plain("3<5 x<閉じない"), "3<5 x<閉じない");
    EXPECT_EQ(Plain("前<A HREF=\"x>後"), "前");
    EXPECT_EQ(Plain("<br:x><IMG-X>"), "");
    // Typed line breaks of every kind come out as CR LF.
    EXPECT_EQ(Plain("1\r\n2\n3\r4"), "1\r\n2\r\n3\r\n4");
    // Trail bytes 0x5C and 0x7C and tags between double-byte characters.
    EXPECT_EQ(Plain("ソ表<BR>能―<i>十</i>"), "ソ表\r\n能―十");
}

TEST(PlainText, AnchorsShowTheirTextAndAddressOnlyWhenItDiffers) {
    EXPECT_EQ(Plain("<A HREF=\"http://x/\" target=\"_blank\">http://x/</A>"), "http://x/");
    EXPECT_EQ(Plain("<a href='http://x/'>店</a>です"), "店 (http://x/)です");
    EXPECT_EQ(Plain("<A target=_self HREF=http://x/>店</A>"), "店 (http://x/)");
    EXPECT_EQ(Plain("<A HREF=\"http://a/?x=1&amp;y=2\">行く</A>"), "行く (http://a/?x=1&y=2)");
    // A mail link shows the mail address, without the scheme and the subject.
    EXPECT_EQ(Plain("<A HREF=\"mailto:me@x.example?Subject=質問\">me@x.example</A>"),
              "me@x.example");
    EXPECT_EQ(Plain("<A HREF=\"mailto:me@x.example?Subject=\">連絡</A>"), "連絡 (me@x.example)");
    // A picture link, an empty anchor and one without an address leave nothing of themselves.
    EXPECT_EQ(Plain("前<A HREF=\"https://p/a.jpg\" target=\"_blank\"><IMG SRC=\"https://p/a.jpg\" "
                    "ALT=\"写真\" STYLE=\"max-width:100%;height:auto\"></A>後"),
              "前後");
    EXPECT_EQ(Plain("<A HREF=\"http://x/\"></A>|<A NAME=\"top\">上</A>"), "|上");
    // Anchors do not nest, an unclosed one ends with the cell, a stray end tag is nothing.
    EXPECT_EQ(Plain("<A HREF=\"http://a/\">一<A HREF=\"http://b/\">二</A>"),
              "一 (http://a/)二 (http://b/)");
    EXPECT_EQ(Plain("<A HREF=\"http://a/\">開いたまま"), "開いたまま (http://a/)");
    EXPECT_EQ(Plain("</A>残る"), "残る");
}

TEST(PlainText, CommonReferencesAreDecoded) {
    EXPECT_EQ(Plain("&amp;&lt;&gt;&quot;&nbsp;."), "&<>\" .");
    EXPECT_EQ(Plain("&#65;&#x42;&#X63;&#12354;&#x2460;"), "ABcあ①");
    // Decoded markup stays text.
    EXPECT_EQ(Plain("&lt;BR&gt;"), "<BR>");
    // What code page 932 cannot hold, control characters, unknown names and unfinished ones
    // stay as written.
    for (const char* kept : {"&#x1F600;", "&#10;", "&#127;", "&copy;", "&amp", "&#;", "&#x;",
                             "&#99999999999;", "&AMP;", "& x"})
        EXPECT_EQ(Plain(kept), kept) << kept;
}

TEST(PlainText, CountsCharactersWithALineBreakAsOne) {
    EXPECT_EQ(CountPlainTextChars(""), 0u);
    EXPECT_EQ(CountPlainTextChars(Sj("あa\r\nｶ")), 4u);
    EXPECT_EQ(CountPlainTextChars("\r\n\r\n"), 2u);
    // A reference the copy gives as its character is one; one to "A" is text of six.
    EXPECT_EQ(CountPlainTextChars(Sj("表") + "&#x1F4E6;&#x41;"), 8u);
    // Lone CR and LF are a character each; so is a lead byte cut off at the end.
    EXPECT_EQ(CountPlainTextChars("\n\r"), 2u);
    EXPECT_EQ(CountPlainTextChars(Sj("表") + "\x81"), 2u);
    // A lead byte before a line break is no pair: the break stays one, and whole.
    EXPECT_EQ(CountPlainTextChars("\xF5\r\n"), 2u);
    EXPECT_EQ(PlainCellText("\xF5\n<BR>"), "\xF5\r\n\r\n");
    // Over a limit: a thousand full-width characters on two lines.
    const std::string line(1000, 'x');
    EXPECT_EQ(CountPlainTextChars(Sj("題") + "\r\n" + line + "\r\n"), 1003u);
}
