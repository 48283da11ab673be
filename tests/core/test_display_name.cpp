#include <gtest/gtest.h>

#include "TestUtil.h"
#include "sheet/DisplayName.h"

using quorvel::DisplayName;

TEST(DisplayName, NameWithoutFolderAndExtension) {
    EXPECT_EQ(DisplayName("C:\\data\\bag.qvl", false), "bag");
    EXPECT_EQ(DisplayName("C:\\data\\bag.2005.qvl", false), "bag.2005");
    EXPECT_EQ(DisplayName("C:bag.qvl", false), "bag");
    EXPECT_EQ(DisplayName("C:\\data\\noext", false), "noext");
    EXPECT_EQ(DisplayName("shoes.qvl", false), "shoes");
    EXPECT_EQ(DisplayName("/home/u/shoes.qvl", true), "shoes");
    EXPECT_EQ(DisplayName("/home/u/shoes.qvl", false), "/home/u/shoes");
    EXPECT_EQ(DisplayName("C:\\dir.v2\\file", false), "file");
    EXPECT_EQ(DisplayName("C:\\data\\.qvl", false), "");
}

TEST(DisplayName, SecondBytesOfDoubleByteCharactersAreNoSeparators) {
    // "表" is 95 5C and "ソ" 83 5C: neither ends the folder part.
    EXPECT_EQ(DisplayName(Sj("C:\\表計算\\ソフト.qvl"), false), Sj("ソフト"));
    EXPECT_EQ(DisplayName(Sj("C:\\data\\表"), false), Sj("表"));
    EXPECT_EQ(DisplayName(Sj("C:\\data\\ソ.qvl"), false), Sj("ソ"));
    // A trail byte 0x2E does not occur; a trail byte 0x3A (":") does not either, but 0x5C does.
    EXPECT_EQ(DisplayName(Sj("C:\\十表\\能.qvl"), false), Sj("能"));
}
