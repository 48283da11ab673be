#include <gtest/gtest.h>

#include "TestUtil.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/PlainText.h"
#include "store/DataFile.h"

using namespace quorvel;

namespace {

ProgramRun RunQvltags(const std::string& arguments, const TempFolder& folder) {
    return RunCommand(ShellQuote(QvltagsPath()) + " " + arguments, folder);
}

}  // namespace

TEST(Qvltags, WritesTheTagsOfAStoredSheet) {
    TempFolder folder;
    TDescriptionSheet sheet;
    sheet.Title.Text = Sj("デジタルカメラ①");
    sheet.Rows[0].Item.Text = "A\r\nB";
    sheet.Style.BannerAlign = kAlignRight;
    const std::string path = folder.file("camera.qvl");
    ASSERT_FALSE(SaveDataFile(sheet, path));

    const ProgramRun sjisRun = RunQvltags(ShellQuote(path), folder);
    EXPECT_EQ(sjisRun.status, 0);
    EXPECT_EQ(sjisRun.out, BuildHtmlTags(sheet));

    const ProgramRun utf8Run = RunQvltags("--utf8 " + ShellQuote(path), folder);
    EXPECT_EQ(utf8Run.status, 0);
    EXPECT_EQ(utf8Run.out, sjis::ToUtf8(BuildHtmlTags(sheet)));
    EXPECT_NE(utf8Run.out.find("デジタルカメラ①"), std::string::npos);
}

TEST(Qvltags, LoadFailureAndUsage) {
    TempFolder folder;
    const std::string path = folder.file("broken.qvl");
    WriteWholeFile(path, std::string(23552, 'x'));
    const ProgramRun broken = RunQvltags(ShellQuote(path), folder);
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(broken.out.empty());
    EXPECT_NE(broken.err.find("ファイルが壊れているか、異常なデータファイルです"),
              std::string::npos);

    const ProgramRun missing = RunQvltags(ShellQuote(folder.file("none.qvl")), folder);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("は開けません"), std::string::npos);

    for (const char* usage : {"", "--utf8", "--bogus x.qvl", "a.qvl b.qvl"}) {
        const ProgramRun run = RunQvltags(usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("usage"), std::string::npos) << usage;
    }
}

TEST(Qvltags, TextWritesThePlainRenditionInEitherForm) {
    TempFolder folder;
    TDescriptionSheet sheet;
    sheet.Title.Text = Sj("腕時計①");
    sheet.Rows[0].Item.Text = Sj("状態");
    sheet.Rows[0].Description.Text = Sj("良好<BR>箱あり");
    sheet.Note.Text = Sj("&quot;即決&quot;");
    const std::string path = folder.file("watch.qvl");
    ASSERT_FALSE(SaveDataFile(sheet, path));
    const std::string expected = Sj("腕時計①\r\n状態：良好\r\n　　　箱あり\r\n\r\n\"即決\"\r\n");
    ASSERT_EQ(BuildPlainText(sheet), expected);

    const ProgramRun sjisRun = RunQvltags("--text " + ShellQuote(path), folder);
    EXPECT_EQ(sjisRun.status, 0);
    EXPECT_EQ(sjisRun.out, expected);
    const ProgramRun utf8Run = RunQvltags(ShellQuote(path) + " --text --utf8", folder);
    EXPECT_EQ(utf8Run.status, 0);
    EXPECT_EQ(utf8Run.out, sjis::ToUtf8(expected));
    // Without it the tags are as they were.
    EXPECT_EQ(RunQvltags(ShellQuote(path), folder).out, BuildHtmlTags(sheet));
    for (const char* usage : {"--text", "--text --text x.qvl", "--texts x.qvl"}) {
        const ProgramRun run = RunQvltags(usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("--text"), std::string::npos) << usage;
    }
}
