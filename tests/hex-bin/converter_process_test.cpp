#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "platform/file_names.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Files = std::map<std::string, std::string>;  // directory entry -> its bytes

// Stand-ins in a row: the case's directory in arguments and messages; a directory and a link to
// a device that refuses every write as directory entries.
const std::string kDir = "{dir}";
const std::string kSubdirectory = "<directory>";
const std::string kLinkToFull = "<link to /dev/full>";

const std::string kEof = ":00000001FF\n";
const std::string kIntel = ":02000400AABB95\n:0100000002FD\n" + kEof;
const std::string kIntelImage = std::string("\x02\xFF\xFF\xFF\xAA\xBB", 6);
const std::string kOld = std::string("\x01\x02 an earlier, longer conversion\xFF", 33);
const std::string kUsage =
    "usage: hex-bin BASE\n       hex-bin --file OBJECT-FILE\nReads BASE.obj (or BASE.OBJ), or "
    "OBJECT-FILE itself, Intel HEX or Motorola S-records,\nand writes BASE.bin (OBJECT-FILE with "
    "the extension bin), the raw code-memory image\nfrom address 0 to the highest address used.\n";

struct ProcessCase {
    const char* name;
    Args arguments;
    Files before;
    int exitStatus;
    std::string err;
    // What the run adds or replaces. Every other entry of `before` must stay as it was, and
    // nothing else may appear (no temporary file).
    Files written = {};
};

std::vector<ProcessCase> Cases() {
    const std::string base = kDir + "/prog";
    const std::string srec = "S0030000FC\r\nS104000212E7\r\nS9030000FC\r\n";
    const std::string badSum = ":0100000001FE\n:0100010002FD\n" + kEof;
    const std::string cut = ":0100000001FE\n:0300\n";
    return {
        {"IntelReplacesLongerBinary",
         Args{base},
         Files{{"prog.obj", kIntel}, {"prog.bin", kOld}},
         0,
         "",
         Files{{"prog.bin", kIntelImage}}},
            {"UpperCaseObjAndBlanksInName",
             Args{kDir + "/blink led"},
             Files{{"blink led.OBJ", srec}},
             0,
             "",
             Files{{"blink led.bin", "\xFF\xFF\x12"}}},
            {"BadChecksumKeepsBinary", Args{base}, Files{{"prog.obj", badSum}, {"prog.bin", kOld}},
             1, "hex-bin: {dir}/prog.obj:2: bad checksum 0xFD, the record's bytes need 0xFC\n"},
            {"NoObjectFile", Args{base}, Files{{"prog.bin", kOld}}, 1,
             "hex-bin: {dir}/prog.obj: no such object file (nor {dir}/prog.OBJ)\n"},
            // The exact file named, whatever its extension or a sibling in the other letter case.
            {"ExactFileWithAnyExtension",
             Args{"--file", kDir + "/prog.hex"},
             Files{{"prog.hex", kIntel}, {"prog.obj", kEof}},
             0,
             "",
             Files{{"prog.bin", kIntelImage}}},
#if !defined(_WIN32)  // names that differ only in letter case, a directory, a device link
            {"LowerCaseObjWins",
             Args{base},
             Files{{"prog.obj", kIntel}, {"prog.OBJ", kEof}},
             0,
             "",
             Files{{"prog.bin", kIntelImage}}},
            {"TruncatedWritesNoBinary", Args{base}, Files{{"prog.OBJ", cut}}, 1,
             "hex-bin: {dir}/prog.OBJ:2: record is cut short: 2 bytes, where even an empty record "
             "has "
             "5\n"},
            {"ExactFileMissing", Args{"--file", kDir + "/prog.OBJ"}, Files{{"prog.obj", kIntel}}, 1,
             "hex-bin: {dir}/prog.OBJ: no such object file\n"},
            {"BinaryNameTakenByDirectory", Args{base},
             Files{{"prog.obj", kIntel}, {"prog.bin", kSubdirectory}}, 1,
             "hex-bin: {dir}/prog.bin: cannot replace it: Is a directory\n"},
            // Written beside and renamed over: the link goes, the device is never written.
            {"BinaryReplacedNotWrittenInPlace",
             Args{base},
             Files{{"prog.obj", kIntel}, {"prog.bin", kLinkToFull}},
             0,
             "",
             Files{{"prog.bin", kIntelImage}}},
#endif
            {"NoArgument", Args(), Files(), 2, kUsage},
            {"TwoArguments", Args{base, base}, Files(), 2, kUsage},
    };
}

std::string Expand(std::string text, const fs::path& dir) {
    for (std::size_t at; (at = text.find(kDir)) != std::string::npos;) {
        text.replace(at, kDir.size(), Utf8FromPath(dir));
    }
    return text;
}

Files Entries(const fs::path& dir) {
    Files entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        entries[Utf8FromPath(entry.path().filename())] =
            entry.is_symlink()     ? kLinkToFull
            : entry.is_directory() ? kSubdirectory
                                   : test_support::FileBytes(entry.path());
    }
    return entries;
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ProcessCase& c, std::ostream* os) {
    *os << c.name;
}

class ConverterProcess : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(ConverterProcess, ExitStatusMessageAndFilesLeft) {
    const ProcessCase& c = GetParam();
    test_support::ScratchDir scratch(/*blanks=*/true);
    // Blanks and letters beyond ASCII in the folder, as users' folders have.
    const fs::path dir = scratch.path() / PathFromUtf8("my firmwäre Ω");
    fs::create_directory(dir);
    for (const auto& [name, content] : c.before) {
        if (content == kSubdirectory) {
            fs::create_directory(dir / name);
        } else if (content == kLinkToFull) {
            fs::create_symlink("/dev/full", dir / name);
        } else {
            test_support::WriteFileBytes(dir / PathFromUtf8(name), content);
        }
    }
    Args arguments;
    for (const std::string& argument : c.arguments) {
        arguments.push_back(Expand(argument, dir));
    }

    const auto run = test_support::RunChild(HEX_BIN_PATH, arguments, scratch.path());

    EXPECT_EQ(run.exitStatus, c.exitStatus);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, Expand(c.err, dir));
    Files expected = c.written;
    expected.insert(c.before.begin(), c.before.end());
    EXPECT_EQ(Entries(dir), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ConverterProcess, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
