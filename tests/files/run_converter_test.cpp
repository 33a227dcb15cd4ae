#include "files/run_converter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "files/image_file_paths.h"
#include "files/image_loading.h"
#include "files_test_support.h"
#include "framework/message_box_types.h"

namespace {

using ::testing::ElementsAre;

// The converter double also records how it was named, to show the separator it was given.
constexpr const char* kRecordingConverter =
    "printf '%s\\n' \"$0\" \"$#\" \"$@\" >> \"$(dirname \"$0\")/calls.txt\"\n"
    "cp \"$2\" \"${2%.*}.bin\"\n";

class RunConverterTest : public FilesTest {
protected:
    void ChooseObjectFile(const std::string& path) {
        WriteBytes(path, CountingBytes(16));
        ASSERT_TRUE(StorePath(window.filePath, path));
        imageStore.needsConversion = 1;
    }
    std::string Converter() const { return startup / std::string(kConverterFileName); }
};

TEST_F(RunConverterTest, GivesTheConverterTheExactFileAndReturnsTheBinary) {
    InstallConverter(kRecordingConverter);
    const std::string path = data / "prog.obj";
    ChooseObjectFile(path);

    const auto binary = RunConverter(window);

    ASSERT_TRUE(binary.has_value());
    EXPECT_STREQ(binary->data(), (data / "prog.bin").c_str());
    EXPECT_THAT(ConverterCalls(), ElementsAre(Converter(), "2", "--file", path));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_STREQ(window.filePath, path.c_str());  // left for the caller
}

TEST_F(RunConverterTest, ReplacesAnUpperCaseExtensionToo) {
    InstallConverter(kCopyingConverter);
    ChooseObjectFile(data / "PROG.OBJ");

    const auto binary = RunConverter(window);

    ASSERT_TRUE(binary.has_value());
    EXPECT_STREQ(binary->data(), (data / "PROG.bin").c_str());
    EXPECT_EQ(ReadBytes(data / "PROG.bin"), CountingBytes(16));
}

TEST_F(RunConverterTest, AddsASeparatorEvenAfterADirectoryThatEndsInOne) {
    InstallConverter(kRecordingConverter);
    SetStartupDirectory(startup.Path() + "/");
    ChooseObjectFile(data / "prog.obj");

    ASSERT_TRUE(RunConverter(window).has_value());

    EXPECT_THAT(ConverterCalls(),
                ElementsAre(startup.Path() + "//" + std::string(kConverterFileName), "2", "--file",
                            data / "prog.obj"));
}

TEST_F(RunConverterTest, BlanksInBothPathsReachTheConverterAsOneArgument) {
    // Both temporary directories have blanks in their names; a name that would run another
    // program if split at the blank sits beside the converter.
    InstallConverter(kRecordingConverter);
    WriteScript(startup / "isp8252", "touch \"$(dirname \"$0\")/wrong program ran\"\n");
    const std::string path = data / "my prog; rm -rf x.obj";
    ChooseObjectFile(path);

    const auto binary = RunConverter(window);

    ASSERT_TRUE(binary.has_value());
    EXPECT_THAT(ConverterCalls(), ElementsAre(Converter(), "2", "--file", path));
    EXPECT_EQ(ReadBytes(binary->data()), CountingBytes(16));
    EXPECT_FALSE(Exists(startup / "wrong program ran"));
}

struct MissingCase {
    const char* label;
    void (*startupDirectory)(char* buffer, const std::string& realDirectory);
};

void PrintTo(const MissingCase& c, std::ostream* os) {
    *os << c.label;
}

class ConverterNotFoundTest : public RunConverterTest,
                              public ::testing::WithParamInterface<MissingCase> {};

TEST_P(ConverterNotFoundTest, SaysSoAndReturnsNothing) {
    // A converter in the process's current directory must not be picked up by accident.
    InstallConverter(kRecordingConverter);
    ChooseObjectFile(data / "prog.obj");
    GetParam().startupDirectory(window.startupDirectory, startup.Path());

    const auto binary = RunConverter(window);

    EXPECT_FALSE(binary.has_value());
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT FIND HEX-BIN CONVERTER");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_TRUE(ConverterCalls().empty());
}

INSTANTIATE_TEST_SUITE_P(
    StartupDirectories, ConverterNotFoundTest,
    ::testing::Values(
        MissingCase{
            "NotThere",
            [](char* buffer, const std::string& real) { StorePath(buffer, real + "/elsewhere"); }},
        MissingCase{"Empty", [](char* buffer, const std::string&) { buffer[0] = '\0'; }},
        // A current directory that did not fit leaves the buffer as it was: no terminator.
        MissingCase{
            "NeverFilled",
            [](char* buffer, const std::string&) { std::memset(buffer, 'x', kPathBufferSize); }},
        // A directory whose converter path would not fit the buffer.
        MissingCase{"ConverterPathTooLong",
                    [](char* buffer, const std::string&) {
                        std::string longest(kPathBufferSize - 1, 'd');
                        longest[0] = '/';
                        StorePath(buffer, longest);
                    }}),
    [](const ::testing::TestParamInfo<MissingCase>& testCase) {
        return std::string(testCase.param.label);
    });

TEST_F(RunConverterTest, AFileNamedLikeTheConverterInTheCurrentDirectoryIsNotUsed) {
    InstallConverter(kRecordingConverter);
    ChooseObjectFile(data / "prog.obj");
    SetStartupDirectory(data.Path());
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(startup.Path());

    const auto binary = RunConverter(window);

    std::filesystem::current_path(previous);
    EXPECT_FALSE(binary.has_value());
    EXPECT_TRUE(ConverterCalls().empty());
}

struct FailingCase {
    const char* label;
    const char* body;  // nullptr: a readable file that is not executable
};

void PrintTo(const FailingCase& c, std::ostream* os) {
    *os << c.label;
}

class FailingConverterTest : public RunConverterTest,
                             public ::testing::WithParamInterface<FailingCase> {};

TEST_P(FailingConverterTest, YieldsAnEmptyPathSoNoOlderBinaryIsRead) {
    if (GetParam().body == nullptr) {
        WriteText(Converter(), "plain text\n");
    } else {
        InstallConverter(GetParam().body);
    }
    ChooseObjectFile(data / "prog.obj");
    WriteBytes(data / "prog.bin", CountingBytes(5));

    const auto binary = RunConverter(window);

    ASSERT_TRUE(binary.has_value());
    EXPECT_STREQ(binary->data(), "");
    EXPECT_TRUE(window.boxes.empty());  // the caller reports it
}

INSTANTIATE_TEST_SUITE_P(Converters, FailingConverterTest,
                         ::testing::Values(FailingCase{"ExitsWithOne", "exit 1\n"},
                                           FailingCase{"ExitsWith255", "exit 255\n"},
                                           FailingCase{"KilledBySignal", "kill -9 $$\n"},
                                           FailingCase{"CannotBeStarted", nullptr}),
                         [](const ::testing::TestParamInfo<FailingCase>& testCase) {
                             return std::string(testCase.param.label);
                         });

// The command line was the converter's path, a blank and the object file's path, terminator
// included, in 300 characters. This builds an object file path that makes it exactly `length`.
class CommandLineBoundTest : public RunConverterTest {
protected:
    std::string ObjectPathForCommandLineOf(std::size_t length) {
        const std::size_t pathLength = length - 1 - Converter().size() - 1;
        const std::string directory = data / std::string(100, 'd');
        std::filesystem::create_directories(directory);
        const std::size_t nameLength = pathLength - directory.size() - 1;
        return directory + "/" + std::string(nameLength - 4, 'n') + ".obj";
    }
};

TEST_F(CommandLineBoundTest, ACommandLineThatJustFitsRunsTheConverter) {
    InstallConverter(kCopyingConverter);
    const std::string path = ObjectPathForCommandLineOf(kPathBufferSize);
    ASSERT_EQ(Converter().size() + 1 + path.size() + 1, static_cast<std::size_t>(kPathBufferSize));
    window.openAnswers.push_back(path);
    WriteBytes(path, CountingBytes(33));

    OnBrowse(window);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_THAT(ConverterCalls(), ElementsAre("2", "--file", path));
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "33 bytes");
}

TEST_F(CommandLineBoundTest, OneCharacterOverIsRefusedBeforeAnythingStarts) {
    InstallConverter(kCopyingConverter);
    const std::string path = ObjectPathForCommandLineOf(kPathBufferSize + 1);
    window.openAnswers.push_back(path);
    WriteBytes(path, CountingBytes(33));
    // An earlier conversion's binary must not be taken for this one's.
    WriteBytes(path.substr(0, path.size() - 3) + "bin", CountingBytes(33));

    OnBrowse(window);

    EXPECT_TRUE(ConverterCalls().empty());
    EXPECT_THAT(window.events,
                ElementsAre("text 1007 ", "text 1023 ", "open dialog",
                            "text 1007 " + std::string(FileNameOf(path)), "notice open",
                            "notice close", "box COULD NOT READ FILE"));
    EXPECT_EQ(imageStore.fileLoaded, 0);
    EXPECT_STREQ(window.filePath, "");
    EXPECT_EQ(window.Text(IDC_FILE_NAME), FileNameOf(path));
}

}  // namespace
