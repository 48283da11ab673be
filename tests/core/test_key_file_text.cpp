// The settings file's text form, the same on every system.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "platform/KeyFileCodec.h"
#include "platform/Sjis.h"

using namespace quorvel;

TEST(KeyFileText, AnyByteStringComesBackExactly) {
    std::vector<std::string> samples = {"",
                                        "plain ascii",
                                        "back\\slash \\\\ and \\x41",
                                        "line1\r\nline2\nline3\r",
                                        "tab\there",
                                        std::string("nul\0inside", 10),
                                        Sj("日本語のテキスト、ソ十表能"),
                                        Sj("ｶﾀｶﾅ①㈱髙～"),
                                        "\x81",              // lead byte cut off at the end
                                        "\x82\x0A\x82\xA0",  // lead byte before a line feed
                                        "\x80\xA0\xFD\xFE\xFF\x7F\x1A"};
    for (int byte = 0; byte < 256; ++byte) samples.emplace_back(1, static_cast<char>(byte));
    // Every double-byte pair, duplicates and unassigned codes included.
    std::string pairs;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0; trail < 256; ++trail) {
            pairs += static_cast<char>(lead);
            pairs += static_cast<char>(trail);
        }
    }
    samples.push_back(pairs);
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(random() % 40, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        samples.push_back(bytes);
    }
    for (const auto& sample : samples) {
        std::string encoded = EncodeKeyFileText(sample);
        EXPECT_EQ(encoded.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
        auto decoded = DecodeKeyFileText(encoded);
        ASSERT_TRUE(decoded.has_value()) << encoded;
        EXPECT_EQ(*decoded, sample) << encoded;
    }
}

TEST(KeyFileText, JapaneseIsStoredReadablyAndControlsEscaped) {
    EXPECT_EQ(EncodeKeyFileText(Sj("件名：ご質問")), "件名：ご質問");
    EXPECT_EQ(EncodeKeyFileText(Sj("ｱｲｳ")), "ｱｲｳ");
    EXPECT_EQ(EncodeKeyFileText("a\\b\r\nc\x01"), "a\\\\b\\r\\nc\\x01");
    // "ソ" ends in the byte 5C: it must stay one character, not become a backslash escape.
    EXPECT_EQ(EncodeKeyFileText(Sj("ソ")), "ソ");
}

TEST(KeyFileText, DecodingRejectsWhatNoWriterProduces) {
    for (std::string bad : {"\\", "abc\\", "\\q", "\\x4", "\\xZZ", "\xFF", "\xE6\x97", "😀"})
        EXPECT_FALSE(DecodeKeyFileText(bad).has_value()) << bad;
    EXPECT_EQ(DecodeKeyFileText("\\x41\\x5c"), std::optional<std::string>("A\\"));
}
