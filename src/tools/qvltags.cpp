// qvltags: writes the tag text of a stored sheet to standard output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"
#include "sheet/Maker.h"
#include "sheet/MarketRules.h"
#include "sheet/PlainText.h"
#include "store/DataFile.h"
#include "tools/ConsoleText.h"
#include "tools/MergeCommand.h"
#ifdef QUORVEL_HAVE_PAGE
#include "tools/PageWidthCheck.h"
#endif

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it uses.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <vector>

#include "platform/FileNames.h"
#endif

namespace {

constexpr const char kUsage[] =
    "usage: qvltags [--utf8] [--text] FILE.qvl\n"
    "       qvltags --check [--market generic|yahoo|ebay|text] [--utf8] FILE.qvl\n"
    "       qvltags --help | --version\n"
    "       qvltags --merge ITEMS.csv TEMPLATE.qvl (--out DIR [--qvl] | --csv OUT.csv)\n"
    "               [--skip-empty] [--text | --text-only] [--check [--market M]]\n"
    "               [--encoding utf-8|cp932]\n"
    "  Writes the HTML tag text of the sheet stored in FILE.qvl to standard output,\n"
    "  in Shift_JIS with CR LF line ends, or in UTF-8 with --utf8; with --text the sheet as\n"
    "  plain text (no tags) for sites that take no HTML. --check lists what would\n"
    "  break or be refused on a listing page instead (exit status 1 when anything is found);\n"
    "  --market adds that marketplace's own rules (generic: none).\n";

int Usage() {
    PrintMessage(kUsage);
    return 2;
}

// Asked-for help and version go to standard output and succeed, unlike wrong usage.
int Answered(int written) {
    return written >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

// Text for a person (UTF-8): characters on a console, else bytes in the form asked for.
bool WriteText(const std::string& text, bool utf8) {
    if (IsConsole(false) && WriteToConsole(false, text)) return true;
    std::string out;
    if (utf8) {
        out = text;
    } else {
        for (std::size_t at = 0; at < text.size();) {
            const auto ch = quorvel::sjis::NextUtf8(text, at);
            // An undecodable byte of a loaded cell shows as "?".
            if (!ch || !quorvel::sjis::AppendEncoded(out, *ch)) out += '?';
        }
    }
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0;
}

int CheckFindings(const quorvel::TDescriptionSheet& sheet, quorvel::CheckMarket market, bool utf8) {
    quorvel::CheckOptions options;
    options.market = market;
#ifdef QUORVEL_HAVE_PAGE
    MeasureWithEngine(sheet, options);
#endif
    const auto result = quorvel::CheckListing(sheet, quorvel::BuildHtmlTags(sheet), options);
    std::string lines;
    for (const quorvel::CheckFinding& finding : result.findings)
        lines += quorvel::FindingLine(finding) + "\n";
    const int status = !lines.empty() && !WriteText(lines, utf8) ? 1
                       : result.findings.empty()                 ? 0
                                                                 : 1;
#ifdef QUORVEL_HAVE_PAGE
    // A picture's decode that never ended is not waited for, nor is anything torn down under it.
    if (PicturesLeftRunning()) {
        std::fflush(stdout);
        std::_Exit(status);
    }
#endif
    return status;
}

#ifdef _WIN32
// The narrow arguments come in the ANSI code page, which spells few names exactly (é would be
// e): the wide command line, in UTF-8 like every file name the core takes.
std::vector<std::string> WideArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(quorvel::filenames::PathFromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The tag text is exact bytes: no LF to CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> arguments = WideArguments();
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (!arguments.empty()) {
        argc = static_cast<int>(arguments.size());
        argv = pointers.data();
    }
#endif
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--merge") == 0) return RunMergeCommand(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return Answered(std::fputs(kUsage, stdout));
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return Answered(std::printf("qvltags %d.%02d\n", quorvel::maker::kRelease / 100,
                                    quorvel::maker::kRelease % 100));
    bool utf8 = false, check = false, text = false;
    std::optional<quorvel::CheckMarket> market;
    const char* fileName = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--utf8") == 0 && !utf8) {
            utf8 = true;
        } else if (std::strcmp(argv[i], "--market") == 0 && !market && i + 1 < argc) {
            market = quorvel::ParseCheckMarket(argv[++i]);
            if (!market) return Usage();
        } else if (std::strcmp(argv[i], "--check") == 0 && !check && !text) {
            check = true;
        } else if (std::strcmp(argv[i], "--text") == 0 && !text && !check) {
            text = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else if (!fileName) {
            fileName = argv[i];
        } else {
            return Usage();
        }
    }
    if (!fileName || (market && !check)) return Usage();

    quorvel::TDescriptionSheet sheet;
    if (auto error = quorvel::LoadDataFile(sheet, fileName)) {
        PrintError(*error);
        return 1;
    }
    if (check) return CheckFindings(sheet, market.value_or(quorvel::CheckMarket::Generic), utf8);
    // Told beside the text, never in it: the written bytes stay the rendition alone.
    if (const std::size_t pictures = text ? quorvel::CountLeftOutPictures(sheet) : 0)
        PrintMessage("画像 " + std::to_string(pictures) + " 枚はテキストに含まれません\n");
    const std::string tags = text ? quorvel::BuildPlainText(sheet) : quorvel::BuildHtmlTags(sheet);
    // The tags keep a cell's references, which a browser shows as their characters; the plain
    // text in UTF-8 gives the characters themselves. Code page 932 cannot hold them, so its
    // plain text keeps the references as written.
    const auto toUtf8 = [text](const std::string& bytes) {
        return text ? quorvel::cellchars::ToUtf8(bytes) : quorvel::sjis::ToUtf8(bytes);
    };
    // A console shows characters, whichever form was asked for; anything else gets the bytes.
    if (IsConsole(false) && WriteToConsole(false, toUtf8(tags))) return 0;
    const std::string out = utf8 ? toUtf8(tags) : tags;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return 1;
    return 0;
}
