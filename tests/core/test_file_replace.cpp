#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "TestUtil.h"
#include "platform/FileIo.h"

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

int EntryCount(const std::string& folder) {
    int entries = 0;
    for (auto& entry : fs::directory_iterator(folder)) (void)entry, ++entries;
    return entries;
}

}  // namespace

TEST(FileReplace, NewAndExistingFilesGetExactlyTheBytes) {
    TempFolder folder;
    const std::string path = folder.file("sheet.qvl");
    const std::string bytes = std::string("a\r\nb\nc\x1A\0\xFF", 9);
    ASSERT_EQ(fileio::ReplaceFileContents(path, bytes), fileio::WriteOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(path), bytes);

    WriteWholeFile(path, std::string(50000, 'z'));
    ASSERT_EQ(fileio::ReplaceFileContents(path, "short"), fileio::WriteOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(path), "short");
    ASSERT_EQ(fileio::ReplaceFileContents(path, ""), fileio::WriteOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(path), "");
    // No temporary is left beside the file.
    EXPECT_EQ(EntryCount(folder.path()), 1);

    std::string prefix;
    ASSERT_EQ(fileio::ReplaceFileContents(path, bytes), fileio::WriteOutcome::Ok);
    EXPECT_EQ(fileio::ReadFilePrefix(path, 4, prefix), fileio::ReadOutcome::Ok);
    EXPECT_EQ(prefix, bytes.substr(0, 4));
    EXPECT_EQ(fileio::ReadFilePrefix(path, 10, prefix), fileio::ReadOutcome::ReadFailed);
    EXPECT_EQ(fileio::ReadFilePrefix(folder.path(), 1, prefix), fileio::ReadOutcome::CannotOpen);
}

TEST(FileReplace, MissingFolderCannotCreateAndAFolderIsNotReplaced) {
    TempFolder folder;
    EXPECT_EQ(fileio::ReplaceFileContents(folder.file("no/such/file"), "x"),
              fileio::WriteOutcome::CannotCreate);
    const std::string dir = folder.file("adir");
    ASSERT_TRUE(fs::create_directory(dir));
    EXPECT_NE(fileio::ReplaceFileContents(dir, "x"), fileio::WriteOutcome::Ok);
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(EntryCount(folder.path()), 1);
}

#ifdef _WIN32
TEST(FileReplace, ReadOnlyFileIsRefusedAndKept) {
    // Checked before the replacement: wine 8 would move a file over a read-only one.
    TempFolder folder;
    const std::string path = folder.file("locked.qvl");
    WriteWholeFile(path, "precious");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(fileio::ReplaceFileContents(path, "new"), fileio::WriteOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(path), "precious");
    EXPECT_EQ(EntryCount(folder.path()), 1);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileReplace, BackslashPathsWork) {
    TempFolder folder;
    const std::string path = fs::path(folder.file("back.qvl")).make_preferred().string();
    ASSERT_EQ(fileio::ReplaceFileContents(path, "x\n"), fileio::WriteOutcome::Ok);
    EXPECT_EQ(ReadWholeFile(folder.file("back.qvl")), "x\n");
    EXPECT_EQ(EntryCount(folder.path()), 1);
}
#endif
