#include "platform/process_runner.h"

#include <fcntl.h>
#include <unistd.h>

#include "files_test_support.h"

namespace {

namespace fs = std::filesystem;

// Run from a directory of the case's own, given one argument: the number of a descriptor the
// test holds open without close-on-exec, as libraries and plug-ins often leave theirs.
struct RunCase {
    const char* name;
    const char* program;
    const char* script;  // nullptr: no such file
    bool executable;
    std::optional<int> status;
};

class RunTest : public ::testing::TestWithParam<RunCase> {
protected:
    test_support::ScratchDir directory{true};
};

TEST_P(RunTest, GivesTheExitStatusOrNothingWhenItCannotStart) {
    const RunCase& c = GetParam();
    if (c.script != nullptr && c.executable) {
        WriteScript(directory.path() / c.program, c.script);
    } else if (c.script != nullptr) {
        test_support::WriteFileBytes(directory.path() / c.program, c.script);
    }
    const int inheritable = open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 3);
    const fs::path previous = fs::current_path();
    fs::current_path(directory.path());

    const std::optional<int> status = RunHiddenAndWait(c.program, {std::to_string(inheritable)});

    fs::current_path(previous);
    close(inheritable);
    EXPECT_EQ(status, c.status);
}

const RunCase kRunCases[] = {
    // A blank in the path does not start the program named by its first part.
    {"Fails", "./p q", "exit 42\n", true, 42},
    {"KilledBySignal", "./p", "kill -9 $$\n", true, 128 + 9},
    {"InheritsOnlyTheStandardThree", "./p",
     "[ -e /proc/$$/fd/$1 ] && exit 1\n[ -e /proc/$$/fd/2 ] || exit 2\nexit 0\n", true, 0},
    {"NotExecutable", "./p", "exit 0\n", false, std::nullopt},
    {"Missing", "./p", nullptr, false, std::nullopt},
    // "sh" is on the search path, but not in the current directory.
    {"NotLookedUpOnTheSearchPath", "sh", nullptr, false, std::nullopt}};

INSTANTIATE_TEST_SUITE_P(Cases, RunTest, ::testing::ValuesIn(kRunCases), CaseName{});

}  // namespace
