// Per-process set-up of the Win32 backend: common controls, the hidden window that runs tasks
// posted to the user-interface thread, and the keyboard for modeless dialogs.
#include <memory>
#include <utility>

#include "framework/gui_application.h"
#include "framework/ui_thread.h"
#include "framework/win32/win32_dialog_window.h"
#include "framework/win32/windows_api.h"

namespace {

constexpr UINT kRunTask = WM_APP + 1;
HWND g_taskWindow = nullptr;

LRESULT CALLBACK TaskWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTask) {
        const std::unique_ptr<std::function<void()>> task(
            reinterpret_cast<std::function<void()>*>(lParam));
        (*task)();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A modal dialog's loop passes its messages here first: Tab, Enter and Escape in a modeless
// dialog of ours (a contents viewer beside the main window) go to that dialog's manager.
HHOOK g_messageFilter = nullptr;

LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && TranslateDialogMessage(*reinterpret_cast<MSG*>(lParam))) {
        return 1;
    }
    return CallNextHookEx(g_messageFilter, code, wParam, lParam);
}

}  // namespace

std::wstring Utf16FromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Utf8FromUtf16(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
}

struct GuiApplication::Impl {};

GuiApplication::GuiApplication(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
    static_cast<void>(argc);
    static_cast<void>(argv);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = TaskWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"isp8252 tasks";
    RegisterClassW(&windowClass);
    g_taskWindow = CreateWindowW(L"isp8252 tasks", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    g_messageFilter = SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
}

GuiApplication::~GuiApplication() {
    if (g_messageFilter != nullptr) {
        UnhookWindowsHookEx(g_messageFilter);
        g_messageFilter = nullptr;
    }
    // Tasks still queued are dropped with the window; their storage with them.
    MSG message;
    while (PeekMessageW(&message, g_taskWindow, kRunTask, kRunTask, PM_REMOVE)) {
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    }
    DestroyWindow(g_taskWindow);
    g_taskWindow = nullptr;
}

void PostToUiThread(std::function<void()> task) {
    auto* posted = new std::function<void()>(std::move(task));
    if (!PostMessageW(g_taskWindow, kRunTask, 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;
    }
}
