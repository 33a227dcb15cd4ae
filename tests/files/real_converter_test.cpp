#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "files/image_file_paths.h"
#include "files/image_loading.h"
#include "files_test_support.h"

// The shipped converter, copied into a start-up directory with a blank in its name, converting
// object files whose paths have blanks too.
namespace {

using ::testing::ElementsAre;

// 3 bytes at 0 (LJMP 000Ah), 2 bytes at 000Ah: the gap between is filled with FF.
constexpr const char* kIntelHex =
    ":0300000002000AF1\n"
    ":02000A0080FE76\n"
    ":00000001FF\n";
const Bytes kIntelHexImage = {0x02, 0x00, 0x0A, 0xFF, 0xFF, 0xFF,
                              0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFE};

// The first three bytes of the same program as S-records.
constexpr const char* kSRecords =
    "S106000002000AED\n"
    "S9030000FC\n";

class RealConverterTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        std::filesystem::copy_file(ISP_HEX_BIN_PATH, startup / std::string(kConverterFileName));
    }
    void Browse(const std::string& path) {
        window.openAnswers.push_back(path);
        OnBrowse(window);
    }
};

TEST_F(RealConverterTest, ConvertsAnIntelHexObjectFileWithBlanksInBothPaths) {
    ASSERT_NE(startup.Path().find(' '), std::string::npos);
    const std::string path = data / "my program.obj";
    WriteText(path, kIntelHex);

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_THAT(window.events,
                ElementsAre("text 1007 ", "text 1023 ", "open dialog", "text 1007 my program.obj",
                            "notice open", "notice close", "text 1023 12 bytes"));
    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), kIntelHexImage);
    EXPECT_EQ(ReadBytes(data / "my program.bin"), kIntelHexImage);
}

TEST_F(RealConverterTest, ConvertsSRecords) {
    const std::string path = data / "prog.obj";
    WriteText(path, kSRecords);

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(LoadedImage(), (Bytes{0x02, 0x00, 0x0A}));
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "3 bytes");
}

TEST_F(RealConverterTest, ConvertsAnUpperCaseOBJAndReadsTheBinBesideIt) {
    const std::string path = data / "PROG.OBJ";
    WriteText(path, kIntelHex);

    Browse(path);

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(LoadedImage(), kIntelHexImage);
    EXPECT_TRUE(Exists(data / "PROG.bin"));
}

class BothCasesTest : public RealConverterTest,
                      public ::testing::WithParamInterface<const char*> {};

// P.obj and P.OBJ side by side: whichever is chosen is the one converted.
TEST_P(BothCasesTest, TheChosenObjectFileIsTheOneConverted) {
    WriteText(data / "P.obj", ":0100000011EE\n:00000001FF\n");
    WriteText(data / "P.OBJ", ":020000002233A9\n:00000001FF\n");
    if (ReadText(data / "P.obj") != ":0100000011EE\n:00000001FF\n") {
        GTEST_SKIP() << "file names are not case-sensitive here";
    }

    Browse(data / GetParam());

    EXPECT_TRUE(window.boxes.empty());
    const Bytes chosen = std::string(GetParam()) == "P.obj" ? Bytes{0x11} : Bytes{0x22, 0x33};
    EXPECT_EQ(LoadedImage(), chosen);
}

INSTANTIATE_TEST_SUITE_P(Choices, BothCasesTest, ::testing::Values("P.obj", "P.OBJ"));

TEST_F(RealConverterTest, AMixedCaseObjIsNotConvertedButReadAsFirmwareText) {
    const std::string path = data / "prog.Obj";
    WriteText(path, kIntelHex);

    Browse(path);

    EXPECT_EQ(imageStore.fileLoaded, 1);
    EXPECT_EQ(LoadedImage(), kIntelHexImage);
    EXPECT_FALSE(Exists(data / "prog.bin"));
}

TEST_F(RealConverterTest, ReloadConvertsTheEditedObjectFileAgain) {
    const std::string path = data / "prog.obj";
    WriteText(path, kIntelHex);
    Browse(path);
    WriteText(path, ":0100000055AA\n:00000001FF\n");
    window.events.clear();

    OnReload(window);

    EXPECT_THAT(window.events,
                ElementsAre("text 1023 ", "notice open", "notice close", "text 1023 1 bytes"));
    EXPECT_EQ(LoadedImage(), Bytes{0x55});
}

TEST_F(RealConverterTest, ABadObjectFileIsNotReadAndAnOlderBinaryIsNotLoaded) {
    const std::string path = data / "prog.obj";
    WriteText(path, kIntelHex);
    Browse(path);
    ASSERT_EQ(LoadedImage(), kIntelHexImage);
    WriteText(path, ":0100000055AB\n:00000001FF\n");  // checksum off by one

    OnReload(window);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT READ FILE");
    EXPECT_EQ(window.Text(IDC_FILE_NAME), "prog.obj");
    EXPECT_EQ(window.Text(IDC_FILE_BYTES), "");
    EXPECT_EQ(FilePathText(), "");
    // The reload failed: the image loaded before stays, the stale binary was not read again.
    EXPECT_EQ(LoadedImage(), kIntelHexImage);
    EXPECT_EQ(ReadBytes(data / "prog.bin"), kIntelHexImage);
}

TEST_F(RealConverterTest, ABadObjectFileOnBrowseLoadsNothing) {
    const std::string path = data / "prog.obj";
    WriteBytes(data / "prog.bin", CountingBytes(20));  // from some earlier conversion
    WriteText(path, "this is not a hex file\n");

    Browse(path);

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT READ FILE");
    EXPECT_EQ(imageStore.fileLoaded, 0);
    EXPECT_EQ(imageStore.fileByteCount, 0);
}

}  // namespace
