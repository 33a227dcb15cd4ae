#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch_dir.h"

// srec_cat (Debian "srecord") writes the object files and converts them to binary itself; hex-bin
// must produce exactly the same bytes from the same file.
namespace {

namespace fs = std::filesystem;
using test_support::FileBytes;
using test_support::RunChild;
using test_support::ScratchDir;
using test_support::WriteFileBytes;

const fs::path kConverter = HEX_BIN_PATH;
const fs::path kSrecCat = "/usr/bin/srec_cat";
constexpr std::uint32_t kSeed = 8252;
constexpr int kFiles = 36;
constexpr std::size_t kCapacity = 8192;

struct OutputStyle {
    const char* name;
    std::vector<std::string> srecCatOutput;  // srec_cat arguments after "-o FILE"
    bool intel;
    bool shuffleable;  // record order carries no meaning (no address records in between)
};

const std::vector<OutputStyle> kStyles = {
    {"Intel", {"-Intel"}, true, true},
    {"Intel8", {"-Intel", "-Output_Block_Size=8"}, true, true},
    {"Intel32", {"-Intel", "-Output_Block_Size=32"}, true, true},
    {"IntelLinear", {"-Intel", "-address-length=4"}, true, false},
    {"S19", {"-Motorola", "-address-length=2"}, false, true},
    {"S28", {"-Motorola", "-address-length=3", "-Output_Block_Size=20"}, false, true},
    {"S37", {"-Motorola", "-address-length=4", "-execution-start-address=0"}, false, true},
};

struct Block {
    std::size_t address;
    std::string bytes;
};

std::vector<Block> RandomBlocks(std::mt19937& random) {
    std::uniform_int_distribution<int> blockCount(1, 6);
    std::uniform_int_distribution<std::size_t> address(0, kCapacity - 1);
    std::uniform_int_distribution<std::size_t> length(1, 700);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<Block> blocks;
    const int wanted = blockCount(random);
    for (int attempt = 0; attempt < 50 && static_cast<int>(blocks.size()) < wanted; ++attempt) {
        const std::size_t start = address(random);
        const std::size_t size = std::min(length(random), kCapacity - start);
        const bool overlaps = std::any_of(blocks.begin(), blocks.end(), [&](const Block& b) {
            return start < b.address + b.bytes.size() && b.address < start + size;
        });
        if (overlaps) {
            continue;
        }
        Block block{start, std::string(size, '\0')};
        for (char& c : block.bytes) {
            c = static_cast<char>(byte(random));
        }
        blocks.push_back(block);
    }
    return blocks;
}

// Data records of a srec_cat file in a different order; header first and trailer last stay put.
std::string ShuffleRecords(const std::string& text, bool intel, std::mt19937& random) {
    std::vector<std::string> head, data, tail;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const bool isData = intel ? line.compare(7, 2, "00") == 0
                                  : (line[1] == '1' || line[1] == '2' || line[1] == '3');
        (isData ? data : (data.empty() ? head : tail)).push_back(line);
    }
    std::shuffle(data.begin(), data.end(), random);
    std::string shuffled;
    for (const auto* part : {&head, &data, &tail}) {
        for (const std::string& line : *part) {
            shuffled += line + "\n";
        }
    }
    return shuffled;
}

std::string WithCrLf(const std::string& text) {
    std::string converted;
    for (const char c : text) {
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return converted;
}

TEST(SrecCatOracle, SameBytesAsSrecCatForRandomFiles) {
    if (!fs::exists(kSrecCat)) {
        GTEST_SKIP() << "srec_cat not installed (Debian package srecord)";
    }
    std::mt19937 random(kSeed);
    ScratchDir capture;
    int compared = 0;
    for (int file = 0; file < kFiles; ++file) {
        const OutputStyle& style = kStyles[static_cast<std::size_t>(file) % kStyles.size()];
        SCOPED_TRACE("file " + std::to_string(file) + " (" + style.name + ")");
        ScratchDir work;
        const std::vector<Block> blocks = RandomBlocks(random);
        ASSERT_FALSE(blocks.empty());

        std::vector<std::string> makeArgs;
        std::size_t end = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const fs::path raw = work.path() / ("block" + std::to_string(i) + ".raw");
            WriteFileBytes(raw, blocks[i].bytes);
            makeArgs.insert(makeArgs.end(), {raw.string(), "-Binary", "-offset",
                                             std::to_string(blocks[i].address)});
            end = std::max(end, blocks[i].address + blocks[i].bytes.size());
        }
        const fs::path generated = work.path() / "generated.txt";
        makeArgs.insert(makeArgs.end(), {"-o", generated.string()});
        makeArgs.insert(makeArgs.end(), style.srecCatOutput.begin(), style.srecCatOutput.end());
        const auto made = RunChild(kSrecCat, makeArgs, capture.path());
        ASSERT_EQ(made.exitStatus, 0) << made.err;

        // srec_cat's own reading of the same file, from address 0, gaps 0xFF.
        const fs::path reference = work.path() / "reference.bin";
        const auto converted =
            RunChild(kSrecCat,
                     {generated.string(), style.intel ? "-Intel" : "-Motorola", "-fill", "0xFF",
                      "0", std::to_string(end), "-o", reference.string(), "-Binary"},
                     capture.path());
        ASSERT_EQ(converted.exitStatus, 0) << converted.err;

        std::string text = FileBytes(generated);
        if (style.shuffleable && file % 2 == 1) {
            text = ShuffleRecords(text, style.intel, random);
        }
        if (file % 3 == 2) {
            text = WithCrLf(text);
        }
        WriteFileBytes(work.path() / "fw.obj", text);
        const auto run = RunChild(kConverter, {(work.path() / "fw").string()}, capture.path());
        ASSERT_EQ(run.exitStatus, 0) << run.err;

        const std::string expected = FileBytes(reference);
        EXPECT_EQ(expected.size(), end);
        EXPECT_TRUE(FileBytes(work.path() / "fw.bin") == expected)
            << "hex-bin and srec_cat disagree";
        ++compared;
    }
    EXPECT_EQ(compared, kFiles);
}

}  // namespace
