// isp8252-cli's session in this process, where a test can give the simulated chip a fault, send
// the output to a full disk, or interrupt before anything was sent.

#include "cli/cli_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "case_name.h"
#include "child_process.h"
#include "scratch_dir.h"
#include "sim/at89s8252.h"

namespace {

struct SessionCase {
    const char* name;
    std::vector<std::string> arguments;  // after --sim=CHIP
    std::function<void(sim::SerialChip&)> prepare;
    bool toFullDisk;   // standard output is /dev/full
    bool interrupted;  // Ctrl-C came during the calibration
    int status;
    const char* out;
    const char* err;
};

class CliSessionTest : public ::testing::TestWithParam<SessionCase> {};

std::string Rewound(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

TEST_P(CliSessionTest, EndsWithItsStatusAndMessages) {
    const SessionCase& c = GetParam();
#if defined(_WIN32)
    if (c.toFullDisk) {
        GTEST_SKIP() << "Windows has no /dev/full";
    }
#endif
    const test_support::ScratchDir dir;
    test_support::WriteFileBytes(dir.path() / "chip.bin", "\x12");
    std::vector<std::string> arguments{"--sim=" + (dir.path() / "chip.bin").string()};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    std::string why;
    const auto options = ParseCliOptions(arguments, &why);
    ASSERT_TRUE(options) << why;
    std::FILE* out = c.toFullDisk ? std::fopen("/dev/full", "w") : std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out != nullptr && err != nullptr);
    SetSimulatedChipPreparation(c.prepare);
    imageStore.SetCancelRequested(c.interrupted);

    EXPECT_EQ(RunCliCommand(*options, out, err, false), c.status);

    SetSimulatedChipPreparation({});
    imageStore.SetCancelRequested(false);
    if (c.toFullDisk) {
        std::fclose(out);
    } else {
        EXPECT_EQ(Rewound(out), c.out);
    }
    EXPECT_EQ(Rewound(err), c.err);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, CliSessionTest,
    ::testing::Values(
        // An empty socket reads FF at once: the erase was never seen, so it did not happen.
        SessionCase{"EraseThatNobodyAnswers", {"--osc=12M", "erase"},
                    [](sim::SerialChip& chip) { dynamic_cast<sim::At89s8252&>(chip).SetMisoFault(sim::MisoFault::kStuckHigh); }, false, false, 1, "",
                    "ERASE FAILED: the chip did not answer \"erasing\" (00) and then \"erased\" (FF) within 100 ms: "
                    "no chip in the socket, no clock on the chip, or a cable wired wrong\n"},
        SessionCase{"DumpToAFullDisk", {"dump"}, {}, true, false, 3, "",
                    "READING DEVICE\nCOULD NOT WRITE FILE: standard output: No space left on device\n"},
        SessionCase{"LockInterruptedBeforeSending", {"lock", "3"}, {}, false, true, 130, "CANCELLED!\n", ""},
        SessionCase{"EraseInterruptedBeforeSending", {"erase"}, {}, false, true, 130, "CANCELLED!\n", ""}),
    CaseName{});
// clang-format on

}  // namespace
