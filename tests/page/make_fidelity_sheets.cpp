// make_fidelity_sheets: writes the reference sheets of the page fidelity fixtures, or lists the
// included cells of a stored sheet for the script that measures them in a browser.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "FidelitySheets.h"
#include "store/DataFile.h"

namespace {

constexpr const char kUsage[] =
    "usage: make_fidelity_sheets DIR        writes DIR/<name>.qvl for every reference sheet\n"
    "       make_fidelity_sheets --cells FILE.qvl\n"
    "                                       prints the tags of the sheet's included cells\n";

int WriteSheets(const std::string& dir) {
    for (const auto& reference : quorvel::fidelity::ReferenceSheets()) {
        const std::string path = dir + "/" + reference.name + ".qvl";
        if (const auto error = quorvel::SaveDataFile(reference.sheet, path)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), error->message.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

int PrintIncluded(const std::string& path) {
    quorvel::TDescriptionSheet sheet;
    if (const auto error = quorvel::LoadDataFile(sheet, path)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error->message.c_str());
        return 1;
    }
    std::string line;
    for (const int tag : quorvel::fidelity::IncludedTags(sheet))
        line += (line.empty() ? "" : " ") + std::to_string(tag);
    std::printf("%s\n", line.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--cells") == 0) return PrintIncluded(argv[2]);
        if (argc == 2 && argv[1][0] != '-') return WriteSheets(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_fidelity_sheets: %s\n", error.what());
        return 1;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
