#include "sheet/CellMarkup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"

using namespace quorvel;
using namespace quorvel::markup;

namespace {

// Each token as kind (T text, S start tag, E end tag, C comment, B bogus comment), a tag's name
// after ":", "~" when unclosed, then its bytes; checking on the way that the tokens tile the text.
std::string Tokens(std::string_view text, Encoding encoding = Encoding::Cp932) {
    Reader reader(text, encoding);
    Token token;
    std::string out;
    std::size_t at = 0;
    while (reader.Next(token)) {
        EXPECT_EQ(token.start, at) << text;
        at = token.end;
        if (!out.empty()) out += ' ';
        out += "TSECB"[static_cast<int>(token.kind)];
        if (token.IsTag()) out += ":" + token.name;
        if (!token.closed) out += '~';
        out += "[" + std::string(text.substr(token.start, token.end - token.start)) + "]";
    }
    EXPECT_EQ(at, text.size()) << text;
    return out;
}

// A tag's attributes as name=value@start-end, the name lower case.
std::string Attributes(std::string_view tag) {
    Reader reader(tag);
    Token token;
    EXPECT_TRUE(reader.Next(token) && token.IsTag()) << tag;
    std::string out;
    for (const Attribute& a : token.attributes)
        out += a.name + "=" + std::string(a.value) + "@" + std::to_string(a.start) + "-" +
               std::to_string(a.end) + " ";
    return out;
}

}  // namespace

TEST(CellMarkup, ReadsAsABrowsersTokenizer) {
    const std::pair<std::string, std::string> cases[] = {
        {"a<B>b</b>", "T[a] S:b[<B>] T[b] E:b[</b>]"},
        // A "<" before no letter, "!", "?" or "/" is text, and so is "</" at the end.
        {"1 < 2 <3 a</", "T[1 < 2 <3 a</]"},
        {Sj("<あ"), "T[" + Sj("<あ") + "]"},
        {"<!-- <b> -->x", "C[<!-- <b> -->] T[x]"},
        {"<!-->x<!--->y<!-- a --!>z", "C[<!-->] T[x] C[<!--->] T[y] C[<!-- a --!>] T[z]"},
        {"x<!-- open <b>", "T[x] C~[<!-- open <b>]"},
        {"<!DOCTYPE html><?x?></ x></>", "B[<!DOCTYPE html>] B[<?x?>] B[</ x>] B[</>]"},
        {"<?x", "B~[<?x]"},
        // A quoted value hides a ">"; a tag the text ends inside runs to the end.
        {"<a href=\"a>b\">c", "S:a[<a href=\"a>b\">] T[c]"},
        {"x<A HREF=\"y>z", "T[x] S:a~[<A HREF=\"y>z]"},
        {"x<b", "T[x] S:b~[<b]"},
        // A name runs to a blank, "/" or ">".
        {"<br/><b:x><IMG-X>", "S:br[<br/>] S:b:x[<b:x>] S:img-x[<IMG-X>]"},
        // A lead byte takes the next byte, whatever it is; "ア" is 83 41, a letter its second.
        {"\x81<b>", "T[\x81<b>]"},
        {Sj("ア<b>"), "T[" + Sj("ア") + "] S:b[<b>]"},
        {"\x81", "T[\x81]"},
    };
    for (const auto& [text, tokens] : cases) EXPECT_EQ(Tokens(text), tokens) << text;
    // UTF-8 bytes never hide a "<": "あ" is E3 81 82.
    EXPECT_EQ(Tokens("\xE3\x81\x82<br>", Encoding::Utf8), "T[\xE3\x81\x82] S:br[<br>]");
}

TEST(CellMarkup, AttributesAreReadAsWrittenWithTheirPlaces) {
    const std::pair<const char*, const char*> cases[] = {
        {"<a href=\"x>y\" TARGET='_b'>", "href=x>y@3-13 target=_b@14-25 "},
        {"<img src=a.jpg width=900px/>", "src=a.jpg@5-14 width=900px/@15-27 "},
        {"<a href=\"x\"onclick=y>", "href=x@3-11 onclick=y@11-20 "},
        {"<a b c = d =e>", "b=@3-4 c=d@5-10 =e=@11-13 "},
        {"</td class=x>", "class=x@5-12 "},
    };
    for (const auto& [tag, attributes] : cases) EXPECT_EQ(Attributes(tag), attributes) << tag;

    Reader reader("<A HREF=1 href=2 On\x83\x4A=x>");
    Token token;
    ASSERT_TRUE(reader.Next(token));
    ASSERT_NE(token.Find("href"), nullptr);
    EXPECT_EQ(token.Find("href")->value, "1");  // a browser takes the first
    EXPECT_EQ(token.Find("src"), nullptr);
    // The name as written stays for messages.
    EXPECT_EQ(token.attributes[2].name, "on\x83\x6A");
    EXPECT_EQ(token.attributes[2].written, "On\x83\x4A");
}

TEST(CellMarkup, ReferencesDimensionsAndTargets) {
    const std::pair<const char*, char32_t> references[] = {
        {"&amp;", U'&'},  {"&nbsp;", U'\u00A0'}, {"&#65;", U'A'},
        {"&#X63;", U'c'}, {"&#12354;", U'あ'},   {"&#x1F4E6;x", 0x1F4E6},
        {"&amp", 0},      {"&AMP;", 0},          {"&#;", 0},
        {"&#x;", 0},      {"&#123456789;", 0},   {"&copy;", 0},
    };
    for (const auto& [text, ch] : references) {
        std::size_t length = 0;
        EXPECT_EQ(ReadReference(text, 0, length).value_or(0), ch) << text;
        if (ch) {
            EXPECT_EQ(length, std::string_view(text).find(';') + 1) << text;
        }
    }

    const std::pair<const char*, long> dimensions[] = {
        {"900", 900}, {" 900", 900}, {"900px", 900}, {"700.9", 700}, {"0", 0},
        {"900%", -1}, {"90.5%", -1}, {"px", -1},     {"", -1},       {"+5", -1},
    };
    for (const auto& [value, pixels] : dimensions)
        EXPECT_EQ(DimensionPixels(value).value_or(-1), pixels) << value;

    const std::pair<const char*, std::pair<const char*, const char*>> targets[] = {
        {"https://Shop.Example./x", {"https", "shop.example"}},
        {" java\tscript:go()", {"javascript", ""}},
        {"java&#115;cript:go()", {"javascript", ""}},
        {"//cdn.example/a", {"", "cdn.example"}},
        {"https://me@host.example:443/", {"https", "host.example"}},
        {"mailto:a@b.example", {"mailto", ""}},
        {"/itm/1", {"", ""}},
        {"a b:c", {"", ""}},
    };
    for (const auto& [address, target] : targets) {
        EXPECT_EQ(TargetOf(address).scheme, target.first) << address;
        EXPECT_EQ(TargetOf(address).host, target.second) << address;
    }
    EXPECT_TRUE(IsWeb(TargetOf("//cdn.example/a")));
    EXPECT_FALSE(IsWeb(TargetOf("/itm/1")));
}

TEST(CellMarkup, MailAddressesAreTheirAsciiPartOnly) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"連絡はabc漢字def@example.jp まで", {"def@example.jp"}},
        // The ideographic space's second byte is "@".
        {"連絡は　me.a+b@mail.shop.example. まで", {"me.a+b@mail.shop.example"}},
        {"a@b.example@c.example と x@y.example", {"a@b.example", "x@y.example"}},
        {"x@y.z と @ma と a@b. と ア@x.example", {}},
    };
    for (const auto& [utf8, addresses] : cases) {
        const std::string text = Sj(utf8);
        std::vector<std::string> found;
        for (auto mail = NextMailAddress(text, 0, text.size()); mail;
             mail = NextMailAddress(text, mail->end, text.size())) {
            EXPECT_EQ(text[mail->at], '@');
            found.push_back(text.substr(mail->start, mail->end - mail->start));
        }
        EXPECT_EQ(found, addresses) << utf8;
    }
}
