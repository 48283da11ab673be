// Designs: the file written and read back, files that are not designs, the seller's folder of
// them, and the built-in ones on the sample listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "TestUtil.h"
#include "platform/FileNames.h"
#include "platform/FolderFiles.h"
#include "sheet/BuiltinDesigns.h"
#include "sheet/Design.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"
#include "store/DesignStore.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace quorvel;

namespace {

TColor RandomColour(std::mt19937& random) {
    // Now and then a system colour, which a loaded data file can bring into a sheet.
    const TColor rgb = random() & 0x00FFFFFFu;
    return random() % 8 == 0 ? 0x80000000u | (rgb & 0xFF) : rgb;
}

Design RandomDesign(std::mt19937& random) {
    auto pick = [&](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    Design design;
    for (TCellFormat& f : design.Formats) {
        f.FontColor = RandomColour(random);
        f.FontSize = pick(7, 18);
        f.Bold = pick(0, 1), f.Italic = pick(0, 1), f.Underline = pick(0, 1);
        f.BackColor = RandomColour(random);
        f.HAlign = pick(0, 2), f.VAlign = pick(0, 2);
    }
    TTableStyle& s = design.Style;
    s.TableAlign = pick(0, 2), s.BorderWidth = pick(0, 9), s.BorderColor = RandomColour(random);
    s.BorderColorSet = pick(0, 1), s.CellPadding = pick(0, 9), s.BannerAlign = pick(0, 2);
    return design;
}

TEST(DesignFile, AnyDesignAndNameComeBackAsWritten) {
    std::mt19937 random(31);
    const char* const names[] = {"a", "店のデザイン", "名前 = 空白  あり", "x=y=z", "①㈱髙"};
    for (int round = 0; round < 300; ++round) {
        const Design design = RandomDesign(random);
        const std::string name = names[round % std::size(names)];
        std::string bytes = WriteDesignFile(name, design);
        // Files edited on Windows come back with CR LF.
        if (round % 3 == 0)
            for (std::size_t at = 0; (at = bytes.find('\n', at)) != std::string::npos; at += 2)
                bytes.insert(at, "\r");
        const DesignFileRead read = ReadDesignFile(bytes);
        ASSERT_TRUE(read.contents) << read.error << "\n" << bytes;
        EXPECT_EQ(read.contents->name, name);
        EXPECT_EQ(read.contents->design, design) << bytes;
    }
}

// A good file, with one line (0-based) replaced, or without one line.
std::string GoodFile() {
    return WriteDesignFile("見本", Design{});
}
std::string WithLine(std::size_t index, const std::string& line) {
    std::string bytes = GoodFile();
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) start = bytes.find('\n', start) + 1;
    const std::size_t end = bytes.find('\n', start);
    return bytes.replace(start, end - start, line);
}

std::string Without(const std::string& lineStart) {
    std::string bytes = GoodFile();
    const std::size_t start = bytes.find("\n" + lineStart) + 1;
    return bytes.erase(start, bytes.find('\n', start) + 1 - start);
}

TEST(DesignFile, RefusesWhatIsNotAWholeDesign) {
    const std::string good = GoodFile();
    const std::string notDesign = "デザインファイルではありません";
    const std::string truncated = "途中で切れています";
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;  // part of the refusal
    };
    const Case cases[] = {
        {"empty", "", notDesign},
        {"a data file", std::string("QuorvelDataFile\0", 16) + std::string(100, '\0'), notDesign},
        {"magic with a byte order mark", "\xEF\xBB\xBF" + good, notDesign},
        {"magic alone", "QuorvelDesign\n", truncated},
        {"cut inside a cell line", good.substr(0, good.size() / 2), truncated},
        {"no end line", good.substr(0, good.rfind("end")), truncated},
        {"huge", "QuorvelDesign\nversion 1\n" + std::string(kDesignFileMaxBytes, 'x'), notDesign},
        {"a later version", WithLine(1, "version 2"), "新しい版"},
        {"empty name", WithLine(2, "name="), "3 行目"},
        {"name with a control", WithLine(2, "name=a\tb"), "3 行目"},
        {"table align 3", WithLine(3, "table=3 1 00FF0000 1 0 0"), "4 行目"},
        {"table short", WithLine(3, "table=1 1 00FF0000 1 0"), "4 行目"},
        {"size 6", WithLine(4, "cell1000=00000000 6 0 00FFFFFF 0 0"), "5 行目"},
        {"style bit 3", WithLine(4, "cell1000=00000000 9 8 00FFFFFF 0 0"), "5 行目"},
        {"halign 3", WithLine(4, "cell1000=00000000 9 0 00FFFFFF 3 0"), "5 行目"},
        {"colour high byte 40", WithLine(4, "cell1000=40000000 9 0 00FFFFFF 0 0"), "5 行目"},
        {"cell 1022", WithLine(4, "cell1022=00000000 9 0 00FFFFFF 0 0"), "5 行目"},
        {"a cell twice", WithLine(5, "cell1000=00000000 9 0 00FFFFFF 0 0"), "6 行目"},
        {"unknown key", WithLine(4, "colour=red"), "5 行目"},
        {"a cell missing", Without("cell1021="), truncated},
        {"text after end", good + "cell1000=00000000 9 0 00FFFFFF 0 0\n", "28 行目"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DesignFileRead read = ReadDesignFile(c.bytes);
        EXPECT_FALSE(read.contents);
        EXPECT_NE(read.error.find(c.message), std::string::npos) << read.error;
    }
    // The near misses: what a good file may differ in.
    EXPECT_TRUE(ReadDesignFile(good + "\n").contents);
    EXPECT_TRUE(ReadDesignFile(WithLine(4, "cell1000=800000FF 7 7 80000005 2 2")).contents);
}

TEST(DesignStoreNames, UnsafeNamesBecomeSafeFilesOrAreRefused) {
    struct Case {
        std::string typed;
        std::string name;      // as stored, empty when refused
        std::string fileName;  // expected file
    };
    const Case cases[] = {
        {"  赤い表  ", "赤い表", "赤い表.qvd"},
        {"a/b\\c:d*e?f\"g<h>i|j", "a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j.qvd"},
        {".hidden", ".hidden", "_hidden.qvd"},
        {"end. .", "end. .", "end. _.qvd"},
        {"con", "con", "_con.qvd"},
        {"COM10", "COM10", "COM10.qvd"},
        {"", "", ""},
        {std::string(61, 'a'), "", ""},
        {"絵文字\xF0\x9F\x98\x80", "", ""},
        {"bad\xFF", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto check = DesignStore::CheckName(c.typed);
        if (c.name.empty()) {
            EXPECT_FALSE(check.ok());
        } else {
            ASSERT_TRUE(check.ok()) << check.problem;
            EXPECT_EQ(check.name, c.name);
            // In the system's spelling: code page 932 bytes on Windows.
            EXPECT_EQ(filenames::ToUtf8(check.fileName), c.fileName);
        }
    }
    EXPECT_TRUE(DesignStore::CheckName(std::string(60, 'a')).ok());
}

TEST(DesignStoreFolder, SaveListRenameDelete) {
    TempFolder temp;
    DesignStore store(temp.path() + "/designs");
    EXPECT_TRUE(store.List().designs.empty());  // no folder yet

    std::mt19937 random(5);
    const Design house = RandomDesign(random), other = RandomDesign(random);
    EXPECT_FALSE(store.Exists("店の表"));
    ASSERT_FALSE(store.Save("店の表", house));
    ASSERT_FALSE(store.Save("a/b", other));
    EXPECT_TRUE(store.Exists("店の表"));
    EXPECT_TRUE(store.Exists("a_b"));  // the same file: saving asks first

    auto listing = store.List();
    ASSERT_EQ(listing.designs.size(), 2u);
    EXPECT_EQ(listing.designs[0].name, "a/b");
    EXPECT_EQ(listing.designs[0].design, other);
    EXPECT_EQ(listing.designs[1].name, "店の表");
    EXPECT_EQ(listing.designs[1].design, house);

    ASSERT_FALSE(store.Rename(listing.designs[1].fileName, "いつもの表"));
    listing = store.List();
    ASSERT_EQ(listing.designs.size(), 2u);
    EXPECT_EQ(listing.designs[1].name, "いつもの表");
    EXPECT_EQ(listing.designs[1].design, house);
    EXPECT_FALSE(store.Exists("店の表"));

    // A rename onto another design's name replaces it; one onto its own file keeps the design.
    ASSERT_FALSE(store.Rename(listing.designs[0].fileName, "いつもの表"));
    listing = store.List();
    ASSERT_EQ(listing.designs.size(), 1u);
    EXPECT_EQ(listing.designs[0].design, other);
    ASSERT_FALSE(store.Rename(listing.designs[0].fileName, "  いつもの表 "));
    ASSERT_EQ(store.List().designs.size(), 1u);
    EXPECT_TRUE(store.Rename(listing.designs[0].fileName, "").has_value());
    EXPECT_TRUE(store.Rename("missing.qvd", "x").has_value());

    ASSERT_FALSE(store.Delete(listing.designs[0].fileName));
    EXPECT_TRUE(store.List().designs.empty());
    EXPECT_EQ(store.Delete(listing.designs[0].fileName).value_or(FileError{}).caption,
              "デザイン削除");
}

// Every entry with the designs' extension that is not read is named with its reason; the good
// designs still list, and a link is never followed, even to a good design.
TEST(DesignStoreFolder, EveryEntryLeftOutIsNamedWithItsReason) {
    TempFolder temp;
    DesignStore store(temp.path());
    ASSERT_FALSE(store.Save("良い", Design{}));
    WriteWholeFile(temp.file("cut.qvd"), GoodFile().substr(0, 200));
    WriteWholeFile(temp.file("foreign.qvd"), "<html>not a design</html>");
    WriteWholeFile(temp.file("notes.txt"), "QuorvelDesign\n");  // other files are none of ours
    std::filesystem::create_directory(FsPath(temp.file("x.qvd")));
    std::vector<std::pair<std::string, std::string>> expected = {
        {"cut.qvd", "途中で切れています"},
        {"foreign.qvd", "デザインファイルではありません"},
        {"x.qvd", "フォルダです"},
    };
#ifdef _WIN32
    std::printf("Links, FIFOs and other users' files: POSIX cases, not made on Windows\n");
#else
    const std::string good = store.List().designs.at(0).fileName;
    ASSERT_EQ(::symlink(temp.file(good).c_str(), temp.file("link.qvd").c_str()), 0);
    ASSERT_EQ(::mkfifo(temp.file("pipe.qvd").c_str(), 0600), 0);
    expected.push_back({"link.qvd", "リンクです"});
    expected.push_back({"pipe.qvd", "通常のファイルではありません"});
    WriteWholeFile(temp.file("theirs.qvd"), GoodFile());
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(temp.file("theirs.qvd").c_str(), 4321, 4321), 0);
        expected.push_back({"theirs.qvd", "他のユーザーのファイルです"});
    } else {
        std::printf("Not run as root: a file of another user's cannot be made\n");
        std::filesystem::remove(FsPath(temp.file("theirs.qvd")));
    }
#endif
    std::sort(expected.begin(), expected.end());
    const auto listing = store.List();  // a FIFO held open here would hang the test
    EXPECT_TRUE(listing.folderProblem.empty()) << listing.folderProblem;
    ASSERT_EQ(listing.designs.size(), 1u);
    EXPECT_EQ(listing.designs[0].name, "良い");
    ASSERT_EQ(listing.problems.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listing.problems[i].fileName, expected[i].first);
        EXPECT_NE(listing.problems[i].message.find(expected[i].second), std::string::npos)
            << expected[i].first << ": " << listing.problems[i].message;
    }
}

#ifndef _WIN32
// A folder others could have planted designs in is not read, and every message about it calls
// it by its own name.
TEST(DesignStoreFolder, AFolderNotTheUsersAloneIsNamedAsTheDesignsFolder) {
    TempFolder temp;
    const std::string folder = temp.file("designs");
    DesignStore store(folder);
    ASSERT_FALSE(store.Save("良い", Design{}));
    const std::string named = std::string("デザイン用フォルダ ") + folder + " は使えません（";
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* reason;
    };
    std::vector<Case> cases = {
        {"others may write", [&] { ::chmod(folder.c_str(), 0777); }, "他のユーザーも書き込める"},
    };
    if (::geteuid() == 0)
        cases.push_back({"another user's",
                         [&] {
                             ::chmod(folder.c_str(), 0700);
                             ASSERT_EQ(::chown(folder.c_str(), 4321, 4321), 0);
                         },
                         "他のユーザーのフォルダです"});
    else
        std::printf("Not run as root: a folder of another user's cannot be made\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const auto listing = store.List();
        EXPECT_TRUE(listing.designs.empty());
        EXPECT_EQ(listing.folderProblem.rfind(named, 0), 0u) << listing.folderProblem;
        EXPECT_NE(listing.folderProblem.find(c.reason), std::string::npos);
        const auto saved = store.Save("別", Design{});
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->message.rfind(named, 0), 0u) << saved->message;
    }
}
#endif

TEST(DesignStoreFolder, TheFolderIsTheUsersBesideTheSettings) {
#ifdef _WIN32
    ScopedEnv appData("APPDATA", "C:\\Users\\u\\AppData\\Roaming");
    EXPECT_EQ(DesignStore::DefaultFolder(),
              "C:\\Users\\u\\AppData\\Roaming\\Merrow\\Quorvel\\designs");
#else
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/quorvel-config-test");
    EXPECT_EQ(DesignStore::DefaultFolder(), "/tmp/quorvel-config-test/Merrow/Quorvel/designs");
#endif
}

TEST(BuiltinDesigns, EightDifferentDesignsEachCleanOnTheSample) {
    const auto& designs = BuiltinDesigns();
    ASSERT_EQ(designs.size(), 8u);
    std::set<std::string> names;
    std::set<TColor> titleGrounds, borders;
    for (const NamedDesign& d : designs) {
        SCOPED_TRACE(d.name);
        names.insert(d.name);
        titleGrounds.insert(d.design.Formats[0].BackColor);
        borders.insert(d.design.Style.BorderWidth * 0x1000000u + d.design.Style.BorderColor);
        // Every value a design file can carry: a built-in one can be saved as the seller's own.
        const DesignFileRead read = ReadDesignFile(WriteDesignFile(d.name, d.design));
        ASSERT_TRUE(read.contents) << read.error;
        EXPECT_EQ(read.contents->design, d.design);
        EXPECT_NE(d.design, Design{});

        TDescriptionSheet sheet = SampleListing();
        ApplyDesign(d.design, sheet);
        // Clean for every marketplace; eBay's finding about the program's own footer link is
        // the footer's, not the design's.
        for (const CheckMarket market :
             {CheckMarket::Generic, CheckMarket::Yahoo, CheckMarket::Ebay, CheckMarket::Text}) {
            CheckOptions options;
            options.market = market;
            const auto result = CheckListing(sheet, BuildHtmlTags(sheet), options);
            for (const CheckFinding& f : result.findings)
                if (f.tag != kFooterTag)
                    ADD_FAILURE() << static_cast<int>(market) << FindingLine(f);
        }
    }
    EXPECT_EQ(names.size(), designs.size());
    EXPECT_GE(titleGrounds.size(), 6u);
    EXPECT_GE(borders.size(), 6u);
}

}  // namespace
