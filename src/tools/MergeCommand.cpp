#include "tools/MergeCommand.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/FileNames.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"
#include "sheet/MarketRules.h"
#include "sheet/PlainText.h"
#include "store/DataFile.h"
#include "store/MergeBatch.h"
#include "store/MergeChoices.h"
#include "tools/ConsoleText.h"

namespace {

int MergeUsage() {
    PrintMessage(
        "usage: qvltags --merge ITEMS.csv TEMPLATE.qvl --out DIR [--skip-empty] [--qvl]\n"
        "                         [--text | --text-only] [--check [--market M]]\n"
        "                         [--encoding utf-8|cp932]\n"
        "       qvltags --merge ITEMS.csv TEMPLATE.qvl --csv OUT.csv [--skip-empty]\n"
        "                         [--text | --text-only] [--check [--market M]]\n"
        "                         [--encoding utf-8|cp932]\n"
        "  Fills the sheet in TEMPLATE.qvl from each row of ITEMS.csv, whose first row names the\n"
        "  cells (タイトル, 項目１..項目１０, 説明１..説明１０, 枠外注記) and the file "
        "(ファイル名).\n"
        "  --out writes one Shift_JIS tag file per row into DIR (--qvl: also the sheet as .qvl);\n"
        "  --csv writes the spreadsheet again with a last column 説明HTML holding the tags.\n"
        "  --skip-empty leaves out a named cell whose text is empty.\n"
        "  --text also writes each row's plain text (.txt file, or column 説明テキスト);\n"
        "  --text-only writes the plain text instead of the tags.\n"
        "  --check adds each row's listing-check findings to the report (rows still succeed);\n"
        "  --market generic|yahoo|ebay|text adds that marketplace's own rules to them.\n");
    return 2;
}

struct MergeArguments {
    const char* csvPath = nullptr;
    const char* templatePath = nullptr;
    const char* outFolder = nullptr;
    const char* csvOut = nullptr;
    bool check = false;
    std::optional<quorvel::CheckMarket> market;
    quorvel::MergeOptions options;
};

// Parses everything after the program name; false for wrong usage.
bool ParseMergeArguments(int argc, char** argv, MergeArguments& args) {
    bool merge = false;
    bool skipEmpty = false;
    bool dataFiles = false;
    bool text = false;
    bool textOnly = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--merge") == 0 && !merge) {
            merge = true;
        } else if (std::strcmp(arg, "--skip-empty") == 0 && !skipEmpty) {
            skipEmpty = true;
        } else if (std::strcmp(arg, "--qvl") == 0 && !dataFiles) {
            dataFiles = true;
        } else if (std::strcmp(arg, "--text") == 0 && !text) {
            text = true;
        } else if (std::strcmp(arg, "--text-only") == 0 && !textOnly) {
            textOnly = true;
        } else if (std::strcmp(arg, "--check") == 0 && !args.check) {
            args.check = true;
        } else if (std::strcmp(arg, "--market") == 0 && hasValue && !args.market) {
            args.market = quorvel::ParseCheckMarket(argv[++i]);
            if (!args.market) return false;
        } else if (std::strcmp(arg, "--out") == 0 && hasValue && !args.outFolder) {
            args.outFolder = argv[++i];
        } else if (std::strcmp(arg, "--csv") == 0 && hasValue && !args.csvOut) {
            args.csvOut = argv[++i];
        } else if (std::strcmp(arg, "--encoding") == 0 && hasValue && !args.options.encoding) {
            const char* name = argv[++i];
            if (std::strcmp(name, "utf-8") == 0)
                args.options.encoding = quorvel::CsvEncoding::Utf8;
            else if (std::strcmp(name, "cp932") == 0)
                args.options.encoding = quorvel::CsvEncoding::Cp932;
            else
                return false;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return false;
        } else if (!args.csvPath) {
            args.csvPath = arg;
        } else if (!args.templatePath) {
            args.templatePath = arg;
        } else {
            return false;
        }
    }
    args.options.skipEmpty = skipEmpty;
    args.options.dataFiles = dataFiles;
    quorvel::ApplyMergeTextChoice(args.options, textOnly ? quorvel::MergeTextChoice::TextOnly
                                                : text   ? quorvel::MergeTextChoice::TagsAndText
                                                         : quorvel::MergeTextChoice::TagsOnly);
    const bool oneTarget = (args.outFolder != nullptr) != (args.csvOut != nullptr);
    return merge && args.templatePath && oneTarget && !(dataFiles && args.csvOut) &&
           !(text && textOnly) && (args.check || !args.market);
}

}  // namespace

int RunMergeCommand(int argc, char** argv) {
    MergeArguments args;
    if (!ParseMergeArguments(argc, argv, args)) return MergeUsage();

    quorvel::TDescriptionSheet templateSheet;
    if (auto error = quorvel::LoadDataFile(templateSheet, args.templatePath)) {
        PrintError(*error);
        return 1;
    }
    // Each failure is told as it happens, naming the spreadsheet and the row: a long run shows
    // them at once, and none is held back for the end.
    const std::string prefix =
        std::string(quorvel::kMergeCaption) + ": " + quorvel::filenames::ToUtf8(args.csvPath) + " ";
    const bool check = args.check;
    quorvel::CheckOptions checkOptions;
    checkOptions.market = args.market.value_or(quorvel::CheckMarket::Generic);
    args.options.onRow = [&prefix, check, &checkOptions](const quorvel::MergeRowEvent& row) {
        if (!row.problem.empty()) PrintMessage(prefix + std::string(row.problem) + "\n");
        // Findings are advice: the row is made all the same and the exit status stays.
        if (check)
            for (const std::string& line : quorvel::MergeRowCheckLines(row, checkOptions))
                PrintMessage(prefix + line + "\n");
        return true;
    };
    quorvel::MergeResult result;
    if (args.outFolder) {
        std::error_code ignored;
        std::filesystem::create_directories(args.outFolder, ignored);
        result = quorvel::MergeToFolder(templateSheet, args.csvPath, args.outFolder, args.options);
    } else {
        result = quorvel::MergeToCsv(templateSheet, args.csvPath, args.csvOut, args.options);
    }
    if (result.error) PrintError(*result.error);
    if (result.error && result.produced == 0) return 1;
    if (!result.ignoredColumns.empty()) {
        std::string list;
        for (const std::string& column : result.ignoredColumns)
            list += (list.empty() ? "" : ", ") + column;
        PrintMessage(std::string(quorvel::kMergeCaption) + ": 使わない列: " + list + "\n");
    }
    if (result.removedControls > 0)
        PrintMessage(std::string(quorvel::kMergeCaption) + ": 制御文字 " +
                     std::to_string(result.removedControls) + " 個を取り除きました\n");
    PrintMessage(std::string(quorvel::kMergeCaption) + ": " + std::to_string(result.produced) +
                 " 件のタグを作成しました\n");
    return result.ok() ? 0 : 1;
}
