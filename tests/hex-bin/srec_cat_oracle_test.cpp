#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch_dir.h"

// srec_cat (Debian "srecord") writes object files from random images and reads them back to
// binary itself; hex-bin must give exactly the same bytes from the same file.
namespace {

namespace fs = std::filesystem;
using test_support::FileBytes;
using test_support::RunChild;

const fs::path kSrecCat = "/usr/bin/srec_cat";
constexpr std::size_t kCapacity = 8192;

// srec_cat output options: the format first.
const std::vector<std::vector<std::string>> kStyles = {
    {"-Intel", "-Output_Block_Size=8", "-CRLF"},
    {"-Intel", "-address-length=4"},
    {"-Motorola", "-address-length=2", "-CRLF"},
    {"-Motorola", "-address-length=3", "-Output_Block_Size=20"},
    {"-Motorola", "-address-length=4", "-execution-start-address=0", "-CRLF"},
};

TEST(SrecCatOracle, SameBytesAsSrecCatForRandomFiles) {
    if (!fs::exists(kSrecCat)) {
        GTEST_SKIP() << "srec_cat not installed (Debian package srecord)";
    }
    std::mt19937 random(8252);
    std::uniform_int_distribution<std::size_t> address(0, kCapacity - 1);
    for (int file = 0; file < 36; ++file) {
        const auto& style = kStyles[static_cast<std::size_t>(file) % kStyles.size()];
        SCOPED_TRACE("file " + std::to_string(file));
        test_support::ScratchDir work;
        const fs::path raw = work.path() / "random.raw";
        const fs::path made = work.path() / "fw.obj";
        const fs::path reference = work.path() / "reference.bin";
        std::string bytes(kCapacity, '\0');
        std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random()); });
        test_support::WriteFileBytes(raw, bytes);
        // One to four random address ranges of the random bytes; the rest are gaps.
        std::vector<std::string> make = {raw.string(), "-Binary", "-crop"};
        std::size_t end = 0;
        for (auto i = random() % 4; i < 4; ++i) {
            const std::size_t a = address(random);
            const std::size_t b = address(random);
            make.insert(make.end(),
                        {std::to_string(std::min(a, b)), std::to_string(std::max(a, b) + 1)});
            end = std::max({end, a + 1, b + 1});
        }
        make.insert(make.end(), {"-o", made.string()});
        make.insert(make.end(), style.begin(), style.end());
        const auto written = RunChild(kSrecCat, make, work.path());
        ASSERT_EQ(written.exitStatus, 0) << written.err;
        const auto read = RunChild(kSrecCat,
                                   {made.string(), style[0], "-fill", "0xFF", "0",
                                    std::to_string(end), "-o", reference.string(), "-Binary"},
                                   work.path());
        ASSERT_EQ(read.exitStatus, 0) << read.err;

        const auto run = RunChild(HEX_BIN_PATH, {(work.path() / "fw").string()}, work.path());
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(FileBytes(work.path() / "fw.bin") == FileBytes(reference))
            << "hex-bin and srec_cat differ";
    }
}

}  // namespace
