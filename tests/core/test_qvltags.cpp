#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>

#include "TestUtil.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

using namespace quorvel;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun RunQvltags(const std::string& arguments, const TempFolder& folder) {
    const std::string errFile = folder.file("stderr.txt");
    const std::string command = std::string(QVLTAGS_PATH) + " " + arguments + " 2>" + errFile;
    FILE* pipe = popen(command.c_str(), "r");
    ToolRun run{};
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadWholeFile(errFile);
    return run;
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

    const ToolRun sjisRun = RunQvltags("'" + path + "'", folder);
    EXPECT_EQ(sjisRun.status, 0);
    EXPECT_EQ(sjisRun.out, BuildHtmlTags(sheet));

    const ToolRun utf8Run = RunQvltags("--utf8 '" + path + "'", folder);
    EXPECT_EQ(utf8Run.status, 0);
    EXPECT_EQ(utf8Run.out, sjis::ToUtf8(BuildHtmlTags(sheet)));
    EXPECT_NE(utf8Run.out.find("デジタルカメラ①"), std::string::npos);
}

TEST(Qvltags, LoadFailureAndUsage) {
    TempFolder folder;
    const std::string path = folder.file("broken.qvl");
    WriteWholeFile(path, std::string(23552, 'x'));
    const ToolRun broken = RunQvltags("'" + path + "'", folder);
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(broken.out.empty());
    EXPECT_NE(broken.err.find("ファイルが壊れているか、異常なデータファイルです"),
              std::string::npos);

    const ToolRun missing = RunQvltags("'" + folder.file("none.qvl") + "'", folder);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("は開けません"), std::string::npos);

    for (const char* usage : {"", "--utf8", "--bogus x.qvl", "a.qvl b.qvl"}) {
        const ToolRun run = RunQvltags(usage, folder);
        EXPECT_EQ(run.status, 2) << usage;
        EXPECT_NE(run.err.find("usage"), std::string::npos) << usage;
    }
}
