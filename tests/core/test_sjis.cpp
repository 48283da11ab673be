#include <gtest/gtest.h>

#include "platform/Sjis.h"

using namespace quorvel;

TEST(Sjis, EncodesAsWindowsCodePage932) {
    struct Case {
        const char* utf8;
        const char* bytes;
    };
    const Case cases[] = {
        {"ABC\\~", "ABC\\~"},  // ASCII stays, 5C is the backslash
        {"～", "\x81\x60"},    // U+FF5E, not the wave dash of JIS
        {"①", "\x87\x40"},     // NEC special
        {"㈱", "\x87\x8A"},
        {"髙", "\xFB\xFC"},            // IBM extension
        {"ｶﾒﾗ", "\xB6\xD2\xD7"},       // half-width katakana
        {"表ソ", "\x95\x5C\x83\x5C"},  // trail byte 5C
        {"　", "\x81\x40"},            // ideographic space
        {"－", "\x81\x7C"},            // U+FF0D, as Windows decodes 817C
        {"￢", "\x81\xCA"},
    };
    for (const auto& c : cases) {
        const auto result = sjis::FromUtf8(c.utf8);
        ASSERT_TRUE(result.ok()) << c.utf8;
        EXPECT_EQ(result.bytes, c.bytes) << c.utf8;
        EXPECT_EQ(sjis::ToUtf8(c.bytes), c.utf8) << c.utf8;
    }
}

TEST(Sjis, RefusesCharactersCodePage932CannotHold) {
    auto result = sjis::FromUtf8("ab😀c");
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.badIndex, 2u);
    EXPECT_EQ(result.badChar, U'\U0001F600');
    EXPECT_EQ(result.bytes, "ab");
    // One-way conveniences are not kept: they would come back as another character.
    EXPECT_FALSE(sjis::EncodeChar(U'\u2016').has_value());  // ‖
    EXPECT_FALSE(sjis::EncodeChar(U'é').has_value());
    EXPECT_FALSE(sjis::EncodeChar(U'\u2212').has_value());  // − decodes back as －
    EXPECT_FALSE(sjis::FromUtf8("\xFF").ok());              // not UTF-8
    EXPECT_TRUE(sjis::FromUtf8("").ok());
}

TEST(Sjis, ControlBytesAreUntouched) {
    std::string controls;
    for (int c = 0; c < 0x20; ++c) controls += static_cast<char>(c);
    controls += '\x7F';
    EXPECT_EQ(sjis::ToUtf8(controls), controls);
    EXPECT_EQ(sjis::FromUtf8(controls).bytes, controls);
}

TEST(Sjis, UndecodableBytesBecomeReplacementCharacters) {
    EXPECT_EQ(sjis::ToUtf8("a\x85\x40z"), "a\xEF\xBF\xBDz");  // unassigned double-byte code
    EXPECT_EQ(sjis::ToUtf8("a\x82"), "a\xEF\xBF\xBD");        // lead byte cut off
}

TEST(Sjis, EveryDoubleByteCodeRoundTripsOrIsADuplicate) {
    int decoded = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string text = sjis::ToUtf8(bytes);
            if (text == "\xEF\xBF\xBD") continue;
            ++decoded;
            const auto back = sjis::FromUtf8(text);
            ASSERT_TRUE(back.ok()) << std::hex << lead << trail;
            // NEC-selected IBM extensions (ED/EE) and duplicates encode to their preferred form,
            // which decodes to the same character.
            EXPECT_EQ(sjis::ToUtf8(back.bytes), text);
        }
    }
    EXPECT_GT(decoded, 7000);
}
