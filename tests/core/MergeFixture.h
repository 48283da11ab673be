#pragma once
// What the merge's tests share: a template, a spreadsheet in UTF-8, the tool run under a time-out
// and a reading of CSV bytes kept apart from the reader under test.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "sheet/DescriptionSheet.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"
#include "store/MergeBatch.h"

namespace mergetest {

using namespace quorvel;

inline TDescriptionSheet Template() {
    TDescriptionSheet sheet;
    sheet.Title.Format.FontSize = 14;
    sheet.Rows[0].Item.Text = Sj("メーカー");
    sheet.Rows[1].Item.Text = Sj("型番");
    sheet.Rows[1].Description.Format.Bold = true;
    sheet.Note.Text = Sj("よろしくお願いします");
    return sheet;
}

// What one row must give: the template with these cells set by hand.
inline std::string ExpectedTags(const std::string& title, const std::string& description1,
                                const std::string& description2) {
    TDescriptionSheet sheet = Template();
    sheet.Title.Text = title;
    sheet.Rows[0].Description.Text = description1;
    sheet.Rows[1].Description.Text = description2;
    return BuildHtmlTags(sheet);
}

// The spreadsheet every encoding test uses (UTF-8 text): a named row with a quoted comma and
// quotes, a numbered row with a line break in a field, an ignored column.
inline const std::string kItems =
    "ファイル名,タイトル,説明１,説明2,価格\r\n"
    "camera,\"カメラ, 中古\",\"キヤノン \"\"EOS\"\"\",X-10,100\r\n"
    ",テレビ,\"ソニー\n４Ｋ\",,5\r\n";

struct ToolRun {
    int status;
    std::string err;
};

inline ToolRun RunQvltags(const std::string& arguments, const TempFolder& folder) {
    const ProgramRun run = RunCommand(ShellQuote(QvltagsPath()) + " " + arguments, folder);
    return {run.status, run.err};
}

inline std::string Quoted(const std::string& path) {
    return ShellQuote(path);
}

// The test's own reading of a CSV file, kept apart from the reader under test.
inline std::vector<std::vector<std::string>> ParseCsv(const std::string& bytes) {
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

// The tool under a time-out: an input that blocks must fail the test, not hang it.
inline ToolRun RunMergeTool(const TempFolder& folder, const std::string& input,
                            const std::string& target) {
#ifdef _WIN32
    const std::string bound;  // no FIFO or device is tried there
#else
    const std::string bound = "timeout 20 ";
#endif
    const ProgramRun run =
        RunCommand(bound + ShellQuote(QvltagsPath()) + " --merge " + Quoted(input) + " " +
                       Quoted(folder.file("template.qvl")) + " " + target,
                   folder);
    return {run.status, run.err};
}

inline std::string OutFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) joined += name + " ";
    return joined;
}

}  // namespace mergetest
