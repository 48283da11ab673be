#include "sheet/LinkTag.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestUtil.h"

using namespace quorvel;

TEST(LinkTag, WebLinkPiecesInOrder) {
    EXPECT_EQ(BuildWebLinkTag("http://www.merrow.example/", true, "http://www.merrow.example/"),
              "<A HREF=\"http://www.merrow.example/\" target=\"_blank\">"
              "http://www.merrow.example/</A>");
    // "Normal" still writes a target attribute.
    EXPECT_EQ(BuildWebLinkTag("http://a/", false, "x"),
              "<A HREF=\"http://a/\" target=\"_self\">x</A>");
}

TEST(LinkTag, MailLinkKeepsEmptySubject) {
    EXPECT_EQ(BuildMailLinkTag("info@merrow.example", "", "mail"),
              "<A HREF=\"mailto:info@merrow.example?Subject=\">mail</A>");
    const std::string subject = Sj("お問い合わせ");
    EXPECT_EQ(BuildMailLinkTag("a@b", subject, Sj("連絡先")),
              "<A HREF=\"mailto:a@b?Subject=" + subject + "\">" + Sj("連絡先") + "</A>");
}

TEST(LinkTag, NothingTrimmedOrEscapedButQuotesInTheAttribute) {
    // Spaces, ampersands and line breaks pass through untouched; a quote in the address would end
    // the attribute, so it goes in as %22.
    const std::string visible = Sj("一行目\r\n二行目 ") + "&<b>\"";
    EXPECT_EQ(BuildWebLinkTag(" http://x?a=1&b=\"2\" ", true, visible),
              "<A HREF=\" http://x?a=1&b=%222%22 \" target=\"_blank\">" + visible + "</A>");
    EXPECT_EQ(BuildMailLinkTag("a\"@b", "\" onclick=\"x", "t"),
              "<A HREF=\"mailto:a%22@b?Subject=%22 onclick=%22x\">t</A>");
    // A Shift_JIS character whose second byte is 0x5C or 0x7C is not touched.
    EXPECT_EQ(BuildWebLinkTag(Sj("ソ表"), true, "t"),
              "<A HREF=\"" + Sj("ソ表") + "\" target=\"_blank\">t</A>");
    EXPECT_EQ(BuildMailLinkTag(" a@b ", " s t ", "\r\n"),
              "<A HREF=\"mailto: a@b ?Subject= s t \">\r\n</A>");
    // An empty address gives an empty link target.
    EXPECT_EQ(BuildWebLinkTag("", true, ""), "<A HREF=\"\" target=\"_blank\"></A>");
}

TEST(LinkTag, DispatchByTypeAndTarget) {
    EXPECT_EQ(BuildLinkTag(kLinkWeb, kTargetNewWindow, "http://a/", "ignored", "t"),
              "<A HREF=\"http://a/\" target=\"_blank\">t</A>");
    EXPECT_EQ(BuildLinkTag(kLinkWeb, kTargetNormal, "http://a/", "ignored", "t"),
              "<A HREF=\"http://a/\" target=\"_self\">t</A>");
    // The target choice does not reach a mail link.
    EXPECT_EQ(BuildLinkTag(kLinkMail, kTargetNormal, "a@b", "s", "t"),
              "<A HREF=\"mailto:a@b?Subject=s\">t</A>");
    EXPECT_EQ(BuildLinkTag(kLinkMail, kTargetNewWindow, "a@b", "s", "t"),
              BuildLinkTag(kLinkMail, kTargetNormal, "a@b", "s", "t"));
}

TEST(LinkTag, HttpPrefixIsExact) {
    EXPECT_TRUE(BeginsWithHttp("http://x"));
    EXPECT_TRUE(BeginsWithHttp("http://"));
    EXPECT_FALSE(BeginsWithHttp("https://x"));
    EXPECT_FALSE(BeginsWithHttp(" http://x"));
    EXPECT_FALSE(BeginsWithHttp("HTTP://x"));
    EXPECT_FALSE(BeginsWithHttp("Http://x"));
    EXPECT_FALSE(BeginsWithHttp("http:/"));
    EXPECT_FALSE(BeginsWithHttp(""));
    EXPECT_FALSE(BeginsWithHttp("www.merrow.example"));
}
