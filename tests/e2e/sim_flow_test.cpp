#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "hex-bin/firmware_parser.h"
#include "main_window_fixture.h"
#include "views/data_dlg.h"

namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    const std::string text = ReadText(path);
    return {text.begin(), text.end()};
}

// A user's whole session on the simulated chip, with the example firmware and the real
// converter, in paths with blanks.
class SimFlowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        root = std::filesystem::temp_directory_path() / "isp8252 end to end";
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "start up");
        std::filesystem::create_directories(root / "my firmware");
        std::filesystem::copy_file(ISP_HEX_BIN_PATH, root / "start up" / "hex-bin");
        std::filesystem::copy_file(
            std::filesystem::path(ISP_SOURCE_DIR) / "examples/blink/blink.obj",
            root / "my firmware" / "blink.obj");
        Calibrate();
        OpenMainWindow();
        std::strcpy(window->StartupDirectory(), (root / "start up").string().c_str());
    }
    void TearDown() override {
        std::filesystem::remove_all(root);
        MainWindowFixture::TearDown();
    }

    static Step UntilClose() {
        return [](Dialog& d) { return d.GetDlgItemText(IDOK) == "CLOSE"; };
    }
    static Step ExpectStatus(const char* status) {
        return [status](Dialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDC_STATUS), status);
            return true;
        };
    }
    static Step PressClose() {
        return [](Dialog& d) {
            d.SendCommand(IDOK);
            return true;
        };
    }

    std::filesystem::path root;
};

TEST_F(SimFlowTest, LoadEraseProgramReadCompareListAndSave) {
    const auto firmware = firmware::ParseFirmware(ReadText(root / "my firmware" / "blink.obj"));
    ASSERT_TRUE(firmware.ok());
    const std::vector<std::uint8_t>& bytes = firmware.image;
    ASSERT_NE(bytes.back(), 0xFF);  // so the read counts every byte of it

    // Load: the object file goes through hex-bin.
    seam.QueueOpenFileName((root / "my firmware" / "blink.obj").string());
    window->SendCommand(IDC_BROWSE);
    EXPECT_TRUE(seam.MessageBoxes().empty());
    EXPECT_EQ(Text(IDC_FILE_NAME), "blink.obj");
    EXPECT_EQ(Text(IDC_FILE_BYTES), std::to_string(bytes.size()) + " bytes");
    EXPECT_EQ(ReadBytes(root / "my firmware" / "blink.bin"), bytes);

    // Erase, after confirming; the chip times its erase itself, the user takes a moment.
    chip->Flash().fill(0x00);
    seam.QueueMessageBoxAnswer(IDOK_ANSWER);
    window->SendCommand(IDC_ERASE);
    for (const std::uint8_t cell : chip->Flash()) {
        ASSERT_EQ(cell, 0xFF);
    }
    counter.Advance(50'000'000);

    // Program and verify.
    PressWithOperationDialog(IDC_PROG,
                             {UntilClose(), ExpectStatus("WRITE SUCCESSFUL!"), PressClose()});
    EXPECT_EQ(Text(IDC_DEVICE_STATE), "NOT LOADED");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(chip->Flash()[i], bytes[i]) << i;
    }

    // Read back and compare.
    PressWithOperationDialog(IDC_READ,
                             {UntilClose(), ExpectStatus("READING DEVICE"), PressClose()});
    EXPECT_EQ(Text(IDC_DEVICE_STATE), "LOADED");
    EXPECT_EQ(Text(IDC_SAVE), "SAVE");
    EXPECT_EQ(Text(IDC_DEVICE_BYTES), std::to_string(bytes.size()) + " bytes");
    window->SendCommand(IDC_COMPARE);
    EXPECT_EQ(Text(IDC_COMPARE_RESULT), "SAME");

    // List.
    window->SendCommand(IDC_DEVICE_CONTENTS);
    ASSERT_NE(window->DeviceViewer(), nullptr);
    EXPECT_EQ(window->DeviceViewer()->ListCount(IDC_VIEW_LIST), static_cast<int>(bytes.size()));
    window->DeviceViewer()->SendCommand(IDOK);

    // Save, and the saved bytes are the firmware.
    const auto saved = root / "my firmware" / "read back.bin";
    seam.QueueSaveFileName(saved.string());
    window->SendCommand(IDC_SAVE);
    EXPECT_EQ(ReadBytes(saved), bytes);
    EXPECT_TRUE(seam.MessageBoxes().size() == 1u);  // only the erase question was ever asked
    EXPECT_EQ(seam.UnusedAnswers(), 0u);
}

}  // namespace
