// Every argument reaches the started program exactly as given, whatever it holds: on Windows
// this is the command line's quoting, checked against the C run-time that splits it again.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "platform/file_names.h"
#include "platform/process_runner.h"
#include "scratch_dir.h"

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

// File names with blanks and letters beyond ASCII, written, refused when they exist, replaced
// in one step and read back under exactly that name.
class FileNames : public ::testing::TestWithParam<const char*> {};

TEST_P(FileNames, CreateReplaceAndReadBack) {
    test_support::ScratchDir work;
    const std::string name = Utf8FromPath(work.path()) + "/" + GetParam();
    const std::string temporary = name + ".tmp";
    test_support::WriteFileBytes(PathFromUtf8(name), "old");
    std::FILE* file = OpenFile(temporary, "wbx");
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    std::fclose(file);
    EXPECT_EQ(OpenFile(temporary, "wbx"), nullptr) << "exclusive creation opened an existing file";

    ASSERT_TRUE(RenameReplacing(temporary, name));

    EXPECT_EQ(test_support::FileBytes(PathFromUtf8(name)), "new");
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(temporary)));
    EXPECT_EQ(Utf8FromPath(std::filesystem::directory_iterator(work.path())->path().filename()),
              GetParam());
    EXPECT_TRUE(RemoveFile(name));
    EXPECT_FALSE(RemoveFile(name));
}

INSTANTIATE_TEST_SUITE_P(Table, FileNames,
                         ::testing::Values("plain.bin", "with blank.bin", "Grüße Ω.bin"));

}  // namespace
