#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "platform/file_names.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // directory entry -> its bytes

// Stand-ins in a row: the case's directory in arguments and messages; a directory and a link to
// a device that refuses every write as directory entries.
const std::string kDir = "{dir}";
const std::string kSubdirectory = "<directory>";
const std::string kLinkToFull = "<link to /dev/full>";

// File contents by name.
const Files kContents = {{"eof", ":00000001FF\n"},
                         {"intel", ":02000400AABB95\n:0100000002FD\n:00000001FF\n"},
                         {"image", std::string("\x02\xFF\xFF\xFF\xAA\xBB", 6)},
                         {"old", std::string("\x01\x02 an earlier, longer conversion\xFF", 33)},
                         {"srec", "S0030000FC\r\nS104000212E7\r\nS9030000FC\r\n"},
                         {"srecImage", "\xFF\xFF\x12"},
                         {"badSum", ":0100000001FE\n:0100010002FD\n:00000001FF\n"},
                         {"cut", ":0100000001FE\n:0300\n"},
                         {"dir", kSubdirectory},
                         {"full", kLinkToFull}};
const std::string kUsage =
    "usage: hex-bin BASE\n       hex-bin --file OBJECT-FILE\nReads BASE.obj (or BASE.OBJ), or "
    "OBJECT-FILE itself, Intel HEX or Motorola S-records,\nand writes BASE.bin (OBJECT-FILE with "
    "the extension bin), the raw code-memory image\nfrom address 0 to the highest address used.\n";

// Arguments are separated by '|'; files are NAME=CONTENT separated by ','. `written` is what the
// run adds or replaces: every other entry of `before` must stay as it was, and nothing else may
// appear (no temporary file).
struct ProcessCase {
    const char* name;
    const char* arguments;
    const char* before;
    int exitStatus;
    std::string err;
    const char* written = "";
};

const ProcessCase kCases[] = {
    {"IntelReplacesLongerBinary", "{dir}/prog", "prog.obj=intel,prog.bin=old", 0, "",
     "prog.bin=image"},
    {"UpperCaseObjAndBlanksInName", "{dir}/blink led", "blink led.OBJ=srec", 0, "",
     "blink led.bin=srecImage"},
    {"BadChecksumKeepsBinary", "{dir}/prog", "prog.obj=badSum,prog.bin=old", 1,
     "hex-bin: {dir}/prog.obj:2: bad checksum 0xFD, the record's bytes need 0xFC\n"},
    {"NoObjectFile", "{dir}/prog", "prog.bin=old", 1,
     "hex-bin: {dir}/prog.obj: no such object file (nor {dir}/prog.OBJ)\n"},
    // The exact file named, whatever its extension or a sibling in the other letter case.
    {"ExactFileWithAnyExtension", "--file|{dir}/prog.hex", "prog.hex=intel,prog.obj=eof", 0, "",
     "prog.bin=image"},
#if !defined(_WIN32)  // names that differ only in letter case, a directory, a device link
    {"LowerCaseObjWins", "{dir}/prog", "prog.obj=intel,prog.OBJ=eof", 0, "", "prog.bin=image"},
    {"TruncatedWritesNoBinary", "{dir}/prog", "prog.OBJ=cut", 1,
     "hex-bin: {dir}/prog.OBJ:2: record is cut short: 2 bytes, where even an empty record has 5\n"},
    {"ExactFileMissing", "--file|{dir}/prog.OBJ", "prog.obj=intel", 1,
     "hex-bin: {dir}/prog.OBJ: no such object file\n"},
    {"BinaryNameTakenByDirectory", "{dir}/prog", "prog.obj=intel,prog.bin=dir", 1,
     "hex-bin: {dir}/prog.bin: cannot replace it: Is a directory\n"},
    // A link keeps pointing where it did; a device behind it is written, never replaced.
    {"DeviceBehindLinkWrittenInPlace", "{dir}/prog", "prog.obj=intel,prog.bin=full", 1,
     "hex-bin: {dir}/prog.bin: cannot write it: No space left on device\n"},
#endif
    {"NoArgument", "", "", 2, kUsage},
    {"TwoArguments", "{dir}/prog|{dir}/prog", "", 2, kUsage},
};

std::string Expand(std::string text, const fs::path& dir) {
    for (std::size_t at; (at = text.find(kDir)) != std::string::npos;) {
        text.replace(at, kDir.size(), Utf8FromPath(dir));
    }
    return text;
}

// The text split at `separator`, each part with the case's directory put in.
std::vector<std::string> Split(const std::string& text, char separator, const fs::path& dir) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        parts.push_back(Expand(part, dir));
    }
    return parts;
}

Files Decode(const std::string& text) {
    Files files;
    for (const std::string& file : Split(text, ',', {})) {
        files[file.substr(0, file.find('='))] = kContents.at(file.substr(file.find('=') + 1));
    }
    return files;
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

class ConverterProcess : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(ConverterProcess, ExitStatusMessageAndFilesLeft) {
    const ProcessCase& c = GetParam();
    test_support::ScratchDir scratch(/*blanks=*/true);
    // Blanks and letters beyond ASCII in the folder, as users' folders have.
    const fs::path dir = scratch.path() / PathFromUtf8("my firmwäre Ω");
    fs::create_directory(dir);
    const Files before = Decode(c.before);
    for (const auto& [name, content] : before) {
        if (content == kSubdirectory) {
            fs::create_directory(dir / name);
        } else if (content == kLinkToFull) {
            fs::create_symlink("/dev/full", dir / name);
        } else {
            test_support::WriteFileBytes(dir / PathFromUtf8(name), content);
        }
    }

    const auto run =
        test_support::RunChild(HEX_BIN_PATH, Split(c.arguments, '|', dir), scratch.path());

    EXPECT_EQ(run.exitStatus, c.exitStatus);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, Expand(c.err, dir));
    Files expected = Decode(c.written);
    expected.insert(before.begin(), before.end());
    EXPECT_EQ(Entries(dir), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ConverterProcess, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
