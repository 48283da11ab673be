#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

#include "BenchSheets.h"
#include "store/DataFile.h"

using namespace quorvel;

namespace {

std::string TempPath() {
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/quorvel-bench-" +
           std::to_string(getpid()) + ".qvl";
}

void BM_SaveDataFile(benchmark::State& state) {
    const TDescriptionSheet sheet = bench::FullSheet();
    const std::string path = TempPath();
    for (auto _ : state) benchmark::DoNotOptimize(SaveDataFile(sheet, path));
    unlink(path.c_str());
}
BENCHMARK(BM_SaveDataFile);

void BM_LoadDataFile(benchmark::State& state) {
    const std::string path = TempPath();
    SaveDataFile(bench::FullSheet(), path);
    TDescriptionSheet sheet;
    for (auto _ : state) benchmark::DoNotOptimize(LoadDataFile(sheet, path));
    unlink(path.c_str());
}
BENCHMARK(BM_LoadDataFile);

}  // namespace
