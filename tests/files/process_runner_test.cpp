#include "platform/process_runner.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "files_test_support.h"

namespace {

using ::testing::ElementsAreArray;

class RunHiddenAndWaitTest : public ::testing::Test {
protected:
    TemporaryDirectory directory{"isp8252 runner "};
};

class ExitStatusTest : public RunHiddenAndWaitTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExitStatusTest, PassesTheExitStatusBack) {
    const std::string program = directory / "exits";
    WriteScript(program, "exit " + std::to_string(GetParam()) + "\n");

    EXPECT_EQ(RunHiddenAndWait(program, {}), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Statuses, ExitStatusTest, ::testing::Values(0, 1, 2, 42, 255));

TEST_F(RunHiddenAndWaitTest, AProgramKilledBySignalReportsFailure) {
    const std::string program = directory / "killed";
    WriteScript(program, "kill -9 $$\n");

    EXPECT_EQ(RunHiddenAndWait(program, {}), 128 + 9);
}

TEST_F(RunHiddenAndWaitTest, WaitsUntilTheProgramHasEnded) {
    const std::string program = directory / "slow";
    WriteScript(program, "sleep 0.1\nprintf done > \"$1\"\n");

    ASSERT_EQ(RunHiddenAndWait(program, {directory / "out"}), 0);

    EXPECT_EQ(ReadText(directory / "out"), "done");
}

TEST_F(RunHiddenAndWaitTest, EveryArgumentArrivesUnchangedAsOneArgument) {
    // Blanks, quotes, shell syntax, an empty argument: none is split, joined or interpreted.
    const std::string program = directory / "with blank/echo args";
    std::filesystem::create_directory(directory / "with blank");
    WriteScript(program,
                "out=\"$(dirname \"$0\")/args.txt\"\n"
                "printf '%s\\n' \"$#\" > \"$out\"\n"
                "for a in \"$@\"; do printf '[%s]\\n' \"$a\" >> \"$out\"; done\n");
    const std::vector<std::string> arguments = {"path with blanks/prog", "say \"hi\" 'there'", "",
                                                "$HOME; touch pwned",    "back\\slash",        "*"};

    ASSERT_EQ(RunHiddenAndWait(program, arguments), 0);

    std::vector<std::string> expected = {std::to_string(arguments.size())};
    for (const auto& argument : arguments) {
        expected.push_back("[" + argument + "]");
    }
    std::vector<std::string> lines;
    std::istringstream in(ReadText(directory / "with blank/args.txt"));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    EXPECT_THAT(lines, ElementsAreArray(expected));
    EXPECT_FALSE(Exists("pwned"));
}

TEST_F(RunHiddenAndWaitTest, TheProgramInheritsNoDescriptorButTheStandardThree) {
    // Opened without close-on-exec, as libraries and plug-ins often leave theirs.
    const int inheritable = open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 3);
    const std::string program = directory / "descriptors";
    WriteScript(program, "[ -e /proc/$$/fd/$1 ] && exit 1\n[ -e /proc/$$/fd/2 ] || exit 2\n");

    const auto status = RunHiddenAndWait(program, {std::to_string(inheritable)});

    close(inheritable);
    EXPECT_EQ(status, 0);
}

TEST_F(RunHiddenAndWaitTest, AMissingProgramGivesNothing) {
    EXPECT_EQ(RunHiddenAndWait(directory / "no such program", {"x"}), std::nullopt);
}

TEST_F(RunHiddenAndWaitTest, AFileThatIsNotExecutableGivesNothing) {
    const std::string program = directory / "text";
    WriteText(program, "exit 0\n");

    EXPECT_EQ(RunHiddenAndWait(program, {}), std::nullopt);
}

TEST_F(RunHiddenAndWaitTest, TheProgramIsNotLookedUpOnTheSearchPath) {
    // "sh" exists on the search path but not as a file in the current directory.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(directory.Path());

    const auto status = RunHiddenAndWait("sh", {"-c", "exit 0"});

    std::filesystem::current_path(previous);
    EXPECT_EQ(status, std::nullopt);
}

}  // namespace
