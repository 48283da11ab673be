#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/PlainText.h"
#include "store/DataFile.h"

using namespace quorvel;

namespace {

ProgramRun RunQvltags(const std::string& arguments, const TempFolder& folder) {
    return RunCommand(ShellQuote(QvltagsPath()) + " " + arguments, folder);
}

std::vector<std::string> OutputLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = text.find('\n', from);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
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

TEST(Qvltags, CheckListsTheFindingsAndTellsByItsStatus) {
    TempFolder folder;
    TDescriptionSheet sheet;
    sheet.Rows[0].Description.Text =
        Sj("<B>送料無料<IMG SRC=\"http://img.example/a.jpg\">\r\n") + std::string(600, 'x');
    const std::string dirty = folder.file("dirty.qvl");
    ASSERT_FALSE(SaveDataFile(sheet, dirty));
    const std::string tagsBefore = BuildHtmlTags(sheet);

    const ProgramRun utf8 = RunQvltags("--check --utf8 " + ShellQuote(dirty), folder);
    EXPECT_EQ(utf8.status, 1);
    const std::vector<std::string> lines = OutputLines(utf8.out);
    ASSERT_EQ(lines.size(), 3u) << utf8.out;
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("説明１: ", 0), 0u) << line;
    EXPECT_NE(lines[0].find("「<B>」"), std::string::npos);
    EXPECT_NE(lines[1].find("http://img.example/a.jpg"), std::string::npos);

    // Without --utf8 a pipe gets the same lines in Shift_JIS.
    const ProgramRun sjisRun = RunQvltags("--check " + ShellQuote(dirty), folder);
    EXPECT_EQ(sjisRun.status, 1);
    EXPECT_EQ(sjis::ToUtf8(sjisRun.out), utf8.out);
    // The tag output itself is what it was.
    EXPECT_EQ(RunQvltags(ShellQuote(dirty), folder).out, tagsBefore);

    const std::string clean = folder.file("clean.qvl");
    TDescriptionSheet plain;
    plain.Title.Text = Sj("<B>デジタルカメラ</B>");
    ASSERT_FALSE(SaveDataFile(plain, clean));
    const ProgramRun cleanRun = RunQvltags("--check " + ShellQuote(clean), folder);
    EXPECT_EQ(cleanRun.status, 0);
    EXPECT_TRUE(cleanRun.out.empty());

    for (const char* usage : {"--check", "--check --check x.qvl", "--check a.qvl b.qvl"})
        EXPECT_EQ(RunQvltags(usage, folder).status, 2) << usage;
    EXPECT_EQ(RunQvltags("--check " + ShellQuote(folder.file("none.qvl")), folder).status, 1);
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

TEST(Qvltags, MarketAddsItsRulesAndAnUnknownOneIsWrongUsage) {
    TempFolder folder;
    TDescriptionSheet sheet;
    sheet.Rows[0].Description.Text =
        Sj("連絡は shop@example.jp まで<IMG SRC=\"https://i.example/a.jpg\">");
    const std::string path = folder.file("mail.qvl");
    ASSERT_FALSE(SaveDataFile(sheet, path));
    const std::string clean = folder.file("clean.qvl");
    ASSERT_FALSE(SaveDataFile(TDescriptionSheet{}, clean));
    struct Case {
        const char* market;
        const std::string& file;
        int status;
        const char* line;  // a line of the output, or nothing
    };
    const Case cases[] = {
        {"generic", clean, 0, nullptr},
        {"ebay", clean, 1, "フッター: eBay: フッターのリンク"},
        {"yahoo", path, 1, "説明１: Yahoo!オークション: メールアドレス"},
        {"generic", path, 1, "説明１: メールアドレスの記載は"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = RunQvltags(
            "--check --utf8 --market " + std::string(c.market) + " " + ShellQuote(c.file), folder);
        EXPECT_EQ(run.status, c.status) << c.market << run.err;
        if (c.line)
            EXPECT_NE(("\n" + run.out).find(std::string("\n") + c.line), std::string::npos)
                << c.market << "\n"
                << run.out;
        else
            EXPECT_TRUE(run.out.empty()) << run.out;
    }
    // Without a marketplace the check is the general one, line for line.
    EXPECT_EQ(RunQvltags("--check " + ShellQuote(path), folder).out,
              RunQvltags("--market generic --check " + ShellQuote(path), folder).out);
    for (const std::string& usage :
         {"--check --market amazon " + ShellQuote(path),
          "--check --market EBAY " + ShellQuote(path), "--check --market " + ShellQuote(path),
          "--market ebay " + ShellQuote(path), "--text --market text " + ShellQuote(path)}) {
        const ProgramRun run = RunQvltags(usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("--market"), std::string::npos) << usage;
    }

    // The merge's per-row report names the marketplace; an unknown one is refused before work.
    WriteWholeFile(folder.file("items.csv"),
                   Sj("タイトル,説明１\r\nカメラ,連絡は a@b.example まで\r\n"));
    const std::string merge = "--merge " + ShellQuote(folder.file("items.csv")) + " " +
                              ShellQuote(clean) + " --out " + ShellQuote(folder.file("out"));
    const ProgramRun yahoo = RunQvltags(merge + " --check --market yahoo", folder);
    EXPECT_EQ(yahoo.status, 0) << yahoo.err;
    EXPECT_NE(yahoo.err.find("2行目 説明１: Yahoo!オークション: メールアドレス"), std::string::npos)
        << yahoo.err;
    for (const char* usage : {" --check --market mercari", " --market yahoo"}) {
        const ProgramRun run = RunQvltags(merge + usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("--market"), std::string::npos) << usage;
    }
}

TEST(Qvltags, TextTellsThePicturesItLeavesOutBesideTheText) {
    TempFolder folder;
    TDescriptionSheet sheet;
    sheet.Title.Text = Sj("<IMG SRC=\"https://i.example/a.jpg\">腕時計<IMG SRC=\"b.jpg\">");
    const std::string path = folder.file("pictures.qvl");
    ASSERT_FALSE(SaveDataFile(sheet, path));
    const ProgramRun run = RunQvltags("--text " + ShellQuote(path), folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, BuildPlainText(sheet));
    EXPECT_NE(run.err.find("画像 2 枚はテキストに含まれません"), std::string::npos) << run.err;
    sheet.Title.Text = Sj("腕時計");
    ASSERT_FALSE(SaveDataFile(sheet, path));
    EXPECT_TRUE(RunQvltags("--text " + ShellQuote(path), folder).err.empty());
}
