// These cases drive the POSIX stores with real files, processes and permissions.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "TestUtil.h"
#include "platform/FileKeyStore.h"
#include "store/Settings.h"

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

struct Store {
    TempFolder temp;
    std::string system = temp.file("etc/Merrow");
    std::string user = temp.file("config/Merrow");
    FileKeyStore store{system, user};
    std::string userFile() const { return user + "/Quorvel.conf"; }
    std::string systemFile() const { return system + "/Quorvel.conf"; }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string NameOf(const std::string& line) {
    return line.substr(0, line.find('='));
}

// Every value different from its neighbours and from the defaults.
SettingsSnapshot DistinctSnapshot() {
    SettingsSnapshot s;
    s.Left = -50;
    s.Top = 31;
    s.Width = 640;
    s.Height = 700;
    s.Pv_Left = 1900;
    s.Pv_Top = -8;
    s.Pv_Width = 811;
    s.Pv_Height = 612;
    s.PanelLeftWidth = 233;
    s.SpeedButtonStayOnTop = true;
    s.SpeedButtonMultiple = false;
    s.SpeedButtonAll = true;
    s.EditAddress = Sj("http://例え.jp/商品?a=1\\b");
    s.EditSubject = Sj("ご質問\r\n２行目\\末尾") + "\t\x01";
    for (int row = 0; row < kSettingsRowCount; ++row) s.K_Height[row] = 46 + row * 20;
    s.KWk_Height = 99;
    return s;
}

}  // namespace

TEST(Settings, FirstRunReadsNothingAndItsSaveWritesAllValuesInOrder) {
    Store s;
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_FALSE(texts.Address || texts.Subject);
    EXPECT_FALSE(fs::exists(s.user));  // reading creates nothing

    ASSERT_TRUE(WriteSettings(s.store, SettingsSnapshot{}));
    auto lines = Lines(ReadWholeFile(s.userFile()));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSettingsValueCount));
    for (int i = 0; i < kSettingsValueCount; ++i)
        EXPECT_EQ(NameOf(lines[i]), kSettingsValueNames[i]);
    EXPECT_EQ(lines[2], "Width=dword:414");
    EXPECT_EQ(lines[12], "EditAddress=sz:");
    EXPECT_EQ(lines[24], "KWk_Height=dword:64");
    EXPECT_EQ(lines.back(), "ParamExist=dword:1");
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

    // The texts sit readably in the file, one line each.
    std::string file = ReadWholeFile(s.userFile());
    EXPECT_NE(file.find("EditAddress=sz:http://例え.jp/商品?a=1\\\\b\n"), std::string::npos);
    EXPECT_NE(file.find("EditSubject=sz:ご質問\\r\\n２行目\\\\末尾\\t\\x01\n"), std::string::npos);
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
    EXPECT_EQ(Lines(ReadWholeFile(s.userFile())).size(),
              static_cast<std::size_t>(kSettingsValueCount));
}

TEST(Settings, WithoutTheMarkerNothingIsRead) {
    Store s;
    SettingsSnapshot saved = DistinctSnapshot();
    saved.SpeedButtonMultiple = true;
    ASSERT_TRUE(WriteSettings(s.store, saved));
    ASSERT_TRUE(ReadAllowMultiple(s.store));

    std::string file = ReadWholeFile(s.userFile());
    file.erase(file.find("ParamExist=dword:1\n"));
    WriteWholeFile(s.userFile(), file);
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    LinkTexts texts = ReadLinkTexts(s.store);
    EXPECT_FALSE(texts.Address || texts.Subject);

    // Only the marker's presence counts, not its value or type.
    WriteWholeFile(s.userFile(), file + "ParamExist=sz:no\n");
    EXPECT_TRUE(ReadStoredSettings(s.store).has_value());
    EXPECT_TRUE(ReadAllowMultiple(s.store));
}

TEST(Settings, AllowMultipleNeedsTheMarkerAndASetFlag) {
    Store s;
    fs::create_directories(s.user);
    auto answer = [&](const std::string& content) {
        WriteWholeFile(s.userFile(), content);
        return ReadAllowMultiple(s.store);
    };
    EXPECT_TRUE(answer("SpeedButtonMultiple=dword:1\nParamExist=dword:1\n"));
    EXPECT_TRUE(answer("SpeedButtonMultiple=dword:7\nParamExist=dword:0\n"));
    EXPECT_FALSE(answer("SpeedButtonMultiple=dword:0\nParamExist=dword:1\n"));
    EXPECT_FALSE(answer("ParamExist=dword:1\n"));
    EXPECT_FALSE(answer("SpeedButtonMultiple=sz:1\nParamExist=dword:1\n"));
    EXPECT_FALSE(answer("SpeedButtonMultiple=dword:1\n"));
}

TEST(Settings, WrongTypesAndImpossibleSizesReadAsAbsent) {
    Store s;
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    std::string file = ReadWholeFile(s.userFile());
    file +=
        "Left=sz:120\nWidth=dword:0\nPv_Height=dword:4294967295\nEditAddress=dword:5\n"
        "SpeedButtonAll=sz:1\nK3_Height=dword:500\nKWk_Height=dword:10\n";
    WriteWholeFile(s.userFile(), file);

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
    fs::create_directories(s.system);
    fs::create_directories(s.user);
    WriteWholeFile(s.systemFile(), "Left=dword:5\nParamExist=dword:1\n");
    const std::string userContent =
        "Left=dword:6\nSpeedButtonMultiple=dword:1\nParamExist=dword:1\n";
    WriteWholeFile(s.userFile(), userContent);

    EXPECT_EQ(ReadStoredSettings(s.store)->Left, 5);
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    EXPECT_EQ(ReadStoredSettings(s.store)->Left, -50);
    EXPECT_EQ(Lines(ReadWholeFile(s.systemFile())).size(),
              static_cast<std::size_t>(kSettingsValueCount));
    EXPECT_EQ(ReadWholeFile(s.userFile()), userContent);
}

TEST(Settings, TruncatedFileGivesDefaultsForTheLostPartAndTheNextSaveRepairsIt) {
    Store s;
    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    std::string file = ReadWholeFile(s.userFile());
    // Cut in the middle of "PanelLeftWidth": the marker, which comes last, is lost.
    WriteWholeFile(s.userFile(), file.substr(0, file.find("PanelLeftWidth") + 8));
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());

    // Cut short but with the marker put back: what survived is read.
    WriteWholeFile(s.userFile(),
                   file.substr(0, file.find("PanelLeftWidth") + 8) + "\nParamExist=dword:1\n");
    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Pv_Height, 612);
    EXPECT_EQ(read->PanelLeftWidth, std::nullopt);
    EXPECT_EQ(read->K_Height[0], std::nullopt);

    ASSERT_TRUE(WriteSettings(s.store, DistinctSnapshot()));
    EXPECT_EQ(ReadWholeFile(s.userFile()), file);
}

TEST(Settings, BinaryGarbageReadsAsNoSettingsAndIsReplaced) {
    Store s;
    fs::create_directories(s.user);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
    WriteWholeFile(s.userFile(), garbage);
    EXPECT_FALSE(ReadStoredSettings(s.store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(s.store));
    ASSERT_TRUE(WriteSettings(s.store, SettingsSnapshot{}));
    auto lines = Lines(ReadWholeFile(s.userFile()));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSettingsValueCount));
    EXPECT_EQ(lines.front(), "Left=dword:0");
    EXPECT_TRUE(ReadStoredSettings(s.store).has_value());
}

TEST(Settings, NoUsableRootMeansNothingReadAndNothingWritten) {
    TempFolder temp;
    WriteWholeFile(temp.file("plain"), "x");
    FileKeyStore store("", temp.file("plain") + "/Merrow");
    EXPECT_FALSE(WriteSettings(store, DistinctSnapshot()));
    EXPECT_FALSE(ReadStoredSettings(store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(store));
    EXPECT_EQ(ReadWholeFile(temp.file("plain")), "x");
}

#endif

TEST(Settings, RecentFilesKeepTheirOrderAndAShorterListLeavesNoStaleEntry) {
    Store s;
    SettingsSnapshot snapshot;
    for (int i = 0; i < 10; ++i)
        snapshot.RecentFiles.push_back("/home/seller/品物" + std::to_string(i) + ".qvl");
    ASSERT_TRUE(WriteSettings(s.store, snapshot));
    auto lines = Lines(ReadWholeFile(s.userFile()));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSettingsValueCount));
    EXPECT_EQ(NameOf(lines[25]), "RecentFile1");
    EXPECT_EQ(NameOf(lines[32]), "RecentFile8");
    EXPECT_EQ(lines.back(), "ParamExist=dword:1");
    auto read = ReadStoredSettings(s.store);
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->RecentFiles.size(), static_cast<std::size_t>(kRecentFileCount));
    EXPECT_EQ(read->RecentFiles.front(), "/home/seller/品物0.qvl");
    EXPECT_EQ(read->RecentFiles.back(), "/home/seller/品物7.qvl");

    snapshot.RecentFiles = {"/b.qvl", "/a.qvl"};
    ASSERT_TRUE(WriteSettings(s.store, snapshot));
    read = ReadStoredSettings(s.store);
    EXPECT_EQ(read->RecentFiles, (std::vector<std::string>{"/b.qvl", "/a.qvl"}));

    // A gap left by hand is skipped; the rest keep their order.
    std::string file = ReadWholeFile(s.userFile());
    file.replace(file.find("RecentFile1=sz:/b.qvl"), 21, "RecentFile1=sz:");
    WriteWholeFile(s.userFile(), file);
    EXPECT_EQ(ReadStoredSettings(s.store)->RecentFiles, std::vector<std::string>{"/a.qvl"});
}
