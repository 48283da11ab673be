#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "TestUtil.h"
#include "platform/FileNames.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"
#include "sheet/ListingMerge.h"
#include "sheet/PlainText.h"
#include "store/DataFile.h"
#include "store/MergeBatch.h"

#include "MergeFixture.h"

using namespace mergetest;
using namespace quorvel;

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
                   "bad,私用\xF3\xB0\x80\x80です\r\n"  // U+F0000, private use: no cell takes it
                       + std::string("long,") + longText +
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
    EXPECT_NE(
        run.err.find("3行目 B列「説明１」: Shift_JIS にない文字「\xF3\xB0\x80\x80」(U+F0000)"),
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
             "--merge " + csv + " t.qvl extra --out d", "--merge " + csv + " t.qvl --out d --out e",
             "--merge " + csv + " t.qvl --out d --text --text-only",
             "--merge " + csv + " t.qvl --out d --check --check"}) {
        const ToolRun run = RunQvltags(usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("usage"), std::string::npos) << usage;
    }
}

namespace {

TDescriptionSheet MergedRow(const std::string& title, const std::string& description1,
                            const std::string& description2) {
    TDescriptionSheet sheet = Template();
    sheet.Title.Text = title;
    sheet.Rows[0].Description.Text = description1;
    sheet.Rows[1].Description.Text = description2;
    return sheet;
}

}  // namespace

TEST(MergeBatch, PlainTextBesideOrInsteadOfTheTags) {
    TempFolder folder;
    ASSERT_FALSE(SaveDataFile(Template(), folder.file("template.qvl")));
    WriteWholeFile(folder.file("items.csv"), kItems);
    const std::string merge =
        "--merge " + Quoted(folder.file("items.csv")) + " " + Quoted(folder.file("template.qvl"));
    const TDescriptionSheet camera = MergedRow(Sj("カメラ, 中古"), Sj("キヤノン \"EOS\""), "X-10");
    const TDescriptionSheet tv = MergedRow(Sj("テレビ"), Sj("ソニー\r\n４Ｋ"), "");

    ASSERT_EQ(
        RunQvltags(merge + " --out " + Quoted(folder.file("both")) + " --text", folder).status, 0);
    EXPECT_EQ(ReadWholeFile(folder.file("both/camera.html")), BuildHtmlTags(camera));
    EXPECT_EQ(ReadWholeFile(folder.file("both/camera.txt")), BuildPlainText(camera));
    EXPECT_EQ(ReadWholeFile(folder.file("both/0002.txt")), BuildPlainText(tv));
    EXPECT_NE(BuildPlainText(tv).find("\r\n"), std::string::npos);

    const ToolRun only =
        RunQvltags(merge + " --out " + Quoted(folder.file("only")) + " --text-only --qvl", folder);
    ASSERT_EQ(only.status, 0) << only.err;
    EXPECT_EQ(ReadWholeFile(folder.file("only/camera.txt")), BuildPlainText(camera));
    EXPECT_TRUE(std::filesystem::exists(folder.file("only/camera.qvl")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("only/camera.html")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("only/0002.html")));
    EXPECT_NE(only.err.find("2 件のタグを作成しました"), std::string::npos) << only.err;

    // In --csv output the text is a column after the tags, or the only one added.
    for (const bool textOnly : {false, true}) {
        const std::string out = folder.file(textOnly ? "only.csv" : "both.csv");
        ASSERT_EQ(
            RunQvltags(merge + " --csv " + Quoted(out) + (textOnly ? " --text-only" : " --text"),
                       folder)
                .status,
            0);
        const auto rows = ParseCsv(Sj(ReadWholeFile(out)));
        ASSERT_EQ(rows.size(), 3u);
        ASSERT_EQ(rows[0].size(), textOnly ? 6u : 7u);
        EXPECT_EQ(rows[0].back(), Sj("説明テキスト"));
        EXPECT_EQ(rows[1].back(), BuildPlainText(camera));
        EXPECT_EQ(rows[2].back(), BuildPlainText(tv));
        if (!textOnly) {
            EXPECT_EQ(rows[1][5], BuildHtmlTags(camera));
        }
    }
}

TEST(MergeBatch, CheckFindingsAreReportedWithoutFailingTheRow) {
    TempFolder folder;
    ASSERT_FALSE(SaveDataFile(Template(), folder.file("template.qvl")));
    WriteWholeFile(folder.file("items.csv"),
                   "ファイル名,タイトル,説明１\r\nclean,A,ok\r\nbold,B,<B>送料無料\r\n");
    const std::string merge =
        "--merge " + Quoted(folder.file("items.csv")) + " " + Quoted(folder.file("template.qvl"));
    const auto findings = CheckListing(MergedRow("B", Sj("<B>送料無料"), ""),
                                       BuildHtmlTags(MergedRow("B", Sj("<B>送料無料"), "")))
                              .findings;
    ASSERT_FALSE(findings.empty());
    ASSERT_TRUE(CheckListing(MergedRow("A", "ok", ""), BuildHtmlTags(MergedRow("A", "ok", "")))
                    .findings.empty());

    const ToolRun checked =
        RunQvltags(merge + " --out " + Quoted(folder.file("out")) + " --check", folder);
    EXPECT_EQ(checked.status, 0) << checked.err;
    EXPECT_TRUE(std::filesystem::exists(folder.file("out/bold.html")));
    for (const CheckFinding& finding : findings)
        EXPECT_NE(checked.err.find("3行目 " + FindingLine(finding)), std::string::npos)
            << checked.err;
    EXPECT_EQ(checked.err.find("2行目"), std::string::npos) << checked.err;

    const ToolRun unchecked = RunQvltags(merge + " --csv " + Quoted(folder.file("o.csv")), folder);
    EXPECT_EQ(unchecked.status, 0);
    EXPECT_EQ(unchecked.err.find(FindingLine(findings[0])), std::string::npos) << unchecked.err;

    // A failing row still fails the run; its findings are not looked for, though it has some:
    // one made before its file was refused, one refused while its cells were read.
    WriteWholeFile(folder.file("bad.csv"),
                   "ファイル名,タイトル,説明１\r\nb,B,<B>送料無料\r\n"
                   "../c,C,<B>送料無料\r\nd," +
                       std::string(1200, 'x') + ",<B>送料無料\r\n");
    const ToolRun bad = RunQvltags("--merge " + Quoted(folder.file("bad.csv")) + " " +
                                       Quoted(folder.file("template.qvl")) + " --out " +
                                       Quoted(folder.file("bad-out")) + " --check",
                                   folder);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("2行目 " + FindingLine(findings[0])), std::string::npos) << bad.err;
    for (const char* row : {"3行目", "4行目"}) {
        EXPECT_NE(bad.err.find(row), std::string::npos) << row << ": " << bad.err;
        EXPECT_EQ(bad.err.find(row + (" " + FindingLine(findings[0]))), std::string::npos)
            << bad.err;
    }
}
