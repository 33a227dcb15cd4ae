#include "cli/cli_options.h"

const char* const kCliUsage =
    "usage: isp8252-cli [--sim=CHIP.bin] [--trace=FILE.vcd] COMMAND\n"
    "commands:\n"
    "  erase           erase the chip's code flash\n"
    "  program FILE    write FILE into the chip, then verify it\n"
    "  read OUT.bin    read the chip (up to its first run of 52 equal bytes) into OUT.bin\n"
    "  verify FILE     compare the chip with FILE without writing\n"
    "  dump            list the chip's contents as address/value lines\n"
    "FILE is a raw binary when its name ends in .bin, else Intel HEX or Motorola S-records.\n"
    "--sim runs against a simulated chip whose flash is kept in CHIP.bin (created erased);\n"
    "--trace writes that chip's pins as a VCD file.\n";

namespace {

struct CommandSpec {
    const char* name;
    CliCommand command;
    bool takesFile;
};

constexpr CommandSpec kCommands[] = {
    {"erase", CliCommand::kErase, false}, {"program", CliCommand::kProgram, true},
    {"read", CliCommand::kRead, true},    {"verify", CliCommand::kVerify, true},
    {"dump", CliCommand::kDump, false},
};

bool TakeValue(const std::string& argument, const std::string& prefix,
               std::optional<std::string>& into, std::string* error) {
    if (argument.rfind(prefix, 0) != 0) {
        return false;
    }
    into = argument.substr(prefix.size());
    if (into->empty()) {
        *error = prefix + " needs a file name";
    }
    return true;
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string* error) {
    CliOptions options;
    std::vector<std::string> words;
    for (const std::string& argument : arguments) {
        if (TakeValue(argument, "--sim=", options.simulatedChip, error) ||
            TakeValue(argument, "--trace=", options.trace, error)) {
            if (!error->empty()) {
                return std::nullopt;
            }
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-' && words.empty()) {
            *error = "unknown option " + argument;
            return std::nullopt;
        }
        words.push_back(argument);
    }
    if (words.empty()) {
        *error = "no command";
        return std::nullopt;
    }
    const CommandSpec* spec = nullptr;
    for (const CommandSpec& candidate : kCommands) {
        if (words[0] == candidate.name) {
            spec = &candidate;
        }
    }
    if (spec == nullptr) {
        *error = "unknown command " + words[0];
        return std::nullopt;
    }
    const std::size_t expected = spec->takesFile ? 2 : 1;
    if (words.size() != expected) {
        *error = std::string(spec->name) + (spec->takesFile ? " takes one file" : " takes no file");
        return std::nullopt;
    }
    if (options.trace && !options.simulatedChip) {
        *error = "--trace needs --sim: only the simulated chip's pins can be traced";
        return std::nullopt;
    }
    options.command = spec->command;
    if (spec->takesFile) {
        options.file = words[1];
    }
    return options;
}
