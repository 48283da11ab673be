#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "TestUtil.h"
#include "platform/FileNames.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingMerge.h"
#include "store/DataFile.h"
#include "store/MergeBatch.h"

using namespace quorvel;

namespace {

TDescriptionSheet Template() {
    TDescriptionSheet sheet;
    sheet.Title.Format.FontSize = 14;
    sheet.Rows[0].Item.Text = Sj("メーカー");
    sheet.Rows[1].Item.Text = Sj("型番");
    sheet.Rows[1].Description.Format.Bold = true;
    sheet.Note.Text = Sj("よろしくお願いします");
    return sheet;
}

// What one row must give: the template with these cells set by hand.
std::string ExpectedTags(const std::string& title, const std::string& description1,
                         const std::string& description2) {
    TDescriptionSheet sheet = Template();
    sheet.Title.Text = title;
    sheet.Rows[0].Description.Text = description1;
    sheet.Rows[1].Description.Text = description2;
    return BuildHtmlTags(sheet);
}

// The spreadsheet every encoding test uses (UTF-8 text): a named row with a quoted comma and
// quotes, a numbered row with a line break in a field, an ignored column.
const std::string kItems =
    "ファイル名,タイトル,説明１,説明2,価格\r\n"
    "camera,\"カメラ, 中古\",\"キヤノン \"\"EOS\"\"\",X-10,100\r\n"
    ",テレビ,\"ソニー\n４Ｋ\",,5\r\n";

struct ToolRun {
    int status;
    std::string err;
};

ToolRun RunQvltags(const std::string& arguments, const TempFolder& folder) {
    const ProgramRun run = RunCommand(ShellQuote(QvltagsPath()) + " " + arguments, folder);
    return {run.status, run.err};
}

std::string Quoted(const std::string& path) {
    return ShellQuote(path);
}

// The test's own reading of a CSV file, kept apart from the reader under test.
std::vector<std::vector<std::string>> ParseCsv(const std::string& bytes) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted && c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (!quoted && c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

}  // namespace

TEST(MergeBatch, NamedAndNumberedFilesInBothEncodings) {
    const std::string cameraTags = ExpectedTags(Sj("カメラ, 中古"), Sj("キヤノン \"EOS\""), "X-10");
    const std::string tvTags = ExpectedTags(Sj("テレビ"), Sj("ソニー\r\n４Ｋ"), "");
    const std::vector<std::pair<std::string, std::string>> inputs{
        {"utf8", kItems}, {"bom", "\xEF\xBB\xBF" + kItems}, {"sjis", Sj(kItems)}};
    for (const auto& [label, bytes] : inputs) {
        TempFolder folder;
        WriteWholeFile(folder.file("items.csv"), bytes);
        const MergeResult result =
            MergeToFolder(Template(), folder.file("items.csv"), folder.path(), {});
        EXPECT_TRUE(result.ok()) << label;
        EXPECT_EQ(result.produced, 2) << label;
        EXPECT_EQ(result.ignoredColumns, std::vector<std::string>{"E列「価格」"}) << label;
        EXPECT_EQ(ReadWholeFile(folder.file("camera.html")), cameraTags) << label;
        // The first data row is 0001, so the second is 0002.
        EXPECT_EQ(ReadWholeFile(folder.file("0002.html")), tvTags) << label;
        EXPECT_FALSE(std::filesystem::exists(folder.file("0001.html"))) << label;
        EXPECT_FALSE(std::filesystem::exists(folder.file("camera.qvl"))) << label;
    }
}

TEST(MergeBatch, FileNamesKeepHtmlEndingsAndRefuseUnsafeOrRepeatedNames) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("out"));
    WriteWholeFile(folder.file("items.csv"),
                   "タイトル,ファイル名\n"
                   "a,page.htm\n"
                   "b,Page.HTML\n"
                   "c,../escape\n"
                   "d,sub/x\n"
                   "e,PAGE.htm\n"  // the first row's name in other letters
                   "f,品番\n"
                   ",,\n"  // blank: skipped, but it keeps its row number
                   "g,\n");
    const MergeResult result =
        MergeToFolder(Template(), folder.file("items.csv"), folder.file("out"), {});
    // A Windows whose code page is not Japanese cannot name the file 品番.html.
    const bool spellable = filenames::FromSjis(Sj("品番.html")).has_value();
    EXPECT_EQ(result.produced, spellable ? 4 : 3);
    std::string errors;
    for (const std::string& error : result.rowErrors) errors += error + "\n";
    ASSERT_EQ(result.rowErrors.size(), spellable ? 3u : 4u) << errors;
    EXPECT_EQ(result.rowErrors[0].rfind("4行目 B列「ファイル名」: ", 0), 0u) << result.rowErrors[0];
    EXPECT_NE(result.rowErrors[0].find("../escape"), std::string::npos);
    EXPECT_EQ(result.rowErrors[1].rfind("5行目 ", 0), 0u);
    EXPECT_EQ(result.rowErrors[2].rfind("6行目 ", 0), 0u);
    EXPECT_NE(result.rowErrors[2].find("2行目と重なっています"), std::string::npos);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.file("out")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    if (spellable) {
        EXPECT_EQ(names,
                  (std::vector<std::string>{"0008.html", "Page.HTML", "page.htm", "品番.html"}));
    } else {
        EXPECT_EQ(names, (std::vector<std::string>{"0008.html", "Page.HTML", "page.htm"}));
        EXPECT_EQ(
            result.rowErrors[3],
            "7行目 B列「ファイル名」: ファイル名「品番.html」はこのシステムのファイル名にできま"
            "せん");
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("escape.html")));
}

TEST(MergeBatch, SkipEmptyDropsEmptyCells) {
    TempFolder folder;
    WriteWholeFile(folder.file("items.csv"), "説明１,説明２,項目２\r\nキヤノン,,\r\n");
    MergeOptions options;
    options.skipEmpty = true;
    ASSERT_TRUE(MergeToFolder(Template(), folder.file("items.csv"), folder.path(), options).ok());
    TDescriptionSheet expected = Template();
    expected.Rows[0].Description.Text = Sj("キヤノン");
    expected.Rows[1].Item.Text.clear();
    expected.Rows[1].IncludeItem = false;
    expected.Rows[1].IncludeDescription = false;
    EXPECT_EQ(ReadWholeFile(folder.file("0001.html")), BuildHtmlTags(expected));
    // Without the option the empty cells stay in, row 2 as an empty row.
    ASSERT_TRUE(MergeToFolder(Template(), folder.file("items.csv"), folder.path(), {}).ok());
    expected.Rows[1].IncludeItem = expected.Rows[1].IncludeDescription = true;
    EXPECT_EQ(ReadWholeFile(folder.file("0001.html")), BuildHtmlTags(expected));
}

TEST(MergeBatch, DataFilesLoadBackToTheSameTags) {
    TempFolder folder;
    WriteWholeFile(folder.file("items.csv"), kItems);
    MergeOptions options;
    options.dataFiles = true;
    ASSERT_TRUE(MergeToFolder(Template(), folder.file("items.csv"), folder.path(), options).ok());
    for (const char* stem : {"camera", "0002"}) {
        TDescriptionSheet loaded;
        ASSERT_FALSE(LoadDataFile(loaded, folder.file(std::string(stem) + ".qvl"))) << stem;
        EXPECT_EQ(BuildHtmlTags(loaded), ReadWholeFile(folder.file(std::string(stem) + ".html")));
    }
}

TEST(MergeBatch, CsvOutputAddsTheTagsInTheInputEncoding) {
    const std::string cameraTags = ExpectedTags(Sj("カメラ, 中古"), Sj("キヤノン \"EOS\""), "X-10");
    for (const bool sjisInput : {false, true}) {
        TempFolder folder;
        const std::string input = sjisInput ? Sj(kItems) : "\xEF\xBB\xBF" + kItems;
        WriteWholeFile(folder.file("items.csv"), input);
        const MergeResult result =
            MergeToCsv(Template(), folder.file("items.csv"), folder.file("out.csv"), {});
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.produced, 2);
        std::string bytes = ReadWholeFile(folder.file("out.csv"));
        if (!sjisInput) {
            ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
            bytes = Sj(bytes.substr(3));
        }
        const auto rows = ParseCsv(bytes);
        ASSERT_EQ(rows.size(), 3u) << sjisInput;
        ASSERT_EQ(rows[0].size(), 6u);
        EXPECT_EQ(rows[0][5], Sj("説明HTML"));
        EXPECT_EQ(rows[1][1], Sj("カメラ, 中古"));
        EXPECT_EQ(rows[1][4], "100");
        EXPECT_EQ(rows[1][5], cameraTags);
        EXPECT_EQ(rows[2][2], Sj("ソニー\n４Ｋ"));  // the input's own field, unchanged
        EXPECT_EQ(rows[2][5], ExpectedTags(Sj("テレビ"), Sj("ソニー\r\n４Ｋ"), ""));
    }
}

TEST(MergeBatch, BadRowsFailAloneThroughTheTool) {
    TempFolder folder;
    ASSERT_FALSE(SaveDataFile(Template(), folder.file("template.qvl")));
    const std::string longText(1001, 'x');
    WriteWholeFile(folder.file("items.csv"),
                   "タイトル,説明１\r\n"
                   "ok1,a\r\n"
                   "bad,絵文字😀です\r\n" +
                       std::string("long,") + longText +
                       "\r\n"
                       "ok2,\"" +
                       std::string(500, 'y') + "\n" + std::string(498, 'y') +
                       "\"\r\n"  // 1000 bytes once the LF becomes CR LF
                       "extra,b,c\r\n");
    const ToolRun run =
        RunQvltags("--merge " + Quoted(folder.file("items.csv")) + " " +
                       Quoted(folder.file("template.qvl")) + " --out " + Quoted(folder.file("out")),
                   folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("3行目 B列「説明１」: Shift_JIS にない文字「😀」(U+1F600)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("4行目 B列「説明１」: 1001 バイト"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("6行目 C列"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("2 件のタグを作成しました"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::exists(folder.file("out/0001.html")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("out/0002.html")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("out/0003.html")));
    TDescriptionSheet expected = Template();
    expected.Title.Text = "ok2";
    expected.Rows[0].Description.Text = std::string(500, 'y') + "\r\n" + std::string(498, 'y');
    EXPECT_EQ(ReadWholeFile(folder.file("out/0004.html")), BuildHtmlTags(expected));

    // Shift_JIS input with a byte pair code page 932 has no character for.
    WriteWholeFile(folder.file("sjis.csv"), Sj("タイトル\r\n良い\r\n") + "\x85\x40\r\n");
    const ToolRun sjisRun = RunQvltags("--merge " + Quoted(folder.file("sjis.csv")) + " " +
                                           Quoted(folder.file("template.qvl")) + " --csv " +
                                           Quoted(folder.file("out.csv")),
                                       folder);
    EXPECT_EQ(sjisRun.status, 1);
    EXPECT_NE(sjisRun.err.find("3行目 A列「タイトル」: Shift_JIS として読めないバイト 85 40"),
              std::string::npos)
        << sjisRun.err;
    EXPECT_EQ(ParseCsv(ReadWholeFile(folder.file("out.csv"))).size(), 2u);

    // Every row good: status 0.
    WriteWholeFile(folder.file("good.csv"), Sj("タイトル\r\nA\r\n"));
    EXPECT_EQ(RunQvltags("--merge " + Quoted(folder.file("good.csv")) + " " +
                             Quoted(folder.file("template.qvl")) + " --out " +
                             Quoted(folder.file("good")) + " --qvl --encoding cp932",
                         folder)
                  .status,
              0);
    EXPECT_TRUE(std::filesystem::exists(folder.file("good/0001.qvl")));
}

TEST(MergeBatch, ToolUsageAndTemplateFailures) {
    TempFolder folder;
    WriteWholeFile(folder.file("items.csv"), "タイトル\r\nA\r\n");
    WriteWholeFile(folder.file("broken.qvl"), std::string(23552, 'x'));
    const std::string csv = Quoted(folder.file("items.csv"));
    const std::string broken = Quoted(folder.file("broken.qvl"));
    const ToolRun load = RunQvltags(
        "--merge " + csv + " " + broken + " --out " + Quoted(folder.file("out")), folder);
    EXPECT_EQ(load.status, 1);
    EXPECT_NE(load.err.find("ファイルが壊れているか、異常なデータファイルです"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.file("out/0001.html")));

    for (const std::string& usage : std::vector<std::string>{
             "--merge", "--merge " + csv, "--merge " + csv + " t.qvl",
             "--merge " + csv + " t.qvl --out d --csv o.csv",
             "--merge " + csv + " t.qvl --csv o --qvl",
             "--merge " + csv + " t.qvl --out d --encoding latin1",
             "--merge " + csv + " t.qvl --out", "--merge " + csv + " t.qvl --out d --bogus",
             "--merge " + csv + " t.qvl extra --out d",
             "--merge " + csv + " t.qvl --out d --out e"}) {
        const ToolRun run = RunQvltags(usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("usage"), std::string::npos) << usage;
    }
}

namespace {

// The tool under a time-out: an input that blocks must fail the test, not hang it.
ToolRun RunMergeTool(const TempFolder& folder, const std::string& input,
                     const std::string& target) {
    const ProgramRun run =
        RunCommand("timeout 20 " + ShellQuote(QvltagsPath()) + " --merge " + Quoted(input) + " " +
                       Quoted(folder.file("template.qvl")) + " " + target,
                   folder);
    return {run.status, run.err};
}

std::string OutFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) joined += name + " ";
    return joined;
}

}  // namespace

TEST(MergeBatch, OnlyARegularSpreadsheetIsRead) {
#ifdef _WIN32
    GTEST_SKIP() << "starts the tool through POSIX commands (timeout, FIFOs) that wine cannot run";
#endif
    TempFolder folder;
    ASSERT_FALSE(SaveDataFile(Template(), folder.file("template.qvl")));
    std::filesystem::create_directory(folder.file("folder.csv"));
    std::vector<std::string> inputs{folder.file("folder.csv"), folder.file("missing.csv")};
#ifndef _WIN32
    ASSERT_EQ(RunCommand("mkfifo " + Quoted(folder.file("fifo.csv")), folder).status, 0);
    inputs.push_back(folder.file("fifo.csv"));
    inputs.push_back("/dev/zero");
#endif
    for (const std::string& input : inputs) {
        const ToolRun run = RunMergeTool(folder, input, "--out " + Quoted(folder.file("out")));
        EXPECT_EQ(run.status, 1) << input;
        EXPECT_NE(run.err.find("ファイル " + input + " は開けません"), std::string::npos)
            << input << ": " << run.err;
        const MergeResult direct = MergeToCsv(Template(), input, folder.file("o.csv"), {});
        ASSERT_TRUE(direct.error) << input;
        EXPECT_EQ(direct.error->message, "ファイル " + input + " は開けません");
    }
    EXPECT_EQ(OutFiles(folder.file("out")), "");
    EXPECT_FALSE(std::filesystem::exists(folder.file("o.csv")));
}

TEST(MergeBatch, UnclosedQuotesAndUndecodableHeadingsAreReported) {
#ifdef _WIN32
    GTEST_SKIP() << "starts the tool through POSIX commands (timeout, FIFOs) that wine cannot run";
#endif
    TempFolder folder;
    ASSERT_FALSE(SaveDataFile(Template(), folder.file("template.qvl")));
    // Rows before the open quote are made; the error names the row the field began in.
    WriteWholeFile(folder.file("open.csv"),
                   "タイトル,説明１\r\nA,a\r\nB,\"never\r\nC,c\r\nD,d\r\n");
    const ToolRun open =
        RunMergeTool(folder, folder.file("open.csv"), "--out " + Quoted(folder.file("o1")));
    EXPECT_EQ(open.status, 1);
    EXPECT_NE(open.err.find("3行目 引用符 \" が閉じられていません"), std::string::npos) << open.err;
    EXPECT_NE(open.err.find("1 件のタグを作成しました"), std::string::npos) << open.err;
    EXPECT_EQ(OutFiles(folder.file("o1")), "0001.html ");

    // A byte-order mark before Shift_JIS text: the heading cannot be read, nothing is made.
    WriteWholeFile(folder.file("bom.csv"), "\xEF\xBB\xBF" + Sj("タイトル\r\nカメラ\r\n"));
    const ToolRun bom =
        RunMergeTool(folder, folder.file("bom.csv"), "--out " + Quoted(folder.file("o2")));
    EXPECT_EQ(bom.status, 1);
    EXPECT_NE(bom.err.find("bom.csv の1行目 A列: UTF-8 として読めないバイトがあります"),
              std::string::npos)
        << bom.err;
    EXPECT_EQ(bom.err.find("件のタグを作成しました"), std::string::npos) << bom.err;
    EXPECT_EQ(OutFiles(folder.file("o2")), "");

    // One bad byte in a UTF-8 file fails its row only, with the UTF-8 reading kept.
    WriteWholeFile(folder.file("stray.csv"), "タイトル\r\nカメラ\r\nx\xFFy\r\nテレビ\r\n");
    const MergeResult stray =
        MergeToFolder(Template(), folder.file("stray.csv"), folder.path(), {});
    EXPECT_FALSE(stray.error);
    EXPECT_EQ(stray.produced, 2);
    ASSERT_EQ(stray.rowErrors.size(), 1u);
    EXPECT_EQ(stray.rowErrors[0], "3行目 A列「タイトル」: UTF-8 として読めないバイトがあります");
    TDescriptionSheet camera = Template();
    camera.Title.Text = Sj("カメラ");
    EXPECT_EQ(ReadWholeFile(folder.file("0001.html")), BuildHtmlTags(camera));

    // A heading that names no cell would fill nothing: the whole run fails.
    for (const std::string& bytes : {std::string("ファイル名,価格\r\na,1\r\n"), std::string()}) {
        WriteWholeFile(folder.file("none.csv"), bytes);
        const MergeResult none =
            MergeToFolder(Template(), folder.file("none.csv"), folder.path(), {});
        ASSERT_TRUE(none.error) << bytes;
        EXPECT_NE(none.error->message.find("none.csv"), std::string::npos);
        EXPECT_EQ(none.produced, 0);
        EXPECT_FALSE(std::filesystem::exists(folder.file("a.html")));
    }
}

TEST(MergeBatch, ControlCharactersAreDroppedFromCellsAndNames) {
#ifdef _WIN32
    GTEST_SKIP() << "starts the tool through POSIX commands (timeout, FIFOs) that wine cannot run";
#endif
    TempFolder folder;
    static constexpr char kBytes[] =
        "ファイル名,タイトル\r\nna\0me,A\0B\x1B"
        "C\tD\r\n";
    const std::string bytes(kBytes, sizeof kBytes - 1);
    WriteWholeFile(folder.file("nul.csv"), bytes);
    MergeOptions options;
    options.dataFiles = true;
    const MergeResult result =
        MergeToFolder(Template(), folder.file("nul.csv"), folder.path(), options);
    ASSERT_TRUE(result.ok()) << (result.rowErrors.empty() ? "" : result.rowErrors[0]);
    EXPECT_EQ(result.removedControls, 3u);
    TDescriptionSheet expected = Template();
    expected.Title.Text = "ABC\tD";
    EXPECT_EQ(ReadWholeFile(folder.file("name.html")), BuildHtmlTags(expected));
    TDescriptionSheet loaded;
    ASSERT_FALSE(LoadDataFile(loaded, folder.file("name.qvl")));
    EXPECT_EQ(loaded.Title.Text, "ABC\tD");
}

#ifndef _WIN32
TEST(MergeBatch, PlantedLinksAndFoldersInTheOutputAreNeverFollowed) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("out"));
    WriteWholeFile(folder.file("important.txt"), "keep me");
    std::filesystem::create_symlink(folder.file("important.txt"), folder.file("out/victim.html"));
    std::filesystem::create_symlink(folder.file("nowhere"), folder.file("out/dangling.html"));
    std::filesystem::create_directory(folder.file("out/dir.html"));
    WriteWholeFile(folder.file("out/plain.html"), "old");
    WriteWholeFile(folder.file("items.csv"),
                   "タイトル,ファイル名\nA,victim\nB,dangling\nC,dir\nD,plain\n");
    const MergeResult result =
        MergeToFolder(Template(), folder.file("items.csv"), folder.file("out"), {});
    EXPECT_EQ(result.produced, 1);
    ASSERT_EQ(result.rowErrors.size(), 3u);
    EXPECT_EQ(result.rowErrors[0], "2行目 ファイル " + folder.file("out/victim.html") +
                                       " は通常のファイルではないため書き込みません");
    EXPECT_EQ(ReadWholeFile(folder.file("important.txt")), "keep me");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("out/victim.html")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("nowhere")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("out/dir.html")));
    EXPECT_NE(ReadWholeFile(folder.file("out/plain.html")), "old");

    // The folder itself may be a link the user named, but not a file.
    std::filesystem::create_directory_symlink(folder.file("out"), folder.file("linked"));
    WriteWholeFile(folder.file("one.csv"), "タイトル\nE\n");
    EXPECT_TRUE(MergeToFolder(Template(), folder.file("one.csv"), folder.file("linked"), {}).ok());
    EXPECT_TRUE(std::filesystem::exists(folder.file("out/0001.html")));
    const MergeResult notFolder =
        MergeToFolder(Template(), folder.file("one.csv"), folder.file("important.txt"), {});
    ASSERT_TRUE(notFolder.error);
    EXPECT_EQ(ReadWholeFile(folder.file("important.txt")), "keep me");
}
#endif

TEST(MergeBatch, CsvOutputNeverReplacesItsInput) {
    TempFolder folder;
    WriteWholeFile(folder.file("items.csv"), kItems);
    for (const std::string& out : {folder.file("items.csv"), folder.path() + "/./items.csv"}) {
        const MergeResult result = MergeToCsv(Template(), folder.file("items.csv"), out, {});
        ASSERT_TRUE(result.error) << out;
        EXPECT_NE(result.error->message.find("読み込む CSV ファイルそのもの"), std::string::npos);
        EXPECT_EQ(ReadWholeFile(folder.file("items.csv")), kItems);
    }
}
