#include "files/image_loading.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "files/image_file_paths.h"
#include "files_test_support.h"
#include "framework/message_box_types.h"

namespace {

using ::testing::ElementsAre;

const std::string kNameCleared = "text 1007 ";
const std::string kBytesCleared = "text 1023 ";

std::string NameShown(const std::string& name) {
    return "text 1007 " + name;
}
std::string BytesShown(const std::string& text) {
    return "text 1023 " + text;
}

class LoadImageFileTest : public FilesTest {
protected:
    void Browse(const std::string& path) {
        window.openAnswers.push_back(path);
        OnBrowse(window);
    }
    void ExpectNothingLoaded() {
        EXPECT_EQ(imageStore.fileLoaded, 0);
        EXPECT_EQ(imageStore.fileByteCount, 0);
        EXPECT_EQ(window.Text(IDC_FILE_BYTES), "");
    }
};

TEST_F(LoadImageFileTest, BrowseReadsARawFileAndShowsNameAndCount) {
    const std::string path = data / "image.bin";
    WriteBytes(path, CountingBytes(300, 7));

    Browse(path);

    EXPECT_THAT(window.openFilters,
                ElementsAre("Object Files (*.obj)|*.obj|Binary Files (*.bin)|*.bin|"
                            "All Files (*.*)|*.*|Firmware Files (*.hex *.ihx *.s19 *.s28 *.s37 "
                            "*.srec *.mot)|*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot||"));
    EXPECT_THAT(window.events, ElementsAre(kNameCleared, kBytesCleared, "open dialog",
                                           NameShown("image.bin"), BytesShown("300 bytes")));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(imageStore.needsConversion, 0);
    EXPECT_EQ(LoadedImage(), CountingBytes(300, 7));
    EXPECT_EQ(FilePathText(), path);  // kept for a later reload
}

TEST_F(LoadImageFileTest, BytesAreWidenedWithoutSign) {
    const std::string path = data / "all values.bin";
    WriteBytes(path, CountingBytes(256));

    Browse(path);

    ASSERT_EQ(imageStore.fileByteCount, 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(imageStore.FileImage[i], i) << "entry " << i;
    }
}

struct SizeCase {
    std::size_t fileSize;
    std::int32_t expectedCount;
    const char* expectedText;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.fileSize << "-byte file";
}

class RawFileSizeTest : public LoadImageFileTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(RawFileSizeTest, AtMostTheFirst8192BytesAreUsedWithoutComplaint) {
    const std::string path = data / "sized.bin";
    const Bytes contents = CountingBytes(GetParam().fileSize, 0x80);
    WriteBytes(path, contents);

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(imageStore.fileByteCount, GetParam().expectedCount);
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), GetParam().expectedText);
    EXPECT_EQ(LoadedImage(), Bytes(contents.begin(), contents.begin() + GetParam().expectedCount));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RawFileSizeTest,
                         ::testing::Values(SizeCase{0, 0, "0 bytes"}, SizeCase{1, 1, "1 bytes"},
                                           SizeCase{8191, 8191, "8191 bytes"},
                                           SizeCase{8192, 8192, "8192 bytes"},
                                           SizeCase{8193, 8192, "8192 bytes"},
                                           SizeCase{20000, 8192, "8192 bytes"}),
                         [](const ::testing::TestParamInfo<SizeCase>& testCase) {
                             return "Bytes" + std::to_string(testCase.param.fileSize);
                         });

struct ExtensionCase {
    const char* fileName;
    bool converted;
};

void PrintTo(const ExtensionCase& c, std::ostream* os) {
    *os << c.fileName;
}

class ExtensionTest : public LoadImageFileTest,
                      public ::testing::WithParamInterface<ExtensionCase> {};

// The converter double turns the file it is given into a .bin with the same bytes, so a converted
// file and a raw one are told apart by the notice and the converter's record, and by which file the
// image came from.
TEST_P(ExtensionTest, OnlyObjAndOBJGoThroughTheConverter) {
    InstallConverter(kCopyingConverter);
    const std::string name = GetParam().fileName;
    const std::string path = data / name;
    WriteBytes(path, CountingBytes(40, 1));

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.Text(IDC_FILE_NAME), FileNameOf(name));
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), CountingBytes(40, 1));
    EXPECT_EQ(imageStore.needsConversion, GetParam().converted ? 1 : 0);
    const bool noticeShown =
        std::find(window.events.begin(), window.events.end(), "notice open") != window.events.end();
    EXPECT_EQ(noticeShown, GetParam().converted);
    if (GetParam().converted) {
        EXPECT_THAT(ConverterCalls(), ElementsAre("2", "--file", path));
        const std::string binary = path.substr(0, path.size() - 3) + "bin";
        EXPECT_TRUE(Exists(binary));
    } else {
        EXPECT_TRUE(ConverterCalls().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExtensionTest,
    ::testing::Values(ExtensionCase{"prog.obj", true}, ExtensionCase{"prog.OBJ", true},
                      ExtensionCase{"prog.Obj", false}, ExtensionCase{"prog.oBJ", false},
                      ExtensionCase{"prog.bin", false}, ExtensionCase{"prog.objx", false},
                      ExtensionCase{"prog.obj.hex", false}, ExtensionCase{"prog.hex.obj", true},
                      ExtensionCase{"noext", false}, ExtensionCase{"with blank.obj", true}),
    [](const ::testing::TestParamInfo<ExtensionCase>& testCase) {
        std::string name;
        for (const char c : std::string(testCase.param.fileName)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

struct FirmwareTextCase {
    const char* fileName;
    std::string text;
    Bytes image;  // empty: the text is loaded as raw bytes
};

void PrintTo(const FirmwareTextCase& c, std::ostream* os) {
    *os << c.fileName;
}

class FirmwareTextTest : public LoadImageFileTest,
                         public ::testing::WithParamInterface<FirmwareTextCase> {};

// Firmware text is read in the program, not by the converter, and nothing is written beside it.
TEST_P(FirmwareTextTest, ValidFirmwareTextLoadsTheImageItDescribes) {
    InstallConverter(kCopyingConverter);
    const std::string& text = GetParam().text;
    const std::string path = data / GetParam().fileName;
    WriteText(path, text);
    const Bytes expected =
        GetParam().image.empty() ? Bytes(text.begin(), text.end()) : GetParam().image;

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_THAT(window.events, ElementsAre(kNameCleared, kBytesCleared, "open dialog",
                                           NameShown(GetParam().fileName),
                                           BytesShown(std::to_string(expected.size()) + " bytes")));
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), expected);
    EXPECT_TRUE(ConverterCalls().empty());
    EXPECT_THAT(DirectoryEntries(data.Path()), ElementsAre(GetParam().fileName));
}

INSTANTIATE_TEST_SUITE_P(
    Files, FirmwareTextTest,
    ::testing::Values(
        FirmwareTextCase{"blink.hex",
                         ":0300000002000AF1\r\n:02000A0080FE76\r\n:00000001FF\r\n",
                         {0x02, 0x00, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFE}},
        FirmwareTextCase{
            "blink.s19", "S106000202000AEB\nS9030000FC\n", {0xFF, 0xFF, 0x02, 0x00, 0x0A}},
        // Starts like a record, but one checksum is wrong: not firmware text.
        FirmwareTextCase{"colon.bin", ":0300000002000AF1\n:02000A0080FE77\n:00000001FF\n", {}},
        FirmwareTextCase{"header.bin", std::string(":\x00\xFF\x80", 4), {}}),
    [](const ::testing::TestParamInfo<FirmwareTextCase>& testCase) {
        std::string name = testCase.param.fileName;
        return name.replace(name.find('.'), 1, "_");
    });

TEST_F(LoadImageFileTest, ADotInADirectoryNameIsNotAnExtension) {
    std::filesystem::create_directory(data / "project.obj");
    const std::string path = data / "project.obj/image";
    WriteBytes(path, CountingBytes(3));

    Browse(path);

    EXPECT_EQ(window.Text(IDC_FILE_NAME), "image");
    EXPECT_EQ(imageStore.needsConversion, 0);
    EXPECT_EQ(imageStore.fileLoaded, 1);
}

TEST_F(LoadImageFileTest, ConverterEventsComeInOrderAroundTheWait) {
    InstallConverter(kCopyingConverter);
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(12));

    Browse(path);

    EXPECT_THAT(window.events,
                ElementsAre(kNameCleared, kBytesCleared, "open dialog", NameShown("prog.obj"),
                            "notice open", "notice close", BytesShown("12 bytes")));
    EXPECT_FALSE(window.noticeOpen);
    EXPECT_EQ(FilePathText(), path);  // the object file, not its binary, is reloaded
}

TEST_F(LoadImageFileTest, CancellingAfterALoadLeavesNothingLoaded) {
    const std::string path = data / "image.bin";
    WriteBytes(path, CountingBytes(100));
    Browse(path);
    ASSERT_EQ(imageStore.fileLoaded, 1);
    window.events.clear();

    window.openAnswers.push_back(std::nullopt);
    OnBrowse(window);

    EXPECT_THAT(window.events, ElementsAre(kNameCleared, kBytesCleared, "open dialog"));
    EXPECT_TRUE(window.boxes.empty());
    ExpectNothingLoaded();
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "");
    EXPECT_EQ(FilePathText(), "");
}

TEST_F(LoadImageFileTest, ATypedMissingNameIsShownThenRefusedThenCleared) {
    const std::string path = data / "typo.bin";
    std::string nameDuringBox;
    std::string pathDuringBox;
    window.onBox = [&](const FakeMainWindow::ShownBox&) {
        nameDuringBox = window.Text(IDC_FILE_NAME);
        pathDuringBox = window.filePath;
    };

    Browse(path);

    EXPECT_THAT(window.events,
                ElementsAre(kNameCleared, kBytesCleared, "open dialog", NameShown("typo.bin"),
                            "box FILE DOES NOT EXIST", kNameCleared));
    EXPECT_EQ(nameDuringBox, "typo.bin");
    EXPECT_EQ(pathDuringBox, path);
    EXPECT_EQ(FilePathText(), "");
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "");
    ExpectNothingLoaded();
}

TEST_F(LoadImageFileTest, AChosenPathTooLongForItsBufferCountsAsCancelled) {
    const std::string directory = data / std::string(200, 'd');
    std::filesystem::create_directory(directory);
    std::string path = directory + "/";
    path += std::string(kPathBufferSize - path.size() - 4, 'f') + ".bin";
    ASSERT_EQ(path.size(), static_cast<std::size_t>(kPathBufferSize));
    WriteBytes(path, CountingBytes(5));
    StorePath(window.filePath, "previous");

    Browse(path);

    EXPECT_THAT(window.events, ElementsAre(kNameCleared, kBytesCleared, "open dialog"));
    EXPECT_EQ(FilePathText(), "");
    ExpectNothingLoaded();
}

TEST_F(LoadImageFileTest, AChosenPathOf299CharactersIsUsed) {
    const std::string directory = data / std::string(200, 'd');
    std::filesystem::create_directory(directory);
    std::string path = directory + "/";
    path += std::string(kPathBufferSize - 1 - path.size() - 4, 'f') + ".bin";
    ASSERT_EQ(path.size(), static_cast<std::size_t>(kPathBufferSize - 1));
    WriteBytes(path, CountingBytes(5));

    Browse(path);

    EXPECT_EQ(FilePathText(), path);
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "5 bytes");
}

// The rows of the failure table, each reached through "-->" as a user would.
struct FailureSetup {
    std::string startupDirectory;
    std::string chosenPath;
};

struct FailureCase {
    const char* label;
    const char* fileName;  // chosen in the dialog, under the data directory
    void (*prepare)(const FailureSetup&);
    const char* expectedBox;
    bool nameKept;
    bool noticeUpDuringBox;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.label;
}

class FailureTableTest : public LoadImageFileTest,
                         public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTableTest, ShowsItsMessageAndLeavesItsState) {
    const std::string path = data / GetParam().fileName;
    GetParam().prepare({startup.Path(), path});
    bool noticeUpDuringBox = false;
    window.onBox = [&](const FakeMainWindow::ShownBox&) { noticeUpDuringBox = window.noticeOpen; };

    Browse(path);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, GetParam().expectedBox);
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_EQ(noticeUpDuringBox, GetParam().noticeUpDuringBox);
    EXPECT_FALSE(window.noticeOpen);
    EXPECT_EQ(FilePathText(), "");
    EXPECT_EQ(window.Text(IDC_FILE_NAME),
              GetParam().nameKept ? std::string(FileNameOf(path)) : std::string());
    ExpectNothingLoaded();
}

void ChosenObjectFile(const FailureSetup& setup) {
    WriteBytes(setup.chosenPath, CountingBytes(9));
}

void Converter(const FailureSetup& setup, const std::string& body) {
    ChosenObjectFile(setup);
    WriteScript(setup.startupDirectory + "/" + std::string(kConverterFileName), body);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FailureTableTest,
    ::testing::Values(
        FailureCase{"FileMissing", "missing.bin", [](const FailureSetup&) {}, "FILE DOES NOT EXIST",
                    false, false},
        FailureCase{"ObjectFileMissing", "missing.obj", [](const FailureSetup&) {},
                    "FILE DOES NOT EXIST", false, false},
        FailureCase{"ConverterMissing", "prog.obj", &ChosenObjectFile,
                    "COULD NOT FIND HEX-BIN CONVERTER", false, true},
        FailureCase{"ConverterLeavesNoBinary", "prog.obj",
                    [](const FailureSetup& s) { Converter(s, "exit 0\n"); }, "COULD NOT READ FILE",
                    true, false},
        FailureCase{"ConverterFails", "prog.obj",
                    [](const FailureSetup& s) { Converter(s, "exit 2\n"); }, "COULD NOT READ FILE",
                    true, false},
        FailureCase{"ConverterKilled", "prog.obj",
                    [](const FailureSetup& s) { Converter(s, "kill -9 $$\n"); },
                    "COULD NOT READ FILE", true, false},
        FailureCase{"ConverterCannotStart", "prog.obj",
                    [](const FailureSetup& s) {
                        ChosenObjectFile(s);
                        // Readable, so it is found, but without execute permission.
                        WriteText(s.startupDirectory + "/" + std::string(kConverterFileName),
                                  "not a program\n");
                    },
                    "COULD NOT READ FILE", true, false},
        FailureCase{"ChosenFileIsADirectory", "folder.bin",
                    [](const FailureSetup& s) { std::filesystem::create_directory(s.chosenPath); },
                    "FILE DOES NOT EXIST", false, false},
        FailureCase{"ConverterIsADirectory", "prog.obj",
                    [](const FailureSetup& s) {
                        ChosenObjectFile(s);
                        std::filesystem::create_directory(s.startupDirectory + "/" +
                                                          std::string(kConverterFileName));
                    },
                    "COULD NOT FIND HEX-BIN CONVERTER", false, true}),
    [](const ::testing::TestParamInfo<FailureCase>& testCase) {
        return std::string(testCase.param.label);
    });

TEST_F(LoadImageFileTest, MissingConverterIsReportedWhileTheNoticeIsUp) {
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(9));
    bool noticeUpDuringBox = false;
    std::string nameDuringBox;
    std::string pathDuringBox;
    window.onBox = [&](const FakeMainWindow::ShownBox&) {
        noticeUpDuringBox = window.noticeOpen;
        nameDuringBox = window.Text(IDC_FILE_NAME);
        pathDuringBox = window.filePath;
    };

    Browse(path);

    EXPECT_TRUE(noticeUpDuringBox);
    EXPECT_EQ(nameDuringBox, "prog.obj");
    EXPECT_EQ(pathDuringBox, path);
    EXPECT_THAT(window.events,
                ElementsAre(kNameCleared, kBytesCleared, "open dialog", NameShown("prog.obj"),
                            "notice open", "box COULD NOT FIND HEX-BIN CONVERTER", "notice close",
                            kNameCleared));
    EXPECT_EQ(FilePathText(), "");
}

TEST_F(LoadImageFileTest, AFailedConversionIsReportedAfterTheNoticeCloses) {
    InstallConverter("exit 1\n");
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(9));

    Browse(path);

    EXPECT_THAT(window.events,
                ElementsAre(kNameCleared, kBytesCleared, "open dialog", NameShown("prog.obj"),
                            "notice open", "notice close", "box COULD NOT READ FILE"));
}

TEST_F(LoadImageFileTest, AFailingConverterDoesNotLoadAStaleBinary) {
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(9));
    WriteBytes(data / "prog.bin", CountingBytes(77, 0xA0));  // left by an earlier conversion
    InstallConverter("printf x >> \"$(dirname \"$0\")/calls.txt\"\nexit 1\n");

    Browse(path);

    EXPECT_EQ(ReadText(startup / "calls.txt"), "x");  // it did run
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT READ FILE");
    ExpectNothingLoaded();
    EXPECT_EQ(imageStore.FileImage[0], 0);  // the stale 0xA0... never reached the image
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "prog.obj");
    EXPECT_EQ(ReadBytes(data / "prog.bin"), CountingBytes(77, 0xA0));
}

TEST_F(LoadImageFileTest, AConverterThatReportsSuccessIsTrustedEvenWithAnOlderBinary) {
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(9));
    WriteBytes(data / "prog.bin", CountingBytes(77, 0xA0));
    InstallConverter("exit 0\n");

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), CountingBytes(77, 0xA0));
}

TEST_F(LoadImageFileTest, ReloadRunsTheConverterAgainAndReadsTheFreshBinary) {
    InstallConverter(kCopyingConverter);
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(20, 1));
    Browse(path);
    ASSERT_EQ(LoadedImage(), CountingBytes(20, 1));
    window.events.clear();

    WriteBytes(path, CountingBytes(30, 0x90));
    OnReload(window);

    EXPECT_THAT(window.events,
                ElementsAre(kBytesCleared, "notice open", "notice close", BytesShown("30 bytes")));
    EXPECT_THAT(ConverterCalls(), ElementsAre("2", "--file", path, "2", "--file", path));
    EXPECT_EQ(LoadedImage(), CountingBytes(30, 0x90));
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "prog.obj");
    EXPECT_EQ(FilePathText(), path);
}

TEST_F(LoadImageFileTest, ReloadOfARawFileReadsItAgain) {
    const std::string path = data / "image.bin";
    WriteBytes(path, CountingBytes(10));
    Browse(path);
    WriteBytes(path, CountingBytes(11, 50));
    window.events.clear();

    OnReload(window);

    EXPECT_THAT(window.events, ElementsAre(kBytesCleared, BytesShown("11 bytes")));
    EXPECT_EQ(LoadedImage(), CountingBytes(11, 50));
}

TEST_F(LoadImageFileTest, ReloadBeforeAnyChoiceSaysTheFileDoesNotExist) {
    OnReload(window);

    EXPECT_THAT(window.events, ElementsAre(kBytesCleared, "box FILE DOES NOT EXIST", kNameCleared));
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_EQ(imageStore.fileLoaded, 0);
}

TEST_F(LoadImageFileTest, ReloadAfterACancelledChoiceSaysTheFileDoesNotExist) {
    const std::string path = data / "image.bin";
    WriteBytes(path, CountingBytes(10));
    Browse(path);
    window.openAnswers.push_back(std::nullopt);
    OnBrowse(window);
    window.events.clear();

    OnReload(window);

    EXPECT_THAT(window.events, ElementsAre(kBytesCleared, "box FILE DOES NOT EXIST", kNameCleared));
    EXPECT_EQ(imageStore.fileLoaded, 0);
}

TEST_F(LoadImageFileTest, ReloadAfterAFailedChoiceSaysTheFileDoesNotExist) {
    const std::string path = data / "image.bin";
    WriteBytes(path, CountingBytes(10));
    Browse(data / "missing.bin");
    window.events.clear();
    window.boxes.clear();

    OnReload(window);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "FILE DOES NOT EXIST");
}

TEST_F(LoadImageFileTest, AFailedReloadOfAMissingFileKeepsTheEarlierImage) {
    const std::string path = data / "image.bin";
    WriteBytes(path, CountingBytes(64, 3));
    Browse(path);
    std::filesystem::remove(path);

    OnReload(window);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "FILE DOES NOT EXIST");
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), CountingBytes(64, 3));
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "");
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "");
    EXPECT_EQ(FilePathText(), "");
}

TEST_F(LoadImageFileTest, AFailedReconversionKeepsTheEarlierImageAndTheName) {
    InstallConverter(kCopyingConverter);
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(64, 3));
    Browse(path);
    InstallConverter("exit 1\n");

    OnReload(window);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT READ FILE");
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), CountingBytes(64, 3));
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "");
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "prog.obj");
    EXPECT_EQ(FilePathText(), "");
}

TEST_F(LoadImageFileTest, AFailedReloadOfAMissingConverterKeepsTheEarlierImage) {
    InstallConverter(kCopyingConverter);
    const std::string path = data / "prog.obj";
    WriteBytes(path, CountingBytes(64, 3));
    Browse(path);
    std::filesystem::remove(startup / std::string(kConverterFileName));

    OnReload(window);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT FIND HEX-BIN CONVERTER");
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), CountingBytes(64, 3));
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "");
}

}  // namespace
