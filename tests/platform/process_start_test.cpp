// Every argument reaches the started program exactly as given, whatever it holds: on Windows
// this is the command line's quoting, checked against the C run-time that splits it again. The
// exit status, or nothing when the program cannot start. Names of files beyond ASCII.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "case_name.h"
#include "child_process.h"
#include "platform/file_names.h"
#include "platform/process_runner.h"
#include "scratch_dir.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

class ProcessStart : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ProcessStart, EveryArgumentArrivesUnchanged) {
    test_support::ScratchDir work(/*blanks=*/true);
    const std::string out = Utf8FromPath(work.path()) + "/args ü.txt";
    std::vector<std::string> arguments = {out};
    arguments.insert(arguments.end(), GetParam().begin(), GetParam().end());

    ASSERT_EQ(RunHiddenAndWait(ISP_ARGS_ECHO_PATH, arguments), 0);

    std::string expected;
    for (const std::string& argument : GetParam()) {
        expected += "[" + argument + "]\n";
    }
    EXPECT_EQ(test_support::FileBytes(PathFromUtf8(out)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProcessStart,
    ::testing::Values(std::vector<std::string>{"plain", "", "two words", "\ttab"},
                      std::vector<std::string>{"say \"hi\"", "\"", "a\\\"b", "a\\\\\"b"},
                      // Backslashes stay single unless a quote follows them.
                      std::vector<std::string>{"C:\\dir\\file", "C:\\with blank\\", "end\\\\",
                                               "\\\\server\\share"},
                      std::vector<std::string>{"Grüße Ω", "%PATH%", "a & b | c", "*"}));

#if !defined(_WIN32)
// Run from a directory of the case's own, given one argument: the number of a descriptor the
// test holds open without close-on-exec, as libraries and plug-ins often leave theirs.
struct RunCase {
    const char* name;
    const char* program;
    const char* script;  // a shell script; nullptr: no such file
    bool executable;
    std::optional<int> status;
};

class ProcessRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProcessRun, GivesTheExitStatusOrNothingWhenItCannotStart) {
    const RunCase& c = GetParam();
    const test_support::ScratchDir directory(true);
    if (c.script != nullptr) {
        test_support::WriteFileBytes(directory.path() / c.program,
                                     "#!/bin/sh\n" + std::string(c.script));
        std::filesystem::permissions(directory.path() / c.program,
                                     std::filesystem::perms(c.executable ? 0755 : 0644));
    }
    const int inheritable = open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 3);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory.path());

    const std::optional<int> status = RunHiddenAndWait(c.program, {std::to_string(inheritable)});

    std::filesystem::current_path(previous);
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

INSTANTIATE_TEST_SUITE_P(Cases, ProcessRun, ::testing::ValuesIn(kRunCases), CaseName{});
#endif

// A file name with a blank and letters beyond ASCII, written, renamed, read back under exactly
// that name and removed. (Refusing an existing file and replacing one are the saving tests'.)
TEST(FileNames, CreateRenameReadBackAndRemove) {
    const char* const fileName = "Grüße Ω.bin";
    test_support::ScratchDir work;
    const std::string name = Utf8FromPath(work.path()) + "/" + fileName;
    const std::string temporary = name + ".tmp";
    std::FILE* file = OpenFile(temporary, "wbx");
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    std::fclose(file);

    ASSERT_TRUE(RenameReplacing(temporary, name));

    EXPECT_EQ(test_support::FileBytes(PathFromUtf8(name)), "new");
    EXPECT_EQ(Utf8FromPath(std::filesystem::directory_iterator(work.path())->path().filename()),
              fileName);
    EXPECT_TRUE(RemoveFile(name));
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(name)));
}

}  // namespace
