#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "gui_test_helpers.h"
#include "recording_dialog.h"

namespace {

using Calls = std::vector<std::string>;

int FocusedId() {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->property("controlId").toInt() : 0;
}

// Opens the dialog modeless with no owner and makes it the active window.
void OpenActive(Dialog& dialog) {
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.show();
    ASSERT_TRUE(gui_test::ActivateAndWait(&dialog));
}

struct FirstFocusCase {
    int templateId;
    int firstControl;
};

class FirstFocusTest : public testing::TestWithParam<FirstFocusCase> {};

TEST_P(FirstFocusTest, InitialisationFocusesTheFirstControlThatTakesFocus) {
    RecordingDialog dialog(GetParam().templateId);
    OpenActive(dialog);
    EXPECT_EQ(dialog.calls, Calls{"init"});
    EXPECT_EQ(QApplication::focusWidget(), dialog.GetDlgItem(GetParam().firstControl));
}

INSTANTIATE_TEST_SUITE_P(Templates, FirstFocusTest,
                         testing::Values(FirstFocusCase{IDD_PROGRAMMER_DIALOG, IDC_BROWSE},
                                         FirstFocusCase{IDD_ACTION_DIALOG, IDOK},
                                         FirstFocusCase{IDD_DATA_DIALOG, IDOK}));

TEST(DialogKeyboardTest, InitialisationReturningFalseKeepsTheFocusItChose) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    dialog.focusFirstControl = false;
    dialog.duringInit = [](RecordingDialog& d) { d.GetDlgItem(IDC_ERASE)->setFocus(); };
    OpenActive(dialog);
    EXPECT_EQ(FocusedId(), IDC_ERASE);
}

TEST(DialogKeyboardTest, TabOrderFollowsTemplateOrderOverControlsThatTakeFocus) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    OpenActive(dialog);
    std::vector<int> visited{FocusedId()};
    for (int i = 0; i < 10; ++i) {
        gui_test::PressKey(&dialog, Qt::Key_Tab);
        visited.push_back(FocusedId());
    }
    EXPECT_EQ(visited, (std::vector<int>{IDC_BROWSE, IDCANCEL, IDC_PROG, IDC_COMPARE, IDC_READ,
                                         IDC_ERASE, IDC_FILE_CONTENTS, IDC_DEVICE_CONTENTS,
                                         IDC_SAVE, IDC_RELOAD, IDC_BROWSE}));
}

TEST(DialogKeyboardTest, EnterPressesTheFocusedButtonAndNoOther) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    OpenActive(dialog);
    gui_test::PressKey(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.calls, (Calls{"init", "browse"}));

    dialog.GetDlgItem(IDC_READ)->setFocus();
    gui_test::PressKey(&dialog, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog.calls, (Calls{"init", "browse", "read"}));

    // PROG carries the default style too, but Enter goes to the focused button only.
    dialog.GetDlgItem(IDC_ERASE)->setFocus();
    gui_test::PressKey(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.calls, (Calls{"init", "browse", "read"}));
    EXPECT_TRUE(dialog.isVisible());
}

TEST(DialogKeyboardTest, EnterOnTheCancelButtonCancels) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    OpenActive(dialog);
    gui_test::PressKey(&dialog, Qt::Key_Tab);
    ASSERT_EQ(FocusedId(), IDCANCEL);
    gui_test::PressKey(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.calls, (Calls{"init", "cancel"}));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(DialogKeyboardTest, EnterWithTheListFocusedIsTheOkCommand) {
    RecordingDialog dialog(IDD_DATA_DIALOG);
    OpenActive(dialog);
    dialog.GetDlgItem(IDC_VIEW_LIST)->setFocus();
    ASSERT_EQ(FocusedId(), IDC_VIEW_LIST);
    gui_test::PressKey(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.calls, (Calls{"init", "ok"}));
    EXPECT_FALSE(dialog.isVisible());
}

enum class CancelGesture { EscapeKey, CloseBox };

struct CancelCase {
    CancelGesture gesture;
    bool cancelEnds;
};

class CancelGestureTest : public testing::TestWithParam<CancelCase> {};

void Perform(CancelGesture gesture, Dialog& dialog) {
    if (gesture == CancelGesture::EscapeKey) {
        gui_test::PressKey(&dialog, Qt::Key_Escape);
    } else {
        dialog.close();
    }
}

TEST_P(CancelGestureTest, ReachesOnCancelWhichDecidesWhetherTheDialogEnds) {
    RecordingDialog dialog(IDD_DATA_DIALOG);
    dialog.cancelEnds = GetParam().cancelEnds;
    OpenActive(dialog);
    Perform(GetParam().gesture, dialog);
    EXPECT_EQ(dialog.calls, (Calls{"init", "cancel"}));
    EXPECT_EQ(dialog.isVisible(), !GetParam().cancelEnds);
    // Pressed again: a dialog that stayed open keeps answering, and nothing ends it.
    if (!GetParam().cancelEnds) {
        Perform(GetParam().gesture, dialog);
        EXPECT_EQ(dialog.calls, (Calls{"init", "cancel", "cancel"}));
        EXPECT_TRUE(dialog.isVisible());
        dialog.hide();
    }
}

INSTANTIATE_TEST_SUITE_P(Gestures, CancelGestureTest,
                         testing::Values(CancelCase{CancelGesture::EscapeKey, true},
                                         CancelCase{CancelGesture::EscapeKey, false},
                                         CancelCase{CancelGesture::CloseBox, true},
                                         CancelCase{CancelGesture::CloseBox, false}));

TEST(DialogKeyboardTest, ATableEntryForCancelTakesEscapeAndTheCloseBox) {
    StopOnCancelDialog dialog;
    OpenActive(dialog);
    gui_test::PressKey(&dialog, Qt::Key_Escape);
    dialog.close();
    dialog.SendCommand(IDCANCEL);
    EXPECT_EQ(dialog.calls, (Calls{"stop", "stop", "stop"}));
    EXPECT_TRUE(dialog.isVisible());
    dialog.hide();
}

}  // namespace
