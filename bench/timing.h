// The clock of the benchmark and the statistic it reports.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace velmora::bench {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) * 0.5;
}

}  // namespace velmora::bench
