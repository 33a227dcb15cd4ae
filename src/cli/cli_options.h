#pragma once

#include <optional>
#include <string>
#include <vector>

// isp8252-cli [--sim=CHIP.bin] [--trace=FILE.vcd] COMMAND
enum class CliCommand { kErase, kProgram, kRead, kVerify, kDump };

struct CliOptions {
    std::optional<std::string> simulatedChip;  // --sim: flash kept in this file between runs
    std::optional<std::string> trace;          // --trace: the cable trace of this run, as VCD
    CliCommand command = CliCommand::kErase;
    std::string file;  // program/verify: the image; read: the output
};

// The options, or nothing with `error` saying what is wrong.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string* error);

extern const char* const kCliUsage;
