#include "cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "device/timing.h"

const char* const kCliUsage =
    "usage: isp8252-cli [--sim=CHIP.bin] [--trace=FILE.vcd] [--osc=FREQ] [--sim-osc=FREQ] "
    "[--memory=code|eeprom] [--port=PORT] COMMAND\n"
    "commands:\n"
    "  erase           erase the chip: code flash, data EEPROM and lock bits\n"
    "  program FILE    write FILE into the chip, then verify it\n"
    "  read OUT.bin    read the chip (up to its first run of 52 equal bytes) into OUT.bin;\n"
    "                  with --full, all 8192 bytes\n"
    "  verify FILE     compare the chip with FILE without writing\n"
    "  dump            list the chip's contents as address/value lines\n"
    "  lock MODE       program the lock bits: 2 no more code writes, 3 and 4 also no read-back\n"
    "  lock            read the lock bits back (AT89S51, AT89S52, AT89S8253)\n"
    "  signature       read the chip's signature bytes and name the chip\n"
    "--memory=eeprom points program, read, verify and dump at the 2048-byte data EEPROM\n"
    "(reads then cover all of it).\n"
    "FILE is a raw binary when its name ends in .bin, else Intel HEX or Motorola S-records.\n"
    "--help lists every option.\n";

namespace {

std::string ChipNames() {
    std::string names;
    for (const ChipRow& row : ChipTable()) {
        names += (names.empty() ? "" : ", ") + std::string(row.name);
    }
    return names;
}

struct CommandSpec {
    const char* name;
    CliCommand command;
    bool takesFile;
};

constexpr CommandSpec kCommands[] = {
    {"erase", CliCommand::kErase, false},
    {"program", CliCommand::kProgram, true},
    {"read", CliCommand::kRead, true},
    {"verify", CliCommand::kVerify, true},
    {"dump", CliCommand::kDump, false},
    {"lock", CliCommand::kLock, true},
    {"signature", CliCommand::kSignature, false},
};

// Every option, on `app`, with its value landing in the strings below.
struct OptionValues {
    std::vector<std::string> words;
    std::string sim;
    std::string trace;
    std::string osc;
    std::string simOsc;
    std::string memory;
    std::string port;
    std::string chip;
    std::string simChip;
    unsigned simFtdiClock = 16;
    bool full = false;
    bool version = false;
    bool listPorts = false;
};

void DescribeOptions(CLI::App& app, OptionValues& values) {
    app.set_help_flag("--help", "print this help and exit");
    // On Windows CLI11 would take "/path" for an option; file names there may start with '/'.
    app.allow_windows_style_options(false);
    app.add_option("--sim", values.sim,
                   "run against a simulated chip whose flash is kept in CHIP.bin (created "
                   "erased when missing)")
        ->type_name("CHIP.bin");
    app.add_option("--trace", values.trace,
                   "with --sim: write the chip's RST, SCK, MOSI and MISO pins as a VCD file")
        ->type_name("FILE.vcd");
    app.add_option("--osc", values.osc,
                   "the target's crystal, 3 to 24 MHz (12M, 11.0592M, 24000k): clock at the "
                   "data sheet's speed for it, poll each write, skip bytes already equal")
        ->type_name("FREQ");
    app.add_option("--sim-osc", values.simOsc,
                   "with --sim: the simulated chip's crystal (default 12M); a run that breaks "
                   "its timing ends with exit status 4")
        ->type_name("FREQ");
    app.add_option("--chip", values.chip,
                   "the chip on the cable: at89s51, at89s52, at89s53, at89s8252 (default), "
                   "at89s8253, or auto (probes for a four-byte chip without writing)")
        ->type_name("CHIP");
    app.add_option("--sim-chip", values.simChip,
                   "with --sim: which chip the simulated one is (default at89s8252)")
        ->type_name("CHIP");
    app.add_option("--sim-ftdi-clock", values.simFtdiClock,
                   "with --sim and an FT232R: its pin clock over the baud value, 4 or 16 "
                   "(default 16)")
        ->type_name("4|16");
    app.add_flag("--version", values.version, "print the version and exit");
    app.add_flag("--list-ports", values.listPorts,
                 "list the parallel ports and USB, GPIO and SPI adapters this machine shows, "
                 "with the PORT text for each, and exit");
    app.add_flag("--full", values.full, "read: all 8192 bytes, without the end-of-data stop");
    app.add_option("--port", values.port,
                   "the parallel port: a ppdev device (/dev/parport1) or the I/O address of its "
                   "data register (0x278, 0xD010 for a PCIe card); default the first port")
        ->type_name("PORT");
    app.add_option("--memory", values.memory,
                   "program, read, verify, dump: the code flash (default) or the 2048-byte data "
                   "EEPROM, whose files must lie below address 0x800 and whose reads cover all "
                   "of it")
        ->type_name("code|eeprom");
    app.add_option(
           "command", values.words,
           "erase | program FILE | read OUT.bin | verify FILE | dump | lock [2|3|4] | signature")
        ->type_name("COMMAND [FILE]");
    app.allow_extras();
    app.footer(
        "Exit status: 0 success; 1 a verify found a difference or a write failed; 2 a usage "
        "error;\n3 a file or port error; 4 the simulated chip saw a timing violation; 130 "
        "cancelled by Ctrl-C.");
}

bool OscillatorFrom(const std::string& text, const char* option, std::uint64_t* hz,
                    std::string* error) {
    const auto parsed = ParseFrequencyHz(text);
    if (!parsed || *parsed < kMinOscillatorHz || *parsed > kMaxOscillatorHz) {
        *error = std::string(option) + ": " + text + " is not a crystal from 3 to 24 MHz";
        return false;
    }
    *hz = *parsed;
    return true;
}

}  // namespace

std::optional<std::uint64_t> ParseFrequencyHz(const std::string& text) {
    std::string digits = text;
    std::uint64_t scale = 1;
    if (!digits.empty() && (digits.back() == 'k' || digits.back() == 'M')) {
        scale = digits.back() == 'k' ? 1'000 : 1'000'000;
        digits.pop_back();
    }
    const auto point = digits.find('.');
    const std::string whole = digits.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : digits.substr(point + 1);
    const auto allDigits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
    };
    if (whole.empty() || whole.size() > 9 || fraction.size() > 9 || !allDigits(whole) ||
        !allDigits(fraction)) {
        return std::nullopt;
    }
    std::uint64_t hz = std::stoull(whole) * scale;
    std::uint64_t unit = scale;
    for (const char digit : fraction) {
        if (unit % 10 != 0) {
            return std::nullopt;  // finer than one hertz
        }
        unit /= 10;
        hz += static_cast<std::uint64_t>(digit - '0') * unit;
    }
    return hz;
}

std::string CliHelp() {
    CLI::App app(
        "isp8252-cli: programs an AT89S8252's code flash and data EEPROM, and sets its lock "
        "bits, through the parallel-port cable or on a simulated chip.",
        "isp8252-cli");
    OptionValues values;
    DescribeOptions(app, values);
    return app.help();
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string* error) {
    CLI::App app("", "isp8252-cli");
    OptionValues values;
    DescribeOptions(app, values);
    CliOptions options;
    // CLI11 would take the next argument as the value of an empty "--sim=".
    struct Valued {
        const char* empty;
        const char* what;
    };
    for (const Valued& option :
         {Valued{"--sim=", "a file name"}, Valued{"--trace=", "a file name"},
          Valued{"--osc=", "a frequency"}, Valued{"--sim-osc=", "a frequency"},
          Valued{"--memory=", "code or eeprom"},
          Valued{"--port=",
                 "a port: a ppdev device such as /dev/parport1 or an I/O address "
                 "such as 0x278"}}) {
        if (std::find(arguments.begin(), arguments.end(), option.empty) != arguments.end()) {
            *error = std::string(option.empty) + " needs " + option.what;
            return std::nullopt;
        }
    }
    try {
        // CLI11 takes its arguments last first.
        app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    } catch (const CLI::CallForHelp&) {
        options.help = true;
        return options;
    } catch (const CLI::ParseError& e) {
        *error = e.what();
        return std::nullopt;
    }
    for (const std::string& extra : app.remaining()) {
        *error = "unknown option " + extra;
        return std::nullopt;
    }
    if (values.version || values.listPorts) {
        options.version = values.version;
        options.listPorts = values.listPorts;
        return options;
    }
    if (app.count("--chip") > 0) {
        const bool automatic = values.chip == "auto" || values.chip == "AUTO";
        options.chip = automatic ? nullptr : FindChip(values.chip);
        if (!automatic && options.chip == nullptr) {
            *error = "--chip: " + values.chip + " is not one of " + ChipNames() + " or auto";
            return std::nullopt;
        }
    }
    if (app.count("--sim-chip") > 0) {
        if (app.count("--sim") == 0) {
            *error = "--sim-chip needs --sim: it says which chip the simulated one is";
            return std::nullopt;
        }
        options.simulatedChipKind = FindChip(values.simChip);
        if (options.simulatedChipKind == nullptr) {
            *error = "--sim-chip: " + values.simChip + " is not one of " + ChipNames();
            return std::nullopt;
        }
    }
    const std::vector<std::string>& words = values.words;
    if (words.empty()) {
        *error = "no command";
        return std::nullopt;
    }
    const auto spec = std::find_if(std::begin(kCommands), std::end(kCommands),
                                   [&](const CommandSpec& c) { return words[0] == c.name; });
    if (spec == std::end(kCommands)) {
        *error = "unknown command " + words[0];
        return std::nullopt;
    }
    const bool lock = spec->command == CliCommand::kLock;
    const bool lockReadBack = lock && words.size() == 1;
    const std::size_t expected = spec->takesFile && !lockReadBack ? 2 : 1;
    if (lock && !lockReadBack &&
        (words.size() != expected || LockBitsByte(std::atoi(words[1].c_str())) < 0 ||
         words[1].size() != 1)) {
        *error = "lock takes a mode: 2, 3 or 4";
        return std::nullopt;
    }
    if (words.size() != expected) {
        *error = std::string(spec->name) + (spec->takesFile ? " takes one file" : " takes no file");
        return std::nullopt;
    }
    if (app.count("--memory") > 0) {
        if (values.memory != "code" && values.memory != "eeprom") {
            *error = "--memory: " + values.memory + " is neither code nor eeprom";
            return std::nullopt;
        }
        if (spec->command == CliCommand::kErase || lock ||
            spec->command == CliCommand::kSignature) {
            *error = "--memory goes with program, read, verify and dump only";
            return std::nullopt;
        }
        options.memory = values.memory == "code" ? Memory::kCode : Memory::kEeprom;
        if (options.memory == Memory::kEeprom && options.chip != nullptr &&
            options.chip->eepromBytes == 0) {
            *error = "--memory=eeprom: the " + std::string(options.chip->displayName) +
                     " has no data EEPROM";
            return std::nullopt;
        }
    }
    if (app.count("--port") > 0) {
        std::string why;
        const std::optional<PortChoice> port = ParsePortChoice(values.port, &why);
        if (!port) {
            *error = "--port: " + why;
            return std::nullopt;
        }
        // A simulated chip sits on the simulated cable, or behind a simulated adapter.
        if (app.count("--sim") > 0 && port->kind != PortChoice::Kind::kAdapter) {
            *error = "--port names a real parallel port; --sim has none (it takes an adapter)";
            return std::nullopt;
        }
        options.port = *port;
    }
    if (app.count("--sim-ftdi-clock") > 0) {
        if (values.simFtdiClock != 4 && values.simFtdiClock != 16) {
            *error = "--sim-ftdi-clock: 4 or 16";
            return std::nullopt;
        }
        options.simulatedBitbangMultiplier = values.simFtdiClock;
    }
    if (app.count("--trace") > 0 && app.count("--sim") == 0) {
        *error = "--trace needs --sim: only the simulated chip's pins can be traced";
        return std::nullopt;
    }
    if (app.count("--sim-osc") > 0 && app.count("--sim") == 0) {
        *error = "--sim-osc needs --sim: it sets the simulated chip's crystal";
        return std::nullopt;
    }
    if (values.full && spec->command != CliCommand::kRead) {
        *error = "--full goes with read only";
        return std::nullopt;
    }
    if (app.count("--osc") > 0) {
        std::uint64_t hz = 0;
        if (!OscillatorFrom(values.osc, "--osc", &hz, error)) {
            return std::nullopt;
        }
        options.oscillatorHz = hz;
    }
    if (app.count("--sim-osc") > 0 &&
        !OscillatorFrom(values.simOsc, "--sim-osc", &options.simulatedOscillatorHz, error)) {
        return std::nullopt;
    }
    if (app.count("--sim") > 0) {
        options.simulatedChip = values.sim;
    }
    if (app.count("--trace") > 0) {
        options.trace = values.trace;
    }
    options.fullRead = values.full;
    options.command = spec->command;
    if (spec->takesFile && !lockReadBack) {
        options.file = words[1];
    }
    if (lock && !lockReadBack) {
        options.lockMode = std::atoi(words[1].c_str());
    }
    return options;
}
