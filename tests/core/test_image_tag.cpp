#include "sheet/ImageTag.h"

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "sheet/PlainText.h"

using namespace quorvel;

TEST(ImageTag, PiecesInOrderWithWidthAndLinkOnlyWhenAsked) {
    EXPECT_EQ(BuildImageTag("https://img.example/a.jpg", "", 0, false),
              "<IMG SRC=\"https://img.example/a.jpg\" ALT=\"\" "
              "STYLE=\"max-width:100%;height:auto\">");
    EXPECT_EQ(BuildImageTag("https://img.example/a.jpg", Sj("正面"), 640, true),
              "<A HREF=\"https://img.example/a.jpg\" target=\"_blank\">"
              "<IMG SRC=\"https://img.example/a.jpg\" ALT=\"" +
                  Sj("正面") + "\" WIDTH=\"640\" STYLE=\"max-width:100%;height:auto\"></A>");
    // A picture is nothing in the plain text, linked or not.
    EXPECT_EQ(PlainCellText("a" + BuildImageTag("https://x/\"y\".jpg", "\"alt>\"", 9, true) + "b"),
              "ab");
}

TEST(ImageTag, NothingEndsAnAttributeOrTheLine) {
    EXPECT_EQ(BuildImageTag("https://x/a\"b.jpg", Sj("\"大\""), 0, true),
              "<A HREF=\"https://x/a%22b.jpg\" target=\"_blank\"><IMG SRC=\"https://x/a%22b.jpg\" "
              "ALT=\"&quot;" +
                  Sj("大") + "&quot;\" STYLE=\"max-width:100%;height:auto\"></A>");
    // A multi-line selection as the text: each break one space. A break in the address goes.
    EXPECT_EQ(BuildImageTag("https://x/\r\na.jpg", Sj("一\r\n二\n三"), 0, false),
              "<IMG SRC=\"https://x/a.jpg\" ALT=\"" + Sj("一 二 三") +
                  "\" STYLE=\"max-width:100%;height:auto\">");
    // Double-byte characters whose second byte is 0x5C or 0x7C pass untouched; "&" and "<" are
    // the seller's.
    EXPECT_EQ(BuildImageTag(Sj("https://x/ソ表.jpg"), "&<", 0, false),
              "<IMG SRC=\"" + Sj("https://x/ソ表.jpg") +
                  "\" ALT=\"&<\" STYLE=\"max-width:100%;height:auto\">");
}

TEST(ImageTag, SecurePrefixFolderAndWidth) {
    EXPECT_TRUE(BeginsWithHttps("https://x"));
    EXPECT_TRUE(BeginsWithHttps("https://"));
    for (const char* address : {"http://x", "HTTPS://x", " https://x", "", "https:/x"})
        EXPECT_FALSE(BeginsWithHttps(address)) << address;

    EXPECT_EQ(AddressFolder("https://img.example/items/2024/a.jpg"),
              "https://img.example/items/2024/");
    EXPECT_EQ(AddressFolder("https://img.example/items/"), "https://img.example/items/");
    EXPECT_EQ(AddressFolder("https://host"), "https://");
    EXPECT_EQ(AddressFolder("a.jpg"), "");
    EXPECT_EQ(AddressFolder(""), "");

    EXPECT_EQ(ParseImageWidth("640"), 640);
    EXPECT_EQ(ParseImageWidth("9999"), 9999);
    for (const char* none : {"", "0", "12345", "-5", "6x", " 6", "+6"})
        EXPECT_EQ(ParseImageWidth(none), 0) << none;
}
