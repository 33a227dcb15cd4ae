#include "sample_stats.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

SampleStats Summarise(std::vector<std::uint64_t> nanoseconds) {
    SampleStats stats;
    if (nanoseconds.empty()) {
        return stats;
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    const auto toUs = [](std::uint64_t ns) { return static_cast<double>(ns) / 1000.0; };
    const double total =
        std::accumulate(nanoseconds.begin(), nanoseconds.end(), 0.0,
                        [](double sum, std::uint64_t ns) { return sum + static_cast<double>(ns); });
    const std::size_t n = nanoseconds.size();
    stats.mean = total / static_cast<double>(n) / 1000.0;
    stats.median = toUs(nanoseconds[n / 2]);
    stats.p99 = toUs(nanoseconds[std::min(n - 1, n * 99 / 100)]);
    stats.min = toUs(nanoseconds.front());
    stats.max = toUs(nanoseconds.back());
    return stats;
}

void PrintHeader() {
    std::printf("%-34s %10s %10s %10s %10s %10s %10s %9s %9s %9s\n", "operation", "mandated",
                "mean", "median", "p99", "min", "max", "mean/req", "med/req", "min/req");
    std::printf("%-34s %10s %10s %10s %10s %10s %10s\n", "", "(us)", "(us)", "(us)", "(us)", "(us)",
                "(us)");
}

void PrintRow(const std::string& what, const SampleStats& stats, double mandatedMicroseconds) {
    std::printf("%-34s %10.1f %10.2f %10.2f %10.2f %10.2f %10.2f %9.4f %9.4f %9.4f\n", what.c_str(),
                mandatedMicroseconds, stats.mean, stats.median, stats.p99, stats.min, stats.max,
                stats.mean / mandatedMicroseconds, stats.median / mandatedMicroseconds,
                stats.min / mandatedMicroseconds);
}
