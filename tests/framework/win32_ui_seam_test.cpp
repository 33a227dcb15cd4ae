#include <gtest/gtest.h>

#include <string>

#include "framework/ui_seam.h"
#include "framework/win32/windows_api.h"
#include "gui_driver.h"

namespace {

struct BoxCase {
    unsigned type;
    int command;  // what the user's answer sends to the box
    int expected;
    const char* buttons;  // OK there, Cancel there
};

class RealMessageBoxTest : public testing::TestWithParam<BoxCase> {};

// MessageBoxW with the text, caption and buttons asked for; Escape (IDCANCEL) answers Cancel
// where there is one and dismisses a box with OK alone.
TEST_P(RealMessageBoxTest, ShowsTheBoxAndReturnsTheAnswer) {
    std::string seen;
    gui_test::RunLater(50, [&] {
        const HWND box = FindWindowW(L"#32770", L"ERROR");
        ASSERT_NE(box, nullptr);
        seen = std::to_string(GetDlgItem(box, IDOK) != nullptr) +
               std::to_string(GetDlgItem(box, IDCANCEL) != nullptr);
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(GetParam().command), 0);
    });
    EXPECT_EQ(PlatformUiSeam().MessageBox(nullptr, "NO DATA TO LOAD", "ERROR", GetParam().type),
              GetParam().expected);
    EXPECT_EQ(seen, GetParam().buttons);
}

INSTANTIATE_TEST_SUITE_P(Answers, RealMessageBoxTest,
                         testing::Values(BoxCase{MB_OK, IDOK, IDOK_ANSWER, "10"},
                                         BoxCase{MB_OKCANCEL, IDOK, IDOK_ANSWER, "11"},
                                         BoxCase{MB_OKCANCEL, IDCANCEL, IDCANCEL_ANSWER, "11"}));

}  // namespace
