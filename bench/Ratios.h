#pragma once

#include <string>

// Benchmarks are compared with a baseline measured in the same run, never with a fixed time:
// a registered pair is printed after the run as name / baseline.
namespace bench {

bool CompareWith(const std::string& name, const std::string& baseline);

}  // namespace bench

#define BENCH_CONCAT_INNER(a, b) a##b
#define BENCH_CONCAT(a, b) BENCH_CONCAT_INNER(a, b)
#define BENCH_RATIO(name, baseline) \
    static const bool BENCH_CONCAT(benchRatio, __LINE__) = bench::CompareWith(name, baseline)
