#include <gtest/gtest.h>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "gui_driver.h"
#include "main_window_fixture.h"
#include "views/data_dlg.h"

namespace {

using DataDialogTest = MainWindowFixture;

// A snapshot of the image, one line per counted byte, with the focus on CLOSE: Enter hides it, and
// a second press opens a fresh one.
TEST_F(DataDialogTest, ListsEachImageByItsCountWithTheFocusOnClose) {
    OpenMainWindow();
    imageStore.fileByteCount = 8192;
    imageStore.deviceImageValid = 0;  // the count decides, not the flag
    imageStore.deviceByteCount = 3;
    imageStore.DeviceImage[2] = 0xE4;
    window->SendCommand(IDC_FILE_CONTENTS);
    window->SendCommand(IDC_DEVICE_CONTENTS);
    CDataDlg* file = window->FileViewer();
    CDataDlg* device = window->DeviceViewer();
    ASSERT_TRUE(file != nullptr && device != nullptr);
    EXPECT_EQ(gui_test::Caption(*file), "DATA");
    EXPECT_EQ(file->GetDlgItemText(IDC_VIEW_TITLE), "FILE CONTENTS");
    EXPECT_EQ(device->GetDlgItemText(IDC_VIEW_TITLE), "FLASH CONTENTS");
    EXPECT_EQ(file->ListCount(IDC_VIEW_LIST), 8192);
    EXPECT_EQ(device->ListCount(IDC_VIEW_LIST), 3);
    EXPECT_EQ(device->ListText(IDC_VIEW_LIST, 2), "2         E4");

    ASSERT_TRUE(gui_test::ActivateAndWait(*device));
    EXPECT_EQ(gui_test::FocusedId(*device), IDOK);
    gui_test::PressKey(*device, gui_test::Key::Return);
    EXPECT_FALSE(device->IsVisible());
    EXPECT_TRUE(file->IsVisible());
    imageStore.deviceByteCount = 5;
    window->SendCommand(IDC_DEVICE_CONTENTS);
    EXPECT_EQ(window->DeviceViewer()->ListCount(IDC_VIEW_LIST), 5);
}

}  // namespace
