// gtest main for the Win32 backend's GUI tests: the application set-up, and a listener that
// fails any test leaving one of its windows on screen.
#include <gtest/gtest.h>

#include "framework/gui_application.h"
#include "framework/win32/windows_api.h"

namespace {

BOOL CALLBACK HideIfVisible(HWND hwnd, LPARAM leftOpen) {
    if (IsWindowVisible(hwnd)) {
        wchar_t title[128] = {};
        GetWindowTextW(hwnd, title, 128);
        ADD_FAILURE() << "test left a window open: " << Utf8FromUtf16(title);
        ShowWindow(hwnd, SW_HIDE);
        ++*reinterpret_cast<int*>(leftOpen);
    }
    return TRUE;
}

class LeftOpenWindowListener final : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo& /*info*/) override {
        int leftOpen = 0;
        EnumThreadWindows(GetCurrentThreadId(), HideIfVisible, reinterpret_cast<LPARAM>(&leftOpen));
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const GuiApplication application(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new LeftOpenWindowListener);
    return RUN_ALL_TESTS();
}
