#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TestUtil.h"
#include "store/PreviewFile.h"

using namespace quorvel;

namespace {

const std::string kCreateCaption = "プレビューデータ作成";
const std::string kReadCaption = "プレビューデータ読み込み";

// Tag text as the generator writes it: Shift_JIS with CR LF, a 0x5C trail byte ("ソ") and ①.
std::string SampleTags() {
    return Sj(
        "<P align=\"center\">\r\n<TABLE border=\"1\">\r\n<TD>ソニー製デジタルカメラ ｶﾒﾗ "
        "①</TD>\r\n</TABLE>\r\n</P>\r\n");
}

}  // namespace

TEST(PreviewFile, RoundTripKeepsBytesAndRewriteEmptiesOldFile) {
    TempFolder folder;
    const std::string path = folder.file("Preview.htm");
    const std::string tags = SampleTags() + std::string("\0tail", 5);
    ASSERT_EQ(WritePreviewFile(path, tags), std::nullopt);
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif

    PreviewReadResult read = ReadPreviewFile(path);
    ASSERT_TRUE(read.ok()) << read.error->message;
    EXPECT_EQ(read.bytes, tags);

    // A shorter text replaces the whole old one.
    ASSERT_EQ(WritePreviewFile(path, "<P>\r\n"), std::nullopt);
    EXPECT_EQ(ReadWholeFile(path), "<P>\r\n");
    ASSERT_EQ(WritePreviewFile(path, ""), std::nullopt);
    read = ReadPreviewFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, "");

    // Large text goes out and comes back whole.
    const std::string big(3 * 1024 * 1024 + 17, 'a');
    ASSERT_EQ(WritePreviewFile(path, big), std::nullopt);
    EXPECT_EQ(ReadPreviewFile(path).bytes, big);
}

TEST(PreviewFile, CreateAndOpenFailuresNameThePath) {
    TempFolder folder;
    const std::string path = folder.file("missing/Preview.htm");
    const auto writeError = WritePreviewFile(path, SampleTags());
    ASSERT_TRUE(writeError.has_value());
    EXPECT_EQ(writeError->message, "ファイル " + path + " を作成できません");
    EXPECT_EQ(writeError->caption, kCreateCaption);

    const PreviewReadResult read = ReadPreviewFile(path);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error->message, "ファイル " + path + " は開けません");
    EXPECT_EQ(read.error->caption, kReadCaption);
    EXPECT_EQ(read.bytes, "");

    // A folder where the file should be is neither written nor read.
    const std::string dirPath = folder.file("adir");
    ASSERT_TRUE(std::filesystem::create_directory(dirPath));
    EXPECT_TRUE(WritePreviewFile(dirPath, "x").has_value());
    EXPECT_EQ(ReadPreviewFile(dirPath).error->message, "ファイル " + dirPath + " は開けません");
}

#ifndef _WIN32
// Links, FIFOs and file-size limits are POSIX matters.
// Whatever was planted as Preview.htm is removed and the file made anew; the text never goes
// through it, and what it held is never read back as the preview.
TEST(PreviewFile, PlantedFilesAreReplacedNeverWrittenThrough) {
    TempFolder folder;
    const std::string victim = folder.file("victim.txt");
    const std::string path = folder.file("Preview.htm");
    auto expectFreshFile = [&](const char* planted) {
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0) << planted;
        EXPECT_TRUE(S_ISREG(info.st_mode)) << planted;
        EXPECT_EQ(info.st_nlink, 1u) << planted;
        EXPECT_EQ(info.st_uid, ::geteuid()) << planted;
        EXPECT_EQ(info.st_mode & 0777, 0600u) << planted;
        const PreviewReadResult read = ReadPreviewFile(path);
        ASSERT_TRUE(read.ok()) << planted;
        EXPECT_EQ(read.bytes, SampleTags()) << planted;
        EXPECT_EQ(ReadWholeFile(victim), "precious") << planted;
    };

    WriteWholeFile(victim, "precious");
    ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
    EXPECT_FALSE(ReadPreviewFile(path).ok());
    ASSERT_EQ(WritePreviewFile(path, SampleTags()), std::nullopt);
    expectFreshFile("symbolic link");

    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::link(victim.c_str(), path.c_str()), 0);
    EXPECT_FALSE(ReadPreviewFile(path).ok());  // a second name: not ours alone
    ASSERT_EQ(WritePreviewFile(path, SampleTags()), std::nullopt);
    expectFreshFile("hard link");

    // A dangling link must not create its target.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::symlink(folder.file("created.txt").c_str(), path.c_str()), 0);
    ASSERT_EQ(WritePreviewFile(path, SampleTags()), std::nullopt);
    EXPECT_NE(::access(folder.file("created.txt").c_str(), F_OK), 0);
    expectFreshFile("dangling link");

    // A FIFO, with a reader waiting: nothing may go into the pipe, and nothing may block.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(ReadPreviewFile(path).ok());
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(WritePreviewFile(path, SampleTags()), std::nullopt);
    char buffer[8];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);
    ::close(reader);
    expectFreshFile("FIFO");

    // Another user's file, left when the folder was once open to others.
    if (::geteuid() == 0) {
        ASSERT_EQ(::unlink(path.c_str()), 0);
        WriteWholeFile(path, "other user's text");
        ASSERT_EQ(::chown(path.c_str(), kOrdinaryId, kOrdinaryId), 0);
        EXPECT_FALSE(ReadPreviewFile(path).ok());
        ASSERT_EQ(WritePreviewFile(path, SampleTags()), std::nullopt);
        expectFreshFile("another user's file");
    }

    // Our own plain file is reused, and made private again.
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_EQ(WritePreviewFile(path, SampleTags()), std::nullopt);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    expectFreshFile("own file");
}

TEST(PreviewFile, WriteErrorKeepsWhatWasWritten) {
    TempFolder folder;
    const std::string path = folder.file("Preview.htm");
    // A file-size limit makes the write fail part way, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = WritePreviewFile(path, std::string(5000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->message, "ストリームへの書き込みエラー");
    EXPECT_EQ(error->caption, kCreateCaption);
    EXPECT_EQ(ReadWholeFile(path), std::string(1000, 'x'));
}
#endif

// A read that fails (a disk error; on Windows, bytes another program has locked) is told as the
// read error under the reading caption, not taken for an empty or a short page.
TEST(PreviewFile, AFailedReadIsTheReadError) {
#ifdef _WIN32
    if (RunningUnderWine()) {
        // Wine does not enforce byte locks on reads; its host's memory file fails them instead.
        const PreviewReadResult read = ReadPreviewFile("Z:\\proc\\self\\mem");
        ASSERT_TRUE(read.error);
        EXPECT_EQ(read.error->message, "ストリームからの読み込みエラー");
        EXPECT_EQ(read.error->caption, kReadCaption);
        return;
    }
    TempFolder folder;
    const std::string path = folder.file("Preview.htm");
    WriteWholeFile(path, SampleTags());
    HANDLE holder =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                           MAXDWORD, &whole));
    const PreviewReadResult read = ReadPreviewFile(path);
    UnlockFileEx(holder, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(holder);
#else
    // The process's own memory from address 0: a plain file of this user whose reads fail.
    const PreviewReadResult read = ReadPreviewFile("/proc/self/mem");
#endif
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->message, "ストリームからの読み込みエラー");
    EXPECT_EQ(read.error->caption, kReadCaption);
}
