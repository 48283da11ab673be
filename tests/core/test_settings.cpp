// The settings through the platform's own store: the key file on POSIX systems, the registry on
// Windows. Each case looks at what was stored, and damages it, through the root itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SettingsFixture.h"
#include "TestUtil.h"
#include "store/Settings.h"

using namespace quorvel;
using namespace settings_fixture;

TEST(Settings, FirstRunReadsNothingAndItsSaveWritesAllValuesInOrder) {
    Store s;
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_FALSE(texts.Address || texts.Subject);
    EXPECT_FALSE(s.home().Exists());  // reading creates nothing

    ASSERT_TRUE(WriteSettings(s.store, SettingsSnapshot{}));
    std::vector<std::string> names = s.home().Names();
    std::vector<std::string> expected(kSettingsValueNames.begin(), kSettingsValueNames.end());
    if (!Store::kKeepsOrder) {
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(s.home().Dword("Width"), 414u);
    EXPECT_EQ(s.home().Dword("KWk_Height"), 64u);
    EXPECT_EQ(s.home().Dword("ParamExist"), 1u);
    EXPECT_EQ(ReadLinkTexts(s.store).Address, "");
#ifndef _WIN32
    auto lines = Lines(ReadWholeFile(s.user.file()));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSettingsValueCount));
    EXPECT_EQ(lines[2], "Width=dword:414");
    EXPECT_EQ(lines[12], "EditAddress=sz:");
    EXPECT_EQ(lines.back(), "ParamExist=dword:1");
#endif
}

TEST(Settings, EveryValueComesBackAfterASave) {
    Store s;
    const SettingsSnapshot saved = DistinctSnapshot();
    ASSERT_TRUE(WriteSettings(s.store, saved));

    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Left, -50);
    EXPECT_EQ(read->Top, 31);
    EXPECT_EQ(read->Width, 640);
    EXPECT_EQ(read->Height, 700);
    EXPECT_EQ(read->Pv_Left, 1900);
    EXPECT_EQ(read->Pv_Top, -8);
    EXPECT_EQ(read->Pv_Width, 811);
    EXPECT_EQ(read->Pv_Height, 612);
    EXPECT_EQ(read->PanelLeftWidth, 233);
    EXPECT_EQ(read->SpeedButtonStayOnTop, true);
    EXPECT_EQ(read->SpeedButtonMultiple, false);
    EXPECT_EQ(read->SpeedButtonAll, true);
    for (int row = 0; row < kSettingsRowCount; ++row)
        EXPECT_EQ(read->K_Height[row], 46 + row * 20) << row;
    EXPECT_EQ(read->KWk_Height, 99);

    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_EQ(texts.Address, saved.EditAddress);
    EXPECT_EQ(texts.Subject, saved.EditSubject);

#ifndef _WIN32
    // The texts sit readably in the file, one line each.
    std::string file = ReadWholeFile(s.user.file());
    EXPECT_NE(file.find("EditAddress=sz:http://例え.jp/商品?a=1\\\\b\n"), std::string::npos);
    EXPECT_NE(file.find("EditSubject=sz:ご質問\\r\\n２行目\\\\末尾\\t\\x01\n"), std::string::npos);
#endif
}

TEST(Settings, EmptyTextsComeBackEmptyNotAbsent) {
    Store s;
    SettingsSnapshot saved = DistinctSnapshot();
    saved.EditAddress.clear();
    saved.EditSubject.clear();
    ASSERT_TRUE(WriteSettings(s.store, saved));
    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_EQ(texts.Address, std::string());
    EXPECT_EQ(texts.Subject, std::string());
}

TEST(Settings, ASecondSaveReplacesTheFirst) {
    Store s;
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    SettingsSnapshot second;
    second.SpeedButtonMultiple = true;
    second.EditAddress = "x";
    ASSERT_TRUE(WriteSettings(s.store, second));
    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Left, 0);
    EXPECT_EQ(read->SpeedButtonStayOnTop, false);
    EXPECT_TRUE(ReadAllowMultiple(s.store));
    EXPECT_EQ(ReadLinkTexts(s.store).Address, "x");
    EXPECT_EQ(s.home().Names().size(), static_cast<std::size_t>(kSettingsValueCount));
}

TEST(Settings, WithoutTheMarkerNothingIsRead) {
    Store s;
    SettingsSnapshot saved = DistinctSnapshot();
    saved.SpeedButtonMultiple = true;
    ASSERT_TRUE(WriteSettings(s.store, saved));
    ASSERT_TRUE(ReadAllowMultiple(s.store));

    s.home().Remove("ParamExist");
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_FALSE(texts.Address || texts.Subject);

    // Only the marker's presence counts, not its value or type.
    s.home().SetText("ParamExist", "no");
    EXPECT_TRUE(ReadStoredSettings(s.store).has_value());
    EXPECT_TRUE(ReadAllowMultiple(s.store));
}

TEST(Settings, AllowMultipleNeedsTheMarkerAndASetFlag) {
    Store s;
    RawRoot& root = s.home();
    // The flag as a number (or as text), and the marker or none.
    auto answer = [&](std::optional<std::uint32_t> flag, std::optional<std::uint32_t> marker,
                      bool flagAsText = false) {
        root.Clear();
        if (flag && flagAsText) root.SetText("SpeedButtonMultiple", std::to_string(*flag));
        if (flag && !flagAsText) root.SetDword("SpeedButtonMultiple", *flag);
        if (marker) root.SetDword("ParamExist", *marker);
        return ReadAllowMultiple(s.store);
    };
    EXPECT_TRUE(answer(1, 1));
    EXPECT_TRUE(answer(7, 0));
    EXPECT_FALSE(answer(0, 1));
    EXPECT_FALSE(answer(std::nullopt, 1));
    EXPECT_FALSE(answer(1, 1, true));
    EXPECT_FALSE(answer(1, std::nullopt));
}

TEST(Settings, WrongTypesAndImpossibleSizesReadAsAbsent) {
    Store s;
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    RawRoot& root = s.home();
    root.SetText("Left", "120");
    root.SetDword("Width", 0);
    root.SetDword("Pv_Height", 4294967295u);
    root.SetDword("EditAddress", 5);
    root.SetText("SpeedButtonAll", "1");
    root.SetDword("K3_Height", 500);
    root.SetDword("KWk_Height", 10);

    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Left, std::nullopt);
    EXPECT_EQ(read->Width, std::nullopt);
    EXPECT_EQ(read->Pv_Height, std::nullopt);  // -1 as a size
    EXPECT_EQ(read->SpeedButtonAll, std::nullopt);
    EXPECT_EQ(read->Top, 31);
    EXPECT_EQ(read->Height, 700);
    // Out-of-range heights are handed out as stored; the clamps bring them in.
    EXPECT_EQ(read->K_Height[2], 500);
    EXPECT_EQ(ClampRowHeight(*read->K_Height[2]), 300);
    EXPECT_EQ(ClampNoteHeight(*read->KWk_Height), 64);
    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_EQ(texts.Address, std::nullopt);
    EXPECT_TRUE(texts.Subject.has_value());
}

TEST(Settings, ClampsKeepThePanelLimits) {
    EXPECT_EQ(ClampPanelLeftWidth(99), 100);
    EXPECT_EQ(ClampPanelLeftWidth(-5), 100);
    EXPECT_EQ(ClampPanelLeftWidth(100), 100);
    EXPECT_EQ(ClampPanelLeftWidth(2000), 2000);
    EXPECT_EQ(ClampRowHeight(44), 45);
    EXPECT_EQ(ClampRowHeight(45), 45);
    EXPECT_EQ(ClampRowHeight(300), 300);
    EXPECT_EQ(ClampRowHeight(301), 300);
    EXPECT_EQ(ClampNoteHeight(63), 64);
    EXPECT_EQ(ClampNoteHeight(128), 128);
    EXPECT_EQ(ClampNoteHeight(129), 128);
}

TEST(Settings, SystemRootWinsWhenItHoldsTheKey) {
    Store s;
    if (!s.systemWritable) GTEST_SKIP() << "this user may not write the system root";
    s.system.Clear();
    s.system.SetDword("Left", 5);
    s.system.SetDword("ParamExist", 1);
    s.user.Clear();
    s.user.SetDword("Left", 6);
    s.user.SetDword("SpeedButtonMultiple", 1);
    s.user.SetDword("ParamExist", 1);
    const std::string userContent = s.user.Dump();

    EXPECT_EQ(ReadStoredSettings(s.store)->Left, 5);
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    EXPECT_EQ(ReadStoredSettings(s.store)->Left, -50);
    EXPECT_EQ(s.system.Names().size(), static_cast<std::size_t>(kSettingsValueCount));
    EXPECT_EQ(s.user.Dump(), userContent);
}

TEST(Settings, TruncatedFileGivesDefaultsForTheLostPartAndTheNextSaveRepairsIt) {
    Store s;
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    RawRoot& root = s.home();
    const std::string whole = root.Dump();
    // Cut in "PanelLeftWidth": the marker, which comes last, is lost.
    root.CutAt("PanelLeftWidth");
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());

    // Cut short but with the marker put back: what survived is read.
    root.SetDword("ParamExist", 1);
    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Pv_Height, 612);
    EXPECT_EQ(read->PanelLeftWidth, std::nullopt);
    EXPECT_EQ(read->K_Height[0], std::nullopt);

    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    EXPECT_EQ(root.Dump(), whole);
}

TEST(Settings, BinaryGarbageReadsAsNoSettingsAndIsReplaced) {
    Store s;
    s.home().Garble();
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    ASSERT_TRUE(WriteSettings(s.store, SettingsSnapshot{}));
    EXPECT_EQ(s.home().Names().size(), static_cast<std::size_t>(kSettingsValueCount));
    EXPECT_EQ(s.home().Dword("Left"), 0u);
    EXPECT_TRUE(ReadStoredSettings(s.store).has_value());
}

TEST(Settings, NoUsableRootMeansNothingReadAndNothingWritten) {
#ifdef _WIN32
    // A key name longer than the registry takes, under either root.
    RegistryKeyStore store("SOFTWARE\\Merrow\\" + std::string(300, 'k'));
#else
    TempFolder temp;
    WriteWholeFile(temp.file("plain"), "x");
    FileKeyStore store("", temp.file("plain") + "/Merrow");
#endif
    EXPECT_FALSE(WriteSettings(store, DistinctSnapshot()));
    EXPECT_FALSE(ReadStoredSettings(store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(store));
#ifndef _WIN32
    EXPECT_EQ(ReadWholeFile(temp.file("plain")), "x");
#endif
}

TEST(Settings, RecentFilesKeepTheirOrderAndAShorterListLeavesNoStaleEntry) {
    Store s;
    SettingsSnapshot snapshot;
    for (int i = 0; i < 10; ++i)
        snapshot.RecentFiles.push_back(Sj("/home/seller/品物") + std::to_string(i) + ".qvl");
    ASSERT_TRUE(WriteSettings(s.store, snapshot));
    if (Store::kKeepsOrder) {
        const std::vector<std::string> names = s.home().Names();
        ASSERT_EQ(names.size(), static_cast<std::size_t>(kSettingsValueCount));
        EXPECT_EQ(names[25], "RecentFile1");
        EXPECT_EQ(names[32], "RecentFile8");
        EXPECT_EQ(names.back(), "ParamExist");
    }
    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->RecentFiles.size(), static_cast<std::size_t>(kRecentFileCount));
    EXPECT_EQ(read->RecentFiles.front(), Sj("/home/seller/品物0.qvl"));
    EXPECT_EQ(read->RecentFiles.back(), Sj("/home/seller/品物7.qvl"));

    snapshot.RecentFiles = {"/b.qvl", "/a.qvl"};
    ASSERT_TRUE(WriteSettings(s.store, snapshot));
    read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->RecentFiles, (std::vector<std::string>{"/b.qvl", "/a.qvl"}));

    // A gap left by hand is skipped; the rest keep their order.
    s.home().SetText("RecentFile1", "");
    EXPECT_EQ(ReadStoredSettings(s.store)->RecentFiles, std::vector<std::string>{"/a.qvl"});
}

TEST(Settings, TheAdditionsAreWrittenWithTheRestAndOnlyWhenGiven) {
    Store s;
    SettingsSnapshot snapshot = DistinctSnapshot();
    snapshot.TextMaxChars = 3000;
    snapshot.ImageAddressBase = Sj("https://img.example/商品/");
    snapshot.Market = CheckMarket::Ebay;
    snapshot.Maximized = true;
    LiveViewSettings live;
    live.Visible = live.Floating = true;
    live.Left = -20;
    live.Width = 300;
    live.Height = 200;
    live.CssWidth = 375;
    snapshot.LiveView = live;
    ASSERT_TRUE(WriteSettings(s.store, snapshot));
    const TextAndImageSettings read = ReadTextAndImageSettings(s.store);
    EXPECT_EQ(read.TextMaxChars, 3000);
    EXPECT_EQ(read.ImageAddressBase, Sj("https://img.example/商品/"));
    EXPECT_EQ(ReadCheckMarket(s.store), CheckMarket::Ebay);
    EXPECT_EQ(ReadStoredSettings(s.store)->Maximized, true);
    const auto liveRead = ReadLiveViewSettings(s.store);
    ASSERT_TRUE(liveRead.has_value());
    EXPECT_TRUE(liveRead->Visible && liveRead->Floating);
    EXPECT_EQ(liveRead->Left, -20);
    EXPECT_EQ(liveRead->CssWidth, 375);

    // A save that is not given them leaves what was stored, and the marker stays last.
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    EXPECT_EQ(ReadTextAndImageSettings(s.store).TextMaxChars, 3000);
    EXPECT_EQ(ReadCheckMarket(s.store), CheckMarket::Ebay);
#ifndef _WIN32
    // In the file; the registry lists a value where it was first made, whenever it is written.
    EXPECT_EQ(s.home().Names().back(), "ParamExist");
#endif

    // The wrong type reads as absent.
    s.home().SetText("TextMaxChars", "5000");
    s.home().SetDword("ImageAddressBase", 1);
    s.home().SetText("Maximized", "1");
    EXPECT_FALSE(ReadTextAndImageSettings(s.store).TextMaxChars ||
                 ReadTextAndImageSettings(s.store).ImageAddressBase);
    EXPECT_FALSE(ReadStoredSettings(s.store)->Maximized.has_value());
}

TEST(Settings, CheckMarketIsKeptByItsKeyAndAnythingElseReadsAsGeneric) {
    Store s;
    for (CheckMarket market : {CheckMarket::Text, CheckMarket::Yahoo, CheckMarket::Ebay}) {
        SettingsSnapshot snapshot = DistinctSnapshot();
        snapshot.Market = market;
        ASSERT_TRUE(WriteSettings(s.store, snapshot));
        EXPECT_EQ(ReadCheckMarket(s.store), market);
    }
    s.home().SetText("CheckMarket", "ebay");
    EXPECT_EQ(ReadCheckMarket(s.store), CheckMarket::Ebay);
    for (const char* unknown : {"amazon", "EBAY", ""}) {
        s.home().SetText("CheckMarket", unknown);
        EXPECT_EQ(ReadCheckMarket(s.store), CheckMarket::Generic) << unknown;
    }
    s.home().SetDword("CheckMarket", 2);
    EXPECT_EQ(ReadCheckMarket(s.store), CheckMarket::Generic);
}
