#include "sim/flash_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "case_name.h"

namespace {

class FlashFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::path(::testing::TempDir()) /
              ("isp8252_flash_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string PathOf(const char* name) const { return (dir / name).string(); }
    void WriteBytes(const std::string& path, std::size_t count, std::uint8_t first) {
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < count; ++i) {
            out.put(static_cast<char>(static_cast<std::uint8_t>(first + i)));
        }
    }

    std::filesystem::path dir;
};

TEST_F(FlashFileTest, SaveThenLoadRestoresEveryByte) {
    sim::At89s8252 original;
    for (std::size_t a = 0; a < sim::kCodeFlashBytes; ++a) {
        original.Flash()[a] = static_cast<std::uint8_t>(a * 7 + 3);
    }
    std::string why;
    ASSERT_TRUE(sim::SaveFlashFile(original, PathOf("CHIP.bin"), &why)) << why;
    EXPECT_EQ(std::filesystem::file_size(PathOf("CHIP.bin")), 8192u);
    EXPECT_FALSE(std::filesystem::exists(PathOf("CHIP.bin.tmp")));
    sim::At89s8252 restored;
    ASSERT_TRUE(sim::LoadFlashFile(restored, PathOf("CHIP.bin"), &why)) << why;
    EXPECT_EQ(restored.Flash(), original.Flash());
}

TEST_F(FlashFileTest, ShortFileLeavesTheRestErased) {
    WriteBytes(PathOf("short.bin"), 3, 0x10);
    sim::At89s8252 chip;
    chip.Flash().fill(0x00);
    ASSERT_TRUE(sim::LoadFlashFile(chip, PathOf("short.bin")));
    EXPECT_EQ(chip.Flash()[0], 0x10);
    EXPECT_EQ(chip.Flash()[1], 0x11);
    EXPECT_EQ(chip.Flash()[2], 0x12);
    for (std::size_t a = 3; a < sim::kCodeFlashBytes; ++a) {
        ASSERT_EQ(chip.Flash()[a], 0xFF) << a;
    }
}

struct BadLoadCase {
    const char* name;
    std::size_t bytes;  // 0: no file at all
    const char* why;    // after the path
};

class BadLoadTest : public FlashFileTest, public ::testing::WithParamInterface<BadLoadCase> {};

TEST_P(BadLoadTest, RefusesAndLeavesTheChipAlone) {
    const auto& c = GetParam();
    const std::string path = PathOf("bad.bin");
    if (c.bytes != 0) {
        WriteBytes(path, c.bytes, 0);
    }
    sim::At89s8252 chip;
    chip.Flash().fill(0x42);
    std::string why;
    EXPECT_FALSE(sim::LoadFlashFile(chip, path, &why));
    EXPECT_EQ(why, std::string(c.why).replace(std::string(c.why).find("@"), 1, path));
    for (std::size_t a = 0; a < sim::kCodeFlashBytes; ++a) {
        ASSERT_EQ(chip.Flash()[a], 0x42) << a;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BadLoadTest,
                         ::testing::Values(BadLoadCase{"Missing", 0, "cannot open @"},
                                           BadLoadCase{"OneByteTooLong", 8193,
                                                       "@ holds more than 8192 bytes"}),
                         CaseName{});

TEST_F(FlashFileTest, FailedSaveLeavesTheOldImageUntouched) {
    const std::string path = PathOf("CHIP.bin");
    WriteBytes(path, 8192, 0x00);
    // A directory where the temporary file should go makes the write fail.
    std::filesystem::create_directory(path + ".tmp");
    sim::At89s8252 chip;
    std::string why;
    EXPECT_FALSE(sim::SaveFlashFile(chip, path, &why));
    EXPECT_EQ(why, "cannot write " + path + ".tmp");
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 8192u);
    EXPECT_EQ(bytes[5], 5);
}

}  // namespace
