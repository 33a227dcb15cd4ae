#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <string>

#include "app/resource_ids.h"
#include "framework/dialog.h"

namespace {

TEST(DialogItemsTest, TextIsSetAndReadByIdOnLabelsAndButtons) {
    Dialog main(IDD_PROGRAMMER_DIALOG);
    EXPECT_EQ(main.GetDlgItemText(IDC_DEVICE_STATE), "NOT LOADED");
    EXPECT_EQ(main.GetDlgItemText(IDC_SAVE), "N/A");
    EXPECT_EQ(main.GetDlgItemText(IDC_STATIC), "DEVICE FLASH");
    main.SetDlgItemText(IDC_DEVICE_STATE, "LOADED");
    main.SetDlgItemText(IDC_SAVE, "SAVE");
    main.SetDlgItemText(IDC_FILE_BYTES, "8192 bytes");
    EXPECT_EQ(main.GetDlgItemText(IDC_DEVICE_STATE), "LOADED");
    EXPECT_EQ(qobject_cast<QLabel*>(main.GetDlgItem(IDC_DEVICE_STATE))->text(), "LOADED");
    EXPECT_EQ(qobject_cast<QPushButton*>(main.GetDlgItem(IDC_SAVE))->text(), "SAVE");
    EXPECT_EQ(main.GetDlgItemText(IDC_FILE_BYTES), "8192 bytes");
    main.SetDlgItemText(IDC_DEVICE_STATE, "");
    EXPECT_EQ(main.GetDlgItemText(IDC_DEVICE_STATE), "");
    // The whole text is replaced, whatever was there.
    main.SetDlgItemText(IDC_COMPARE_RESULT, "DIFFERENT");
    main.SetDlgItemText(IDC_COMPARE_RESULT, "SAME");
    EXPECT_EQ(main.GetDlgItemText(IDC_COMPARE_RESULT), "SAME");
}

TEST(DialogItemsTest, UnknownIdsAreIgnored) {
    Dialog main(IDD_PROGRAMMER_DIALOG);
    EXPECT_EQ(main.GetDlgItem(4242), nullptr);
    main.SetDlgItemText(4242, "x");
    EXPECT_EQ(main.GetDlgItemText(4242), "");
    EXPECT_EQ(main.ProgressPosition(IDC_DEVICE_STATE), -1);
    EXPECT_EQ(main.ListCount(IDC_DEVICE_STATE), -1);
    main.AddListString(IDC_DEVICE_STATE, "x");
    EXPECT_EQ(main.GetDlgItemText(IDC_DEVICE_STATE), "NOT LOADED");
}

struct ProgressCase {
    int set;
    int expected;
};

class ProgressTest : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, PositionIsClampedToZeroToHundred) {
    Dialog action(IDD_ACTION_DIALOG);
    action.SetProgressPosition(IDC_PROGRESS, 37);
    action.SetProgressPosition(IDC_PROGRESS, GetParam().set);
    EXPECT_EQ(action.ProgressPosition(IDC_PROGRESS), GetParam().expected);
    EXPECT_EQ(qobject_cast<QProgressBar*>(action.GetDlgItem(IDC_PROGRESS))->value(),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ProgressTest,
                         testing::Values(ProgressCase{0, 0}, ProgressCase{1, 1},
                                         ProgressCase{50, 50}, ProgressCase{100, 100},
                                         ProgressCase{101, 100}, ProgressCase{-3, 0}));

TEST(DialogItemsTest, ProgressStartsAtZero) {
    Dialog action(IDD_ACTION_DIALOG);
    EXPECT_EQ(action.ProgressPosition(IDC_PROGRESS), 0);
}

TEST(DialogItemsTest, ListLinesAreAppendedInOrderAndReadBack) {
    Dialog viewer(IDD_DATA_DIALOG);
    EXPECT_EQ(viewer.ListCount(IDC_VIEW_LIST), 0);
    viewer.InitListStorage(IDC_VIEW_LIST, 3, 20);
    viewer.AddListString(IDC_VIEW_LIST, "0         FF");
    viewer.AddListString(IDC_VIEW_LIST, "1A         2");
    viewer.AddListString(IDC_VIEW_LIST, "1FFF         FF");
    EXPECT_EQ(viewer.ListCount(IDC_VIEW_LIST), 3);
    EXPECT_EQ(viewer.ListText(IDC_VIEW_LIST, 0), "0         FF");
    EXPECT_EQ(viewer.ListText(IDC_VIEW_LIST, 1), "1A         2");
    EXPECT_EQ(viewer.ListText(IDC_VIEW_LIST, 2), "1FFF         FF");
    EXPECT_EQ(viewer.ListText(IDC_VIEW_LIST, 3), "");
    EXPECT_EQ(viewer.ListText(IDC_VIEW_LIST, -1), "");
    // Unsorted: lines stay in the order they were added.
    EXPECT_FALSE(qobject_cast<QListWidget*>(viewer.GetDlgItem(IDC_VIEW_LIST))->isSortingEnabled());
}

TEST(DialogItemsTest, AFullImageListHoldsEveryLine) {
    Dialog viewer(IDD_DATA_DIALOG);
    viewer.InitListStorage(IDC_VIEW_LIST, 8192, 20);
    for (int i = 0; i < 8192; ++i) {
        viewer.AddListString(IDC_VIEW_LIST, std::to_string(i));
    }
    EXPECT_EQ(viewer.ListCount(IDC_VIEW_LIST), 8192);
    EXPECT_EQ(viewer.ListText(IDC_VIEW_LIST, 8191), "8191");
    EXPECT_EQ(qobject_cast<QListWidget*>(viewer.GetDlgItem(IDC_VIEW_LIST))->layoutMode(),
              QListView::Batched);
}

}  // namespace
