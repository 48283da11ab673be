#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// What the start-up benchmark reads from inside a program: the editor's hidden bench mode and the
// minimal yardstick window report the same way, so their figures compare.
namespace bench_probe {

// Wall-clock time, comparable with the `date +%s%N` the script takes before starting us.
inline long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Resident memory in KB from Linux's process status; -1 elsewhere.
inline long RssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Both programs settle this long after their first paint, and copy this many times, so their
// figures compare.
inline constexpr int kSettleMs = 1500;
inline constexpr int kTagCopyRounds = 21;

// The median of kTagCopyRounds runs of `copy`, in microseconds.
template <typename Copy>
double MedianCopyUs(Copy copy) {
    std::vector<double> rounds;
    for (int i = 0; i < kTagCopyRounds; ++i) {
        const long long start = NowNs();
        copy();
        rounds.push_back(static_cast<double>(NowNs() - start) / 1e3);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

}  // namespace bench_probe
