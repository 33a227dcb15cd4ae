#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <string>

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "gui_test_helpers.h"
#include "main_window_fixture.h"
#include "views/data_dlg.h"

namespace {

class DataDialogTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        OpenMainWindow();
    }

    CDataDlg* Open(int id) {
        window->SendCommand(id);
        return id == IDC_FILE_CONTENTS ? window->FileViewer() : window->DeviceViewer();
    }
};

TEST_F(DataDialogTest, ListsTheFileImageAtTheMainWindowsClientOrigin) {
    imageStore.fileByteCount = 8192;
    for (int i = 0; i < kImageSize; ++i) {
        imageStore.FileImage[i] = (i * 3) & 0xFF;
    }
    imageStore.FileImage[26] = 2;
    imageStore.FileImage[8191] = 255;
    CDataDlg* viewer = Open(IDC_FILE_CONTENTS);
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), "DATA");
    EXPECT_EQ(viewer->parentWidget(), window.get());
    EXPECT_EQ(viewer->pos(), window->mapToGlobal(QPoint(0, 0)));
    EXPECT_EQ(viewer->GetDlgItemText(IDC_VIEW_TITLE), "FILE CONTENTS");
    ASSERT_EQ(viewer->ListCount(IDC_VIEW_LIST), 8192);
    EXPECT_EQ(viewer->ListText(IDC_VIEW_LIST, 0), "0         0");
    EXPECT_EQ(viewer->ListText(IDC_VIEW_LIST, 26), "1A         2");
    EXPECT_EQ(viewer->ListText(IDC_VIEW_LIST, 8191), "1FFF         FF");
}

TEST_F(DataDialogTest, ListsTheDeviceImageByItsCountAlone) {
    imageStore.deviceImageValid = 0;  // the count decides, not the flag
    imageStore.deviceByteCount = 3;
    imageStore.DeviceImage[0] = 0x02;
    imageStore.DeviceImage[1] = 0x00;
    imageStore.DeviceImage[2] = 0xE4;
    CDataDlg* viewer = Open(IDC_DEVICE_CONTENTS);
    EXPECT_EQ(viewer->GetDlgItemText(IDC_VIEW_TITLE), "FLASH CONTENTS");
    ASSERT_EQ(viewer->ListCount(IDC_VIEW_LIST), 3);
    EXPECT_EQ(viewer->ListText(IDC_VIEW_LIST, 2), "2         E4");
}

TEST_F(DataDialogTest, ViewersOpenedBeforeAnythingWasLoadedAreEmpty) {
    EXPECT_EQ(Open(IDC_FILE_CONTENTS)->ListCount(IDC_VIEW_LIST), 0);
    EXPECT_EQ(Open(IDC_DEVICE_CONTENTS)->ListCount(IDC_VIEW_LIST), 0);
}

TEST_F(DataDialogTest, ASecondPressReplacesTheViewerWithAFreshSnapshot) {
    imageStore.fileByteCount = 5;
    Open(IDC_FILE_CONTENTS);
    imageStore.fileByteCount = 7;
    CDataDlg* second = Open(IDC_FILE_CONTENTS);
    int viewers = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        viewers += dynamic_cast<CDataDlg*>(w) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(viewers, 1);
    EXPECT_EQ(second->ListCount(IDC_VIEW_LIST), 7);
    // Both kinds may be open together.
    Open(IDC_DEVICE_CONTENTS);
    EXPECT_TRUE(window->FileViewer()->isVisible());
    EXPECT_TRUE(window->DeviceViewer()->isVisible());
}

TEST_F(DataDialogTest, TheListIsASnapshotNotRefreshedWhenTheImageChanges) {
    imageStore.deviceByteCount = 4;
    CDataDlg* viewer = Open(IDC_DEVICE_CONTENTS);
    imageStore.deviceByteCount = 0;
    imageStore.DeviceImage[0] = 0x77;
    EXPECT_EQ(viewer->ListCount(IDC_VIEW_LIST), 4);
    EXPECT_NE(viewer->ListText(IDC_VIEW_LIST, 0), "0         77");
}

struct HideCase {
    const char* name;
    void (*hide)(CDataDlg&);
};

class DataDialogHideTest : public DataDialogTest, public ::testing::WithParamInterface<HideCase> {};

TEST_P(DataDialogHideTest, HidesWithoutDestroying) {
    imageStore.fileByteCount = 2;
    CDataDlg* viewer = Open(IDC_FILE_CONTENTS);
    ASSERT_TRUE(gui_test::ActivateAndWait(viewer));
    // The viewer's keyboard focus starts on CLOSE, so Enter in a fresh viewer hides it.
    EXPECT_EQ(viewer->focusWidget(), viewer->GetDlgItem(IDOK));
    GetParam().hide(*viewer);
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_EQ(window->FileViewer(), viewer);
    EXPECT_EQ(viewer->ListCount(IDC_VIEW_LIST), 2);
    EXPECT_TRUE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DataDialogHideTest,
    ::testing::Values(
        HideCase{"EnterOnClose", [](CDataDlg& v) { gui_test::PressKey(&v, Qt::Key_Return); }},
        HideCase{"CloseButton", [](CDataDlg& v) { v.SendCommand(IDOK); }},
        HideCase{"Escape", [](CDataDlg& v) { gui_test::PressKey(&v, Qt::Key_Escape); }},
        HideCase{"CloseBox", [](CDataDlg& v) { v.close(); }}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
