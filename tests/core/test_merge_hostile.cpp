#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MergeFixture.h"
#include "TestUtil.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"
#include "store/MergeBatch.h"

using namespace mergetest;

TEST(MergeBatch, OnlyARegularSpreadsheetIsRead) {
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
    TempFolder folder;
    static constexpr char kBytes[] =
        "ファイル名,タイトル\r\nna\0me,A\0B\x1B"
        "C\tD\r\n";
    const std::string bytes(kBytes, sizeof kBytes - 1);
    WriteWholeFile(folder.file("controls.csv"), bytes);
    MergeOptions options;
    options.dataFiles = true;
    const MergeResult result =
        MergeToFolder(Template(), folder.file("controls.csv"), folder.path(), options);
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

TEST(MergeBatch, RowsInAnotherEncodingFailAloneWithTheirRow) {
    TempFolder folder;
    // A UTF-8 table with one row saved as Shift_JIS in the middle.
    WriteWholeFile(folder.file("mixed.csv"), "タイトル,説明１\r\nカメラ,美品\r\n" +
                                                 Sj("テレビ,中古") + "\r\nラジオ,動作品\r\n");
    const MergeResult mixed =
        MergeToFolder(Template(), folder.file("mixed.csv"), folder.path(), {});
    EXPECT_FALSE(mixed.error);
    EXPECT_EQ(mixed.produced, 2);
    ASSERT_EQ(mixed.rowErrors.size(), 1u);
    EXPECT_EQ(mixed.rowErrors[0].rfind("3行目 A列「タイトル」: UTF-8 として読めない", 0), 0u)
        << mixed.rowErrors[0];
    EXPECT_EQ(ReadWholeFile(folder.file("0003.html")),
              ExpectedTags(Sj("ラジオ"), Sj("動作品"), ""));
    // Forcing the other encoding: the heading, UTF-8, cannot be read that way, and the whole
    // run fails naming it.
    MergeOptions cp932;
    cp932.encoding = CsvEncoding::Cp932;
    std::filesystem::create_directory(folder.file("none"));
    const MergeResult forced =
        MergeToFolder(Template(), folder.file("mixed.csv"), folder.file("none"), cp932);
    ASSERT_TRUE(forced.error);
    EXPECT_NE(forced.error->message.find("mixed.csv の1行目 "), std::string::npos)
        << forced.error->message;
    EXPECT_NE(forced.error->message.find("Shift_JIS として読めないバイト"), std::string::npos);
    EXPECT_EQ(forced.produced, 0);
    EXPECT_EQ(OutFiles(folder.file("none")), "");
}

TEST(MergeBatch, CsvOutputReadsBackAsTheSameTableInItsEncoding) {
    TempFolder folder;
    // ﾓ"ｱ: half-width katakana around a quote in a plain field. Its bytes D3 22 B1 must come
    // back as they were, and D3 B1 alone would pass for UTF-8.
    const std::string sjisInput = Sj("タイトル,価格\r\n") + "\xD3\"\xB1,1\r\n" + Sj("ﾓｱ,2\r\n");
    const std::string utf8Input =
        "\xEF\xBB\xBF"
        "タイトル,価格\nカメラ,\"a\"\"b\"\n";
    for (const std::string& input : {sjisInput, utf8Input}) {
        WriteWholeFile(folder.file("in.csv"), input);
        const MergeResult result =
            MergeToCsv(Template(), folder.file("in.csv"), folder.file("out.csv"), {});
        ASSERT_TRUE(result.ok());
        const CsvTable in = ReadCsv(input);
        const CsvTable out = ReadCsv(ReadWholeFile(folder.file("out.csv")));
        EXPECT_EQ(out.encoding, in.encoding);
        EXPECT_EQ(out.byteOrderMark, in.byteOrderMark);
        EXPECT_EQ(out.lineEnd, in.lineEnd);
        ASSERT_EQ(out.rows.size(), in.rows.size());
        for (std::size_t r = 0; r < in.rows.size(); ++r) {
            ASSERT_EQ(out.rows[r].size(), 3u) << r;
            EXPECT_EQ(CsvRow(out.rows[r].begin(), out.rows[r].begin() + 2), in.rows[r]) << r;
        }
        TDescriptionSheet first = Template();
        first.Title.Text = in.encoding == CsvEncoding::Cp932 ? "\xD3\"\xB1" : Sj("カメラ");
        const std::string tags = BuildHtmlTags(first);
        EXPECT_EQ(out.rows[1][2],
                  in.encoding == CsvEncoding::Cp932 ? tags : quorvel::sjis::ToUtf8(tags));
    }
}

TEST(MergeBatch, TheRowHookSeesEveryRowAndCanStop) {
    TempFolder folder;
    WriteWholeFile(folder.file("items.csv"), "タイトル\nA\n\nbad\xC2\x85\nD\nE\n");
    std::vector<std::string> seen;
    MergeOptions options;
    options.onRow = [&](const MergeRowEvent& row) {
        seen.push_back(std::to_string(row.row) + (row.blank ? " blank" : "") +
                       (row.sheet ? " made " + row.sheet->Title.Text : "") +
                       (row.problem.empty() ? "" : " failed"));
        return row.row < 5;
    };
    const MergeResult result =
        MergeToFolder(Template(), folder.file("items.csv"), folder.path(), options);
    EXPECT_EQ(seen, (std::vector<std::string>{"2 made A", "3 blank", "4 failed", "5 made D"}));
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.produced, 2);
    EXPECT_EQ(result.failed, 1u);
    EXPECT_TRUE(std::filesystem::exists(folder.file("0004.html")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("0005.html")));
    // A table stopped half-way is not written at all.
    const MergeResult csv =
        MergeToCsv(Template(), folder.file("items.csv"), folder.file("out.csv"), options);
    EXPECT_TRUE(csv.stopped);
    EXPECT_FALSE(std::filesystem::exists(folder.file("out.csv")));
    EXPECT_EQ(OutFiles(folder.path()), "0001.html 0004.html items.csv ");
}

TEST(MergeBatch, FurtherRenditionsAreWrittenAndTheirNamesChecked) {
    TempFolder folder;
    WriteWholeFile(folder.file("items.csv"), "ファイル名,タイトル\ncam,A\ncam.txt,B\n");
    MergeOptions options;
    options.renditions.push_back({".txt", "本文", [](const TDescriptionSheet& sheet) {
                                      return "title=" + sheet.Title.Text;
                                  }});
    const MergeResult result =
        MergeToFolder(Template(), folder.file("items.csv"), folder.path(), options);
    EXPECT_EQ(ReadWholeFile(folder.file("cam.txt")), "title=A");
    // The second row's files are "cam.txt.html" and "cam.txt.txt": both free.
    EXPECT_TRUE(result.ok()) << (result.rowErrors.empty() ? "" : result.rowErrors[0]);
    EXPECT_EQ(ReadWholeFile(folder.file("cam.txt.txt")), "title=B");
    // A row whose tags would take another row's text file is refused.
    WriteWholeFile(folder.file("clash.csv"), "ファイル名,タイトル\nx,A\nx.txt,B\nx.TXT.html,C\n");
    const MergeResult clash =
        MergeToFolder(Template(), folder.file("clash.csv"), folder.path(), options);
    ASSERT_EQ(clash.rowErrors.size(), 1u);
    EXPECT_NE(clash.rowErrors[0].find("3行目と重なっています"), std::string::npos)
        << clash.rowErrors[0];
    // In --csv output the rendition is one more column after the tags.
    ASSERT_TRUE(
        MergeToCsv(Template(), folder.file("items.csv"), folder.file("out.csv"), options).ok());
    const auto rows = ReadCsv(ReadWholeFile(folder.file("out.csv"))).rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (CsvRow{"ファイル名", "タイトル", "説明HTML", "本文"}));
    EXPECT_EQ(rows[2][3], "title=B");
}

TEST(MergeBatch, OverLongFieldsFailTheirRowOnly) {
    TempFolder folder;
    const std::string huge(200000, 'p');
    WriteWholeFile(folder.file("items.csv"), "タイトル,メモ\r\n" + std::string(5000, 'x') +
                                                 ",a\r\nB," + huge + "\r\nC,c\r\n");
    const MergeResult result =
        MergeToFolder(Template(), folder.file("items.csv"), folder.path(), {});
    // The unnamed column is neither read nor written for folder output.
    EXPECT_EQ(result.produced, 2);
    ASSERT_EQ(result.rowErrors.size(), 1u);
    EXPECT_EQ(result.rowErrors[0],
              "2行目 A列「タイトル」: 5000 バイトあり、1000 バイトを超えています");
    // Written back, it must fit what a spreadsheet cell holds.
    const MergeResult csv =
        MergeToCsv(Template(), folder.file("items.csv"), folder.file("out.csv"), {});
    EXPECT_EQ(csv.produced, 1);
    ASSERT_EQ(csv.rowErrors.size(), 2u);
    EXPECT_EQ(csv.rowErrors[1], "3行目 B列「メモ」: 200000 バイトあり、長すぎます");
    EXPECT_EQ(ParseCsv(ReadWholeFile(folder.file("out.csv"))).size(), 2u);
}

#ifndef _WIN32
TEST(MergeBatch, AReplacedOutputKeepsItsPermissions) {
    TempFolder folder;
    WriteWholeFile(folder.file("0001.html"), "old");
    std::filesystem::permissions(folder.file("0001.html"), std::filesystem::perms(0640));
    WriteWholeFile(folder.file("items.csv"), "タイトル\nA\nB\n");
    ASSERT_TRUE(MergeToFolder(Template(), folder.file("items.csv"), folder.path(), {}).ok());
    EXPECT_EQ(std::filesystem::status(folder.file("0001.html")).permissions(),
              std::filesystem::perms(0640));
    EXPECT_NE(ReadWholeFile(folder.file("0001.html")), "old");
    // No temporary is left behind.
    EXPECT_EQ(OutFiles(folder.path()), "0001.html 0002.html items.csv ");
}
#endif
