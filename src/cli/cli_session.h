#pragma once

#include <cstdio>
#include <functional>

#include "cli/cli_options.h"

// Exit statuses of isp8252-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed =
    1;  // a verify found a difference, or a write or erase did not complete
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFileOrPort = 3;       // a file that can't be read or written, or no port
inline constexpr int kExitTimingViolation = 4;  // --sim: the simulated chip saw its timing broken
inline constexpr int kExitCancelled = 130;      // Ctrl-C, as a shell reports an interrupted command

// Runs one command: messages and results on `out`, errors and the progress bar on `err` (the
// bar only when `interactive`). Calibrates the counter against the monotonic clock first, in
// 200 ms, instead of the window's 5000 ms one-shot.
int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive);

namespace sim {
class SerialChip;
}
// Tests: each --sim chip is handed to `prepare` once loaded, to give it a fault (no chip in the
// socket, a cell that will not program) that no chip file can describe.
void SetSimulatedChipPreparation(std::function<void(sim::SerialChip&)> prepare);
