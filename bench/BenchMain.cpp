#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ratios.h"

namespace bench {
namespace {

std::vector<std::pair<std::string, std::string>>& Pairs() {
    static std::vector<std::pair<std::string, std::string>> pairs;
    return pairs;
}

// The console report as usual, keeping each run's processor time per iteration for the summary:
// on a shared machine the wall-clock time mostly measures the other processes.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            nanoseconds_[run.benchmark_name()] =
                run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations);
        }
    }

    void PrintRatios() const {
        bool header = false;
        for (const auto& [name, baseline] : Pairs()) {
            const auto measured = nanoseconds_.find(name);
            const auto base = nanoseconds_.find(baseline);
            if (measured == nanoseconds_.end() || base == nanoseconds_.end()) continue;
            if (!header) {
                std::printf("\n%-40s %12s  %-40s %12s  %7s\n", "benchmark", "cpu ns", "baseline",
                            "cpu ns", "ratio");
                header = true;
            }
            std::printf("%-40s %12.0f  %-40s %12.0f  %6.2fx\n", name.c_str(), measured->second,
                        baseline.c_str(), base->second, measured->second / base->second);
        }
    }

  private:
    std::map<std::string, double> nanoseconds_;
};

}  // namespace

bool CompareWith(const std::string& name, const std::string& baseline) {
    Pairs().emplace_back(name, baseline);
    return true;
}

}  // namespace bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
