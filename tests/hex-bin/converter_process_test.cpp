#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "platform/file_names.h"
#include "record_text.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using hexbin_test::IntelRecord;
using hexbin_test::Lines;
using hexbin_test::SRecord;
using hexbin_test::WithChecksum;
using test_support::FileBytes;
using test_support::RunChild;
using test_support::ScratchDir;
using test_support::WriteFileBytes;

const fs::path kConverter = HEX_BIN_PATH;
const std::string kEof = IntelRecord(0x01, 0, {});
const std::string kOldBinary = std::string("\x01\x02\x03 earlier conversion\xFF", 23);

std::string Raw(std::initializer_list<unsigned> bytes) {
    std::string raw;
    for (const unsigned byte : bytes) {
        raw += static_cast<char>(byte);
    }
    return raw;
}

struct ConvertCase {
    const char* name;
    const char* objectName;  // file written in the directory; nullptr writes none
    std::string content;
    bool binaryExistsBefore;
    int exitStatus;
    std::string err;  // "{obj}" stands for the full path of BASE.obj, "{OBJ}" of BASE.OBJ
    std::optional<std::string> binary;  // expected BASE.bin afterwards; nullopt: as before
};

std::vector<ConvertCase> ConvertCases() {
    const std::string intel =
        Lines({IntelRecord(0x00, 0x0004, {0xAA, 0xBB}), IntelRecord(0x00, 0, {0x02}), kEof});
    const std::string intelBinary = Raw({0x02, 0xFF, 0xFF, 0xFF, 0xAA, 0xBB});
    return {
        {"IntelHexWritesImage", "prog.obj", intel, false, 0, "", intelBinary},
        {"UpperCaseObjExtension", "prog.OBJ", intel, false, 0, "", intelBinary},
        {"SRecordsWriteImage", "prog.obj",
         Lines({SRecord('0', 0, {}), SRecord('1', 0x0002, {0x12, 0x34}), SRecord('9', 0, {})},
               "\r\n"),
         false, 0, "", Raw({0xFF, 0xFF, 0x12, 0x34})},
        {"SuccessReplacesLongerOldBinary", "prog.obj", intel, true, 0, "", intelBinary},
        {"BadChecksumKeepsOldBinary", "prog.obj",
         Lines({IntelRecord(0x00, 0, {0x01}), WithChecksum(IntelRecord(0x00, 1, {0x02}), 0x12),
                kEof}),
         true, 1, "hex-bin: {obj}:2: bad checksum 0x12, the record's bytes need 0xFC\n",
         std::nullopt},
        {"BadChecksumWritesNoBinary", "prog.obj",
         Lines({WithChecksum(IntelRecord(0x00, 1, {0x02}), 0x12), kEof}), false, 1,
         "hex-bin: {obj}:1: bad checksum 0x12, the record's bytes need 0xFC\n", std::nullopt},
        {"TruncatedRecordOnUpperCaseFile", "prog.OBJ", Lines({IntelRecord(0x00, 0, {1}), ":0300"}),
         true, 1,
         "hex-bin: {OBJ}:2: record is cut short: 2 bytes, where even an empty record has 5\n",
         std::nullopt},
        {"BadCharacterKeepsOldBinary", "prog.obj",
         Lines({IntelRecord(0x00, 0, {1}), "", ":01000100x0FE", kEof}), true, 1,
         "hex-bin: {obj}:3: bad character 'x' in column 10\n", std::nullopt},
        {"ConflictingBytes", "prog.obj",
         Lines({IntelRecord(0x00, 0, {1}), IntelRecord(0x00, 0, {2}), kEof}), true, 1,
         "hex-bin: {obj}:2: address 0x0000 gets 0x02, but line 1 gave it 0x01\n", std::nullopt},
        {"AddressBeyond8Kb", "prog.obj", Lines({SRecord('1', 0x2000, {0x00})}), false, 1,
         "hex-bin: {obj}:1: data at address 0x2000 lies beyond the 8192-byte code memory\n",
         std::nullopt},
        {"EmptyObjectFile", "prog.obj", "", true, 1, "hex-bin: {obj}:1: file is empty\n",
         std::nullopt},
        {"MissingObjectFile", nullptr, "", true, 1,
         "hex-bin: {obj}: no such object file (nor {OBJ})\n", std::nullopt},
    };
}

std::string Expand(std::string text, const fs::path& base) {
    const std::string lower = base.string() + ".obj";
    // Where letter case does not count (Windows), BASE.obj is found first even for BASE.OBJ.
    const std::string upper = fs::exists(lower) ? lower : base.string() + ".OBJ";
    for (std::size_t at; (at = text.find("{obj}")) != std::string::npos;) {
        text.replace(at, 5, lower);
    }
    for (std::size_t at; (at = text.find("{OBJ}")) != std::string::npos;) {
        text.replace(at, 5, upper);
    }
    return text;
}

std::set<std::string> Entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        names.insert(Utf8FromPath(entry.path().filename()));
    }
    return names;
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ConvertCase& c, std::ostream* os) {
    *os << c.name;
}

class ConverterProcess : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConverterProcess, ExitStatusMessagesAndOutputFile) {
    const ConvertCase& c = GetParam();
    ScratchDir work;
    ScratchDir capture;
    const fs::path base = work.path() / "prog";
    std::set<std::string> expectedEntries;
    if (c.objectName != nullptr) {
        WriteFileBytes(work.path() / c.objectName, c.content);
        expectedEntries.insert(c.objectName);
    }
    if (c.binaryExistsBefore) {
        WriteFileBytes(work.path() / "prog.bin", kOldBinary);
    }
    if (c.binaryExistsBefore || c.binary) {
        expectedEntries.insert("prog.bin");
    }

    const test_support::ChildResult run = RunChild(kConverter, {base.string()}, capture.path());

    EXPECT_EQ(run.exitStatus, c.exitStatus);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, Expand(c.err, base));
    const std::string expectedBinary = c.binary ? *c.binary : kOldBinary;
    if (c.binary || c.binaryExistsBefore) {
        EXPECT_EQ(FileBytes(work.path() / "prog.bin"), expectedBinary);
    }
    // Nothing else may be left behind: no temporary file, no binary after a failure.
    EXPECT_EQ(Entries(work.path()), expectedEntries);
}

INSTANTIATE_TEST_SUITE_P(Table, ConverterProcess, ::testing::ValuesIn(ConvertCases()),
                         [](const auto& param) { return std::string(param.param.name); });

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << c.name;
}

class ConverterUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(ConverterUsage, WrongArgumentCountPrintsUsage) {
    ScratchDir capture;
    const test_support::ChildResult run =
        RunChild(kConverter, GetParam().arguments, capture.path());
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "usage: hex-bin BASE\n"
              "Reads BASE.obj (or BASE.OBJ), Intel HEX or Motorola S-records, and writes "
              "BASE.bin,\nthe raw code-memory image from address 0 to the highest address used.\n");
}

INSTANTIATE_TEST_SUITE_P(Table, ConverterUsage,
                         ::testing::Values(UsageCase{"NoArgument", {}},
                                           UsageCase{"TwoArguments", {"a", "b"}}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ConverterPaths, DirectoryAndFileNameWithBlanksAndLettersBeyondAscii) {
    ScratchDir work(/*blanks=*/true);
    ScratchDir capture;
    const fs::path folder = work.path() / PathFromUtf8("my firmwäre Ω");
    fs::create_directory(folder);
    const fs::path base = folder / PathFromUtf8("blink lëd");
    WriteFileBytes(folder / PathFromUtf8("blink lëd.obj"),
                   Lines({IntelRecord(0x00, 1, {0x5A}), kEof}));

    const test_support::ChildResult run =
        RunChild(kConverter, {Utf8FromPath(base)}, capture.path());

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(FileBytes(folder / PathFromUtf8("blink lëd.bin")), Raw({0xFF, 0x5A}));
    EXPECT_EQ(Entries(folder), (std::set<std::string>{"blink lëd.obj", "blink lëd.bin"}));
}

TEST(ConverterPaths, LowerCaseObjWinsOverUpperCase) {
    ScratchDir work;
    ScratchDir capture;
    WriteFileBytes(work.path() / "prog.obj", Lines({IntelRecord(0x00, 0, {0x11}), kEof}));
    if (fs::exists(work.path() / "prog.OBJ")) {
        GTEST_SKIP() << "file names are not case-sensitive here";
    }
    WriteFileBytes(work.path() / "prog.OBJ", Lines({IntelRecord(0x00, 0, {0x22}), kEof}));

    const test_support::ChildResult run =
        RunChild(kConverter, {(work.path() / "prog").string()}, capture.path());

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(FileBytes(work.path() / "prog.bin"), Raw({0x11}));
}

TEST(ConverterPaths, UnwritableDirectoryFailsWithoutBinary) {
    ScratchDir work;
    ScratchDir capture;
    const fs::path base = work.path() / "prog";
    WriteFileBytes(work.path() / "prog.obj", Lines({IntelRecord(0x00, 0, {0x11}), kEof}));
    // A directory named like the binary cannot be replaced by a file.
    fs::create_directory(work.path() / "prog.bin");

    const test_support::ChildResult run = RunChild(kConverter, {base.string()}, capture.path());

    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err.rfind("hex-bin: " + base.string() + ".bin: cannot replace it: ", 0), 0u)
        << run.err;
    EXPECT_TRUE(fs::is_directory(work.path() / "prog.bin"));
    EXPECT_EQ(Entries(work.path()), (std::set<std::string>{"prog.obj", "prog.bin"}));
}

}  // namespace
