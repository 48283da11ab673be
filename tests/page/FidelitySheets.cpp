#include "FidelitySheets.h"

#include <stdexcept>
#include <string_view>

#include "platform/Sjis.h"

namespace quorvel::fidelity {
namespace {

constexpr TColor kRed = 0x000000FF;
constexpr TColor kNavy = 0x00800000;
constexpr TColor kGreen = 0x00008000;
constexpr TColor kGrey = 0x00808080;
constexpr TColor kCream = 0x00E0FFFF;
constexpr TColor kSky = 0x00FFF0E0;
constexpr TColor kPink = 0x00E0E0FF;

std::string Cp932(std::string_view utf8) {
    auto encoded = sjis::FromUtf8(utf8);
    if (!encoded.ok())
        throw std::invalid_argument("no code page 932 form at character " +
                                    std::to_string(*encoded.badIndex));
    return encoded.bytes;
}

void Put(TDescriptionSheet& sheet, int tag, std::string_view utf8, TCellFormat format = {}) {
    TSheetCell& cell = sheet.CellByTag(tag);
    cell.Text = Cp932(utf8);
    cell.Format = format;
}

// Rows after `lastRow` give nothing, so each sheet shows only what it is about.
void ExcludeRowsAfter(TDescriptionSheet& sheet, int lastRow) {
    for (int row = lastRow + 1; row <= kRowCount; ++row) {
        sheet.Rows[row - 1].IncludeItem = false;
        sheet.Rows[row - 1].IncludeDescription = false;
    }
}

TDescriptionSheet Sizes() {
    TDescriptionSheet s;
    const int ladder[] = {7, 8, 9, 12, 14, 18};
    Put(s, kTitleTag, "サイズ見本 Size 18pt 見出し", {.FontSize = 18});
    for (int i = 0; i < 6; ++i) {
        const int item = ladder[i], text = ladder[(i + 1) % 6];
        Put(s, ItemTag(i + 1), std::to_string(item) + "pt 項目名", {.FontSize = item});
        Put(s, DescriptionTag(i + 1), "本文テキスト Text " + std::to_string(text) + "pt",
            {.FontSize = text});
    }
    ExcludeRowsAfter(s, 6);
    Put(s, kNoteTag, "ご覧いただきありがとうございます。",
        {.FontSize = 14, .HAlign = kHAlignRight});
    return s;
}

TDescriptionSheet Styles() {
    TDescriptionSheet s;
    s.Style = {.TableAlign = kAlignLeft, .BorderWidth = 2, .BorderColor = kRed, .CellPadding = 3};
    Put(s, kTitleTag, "太字・斜体・下線 Bold Italic Underline",
        {.FontColor = kNavy, .FontSize = 14, .Bold = true, .Italic = true, .Underline = true});
    Put(s, ItemTag(1), "太字 Bold", {.Bold = true});
    Put(s, DescriptionTag(1), "斜体 Italic テキスト", {.Italic = true});
    Put(s, ItemTag(2), "下線 Underline", {.Underline = true});
    Put(s, DescriptionTag(2), "太字斜体 BoldItalic", {.Bold = true, .Italic = true});
    Put(s, ItemTag(3), "太字下線 12pt", {.FontSize = 12, .Bold = true, .Underline = true});
    Put(s, DescriptionTag(3), "斜体下線 Italic Underline 12pt",
        {.FontSize = 12, .Italic = true, .Underline = true});
    Put(s, ItemTag(4), "全部 BIU 7pt",
        {.FontSize = 7, .Bold = true, .Italic = true, .Underline = true});
    Put(s, DescriptionTag(4), "標準 Plain 18pt", {.FontSize = 18});
    Put(s, ItemTag(5), "大きな太字", {.FontColor = kRed, .FontSize = 18, .Bold = true});
    Put(s, DescriptionTag(5), "小さな下線つき文字 small", {.FontSize = 8, .Underline = true});
    ExcludeRowsAfter(s, 5);
    Put(s, kNoteTag, "斜体の注記です。Italic note.", {.Italic = true});
    return s;
}

TDescriptionSheet FrameNoneColour() {
    TDescriptionSheet s;
    s.Style = {.TableAlign = kAlignRight,
               .BorderWidth = 0,
               .BorderColor = kGreen,
               .BorderColorSet = true,
               .CellPadding = 0,
               .BannerAlign = kAlignRight};
    Put(s, kTitleTag, "枠なし（色指定）",
        {.FontSize = 12, .BackColor = kCream, .HAlign = kHAlignCenter});
    Put(s, ItemTag(1), "左寄せ", {.BackColor = kSky});
    Put(s, DescriptionTag(1), "背景色のあるセル Background", {.BackColor = kPink});
    Put(s, ItemTag(2), "右", {.BackColor = kSky, .HAlign = kHAlignRight});
    Put(s, DescriptionTag(2), "中央", {.BackColor = kPink, .HAlign = kHAlignCenter});
    Put(s, ItemTag(3), "商品番号 No. 12345", {.FontSize = 12});
    Put(s, DescriptionTag(3), "在庫あり", {.FontSize = 8});
    ExcludeRowsAfter(s, 3);
    Put(s, kNoteTag, "表は右寄せ、バナーも右です。");
    return s;
}

TDescriptionSheet FrameNonePlain() {
    TDescriptionSheet s;
    s.Style = {.BorderWidth = 0, .BorderColorSet = false, .CellPadding = 9};
    Put(s, kTitleTag, "枠なし・余白 9", {.FontSize = 14, .Bold = true});
    Put(s, ItemTag(1), "状態");
    Put(s, DescriptionTag(1), "未使用に近い Like new");
    Put(s, ItemTag(2), "付属品", {.BackColor = kCream});
    Put(s, DescriptionTag(2), "元箱、説明書、保証書", {.HAlign = kHAlignCenter});
    Put(s, ItemTag(3), "発送", {.FontSize = 12});
    Put(s, DescriptionTag(3), "翌日発送", {.FontSize = 7});
    ExcludeRowsAfter(s, 3);
    s.IncludeNote = false;
    return s;
}

TDescriptionSheet FrameWideColour() {
    TDescriptionSheet s;
    s.Style = {.BorderWidth = 5, .BorderColor = kGrey, .BorderColorSet = true, .CellPadding = 9};
    Put(s, kTitleTag, "太い枠（色指定 5）と余白 9", {.FontSize = 12, .HAlign = kHAlignCenter});
    Put(s, ItemTag(1), "項目", {.BackColor = kCream});
    Put(s, DescriptionTag(1), "説明の文 Description");
    Put(s, ItemTag(2), "サイズ", {.BackColor = kCream, .HAlign = kHAlignRight});
    Put(s, DescriptionTag(2), "幅 30cm × 高さ 20cm", {.FontSize = 12});
    Put(s, ItemTag(3), "重さ", {.BackColor = kCream});
    Put(s, DescriptionTag(3), "約 1.2kg", {.FontSize = 14, .Bold = true});
    ExcludeRowsAfter(s, 3);
    Put(s, kNoteTag, "枠の色は灰色です。", {.FontSize = 8});
    return s;
}

TDescriptionSheet FrameWidePlain() {
    TDescriptionSheet s;
    s.Style = {.BorderWidth = 5, .BorderColorSet = false, .CellPadding = 0};
    Put(s, kTitleTag, "太い枠（BORDER 5）余白 0", {.FontSize = 12});
    Put(s, ItemTag(1), "一", {.HAlign = kHAlignCenter});
    Put(s, DescriptionTag(1), "余白がないので文字が枠に接します");
    Put(s, ItemTag(2), "二番目の項目");
    Put(s, DescriptionTag(2), "B", {.FontSize = 18, .HAlign = kHAlignRight});
    ExcludeRowsAfter(s, 2);
    Put(s, kNoteTag, "枠だけの表です。", {.HAlign = kHAlignCenter});
    return s;
}

TDescriptionSheet Excluded() {
    TDescriptionSheet s;
    s.Style = {
        .BorderWidth = 3, .BorderColorSet = false, .CellPadding = 2, .BannerAlign = kAlignCenter};
    s.IncludeTitle = false;
    Put(s, kTitleTag, "出力されないタイトル");
    Put(s, ItemTag(1), "両方ある行");
    Put(s, DescriptionTag(1), "説明も出ます");
    Put(s, ItemTag(2), "項目だけの行は二列にまたがる");
    s.Rows[1].IncludeDescription = false;
    Put(s, DescriptionTag(3), "説明だけの行");
    s.Rows[2].IncludeItem = false;
    Put(s, ItemTag(4), "出力されない行");
    s.Rows[3].IncludeItem = s.Rows[3].IncludeDescription = false;
    Put(s, DescriptionTag(5), "左の項目は空のまま");  // item 5 included with no text
    Put(s, ItemTag(6), "六", {.FontSize = 12});
    Put(s, DescriptionTag(6), "", {.BackColor = kCream});  // empty, included
    Put(s, ItemTag(8), "八番目だけ", {.HAlign = kHAlignRight});
    s.Rows[7].IncludeDescription = false;
    s.Rows[6].IncludeItem = s.Rows[6].IncludeDescription = false;
    s.Rows[8].IncludeItem = s.Rows[8].IncludeDescription = false;
    s.Rows[9].IncludeItem = s.Rows[9].IncludeDescription = false;
    Put(s, kNoteTag, "出力されない注記");
    s.IncludeNote = false;
    return s;
}

TDescriptionSheet Colspan() {
    TDescriptionSheet s;
    s.Style = {.BorderWidth = 1, .CellPadding = 1, .BannerAlign = kAlignCenter};
    Put(s, kTitleTag, "【見出し】二列にまたがる長いタイトル行 Title",
        {.FontColor = kRed,
         .FontSize = 14,
         .Bold = true,
         .HAlign = kHAlignCenter,
         .VAlign = kVAlignCenter});
    Put(s, ItemTag(1), "項目だけ");
    s.Rows[0].IncludeDescription = false;
    Put(s, ItemTag(2), "A");
    Put(s, DescriptionTag(2), "B");
    Put(s, DescriptionTag(3), "説明だけの行", {.HAlign = kHAlignRight});
    s.Rows[2].IncludeItem = false;
    ExcludeRowsAfter(s, 3);
    Put(s, kNoteTag, "タイトルが表の幅を決めます。");
    return s;
}

TDescriptionSheet LongKanji() {
    TDescriptionSheet s;
    Put(s, kTitleTag, "電子機器部品販売", {.FontSize = 14});
    Put(s, ItemTag(1), "商品説明");
    Put(s, DescriptionTag(1),
        "日本国東京都千代田区丸内一丁目株式会社電気通信機器製造販売事業部営業企画課長代理補佐"
        "業務担当者連絡先電話番号確認済");
    Put(s, ItemTag(2), "小さい字", {.FontSize = 7});
    Put(s, DescriptionTag(2),
        "漢字連続表示試験用長文字列中古品動作確認済付属品完備送料無料即日発送対応可能"
        "返品交換不可落札後三日以内入金願",
        {.FontSize = 7});
    ExcludeRowsAfter(s, 2);
    Put(s, kNoteTag,
        "注意事項本商品中古品為多少傷汚有可能性御理解頂上入札願発送方法宅配便送料落札者負担"
        "入金確認後二営業日以内発送予定土日祝日休業連絡遅延場合有御了承下",
        {.FontSize = 12});
    return s;
}

TDescriptionSheet LongKana() {
    TDescriptionSheet s;
    s.Style.CellPadding = 4;
    Put(s, kTitleTag, "かなの長い行", {.FontSize = 12});
    Put(s, ItemTag(1), "ひらがな");
    Put(s, DescriptionTag(1),
        "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわを"
        "ん"
        "がぎぐげござじずぜぞ");
    Put(s, ItemTag(2), "カタカナ");
    Put(s, DescriptionTag(2),
        "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲ"
        "ン"
        "ッャュョー");
    Put(s, ItemTag(3), "半角カナ");
    Put(s, DescriptionTag(3), "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｯｬｭｮｰﾞﾟ",
        {.FontSize = 12});
    ExcludeRowsAfter(s, 3);
    Put(s, kNoteTag,
        "ごらんいただきありがとうございますこちらはちゅうこひんですのでおとりひきのまえにかならず"
        "せつめいをおよみくださいシュッピンシャヨリオネガイデス",
        {.FontSize = 12});
    return s;
}

TDescriptionSheet LongLatin() {
    TDescriptionSheet s;
    s.Style = {.BorderWidth = 2, .BorderColorSet = false, .CellPadding = 3};
    Put(s, kTitleTag, "Latin lines", {.FontSize = 12});
    Put(s, ItemTag(1), "URL");
    Put(s, DescriptionTag(1),
        "http://www.merrow.example/items/2026/12/camera-lens-body-set-ABCDEFGHIJKLMNOP.html");
    Put(s, ItemTag(2), "Token");
    Put(s, DescriptionTag(2),
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ",
        {.FontSize = 12});
    Put(s, ItemTag(3), "Words");
    Put(s, DescriptionTag(3),
        "The quick brown fox jumps over the lazy dog. The quick brown fox jumps over the lazy "
        "dog.");
    Put(s, ItemTag(4), "Digits", {.FontSize = 7});
    Put(s, DescriptionTag(4),
        "0123456789012345678901234567890123456789012345678901234567890123456789", {.FontSize = 7});
    ExcludeRowsAfter(s, 4);
    Put(s, kNoteTag,
        "Thank you for looking. Please read the description before you bid; questions are welcome "
        "at any time.\r\nReference:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz");
    return s;
}

TDescriptionSheet Multiline() {
    TDescriptionSheet s;
    s.Style.CellPadding = 2;
    Put(s, kTitleTag, "複数行の見出し\r\nSecond line", {.FontSize = 12, .HAlign = kHAlignCenter});
    Put(s, ItemTag(1), "三行\r\nの\r\n項目");
    Put(s, DescriptionTag(1), "一行目\r\n二行目の方が長い行です\r\n三行目");
    Put(s, ItemTag(2), "末尾に改行\r\n");
    Put(s, DescriptionTag(2), "空行を挟む\r\n\r\n\r\n三つ下の行", {.FontSize = 8});
    Put(s, ItemTag(3), "\r\n\r\n");  // only line breaks
    Put(s, DescriptionTag(3), "大きな字\r\nBig", {.FontSize = 18, .VAlign = kVAlignBottom});
    ExcludeRowsAfter(s, 3);
    Put(s, kNoteTag, "注記の一行目\r\n注記の二行目\r\n\r\n最後の行", {.FontSize = 12});
    return s;
}

TDescriptionSheet Markup() {
    TDescriptionSheet s;
    s.Style.CellPadding = 2;
    Put(s, kTitleTag, "見出し<FONT SIZE=\"7\">大</FONT>と<FONT SIZE=\"+4\">+4</FONT>",
        {.FontSize = 14, .Bold = true, .HAlign = kHAlignCenter});
    Put(s, ItemTag(1), "<B>太字</B>と普通");
    Put(s, DescriptionTag(1),
        "サイズ<FONT SIZE=\"+2\">大きく</FONT>と<FONT SIZE=\"-1\">小さく</FONT>");
    Put(s, ItemTag(2), "<FONT SIZE=\"+1\">+1</FONT><FONT SIZE=\"-2\">-2</FONT>");
    Put(s, DescriptionTag(2),
        "<A HREF=\"http://www.merrow.example/\" TARGET=\"_blank\">出品者のページ</A>へどうぞ");
    Put(s, ItemTag(3), "<IMG SRC=\"item-photo.jpg\" WIDTH=\"120\" HEIGHT=\"90\">");
    Put(s, DescriptionTag(3), "写真<IMG SRC=\"item-photo2.jpg\" WIDTH=\"40\" HEIGHT=\"30\">と文字");
    Put(s, ItemTag(4), "<I>italic</I> <U>下線</U>", {.FontSize = 12});
    Put(s, DescriptionTag(4), "<FONT COLOR=\"#FF0000\"><B>赤い太字</B></FONT> A&B &amp; 記号");
    ExcludeRowsAfter(s, 4);
    Put(s, kNoteTag,
        "注記の先頭<DIV ALIGN=\"center\">DIV の中身は中央</DIV>後ろの文<FONT "
        "SIZE=\"+1\">大</FONT>");
    return s;
}

TDescriptionSheet Alignments() {
    TDescriptionSheet s;
    s.Style = {.BorderWidth = 1, .CellPadding = 2, .BannerAlign = kAlignRight};
    Put(s, kTitleTag, "配置", {.HAlign = kHAlignRight, .VAlign = kVAlignBottom});
    const char* tall = "一\r\n二\r\n三";
    const int valigns[] = {kVAlignTop, kVAlignCenter, kVAlignBottom};
    const int haligns[] = {kHAlignLeft, kHAlignRight, kHAlignCenter};
    // The neighbour is three lines tall, so the vertical alignment moves the text.
    for (int i = 0; i < 3; ++i) {
        Put(s, ItemTag(i + 1), tall);
        Put(s, DescriptionTag(i + 1), "説明",
            {.BackColor = kSky, .HAlign = haligns[i], .VAlign = valigns[i]});
        Put(s, ItemTag(i + 4), "項目",
            {.BackColor = kCream, .HAlign = haligns[(i + 2) % 3], .VAlign = valigns[i]});
        Put(s, DescriptionTag(i + 4), tall, {.HAlign = kHAlignCenter});
    }
    // The longest texts set the column widths, so the short cells show their alignment.
    Put(s, ItemTag(7), "とても長い項目名のセル", {.FontSize = 12});
    Put(s, DescriptionTag(7), "説明の欄はこれが一番長い行になります", {.FontSize = 12});
    ExcludeRowsAfter(s, 7);
    Put(s, kNoteTag, "注記は中央", {.HAlign = kHAlignCenter});
    return s;
}

TDescriptionSheet Listing() {
    TDescriptionSheet s;
    s.Style.CellPadding = 2;
    Put(s, kTitleTag, "【送料無料】デジタル一眼レフカメラ 美品",
        {.FontColor = kRed,
         .FontSize = 14,
         .Bold = true,
         .HAlign = kHAlignCenter,
         .VAlign = kVAlignCenter});
    Put(s, ItemTag(1), "メーカー");
    Put(s, DescriptionTag(1), "架空光学");
    Put(s, ItemTag(2), "型番");
    Put(s, DescriptionTag(2), "QX-1000 ボディ＋標準ズームレンズ 18-55mm", {.Bold = true});
    Put(s, ItemTag(3), "状態");
    Put(s, DescriptionTag(3),
        "目立つ傷はありません。\r\n動作確認済みです。シャッター回数は約 3,000 回。");
    Put(s, ItemTag(4), "付属品");
    Put(s, DescriptionTag(4), "バッテリー、充電器、ストラップ、元箱");
    Put(s, ItemTag(5), "発送");
    Put(s, DescriptionTag(5), "ゆうパック（60サイズ）\r\n入金確認後 2 日以内に発送します。");
    ExcludeRowsAfter(s, 5);
    Put(s, kNoteTag, "ご質問はお気軽にどうぞ。", {.FontSize = 8});
    return s;
}

// Characters code page 932 lacks, kept as the references a cell stores for them: emoji with
// and without a variation selector, a flag, a heart and a kanji beyond JIS X 0208.
TDescriptionSheet Emoji() {
    TDescriptionSheet s;
    s.Style.CellPadding = 2;
    Put(s, kTitleTag, "&#x1F381;【送料無料】&#x1F4E6;&#x2728;新品&#x2661;&#x2B50;",
        {.FontSize = 14, .Bold = true, .HAlign = kHAlignCenter});
    Put(s, ItemTag(1), "サイズ");
    Put(s, DescriptionTag(1), "L（身長175～185cm目安）&#x1F60A;");
    Put(s, ItemTag(2), "&#x1F1EF;&#x1F1F5;発送");
    Put(s, DescriptionTag(2),
        "&#x2764;&#xFE0F;大切に使いました&#x2705; &#x20BB7;野家の袋&#x1F6CD;&#xFE0F;");
    ExcludeRowsAfter(s, 2);
    Put(s, kNoteTag, "&#x26A0;&#xFE0F;ノークレーム&#x1F64F;", {.FontSize = 12});
    return s;
}

// Full-width brackets and punctuation side by side, which a browser sets closer together.
TDescriptionSheet Brackets() {
    TDescriptionSheet s;
    s.Style.CellPadding = 2;
    Put(s, kTitleTag, "【まとめ売り】「無地」Ｔシャツ（綿）", {.FontSize = 12, .Bold = true});
    Put(s, ItemTag(1), "色");
    Put(s, DescriptionTag(1), "「白」「黒」「紺」「赤」「灰」「緑」（各1枚）");
    Put(s, ItemTag(2), "寸法");
    Put(s, DescriptionTag(2), "（Ｓ）（Ｍ）（Ｌ）（XL）、（XXL）。");
    Put(s, ItemTag(3), "状態");
    Put(s, DescriptionTag(3), "未使用（タグ付き）。「箱」『袋』無し。");
    Put(s, ItemTag(4), "発送");
    Put(s, DescriptionTag(4),
        "〔定形外〕・〔ゆうパケット〕：「送料込」。\r\n（土）（日）は休み、（祝）も。",
        {.FontSize = 8});
    ExcludeRowsAfter(s, 4);
    Put(s, kNoteTag,
        "「即決」「値下げ」「取り置き」「同梱」「評価」「受取連絡」「発送連絡」「質問」"
        "「入札取消」「再出品」（各ご相談ください）。");
    return s;
}

// A cell's words end a fraction of a pixel past a phone's width.
TDescriptionSheet PhoneEdge() {
    TDescriptionSheet s;
    s.Style = {
        .TableAlign = kAlignLeft, .BorderWidth = 2, .BorderColorSet = false, .CellPadding = 3};
    Put(s, kTitleTag, "shipping i body lens shipping i rare camera mint");
    ExcludeRowsAfter(s, 0);
    Put(s, kNoteTag, "Edge");
    return s;
}

// A table typed into a cell, wider than the cell would be.
TDescriptionSheet NestedTable() {
    TDescriptionSheet s;
    s.Style.CellPadding = 2;
    Put(s, kTitleTag, "表の中の表", {.FontSize = 12});
    Put(s, ItemTag(1), "寸法");
    Put(s, DescriptionTag(1),
        "<TABLE WIDTH=\"420\" BORDER=\"1\"><TR><TD>着丈</TD><TD>70cm</TD></TR>"
        "<TR><TD>身幅</TD><TD>52cm</TD></TR></TABLE>");
    Put(s, ItemTag(2), "備考");
    Put(s, DescriptionTag(2), "採寸は平置きです。");
    ExcludeRowsAfter(s, 2);
    Put(s, kNoteTag, "ご覧いただきありがとうございます。");
    return s;
}

}  // namespace

std::vector<ReferenceSheet> ReferenceSheets() {
    return {{"sizes", Sizes()},
            {"styles", Styles()},
            {"frame-none-colour", FrameNoneColour()},
            {"frame-none-plain", FrameNonePlain()},
            {"frame-wide-colour", FrameWideColour()},
            {"frame-wide-plain", FrameWidePlain()},
            {"excluded", Excluded()},
            {"colspan", Colspan()},
            {"long-kanji", LongKanji()},
            {"long-kana", LongKana()},
            {"long-latin", LongLatin()},
            {"multiline", Multiline()},
            {"markup", Markup()},
            {"alignments", Alignments()},
            {"listing", Listing()},
            {"emoji", Emoji()},
            {"brackets", Brackets()},
            {"phone-edge", PhoneEdge()},
            {"nested-table", NestedTable()}};
}

std::vector<int> IncludedTags(const TDescriptionSheet& sheet) {
    std::vector<int> tags;
    for (int tag = kTitleTag; tag <= kNoteTag; ++tag)
        if (sheet.IncludedByTag(tag)) tags.push_back(tag);
    return tags;
}

}  // namespace quorvel::fidelity
