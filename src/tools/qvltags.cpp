// qvltags: writes the tag text of a stored sheet to standard output.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/Maker.h"
#include "store/DataFile.h"

namespace {

constexpr const char kUsage[] =
    "usage: qvltags [--utf8] FILE.qvl\n"
    "       qvltags --help | --version\n"
    "  Writes the HTML tag text of the sheet stored in FILE.qvl to standard output,\n"
    "  in Shift_JIS with CR LF line ends, or in UTF-8 with --utf8.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Asked-for help and version go to standard output and succeed, unlike wrong usage.
int Answered(int written) {
    return written >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return Answered(std::fputs(kUsage, stdout));
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return Answered(std::printf("qvltags %d.%02d\n", quorvel::maker::kRelease / 100,
                                    quorvel::maker::kRelease % 100));
    bool utf8 = false;
    const char* fileName = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--utf8") == 0 && !utf8) {
            utf8 = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else if (!fileName) {
            fileName = argv[i];
        } else {
            return Usage();
        }
    }
    if (!fileName) return Usage();

    quorvel::TDescriptionSheet sheet;
    if (auto error = quorvel::LoadDataFile(sheet, fileName)) {
        std::fprintf(stderr, "%s: %s\n", error->caption.c_str(), error->message.c_str());
        return 1;
    }
    const std::string tags = quorvel::BuildHtmlTags(sheet);
    const std::string out = utf8 ? quorvel::sjis::ToUtf8(tags) : tags;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return 1;
    return 0;
}
