#include <gtest/gtest.h>

#include <vector>

#include "app/resource_ids.h"
#include "gui_driver.h"
#include "recording_dialog.h"

namespace {

TEST(DialogKeyboardTest, TabOrderFollowsTemplateOrderOverControlsThatTakeFocus) {
    RecordingDialog dialog(IDD_PROGRAMMER_DIALOG);
    OpenActive(dialog);
    std::vector<int> visited{gui_test::FocusedId(dialog)};
    for (int i = 0; i < 10; ++i) {
        gui_test::PressKey(dialog, gui_test::Key::Tab);
        visited.push_back(gui_test::FocusedId(dialog));
    }
    EXPECT_EQ(visited, (std::vector<int>{IDC_BROWSE, IDCANCEL, IDC_PROG, IDC_COMPARE, IDC_READ,
                                         IDC_ERASE, IDC_FILE_CONTENTS, IDC_DEVICE_CONTENTS,
                                         IDC_SAVE, IDC_RELOAD, IDC_BROWSE}));
}

using Gesture = void (*)(RecordingDialog& dialog, int id);
const Gesture kCommand = [](RecordingDialog& d, int id) { d.SendCommand(id); };
const Gesture kClick = [](RecordingDialog& d, int id) { gui_test::ClickButton(d, id); };
const Gesture kEnter = [](RecordingDialog& d, int) {
    gui_test::PressKey(d, gui_test::Key::Return);
};
const Gesture kEscape = [](RecordingDialog& d, int) {
    gui_test::PressKey(d, gui_test::Key::Escape);
};
const Gesture kCloseBox = [](RecordingDialog& d, int) { gui_test::RequestClose(d); };

struct GestureCase {
    int templateId;
    Gesture gesture;
    int id;  // the command sent, the button clicked, or the control focused
    Calls calls;
    bool tableClaimsCancel, ends;
};

class GestureTest : public testing::TestWithParam<GestureCase> {};

// A command, or a click on its button, runs the table entry, else OnOK or OnCancel. Enter presses
// the focused push button, not one with the default style (BROWSE and PROG have it), and is OK
// elsewhere; Escape and the close box are Cancel, whose handler decides whether the dialog ends.
TEST_P(GestureTest, ReachesTheHandlerOfItsCommand) {
    const GestureCase& k = GetParam();
    RecordingDialog dialog(k.templateId);
    dialog.tableClaimsCancel = k.tableClaimsCancel;
    OpenActive(dialog);
    gui_test::SetFocus(dialog, k.id);
    Calls expected{"init"};
    for (int press = 0; press < (k.ends ? 1 : 2); ++press) {  // a dialog left open still answers
        k.gesture(dialog, k.id);
        expected.insert(expected.end(), k.calls.begin(), k.calls.end());
    }
    EXPECT_EQ(dialog.calls, expected);
    EXPECT_EQ(dialog.IsVisible(), !k.ends);
}

constexpr int kMain = IDD_PROGRAMMER_DIALOG;
constexpr int kViewer = IDD_DATA_DIALOG;

INSTANTIATE_TEST_SUITE_P(
    Table, GestureTest,
    testing::Values(GestureCase{kMain, kCommand, IDC_READ, {"read"}, false, false},
                    GestureCase{kMain, kClick, IDC_BROWSE, {"browse"}, false, false},
                    GestureCase{kMain, kClick, IDC_ERASE, {}, false, false},  // no entry
                    GestureCase{kViewer, kCommand, IDOK, {"ok"}, false, true},
                    GestureCase{kMain, kClick, IDCANCEL, {"cancel"}, false, true},
                    GestureCase{kMain, kClick, IDCANCEL, {"stop"}, true, false},
                    GestureCase{kMain, kEnter, IDC_READ, {"read"}, false, false},
                    GestureCase{kMain, kEnter, IDC_ERASE, {}, false, false},
                    GestureCase{kViewer, kEnter, IDC_VIEW_LIST, {"ok"}, false, true},
                    GestureCase{kViewer, kEscape, IDOK, {"cancel"}, false, true},
                    GestureCase{kViewer, kEscape, IDOK, {"stop"}, true, false},
                    GestureCase{kViewer, kCloseBox, IDOK, {"cancel"}, false, true},
                    GestureCase{kViewer, kCloseBox, IDOK, {"stop"}, true, false}));

}  // namespace
