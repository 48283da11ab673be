#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

using namespace quorvel;

namespace {

TDescriptionSheet FullSheet() {
    TDescriptionSheet sheet;
    for (int i = 0; i < kCellCount; ++i) {
        std::string text;
        while (text.size() < 990) text += "\x83J\x83\x81\x83\x89 line\r\n";  // "カメラ"
        sheet.CellAt(i).Text = text.substr(0, 1000);
        sheet.CellAt(i).Format.Bold = i % 2;
    }
    return sheet;
}

std::string TempPath() {
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/quorvel-bench-" +
           std::to_string(getpid()) + ".qvl";
}

void BM_BuildHtmlTags(benchmark::State& state) {
    const TDescriptionSheet sheet = FullSheet();
    for (auto _ : state) benchmark::DoNotOptimize(BuildHtmlTags(sheet));
}
BENCHMARK(BM_BuildHtmlTags);

void BM_SaveDataFile(benchmark::State& state) {
    const TDescriptionSheet sheet = FullSheet();
    const std::string path = TempPath();
    for (auto _ : state) benchmark::DoNotOptimize(SaveDataFile(sheet, path));
    unlink(path.c_str());
}
BENCHMARK(BM_SaveDataFile);

void BM_LoadDataFile(benchmark::State& state) {
    const std::string path = TempPath();
    SaveDataFile(FullSheet(), path);
    TDescriptionSheet sheet;
    for (auto _ : state) benchmark::DoNotOptimize(LoadDataFile(sheet, path));
    unlink(path.c_str());
}
BENCHMARK(BM_LoadDataFile);

}  // namespace

BENCHMARK_MAIN();
