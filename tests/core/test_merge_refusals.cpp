// Outputs the merge must not or cannot write: a file its owner marked unchangeable, and a write
// that fails part way, after which every later row would fail the same way.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "MergeFixture.h"

using namespace mergetest;
namespace fs = std::filesystem;

// No write bit (on Windows the read-only attribute): refused for everyone, root included, and
// left as it was; the rows around it are made.
TEST(MergeRefusals, AnOutputWithoutWriteBitsIsRefusedAndKeptWhole) {
    TempFolder folder;
    const std::string items = folder.file("items.csv");
    WriteWholeFile(items, "タイトル\r\nA\r\nB\r\n");
    const std::string tags = folder.file("0001.html"), table = folder.file("out.csv");
    for (const std::string& path : {tags, table}) {
        WriteWholeFile(path, "old");
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                        fs::perm_options::replace);
    }
    const MergeResult toFolder = MergeToFolder(Template(), items, folder.path(), {});
    EXPECT_FALSE(toFolder.error);
    EXPECT_EQ(toFolder.produced, 1);
    ASSERT_EQ(toFolder.rowErrors.size(), 1u);
    EXPECT_EQ(toFolder.rowErrors[0], "2行目 ファイル " + tags + " を作成できません");

    const MergeResult toTable = MergeToCsv(Template(), items, table, {});
    ASSERT_TRUE(toTable.error);
    EXPECT_EQ(toTable.error->message, "ファイル " + table + " を作成できません");
    EXPECT_EQ(toTable.produced, 0);

    for (const std::string& path : {tags, table}) {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(ReadWholeFile(path), "old") << path;
    }
    // No temporary was left for either.
    EXPECT_EQ(OutFiles(folder.path()), "0001.html 0002.html items.csv out.csv ");
}

// A write into the folder that fails (most often a full disk) ends the merge at that row with
// the write error naming the file; the rows after it are not tried.
TEST(MergeRefusals, AFailedWriteIntoTheFolderStopsTheMerge) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no per-process file-size limit to make a write fail part way";
#else
    TempFolder folder;
    fs::create_directory(folder.file("out"));
    WriteWholeFile(folder.file("items.csv"), "タイトル\r\nA\r\nB\r\nC\r\n");
    MergeOptions options;
    options.dataFiles = true;  // each data file is larger than the limit below, each page smaller
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const MergeResult result =
        MergeToFolder(Template(), folder.file("items.csv"), folder.file("out"), options);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->message, "ファイル " + folder.file("out/0001.qvl") +
                                         " に書き込めません (ストリームへの書き込みエラー)");
    EXPECT_EQ(result.produced, 0);
    EXPECT_TRUE(result.rowErrors.empty());
    // The page before it is whole; nothing of the later rows, and no temporary.
    EXPECT_EQ(OutFiles(folder.file("out")), "0001.html ");
#endif
}
