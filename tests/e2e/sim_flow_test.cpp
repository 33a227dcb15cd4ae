#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/resource_ids.h"
#include "child_process.h"
#include "hex-bin/firmware_parser.h"
#include "main_window_fixture.h"
#include "scratch_dir.h"

namespace {

using SimFlowTest = MainWindowFixture;

// A user's whole session on the simulated chip, with the example firmware and the real converter,
// in folders with blanks in their names.
TEST_F(SimFlowTest, LoadEraseProgramReadCompareAndSave) {
    namespace fs = std::filesystem;
    const test_support::ScratchDir root(/*blanks=*/true);
    const auto Path = [&root](const char* relative) {
        return (root.path() / relative).make_preferred().string();
    };
    ASSERT_TRUE(fs::create_directories(Path("start up")) &&
                fs::create_directories(Path("my firmware")));
    const fs::path converter(ISP_HEX_BIN_PATH);
    ASSERT_TRUE(fs::copy_file(converter, fs::path(Path("start up")) / converter.filename()));
    ASSERT_TRUE(
        fs::copy_file(ISP_SOURCE_DIR "/examples/blink/blink.obj", Path("my firmware/blink.obj")));
    Calibrate();
    OpenMainWindow();
    std::strcpy(window->StartupDirectory(), Path("start up").c_str());
    // Plays the operation dialog of a button to its end and checks its last status.
    const auto RunOperation = [this](int id, const char* status) {
        PressWithOperationDialog(id, {[](Dialog& d) { return d.GetDlgItemText(IDOK) == "CLOSE"; },
                                      [status](Dialog& d) {
                                          EXPECT_EQ(d.GetDlgItemText(IDC_STATUS), status);
                                          EXPECT_EQ(d.ProgressPosition(IDC_PROGRESS), 100);
                                          d.SendCommand(IDOK);
                                          return true;
                                      }});
    };
    const auto firmware =
        firmware::ParseFirmware(test_support::FileBytes(Path("my firmware/blink.obj")));
    ASSERT_TRUE(firmware.ok());
    const std::string bytes(firmware.image.begin(), firmware.image.end());
    ASSERT_NE(firmware.image.back(), 0xFF);  // so the read counts every byte of it
    const std::string size = std::to_string(bytes.size()) + " bytes";

    // Load: the object file goes through hex-bin.
    seam.QueueOpenFileName(Path("my firmware/blink.obj"));
    window->SendCommand(IDC_BROWSE);
    EXPECT_EQ(Text(IDC_FILE_NAME), "blink.obj");
    EXPECT_EQ(Text(IDC_FILE_BYTES), size);
    EXPECT_EQ(test_support::FileBytes(Path("my firmware/blink.bin")), bytes);

    // Erase, after confirming; the chip times its erase itself, the user takes a moment.
    chip->Flash().fill(0x00);
    seam.QueueMessageBoxAnswer(IDOK_ANSWER);
    window->SendCommand(IDC_ERASE);
    EXPECT_EQ(std::count(chip->Flash().begin(), chip->Flash().end(), 0xFF), 8192);
    counter.Advance(50'000'000);

    // Program and verify, then read back and compare.
    RunOperation(IDC_PROG, "WRITE SUCCESSFUL!");
    EXPECT_EQ(Text(IDC_DEVICE_STATE), "NOT LOADED");
    EXPECT_EQ(std::string(chip->Flash().begin(), chip->Flash().begin() + bytes.size()), bytes);
    RunOperation(IDC_READ, "READING DEVICE");
    EXPECT_EQ(Text(IDC_DEVICE_STATE), "LOADED");
    EXPECT_EQ(Text(IDC_SAVE), "SAVE");
    EXPECT_EQ(Text(IDC_DEVICE_BYTES), size);
    window->SendCommand(IDC_COMPARE);
    EXPECT_EQ(Text(IDC_COMPARE_RESULT), "SAME");

    // Save: the saved bytes are the firmware.
    seam.QueueSaveFileName(Path("my firmware/read back.bin"));
    window->SendCommand(IDC_SAVE);
    EXPECT_EQ(test_support::FileBytes(Path("my firmware/read back.bin")), bytes);
    EXPECT_EQ(seam.MessageBoxes().size(), 1u);  // only the erase question was ever asked
    EXPECT_EQ(seam.UnusedAnswers(), 0u);
}

}  // namespace
