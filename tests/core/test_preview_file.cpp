#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#ifndef _WIN32
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
TEST(PreviewFile, LinksAndPipesAtThePathAreNotFollowed) {
    TempFolder folder;
    const std::string target = folder.file("victim.txt");
    WriteWholeFile(target, "precious");
    const std::string path = folder.file("Preview.htm");
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);

    const auto writeError = WritePreviewFile(path, SampleTags());
    ASSERT_TRUE(writeError.has_value());
    EXPECT_EQ(writeError->message, "ファイル " + path + " を作成できません");
    EXPECT_EQ(ReadWholeFile(target), "precious");

    const PreviewReadResult read = ReadPreviewFile(path);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error->message, "ファイル " + path + " は開けません");

    // A dangling link must not create its target either.
    const std::string dangling = folder.file("Dangling.htm");
    ASSERT_EQ(::symlink(folder.file("created.txt").c_str(), dangling.c_str()), 0);
    EXPECT_TRUE(WritePreviewFile(dangling, "x").has_value());
    EXPECT_NE(::access(folder.file("created.txt").c_str(), F_OK), 0);

    // A FIFO with no reader would block a plain open for ever.
    const std::string fifo = folder.file("Fifo.htm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(WritePreviewFile(fifo, "x").has_value());
    EXPECT_FALSE(ReadPreviewFile(fifo).ok());
    // With a reader waiting, the text must still not go into the pipe.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(WritePreviewFile(fifo, "leaked").has_value());
    char buffer[8];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);
    ::close(reader);
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
