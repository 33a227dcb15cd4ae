#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Summary of repeated timings of one operation, in microseconds.
struct SampleStats {
    double mean = 0;
    double median = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
};

SampleStats Summarise(std::vector<std::uint64_t> nanoseconds);

// One row of the result table: what was timed, against which mandated wait.
void PrintHeader();
void PrintRow(const std::string& what, const SampleStats& stats, double mandatedMicroseconds);
