#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/programming_commands.h"
#include "platform/port_choice.h"

// isp8252-cli [OPTIONS] COMMAND [FILE]
enum class CliCommand { kErase, kProgram, kRead, kVerify, kDump, kLock, kSignature };

struct CliOptions {
    std::optional<std::string> simulatedChip;  // --sim: flash kept in this file between runs
    std::optional<std::string> trace;          // --trace: the cable trace of this run, as VCD
    PortChoice port;                           // --port: the real port; the first by default
    // --osc: the target's crystal; data-sheet timing, polled and incremental writes. Without it
    // the link keeps the window program's fixed timing.
    std::optional<std::uint64_t> oscillatorHz;
    std::uint64_t simulatedOscillatorHz = 12'000'000;  // --sim-osc: the simulated chip's crystal
    bool fullRead = false;                             // read --full: all 8192 bytes
    Memory memory = Memory::kCode;  // --memory: what program, read, verify and dump work on
    int lockMode = 0;               // lock: protection mode 2, 3 or 4; 0 reads it back
    bool help = false;              // --help: print the help, run nothing
    bool version = false;           // --version: print the version, run nothing
    bool listPorts = false;         // --list-ports: list the ports and adapters, run nothing
    // --chip: the chip on the cable; nullptr for `auto` (probed for). The AT89S8252 by default.
    const ChipRow* chip = &At89s8252Row();
    const ChipRow* simulatedChipKind = &At89s8252Row();  // --sim-chip: the simulated chip
    // --sim-ftdi-clock: the simulated FT232R's pin clock over its baud value, 4 or 16.
    unsigned simulatedBitbangMultiplier = 16;
    CliCommand command = CliCommand::kErase;
    std::string file;  // program/verify: the image; read: the output; lock: the mode
};

// The options, or nothing with `error` saying what is wrong.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string* error);

// A crystal frequency as the user writes it: plain hertz or with a k or M suffix, decimals
// allowed ("12M", "11.0592M", "24000k"); nothing when it is not a whole number of hertz.
std::optional<std::uint64_t> ParseFrequencyHz(const std::string& text);

// The short usage shown after a usage error, and the full --help text.
extern const char* const kCliUsage;
std::string CliHelp();
