#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/Sjis.h"

using namespace quorvel;

namespace {

std::u16string Utf16(std::string_view utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t ch = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) ch = (ch << 6) | (utf8[i + k] & 0x3F);
        if (ch > 0xFFFF) {
            out += static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(ch);
        }
        i += length;
    }
    return out;
}

}  // namespace

// The same bytes must read the same on Windows and elsewhere: what counts as undecodable is
// decided by the tables, not left to the platform's converter.
TEST(SjisTables, UndecodableBytesAreTheSameEverywhere) {
    const std::string fffd = "\xEF\xBF\xBD";
    for (const char* single : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"})
        EXPECT_EQ(sjis::ToUtf8(std::string("a") + single + "b"), "a" + fffd + "b")
            << std::hex << (static_cast<unsigned>(single[0]) & 0xFF);
    // A lead byte takes its following byte with it, also when the pair has no character.
    EXPECT_EQ(sjis::ToUtf8("\x81\x30x"), fffd + "x");
    EXPECT_EQ(sjis::ToUtf8("\x81\x7Fx"), fffd + "x");
    EXPECT_EQ(sjis::ToUtf8("\x81\xFDx"), fffd + "x");
    EXPECT_EQ(sjis::ToUtf8("\x85\x40\x82"), fffd + fffd);
    // ・ (U+30FB) is genuine only at 81 45; elsewhere it would be Windows' stand-in for garbage.
    EXPECT_EQ(sjis::ToUtf8("\x81\x45"), "\xE3\x83\xBB");
    EXPECT_EQ(sjis::EncodeChar(U'\u30FB'), "\x81\x45");
    // Over every lead byte and every following byte: ・ appears once, a byte that cannot be a
    // trail byte never makes a character, and the assigned codes are all there.
    int middleDots = 0;
    int badTrailsDecoded = 0;
    int decoded = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string text = sjis::ToUtf8(std::string{char(lead), char(trail)});
            middleDots += text == "\xE3\x83\xBB";
            const bool trailByte = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
            if (text != fffd) ++(trailByte ? decoded : badTrailsDecoded);
        }
    }
    EXPECT_EQ(middleDots, 1);
    EXPECT_EQ(badTrailsDecoded, 0);
    EXPECT_GT(decoded, 7000 + 1880);  // JIS, NEC and IBM characters and the user-defined area
}

TEST(SjisTables, EveryWayOfEncodingAgreesOverTheWholeBmp) {
    int encodable = 0;
    for (char32_t ch = 0; ch <= 0xFFFF; ++ch) {
        const auto bytes = sjis::EncodeChar(ch);
        std::string appended = "x";
        const bool ok = sjis::AppendEncoded(appended, ch);
        ASSERT_EQ(ok, bytes.has_value()) << std::hex << static_cast<unsigned>(ch);
        ASSERT_EQ(appended, "x" + bytes.value_or("")) << std::hex << static_cast<unsigned>(ch);
        ASSERT_EQ(sjis::EncodedLength(ch), static_cast<int>(bytes.value_or("").size()))
            << std::hex << static_cast<unsigned>(ch);
        if (!bytes) continue;
        ++encodable;
        // Whatever is encoded reads back as the same character.
        const std::string utf8 = sjis::ToUtf8(*bytes);
        const auto back = sjis::FromUtf8(utf8);
        ASSERT_TRUE(back.ok()) << std::hex << static_cast<unsigned>(ch);
        ASSERT_EQ(back.bytes, *bytes) << std::hex << static_cast<unsigned>(ch);
    }
    EXPECT_GT(encodable, 7000);
    EXPECT_FALSE(sjis::EncodeChar(U'\U0001F600'));
    EXPECT_EQ(sjis::EncodedLength(U'\U0001F600'), 0);
}

TEST(SjisTables, FragmentLengthCountsWhatAnEditAdds) {
    EXPECT_EQ(sjis::EncodedLength(u""), 0u);
    EXPECT_EQ(sjis::EncodedLength(u"abc\n"), 4u);
    EXPECT_EQ(sjis::EncodedLength(u"カメラ"), 6u);
    EXPECT_EQ(sjis::EncodedLength(u"ｶﾒﾗ"), 3u);
    EXPECT_EQ(sjis::EncodedLength(u"①髙～"), 6u);
    // Characters with no code page 932 form count as the caller says.
    EXPECT_EQ(sjis::EncodedLength(u"é"), 2u);
    EXPECT_EQ(sjis::EncodedLength(u"aé", 5), 6u);
    EXPECT_EQ(sjis::EncodedLength(u"😀", 5), 5u);  // a surrogate pair is one character
    EXPECT_EQ(sjis::EncodedLength(std::u16string{u'\xD800', u'a'}, 5), 6u);  // lone high
    EXPECT_EQ(sjis::EncodedLength(std::u16string{u'\xDC00'}, 5), 5u);        // lone low
    // A whole text's length is the sum of its pieces, and what the mirror to the sheet writes.
    const std::string text = "型番 X-10 ｶﾒﾗ\n①～髙";
    const std::u16string wide = Utf16(text);
    const std::size_t whole = sjis::EncodedLength(wide);
    EXPECT_EQ(whole, sjis::FromUtf8(text).bytes.size());
    for (std::size_t split = 0; split <= wide.size(); ++split)
        EXPECT_EQ(
            sjis::EncodedLength(wide.substr(0, split)) + sjis::EncodedLength(wide.substr(split)),
            whole)
            << split;
}

TEST(SjisTables, ThreadsConvertingAtOnceAgree) {
    std::string bytes;
    for (int lead = 0x89; lead <= 0x97; ++lead)  // fully assigned rows
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (trail != 0x7F) bytes += {char(lead), char(trail)};
    std::vector<std::string> decoded(4);
    std::vector<std::string> encoded(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        threads.emplace_back([&, i] {
            decoded[i] = sjis::ToUtf8(bytes);
            encoded[i] = sjis::FromUtf8(decoded[i]).bytes;
        });
    }
    for (auto& thread : threads) thread.join();
    for (std::size_t i = 1; i < decoded.size(); ++i) {
        EXPECT_EQ(decoded[i], decoded[0]);
        EXPECT_EQ(encoded[i], encoded[0]);
    }
    EXPECT_EQ(sjis::ToUtf8(encoded[0]), decoded[0]);
}
