#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "TestUtil.h"
#include "store/DataFile.h"

using namespace quorvel;

namespace {

// Little-endian helpers written independently of the writer.
void Put32(std::string& image, std::size_t at, std::uint32_t v) {
    image[at] = static_cast<char>(v & 0xFF);
    image[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    image[at + 2] = static_cast<char>((v >> 16) & 0xFF);
    image[at + 3] = static_cast<char>((v >> 24) & 0xFF);
}

std::size_t Record(int k) {
    return 56 + 1068 * static_cast<std::size_t>(k);
}

// A valid image of the reset sheet, built byte by byte.
std::string ResetImage() {
    std::string image(23552, '\0');
    std::memcpy(image.data(), "QuorvelDataFile", 16);
    Put32(image, 20, 1);         // table centred
    Put32(image, 24, 1);         // border 1
    image[28] = 1;               // colour on
    Put32(image, 32, 0xFF0000);  // blue
    for (int k = 0; k < 22; ++k) {
        image[Record(k)] = 1;
        Put32(image, Record(k) + 1032, 9);
        Put32(image, Record(k) + 1040, 0xFFFFFF);
    }
    return image;
}

TDescriptionSheet LoadImage(const std::string& image, const TDescriptionSheet& start = {}) {
    TDescriptionSheet sheet = start;
    auto error = ApplyDataImage(sheet, image);
    EXPECT_FALSE(error) << (error ? error->message : "");
    return sheet;
}

TDescriptionSheet OddSheet() {
    TDescriptionSheet sheet;
    sheet.Style = {kAlignRight, 9, 0x00123456, false, 7, kAlignCenter};
    sheet.IncludeTitle = false;
    sheet.Rows[9].IncludeDescription = false;
    sheet.Title.Text = Sj("タイトル①～ｶﾒﾗ");
    sheet.Rows[0].Item.Format = {0x0000FF, 18,         true,          false,
                                 true,     0x00ABCDEF, kHAlignCenter, kVAlignBottom};
    sheet.Rows[4].Description.Format = {0x010203, 7, false,        true,
                                        false,    0, kHAlignRight, kVAlignCenter};
    sheet.Rows[4].Description.Text = "a\r\nb";
    sheet.Note.Format.FontSize = 12;
    sheet.Note.Text = std::string(1000, 'n');
    return sheet;
}

}  // namespace

TEST(DataFileImage, ResetSheetMatchesAnIndependentlyBuiltImage) {
    EXPECT_EQ(BuildDataImage(TDescriptionSheet{}), ResetImage());
}

TEST(DataFileImage, FieldsLandAtTheirOffsets) {
    const std::string image = BuildDataImage(OddSheet());
    std::string expected = ResetImage();
    Put32(expected, 20, 2);
    Put32(expected, 24, 9);
    expected[28] = 0;
    Put32(expected, 32, 0x00123456);
    Put32(expected, 36, 7);
    Put32(expected, 44, 1);
    expected[Record(0)] = 0;
    const std::string title = Sj("タイトル①～ｶﾒﾗ");
    std::memcpy(expected.data() + Record(0) + 1, title.data(), title.size());
    const std::size_t item1 = Record(1);  // row 1 item starts at byte 1124
    ASSERT_EQ(item1, 1124u);
    Put32(expected, item1 + 1028, 0x0000FF);
    Put32(expected, item1 + 1032, 18);
    expected[item1 + 1036] = 5;
    Put32(expected, item1 + 1040, 0x00ABCDEF);
    expected[item1 + 1044] = 2;
    Put32(expected, item1 + 1048, 2);
    const std::size_t desc5 = Record(10);
    Put32(expected, desc5 + 1028, 0x010203);
    Put32(expected, desc5 + 1032, 7);
    expected[desc5 + 1036] = 2;
    Put32(expected, desc5 + 1040, 0);
    expected[desc5 + 1044] = 1;
    Put32(expected, desc5 + 1048, 1);
    std::memcpy(expected.data() + desc5 + 1, "a\r\nb", 4);
    expected[Record(20)] = 0;  // row 10 description excluded
    ASSERT_EQ(Record(21), 22484u);
    Put32(expected, Record(21) + 1032, 12);
    std::memset(expected.data() + Record(21) + 1, 'n', 1000);
    EXPECT_EQ(image, expected);
}

TEST(DataFileImage, LongTextIsCutAfter1023Bytes) {
    TDescriptionSheet sheet;
    sheet.Rows[2].Item.Text = std::string(1500, 'x');
    const std::string image = BuildDataImage(sheet);
    EXPECT_EQ(image.substr(Record(5) + 1, 1024), std::string(1023, 'x') + '\0');
    const TDescriptionSheet back = LoadImage(image);
    EXPECT_EQ(back.Rows[2].Item.Text, std::string(1023, 'x'));
}

TEST(DataFileImage, RoundTripKeepsEveryField) {
    const TDescriptionSheet sheet = OddSheet();
    const TDescriptionSheet back = LoadImage(BuildDataImage(sheet));
    EXPECT_EQ(back.Style, sheet.Style);
    for (int i = 0; i < kCellCount; ++i) {
        EXPECT_EQ(back.CellAt(i).Text, sheet.CellAt(i).Text) << i;
        EXPECT_EQ(back.CellAt(i).Format == sheet.CellAt(i).Format,
                  // black on black is the one combination the reader repairs
                  !(sheet.CellAt(i).Format.FontColor == 0 && sheet.CellAt(i).Format.BackColor == 0))
            << i;
        EXPECT_EQ(back.IncludedByTag(1000 + i), sheet.IncludedByTag(1000 + i)) << i;
    }
}

TEST(DataFileReader, Normalisations) {
    std::string image = ResetImage();
    const std::size_t a = Record(3), b = Record(4), c = Record(5), d = Record(6);
    Put32(image, a + 1048, 5);  // VAlign 5 → top
    Put32(image, a + 1032, 6);  // size 6 → 9
    image[a + 1044] = 1;        // right
    Put32(image, b + 1032, 19);
    image[b + 1044] = 2;  // centre
    Put32(image, c + 1032, 7);
    Put32(image, c + 1040, 0);  // black on black → white back
    image[c + 1044] = 3;        // out of range → left
    Put32(image, d + 1032, 18);
    Put32(image, d + 1040, 0x00000001);  // black on nearly black stays
    Put32(image, d + 1048, 1);
    image[d + 1036] = static_cast<char>(0xFF);  // only the three style bits count
    TDescriptionSheet start;
    start.Rows[1].Item.Format.VAlign = kVAlignBottom;
    const TDescriptionSheet sheet = LoadImage(image, start);
    const auto& fa = sheet.CellAt(3).Format;
    EXPECT_EQ(fa.VAlign, kVAlignTop);
    EXPECT_EQ(fa.FontSize, 9);
    EXPECT_EQ(fa.HAlign, kHAlignRight);
    EXPECT_EQ(sheet.CellAt(4).Format.FontSize, 9);
    EXPECT_EQ(sheet.CellAt(4).Format.HAlign, kHAlignCenter);
    EXPECT_EQ(sheet.CellAt(5).Format.FontSize, 7);
    EXPECT_EQ(sheet.CellAt(5).Format.BackColor, 0xFFFFFFu);
    EXPECT_EQ(sheet.CellAt(5).Format.FontColor, 0u);
    EXPECT_EQ(sheet.CellAt(5).Format.HAlign, kHAlignLeft);
    const auto& fd = sheet.CellAt(6).Format;
    EXPECT_EQ(fd.FontSize, 18);
    EXPECT_EQ(fd.BackColor, 1u);
    EXPECT_EQ(fd.VAlign, kVAlignCenter);
    EXPECT_TRUE(fd.Bold && fd.Italic && fd.Underline);
}

TEST(DataFileReader, StyleValuesOutOfRange) {
    TDescriptionSheet start;
    start.Style.TableAlign = kAlignRight;
    start.Style.BannerAlign = kAlignCenter;
    for (int bad : {3, -1}) {
        std::string image = ResetImage();
        Put32(image, 20, static_cast<std::uint32_t>(bad));
        Put32(image, 44, static_cast<std::uint32_t>(bad));
        Put32(image, 24, static_cast<std::uint32_t>(bad * 40));
        Put32(image, 36, static_cast<std::uint32_t>(bad * 40));
        image[28] = 7;  // any non-zero byte is on
        const TDescriptionSheet sheet = LoadImage(image, start);
        EXPECT_EQ(sheet.Style.TableAlign, kAlignRight);
        EXPECT_EQ(sheet.Style.BannerAlign, kAlignCenter);
        EXPECT_EQ(sheet.Style.BorderWidth, bad > 0 ? 9 : 0);
        EXPECT_EQ(sheet.Style.CellPadding, bad > 0 ? 9 : 0);
        EXPECT_TRUE(sheet.Style.BorderColorSet);
    }
}

TEST(DataFileReader, TextWithoutNulIsTakenWholeAndNothingBeyond) {
    std::string image = ResetImage();
    std::memset(image.data() + Record(0) + 1, 'q', 1027);
    Put32(image, Record(0) + 1028, 0x0000FF);
    const TDescriptionSheet sheet = LoadImage(image);
    EXPECT_EQ(sheet.Title.Text, std::string(1027, 'q'));
    EXPECT_EQ(sheet.Title.Format.FontColor, 0x0000FFu);
}

TEST(DataFileReader, LoadClearsModifiedAndReplacesEveryText) {
    TDescriptionSheet sheet;
    for (int i = 0; i < kCellCount; ++i) {
        sheet.CellAt(i).Text = "old";
        sheet.CellAt(i).Modified = true;
    }
    sheet = LoadImage(ResetImage(), sheet);
    for (int i = 0; i < kCellCount; ++i) {
        EXPECT_TRUE(sheet.CellAt(i).Text.empty());
        EXPECT_FALSE(sheet.CellAt(i).Modified);
    }
}

class DataFileOnDisk : public ::testing::Test {
  protected:
    TempFolder folder;
    TDescriptionSheet Marked() {
        TDescriptionSheet sheet;
        sheet.Title.Text = "unchanged";
        sheet.Title.Modified = true;
        return sheet;
    }
    void ExpectLoadFails(const std::string& path, const std::string& message) {
        TDescriptionSheet sheet = Marked();
        auto error = LoadDataFile(sheet, path);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->message, message);
        EXPECT_EQ(error->caption, "データ読み込み");
        EXPECT_EQ(sheet.Title.Text, "unchanged");
        EXPECT_TRUE(sheet.Title.Modified);
    }
};

TEST_F(DataFileOnDisk, SaveAndLoadRoundTrip) {
    const std::string path = folder.file("bag.qvl");
    const TDescriptionSheet sheet = OddSheet();
    ASSERT_FALSE(SaveDataFile(sheet, path));
    EXPECT_EQ(ReadWholeFile(path), BuildDataImage(sheet));
    TDescriptionSheet back;
    ASSERT_FALSE(LoadDataFile(back, path));
    EXPECT_EQ(back.Title.Text, sheet.Title.Text);
    EXPECT_EQ(back.Note.Text, std::string(1000, 'n'));
    EXPECT_EQ(back.Style, sheet.Style);
}

TEST_F(DataFileOnDisk, SaveReplacesAnExistingFileAndLeavesNoTemporaries) {
    const std::string path = folder.file("bag.qvl");
    WriteWholeFile(path, std::string(40000, 'z'));
    ASSERT_FALSE(SaveDataFile(TDescriptionSheet{}, path));
    EXPECT_EQ(ReadWholeFile(path), ResetImage());
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(folder.path())) (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(DataFileOnDisk, LoadFailures) {
    ExpectLoadFails(folder.file("missing.qvl"),
                    "ファイル " + folder.file("missing.qvl") + " は開けません");
    ExpectLoadFails(folder.path(), "ファイル " + folder.path() + " は開けません");  // a folder
    const std::string shortFile = folder.file("short.qvl");
    WriteWholeFile(shortFile, ResetImage().substr(0, 23551));
    ExpectLoadFails(shortFile, "ストリームからの読み込みエラー");
    const std::string badMagic = folder.file("bad.qvl");
    std::string image = ResetImage();
    image[15] = 'X';
    WriteWholeFile(badMagic, image);
    ExpectLoadFails(badMagic, "ファイルが壊れているか、異常なデータファイルです");
    image = ResetImage();
    image[0] = 'q';
    WriteWholeFile(badMagic, image);
    ExpectLoadFails(badMagic, "ファイルが壊れているか、異常なデータファイルです");
}

TEST_F(DataFileOnDisk, LongerFileLoadsAndIgnoresTheRest) {
    const std::string path = folder.file("long.qvl");
    std::string image = BuildDataImage(OddSheet()) + std::string(100, '\x55');
    WriteWholeFile(path, image);
    TDescriptionSheet sheet;
    ASSERT_FALSE(LoadDataFile(sheet, path));
    EXPECT_EQ(sheet.Title.Text, OddSheet().Title.Text);
}

#ifndef _WIN32
// Folder permissions, fork and file-size limits are POSIX matters.
TEST_F(DataFileOnDisk, SaveIntoReadOnlyFolderKeepsTheOldFile) {
    const std::string path = folder.file("bag.qvl");
    ASSERT_FALSE(SaveDataFile(OddSheet(), path));
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    // In a child that is not root (root ignores folder permissions).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        auto error = SaveDataFile(TDescriptionSheet{}, path);
        const bool right = error && error->message == "ファイル " + path + " を作成できません" &&
                           error->caption == "データ保存";
        _exit(right ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(folder.path().c_str(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadWholeFile(path), BuildDataImage(OddSheet()));
}

// Whoever runs the program, root included: a file without any write bit is not to be replaced,
// while one write bit anywhere leaves the decision to the system's own access check.
TEST_F(DataFileOnDisk, FileWithoutWriteBitsIsRefusedForEveryone) {
    for (const mode_t mode : {0444, 0400, 0555, 0000}) {
        const std::string path = folder.file("locked" + std::to_string(mode) + ".qvl");
        ASSERT_FALSE(SaveDataFile(OddSheet(), path));
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        auto error = SaveDataFile(TDescriptionSheet{}, path);
        ASSERT_TRUE(error) << std::oct << mode;
        EXPECT_EQ(error->message, "ファイル " + path + " を作成できません");
        EXPECT_EQ(error->caption, "データ保存");
        chmod(path.c_str(), 0600);
        EXPECT_EQ(ReadWholeFile(path), BuildDataImage(OddSheet())) << std::oct << mode;
    }
    // Only the refused files are there: no temporary was made for them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator{}),
              4);
    if (geteuid() != 0) GTEST_SKIP() << "the owner-only write bit below needs root";
    const std::string path = folder.file("theirs.qvl");
    ASSERT_FALSE(SaveDataFile(OddSheet(), path));
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(path.c_str(), 0200), 0);
    EXPECT_FALSE(SaveDataFile(TDescriptionSheet{}, path));
    EXPECT_EQ(ReadWholeFile(path), BuildDataImage(TDescriptionSheet{}));
}

#endif

TEST_F(DataFileOnDisk, SaveIntoMissingFolderCannotCreate) {
    const std::string path = folder.file("no/such/bag.qvl");
    auto error = SaveDataFile(TDescriptionSheet{}, path);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "ファイル " + path + " を作成できません");
}

#ifndef _WIN32
TEST_F(DataFileOnDisk, FailingWriteKeepsTheOldFile) {
    const std::string path = folder.file("bag.qvl");
    ASSERT_FALSE(SaveDataFile(OddSheet(), path));
    // In a child: a file-size limit below the image size makes the write itself fail.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        auto error = SaveDataFile(TDescriptionSheet{}, path);
        const bool right = error && error->message == "ストリームへの書き込みエラー" &&
                           error->caption == "データ保存";
        _exit(right ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadWholeFile(path), BuildDataImage(OddSheet()));
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder.path()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"bag.qvl"});
}
#endif

#ifdef _WIN32
// Other programs (a viewer, a backup tool, a second editor) hold the file open.
class HeldFile {
  public:
    HeldFile(const std::string& path, DWORD access, DWORD share)
        : handle_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

TEST_F(DataFileOnDisk, LoadsAFileAnotherProgramIsReading) {
    const std::string path = folder.file("bag.qvl");
    ASSERT_FALSE(SaveDataFile(OddSheet(), path));
    HeldFile reader(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader.held());
    TDescriptionSheet sheet;
    EXPECT_FALSE(LoadDataFile(sheet, path));
    EXPECT_EQ(BuildDataImage(sheet), BuildDataImage(OddSheet()));
}

TEST_F(DataFileOnDisk, FileAnotherProgramIsWritingIsNotLoaded) {
    const std::string path = folder.file("bag.qvl");
    ASSERT_FALSE(SaveDataFile(OddSheet(), path));
    HeldFile writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.held());
    ExpectLoadFails(path, "ファイル " + path + " は開けません");
}

TEST_F(DataFileOnDisk, SaveOverAFileHeldExclusivelyKeepsIt) {
    const std::string path = folder.file("bag.qvl");
    ASSERT_FALSE(SaveDataFile(OddSheet(), path));
    {
        HeldFile holder(path, GENERIC_READ, 0);
        ASSERT_TRUE(holder.held());
        auto error = SaveDataFile(TDescriptionSheet{}, path);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->message, "ファイル " + path + " を作成できません");
    }
    EXPECT_EQ(ReadWholeFile(path), BuildDataImage(OddSheet()));
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder.path()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"bag.qvl"});
}
#endif
