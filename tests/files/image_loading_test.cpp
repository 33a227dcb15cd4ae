#include "files/image_loading.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

#include "files_test_support.h"

namespace {

namespace fs = std::filesystem;

// File contents by name; a number is that many CountingBytes. "...Image" is what text describes.
std::string Content(const std::string& token) {
    static const std::map<std::string, std::string> named = {
        {"hex", ":0300000002000AF1\r\n:02000A0080FE76\r\n:00000001FF\r\n"},
        {"hexImage", std::string("\x02\x00\x0A\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x80\xFE", 12)},
        {"badsum", ":0300000002000AF1\n:02000A0080FE77\n:00000001FF\n"},  // raw: one sum wrong
    };
    const auto it = named.find(token);
    return it != named.end() ? it->second : CountingBytes(std::stoul(token));
}

// One line per case. The script is run word by word:
//   NAME=CONTENT  writes a file under the data directory ("/" makes a directory there); NAME
//                 "#N.ext" is a path of N characters, "#cN.ext" one that makes the converter's
//                 command line (its path, a blank, this path, a terminator) N characters long
//   conv=KIND     the converter in the start-up directory: copy (writes the .bin), ok (exits 0
//                 writing nothing), fail (exits 2), text (not executable), dir, none
//   start=KIND    start-up directory: slash (ends in a separator), long (299 characters), empty
//                 or unfilled (no terminator), both run from the directory that holds the converter
//   browse=NAME, cancel, reload, rm=NAME
// Events as Events() gives them; @ stands for a browse that chose the file ("N=|B=|open|N=" and
// its name). Image "-": nothing loaded. A copying converter is there unless the script changes it.
struct LoadCase {
    const char* name;
    const char* script;
    const char* events;
    const char* image;
    int conversions;  // by the recording converter, each given "--file" and the chosen path
};

class LoadTest : public FilesTest, public ::testing::WithParamInterface<LoadCase> {
protected:
    void TearDown() override {
        if (!previousDirectory.empty()) {
            fs::current_path(previousDirectory);
        }
        FilesTest::TearDown();
    }

    fs::path PathOf(const std::string& token) const {
        if (token[0] != '#') {
            return data.path() / token;
        }
        const bool commandLine = token[1] == 'c';
        std::size_t length = std::stoul(token.substr(commandLine ? 2 : 1));
        length -= commandLine ? Converter().string().size() + 2 : 0;
        const fs::path directory = data.path() / std::string(200, 'd');
        const std::size_t nameLength = length - directory.string().size() - 1;
        return directory / (std::string(nameLength - 4, 'n') + token.substr(token.size() - 4));
    }

    void InstallConverter(const std::string& kind) {
        fs::remove_all(Converter());
        if (kind == "dir") {
            fs::create_directory(Converter());
        } else if (kind != "none") {
            const std::string rest = kind == "copy"   ? "cp \"$2\" \"${2%.*}.bin\"\n"
                                     : kind == "fail" ? "exit 2\n"
                                                      : "";
            test_support::WriteFileBytes(
                Converter(),
                "#!/bin/sh\nprintf '%s %s\\n' \"$1\" \"$2\" >> \"${0%/*}/calls.txt\"\n" + rest);
            fs::permissions(Converter(), fs::perms(kind == "text" ? 0644 : 0755));
        }
    }

    void SetStartup(const std::string& kind) {
        std::string text = startup.path().string() + (kind == "slash" ? "/" : "");
        if (kind == "long") {
            text = "/" + std::string(kPathBufferSize - 2, 'd');
        } else if (kind == "empty" || kind == "unfilled") {
            previousDirectory = fs::current_path();
            fs::current_path(startup.path());
            text.clear();
        }
        ASSERT_TRUE(StorePath(window.startupDirectory, text));
        if (kind == "unfilled") {
            std::memset(window.startupDirectory, 'x', kPathBufferSize);
        }
    }

    void Run(const std::string& script) {
        std::istringstream words(script);
        for (std::string word; words >> word;) {
            const std::string op = word.substr(0, word.find('='));
            const std::string arg = word.substr(std::min(word.size(), op.size() + 1));
            if (op == "conv") {
                InstallConverter(arg);
            } else if (op == "start") {
                SetStartup(arg);
            } else if (op == "rm") {
                fs::remove(PathOf(arg));
            } else if (op == "reload") {
                OnReload(window);
            } else if (op == "browse" || op == "cancel") {
                chosen = op == "browse" ? PathOf(arg) : chosen;
                window.openAnswers.push_back(op == "browse" ? std::optional(chosen.string())
                                                            : std::nullopt);
                OnBrowse(window);
            } else {
                fs::create_directories(PathOf(op).parent_path());
                arg == "/" ? void(fs::create_directory(PathOf(op)))
                           : test_support::WriteFileBytes(PathOf(op), Content(arg));
            }
        }
    }

    fs::path chosen;
    fs::path previousDirectory;
};

TEST_P(LoadTest, ShowsWhatItLoadedOrWhyNot) {
    InstallConverter("copy");
    Run(GetParam().script);

    std::string expected = GetParam().events;
    for (std::size_t at; (at = expected.find('@')) != std::string::npos;) {
        expected.replace(at, 1, "N=|B=|open|N=" + chosen.filename().string());
    }
    EXPECT_EQ(Events(), expected);
    const std::string image = GetParam().image;
    EXPECT_EQ(imageStore.fileLoaded, image == "-" ? 0 : 1);
    EXPECT_EQ(LoadedImage(), image == "-" ? "" : Content(image));
    // The path stays for a later reload exactly when the last load succeeded.
    EXPECT_EQ(window.filePath, expected.ends_with(" bytes") ? chosen.string() : "");
    std::istringstream calls(test_support::FileBytes(startup.path() / "calls.txt"));
    int conversions = 0;
    for (std::string line; std::getline(calls, line); ++conversions) {
        EXPECT_EQ(line, "--file " + chosen.string());
    }
    EXPECT_EQ(conversions, GetParam().conversions);
}

const char* const kMissing = "@|box FILE DOES NOT EXIST|N=";
const char* const kNoConverter = "@|[|box COULD NOT FIND HEX-BIN CONVERTER|]|N=";
const char* const kNotConverted = "@|[|]|box COULD NOT READ FILE";

const LoadCase kLoadCases[] = {
    {"Raw0", "a.bin=0 browse=a.bin", "@|B=0 bytes", "0", 0},
    {"Raw8193", "a.bin=8193 browse=a.bin", "@|B=8192 bytes", "8192", 0},
    // Only "obj" and "OBJ" go through the converter; firmware text is read in the program.
    {"OBJ8193", "P.OBJ=8193 browse=P.OBJ", "@|[|]|B=8192 bytes", "8192", 1},
    {"MixedCaseObj", "a.Obj=12 browse=a.Obj", "@|B=12 bytes", "12", 0},
    {"DotInFolder", "x.obj/a=12 browse=x.obj/a", "@|B=12 bytes", "12", 0},
    {"IntelHex", "a.hex=hex browse=a.hex", "@|B=12 bytes", "hexImage", 0},
    {"BadChecksumRefused", "a.bin=badsum browse=a.bin", "@|box COULD NOT READ FILE", "-", 0},
    // Failures, in the order the user sees them.
    {"CancelAfterLoad", "a.bin=9 browse=a.bin cancel", "@|B=9 bytes|N=|B=|open", "-", 0},
    {"Missing", "browse=a.bin", kMissing, "-", 0},
    {"Directory", "a.bin=/ browse=a.bin", kMissing, "-", 0},
    {"NoConverter", "conv=none a.obj=9 browse=a.obj", kNoConverter, "-", 0},
    {"ConverterIsDirectory", "conv=dir a.obj=9 browse=a.obj", kNoConverter, "-", 0},
    {"ConverterFails", "conv=fail a.obj=9 a.bin=77 browse=a.obj", kNotConverted, "-", 1},
    {"ConverterCannotStart", "conv=text a.obj=9 a.bin=77 browse=a.obj", kNotConverted, "-", 0},
    {"ConverterKeepsOlderBinary", "conv=ok a.obj=9 a.bin=77 browse=a.obj", "@|[|]|B=77 bytes", "77",
     1},
    // Path and command-line bounds, and where the converter is looked for.
    {"Path299", "#299.bin=5 browse=#299.bin", "@|B=5 bytes", "5", 0},
    {"Path300", "#300.bin=5 browse=#300.bin", "N=|B=|open", "-", 0},
    {"CommandLine300", "#c300.obj=33 browse=#c300.obj", "@|[|]|B=33 bytes", "33", 1},
    {"CommandLine301", "#c301.obj=33 #c301.bin=33 browse=#c301.obj", kNotConverted, "-", 0},
    {"StartupEndsInSeparator", "start=slash a.obj=9 browse=a.obj", "@|[|]|B=9 bytes", "9", 1},
    {"StartupEmpty", "start=empty a.obj=9 browse=a.obj", kNoConverter, "-", 0},
    {"StartupUnfilled", "start=unfilled a.obj=9 browse=a.obj", kNoConverter, "-", 0},
    {"ConverterPathTooLong", "start=long a.obj=9 browse=a.obj", kNoConverter, "-", 0},
    // Reload reads (and converts) again; a failed reload keeps the earlier image.
    {"ReloadConverts", "a.obj=20 browse=a.obj a.obj=30 reload",
     "@|[|]|B=20 bytes|B=|[|]|B=30 bytes", "30", 2},
    {"ReloadFirst", "a.bin=10 reload", "B=|box FILE DOES NOT EXIST|N=", "-", 0},
    {"ReloadRemoved", "a.bin=64 browse=a.bin rm=a.bin reload",
     "@|B=64 bytes|B=|box FILE DOES NOT EXIST|N=", "64", 0},
    {"ReloadFailedConversion", "a.obj=64 browse=a.obj conv=fail reload",
     "@|[|]|B=64 bytes|B=|[|]|box COULD NOT READ FILE", "64", 2},
};

INSTANTIATE_TEST_SUITE_P(Cases, LoadTest, ::testing::ValuesIn(kLoadCases), CaseName{});

}  // namespace
