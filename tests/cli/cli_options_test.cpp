#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/image_input.h"

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::string> arguments;
    bool valid;
    CliCommand command;
    std::string file;
    const char* sim;
    const char* trace;
    const char* error;
};

class CliOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(CliOptionsTest, ParsesOrSaysWhatIsWrong) {
    const OptionsCase& c = GetParam();
    std::string error;
    const auto options = ParseCliOptions(c.arguments, &error);
    ASSERT_EQ(options.has_value(), c.valid) << error;
    if (!c.valid) {
        EXPECT_EQ(error, c.error);
        return;
    }
    EXPECT_EQ(options->command, c.command);
    EXPECT_EQ(options->file, c.file);
    EXPECT_EQ(options->simulatedChip.value_or(""), c.sim);
    EXPECT_EQ(options->trace.value_or(""), c.trace);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliOptionsTest,
    ::testing::Values(
        OptionsCase{"Erase", {"erase"}, true, CliCommand::kErase, "", "", "", ""},
        OptionsCase{
            "Program", {"program", "a b.hex"}, true, CliCommand::kProgram, "a b.hex", "", "", ""},
        OptionsCase{"ReadWithSimAndTrace",
                    {"--sim=chip.bin", "--trace=t.vcd", "read", "out.bin"},
                    true,
                    CliCommand::kRead,
                    "out.bin",
                    "chip.bin",
                    "t.vcd",
                    ""},
        OptionsCase{"OptionsAfterTheCommand",
                    {"verify", "f.bin", "--sim=c.bin"},
                    true,
                    CliCommand::kVerify,
                    "f.bin",
                    "c.bin",
                    "",
                    ""},
        OptionsCase{"Dump", {"dump"}, true, CliCommand::kDump, "", "", "", ""},
        OptionsCase{"Nothing", {}, false, CliCommand::kErase, "", "", "", "no command"},
        OptionsCase{"UnknownCommand",
                    {"flash"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "unknown command flash"},
        OptionsCase{"UnknownOption",
                    {"--fast", "erase"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "unknown option --fast"},
        OptionsCase{"ProgramWithoutFile",
                    {"program"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "program takes one file"},
        OptionsCase{"EraseWithFile",
                    {"erase", "x.bin"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "erase takes no file"},
        OptionsCase{"TwoFiles",
                    {"read", "a.bin", "b.bin"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "read takes one file"},
        OptionsCase{"EmptySim",
                    {"--sim=", "erase"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "--sim= needs a file name"},
        OptionsCase{"TraceWithoutSim",
                    {"--trace=t.vcd", "erase"},
                    false,
                    CliCommand::kErase,
                    "",
                    "",
                    "",
                    "--trace needs --sim: only the simulated chip's pins can be traced"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(FrequencyTest, ReadsHertzWithOptionalSuffixAndDecimals) {
    const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
        {"12M", 12'000'000},    {"11.0592M", 11'059'200}, {"24000k", 24'000'000},
        {"3000000", 3'000'000}, {"3.5M", 3'500'000},      {"1.5", std::nullopt},
        {"12G", std::nullopt},  {"M", std::nullopt},      {"", std::nullopt},
        {"-12M", std::nullopt}, {"1.2.3M", std::nullopt}, {"12.0000001M", std::nullopt}};
    for (const auto& [text, hz] : cases) {
        EXPECT_EQ(ParseFrequencyHz(text), hz) << text;
    }
}

TEST(ImageInputTest, RawBinariesAreNamedByTheirEndingInAnyCase) {
    for (const char* raw : {"a.bin", "A.BIN", "dir.x/b.Bin", "x y.bIN"}) {
        EXPECT_TRUE(NamesRawBinary(raw)) << raw;
    }
    for (const char* text : {"a.hex", "a.obj", "bin", "a.bin.hex", "abin", ".bi"}) {
        EXPECT_FALSE(NamesRawBinary(text)) << text;
    }
}

}  // namespace
