// File names between the system's spelling, messages (UTF-8) and sheet text (code page 932). The
// core's names are UTF-8 on every system; on Windows they reach the system as UTF-16, so a name
// code page 932 cannot spell is still only itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestUtil.h"
#include "platform/FileLock.h"
#include "platform/FileNames.h"
#include "platform/FileStreams.h"
#include "platform/FolderFiles.h"
#include "platform/PrivateFolder.h"
#include "sheet/DescriptionSheet.h"
#include "store/DataFile.h"
#include "store/DesignStore.h"
#include "store/FileError.h"

using namespace quorvel;

namespace {

// Beyond code page 932: a Latin letter with a look-alike, a kanji outside it, an emoji.
const std::string kNames[] = {"Pokémon３号.qvl", "𠮷野家.qvl", "📦発送.qvl"};
// What a best-fit mapping to code page 932 would make of the first.
const std::string kLookAlike = "Pokemon３号.qvl";

bool Listed(const std::string& folder, const std::string& name) {
    const std::vector<std::string> entries = FolderEntries(folder);
    return std::find(entries.begin(), entries.end(), name) != entries.end();
}

}  // namespace

TEST(FileNames, MessagesShowTheNameAsTheSystemSpellsIt) {
    for (const std::string path : {"C:/出品/カメラ.qvl", "D:/Café/Pokémon３号.qvl", "/𠮷/📦.qvl"}) {
        EXPECT_EQ(filenames::ToUtf8(path), path);
        EXPECT_EQ(CannotOpenError(path, "c").message, "ファイル " + path + " は開けません");
        EXPECT_EQ(CannotCreateError(path, "c").message, "ファイル " + path + " を作成できません");
    }
    EXPECT_EQ(filenames::ToUtf8(""), "");
}

TEST(FileNames, SheetTextBecomesAFileNameSpelledExactly) {
    for (const std::string utf8 : {"品番①.html", "abc.html", "ａ＼ｂ.html", "ﾃﾚﾋﾞ.qvl"}) {
        SCOPED_TRACE(utf8);
        // A full-width backslash stays one, never a separator.
        EXPECT_EQ(filenames::FromSjis(Sj(utf8)), utf8);
    }
#ifdef _WIN32
    // A byte pair code page 932 has no character for names nothing.
    EXPECT_EQ(filenames::FromSjis("\x85\x40.html"), std::nullopt);
    // Bytes that are no UTF-8 name no file, rather than another one.
    EXPECT_TRUE(filenames::WidePath("a\xFF.qvl").empty());
#endif
}

TEST(FileNames, NamesBeyondCodePage932SaveOpenAndReplaceOnlyThemselves) {
    TempFolder folder;
    WriteWholeFile(folder.file(kLookAlike), "another sheet");
    TDescriptionSheet sheet;
    sheet.ResetSheet();
    sheet.Title.Text = Sj("カード");
    for (const std::string& name : kNames) {
        SCOPED_TRACE(name);
        const std::string path = folder.file(name);
        ASSERT_FALSE(SaveDataFile(sheet, path));
        // Saved again over itself: the replacement finds the very file.
        ASSERT_FALSE(SaveDataFile(sheet, path));
        EXPECT_TRUE(std::filesystem::exists(FsPath(path)));
        EXPECT_TRUE(Listed(folder.path(), name));
        TDescriptionSheet loaded;
        ASSERT_FALSE(LoadDataFile(loaded, path));
        EXPECT_EQ(loaded.Title.Text, sheet.Title.Text);
        const auto facts = RegularFileFacts(path);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->size, std::filesystem::file_size(FsPath(path)));

        FileLock lock, other;
        ASSERT_TRUE(lock.TryLock(path + ".lock"));
        EXPECT_FALSE(other.TryLock(path + ".lock"));
        lock.ReleaseAndRemove();
        EXPECT_FALSE(std::filesystem::exists(FsPath(path + ".lock")));

        ASSERT_TRUE(RenameFileAt(path, path + ".old"));
        EXPECT_TRUE(Listed(folder.path(), name + ".old"));
        EXPECT_TRUE(DeleteFileAt(path + ".old"));
        EXPECT_FALSE(std::filesystem::exists(FsPath(path + ".old")));
    }
    EXPECT_EQ(ReadWholeFile(folder.file(kLookAlike)), "another sheet");
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{kLookAlike});
}

TEST(FileNames, FoldersAndOutputsBeyondCodePage932) {
    TempFolder folder;
    const std::string own = folder.file("Café𠮷/📦");
    const PrivateFolderCheck made = MakePrivateFolder(own, "フォルダ");
    EXPECT_TRUE(made.usable()) << made.problem;
    EXPECT_TRUE(std::filesystem::is_directory(FsPath(own)));
    fileio::OutputFolder output;
    ASSERT_TRUE(output.Open(own));
    EXPECT_EQ(output.Replace("Pokémon.html", "<B>x</B>"), fileio::EntryOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(own + "/Pokémon.html"), "<B>x</B>");
    EXPECT_FALSE(std::filesystem::exists(FsPath(own + "/Pokemon.html")));
}

#ifdef _WIN32
// A user folder named beyond the ANSI code page: the designs folder keeps its spelling.
TEST(FileNames, FoldersFromTheEnvironmentKeepTheirSpelling) {
    const wchar_t* old = _wgetenv(L"APPDATA");
    const std::wstring kept = old ? old : L"";
    _wputenv_s(L"APPDATA", L"C:\\Users\\Pok\u00E9mon\\AppData\\Roaming");
    const std::string folder = DesignStore::DefaultFolder();
    _wputenv_s(L"APPDATA", kept.c_str());
    EXPECT_EQ(folder, "C:\\Users\\Pokémon\\AppData\\Roaming\\Merrow\\Quorvel\\designs");
}
#endif
