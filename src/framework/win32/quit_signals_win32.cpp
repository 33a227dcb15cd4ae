// Quit requests on Windows: the console's Ctrl-C, Ctrl-Break, close, log-off and shut-down
// events (when the program has a console) and the session's end (WM_ENDSESSION, sent to every
// top-level window). Each becomes the quit call on the user-interface thread, and the request is
// held until the program has finished quitting, so the chip is out of programming mode before
// the system ends the process.
#include <atomic>
#include <utility>

#include "framework/dialog.h"
#include "framework/quit_signals.h"
#include "framework/ui_thread.h"
#include "framework/win32/win32_dialog_window.h"
#include "framework/win32/windows_api.h"

namespace {

// Windows ends a process this long after its console handler was called for a close; the wait
// stays below it.
constexpr DWORD kConsoleGraceMs = 4500;
// How long the session's end is held while an operation winds down.
constexpr DWORD kSessionEndGraceMs = 4500;

QuitSignals::Impl* g_active = nullptr;

}  // namespace

struct QuitSignals::Impl {
    std::function<void()> onQuit;
    HANDLE quitDone = nullptr;  // set once the owner of this object has finished quitting
    HWND sessionWindow = nullptr;
    std::atomic<bool> requested{false};

    void Request() {
        if (!requested.exchange(true)) {
            PostToUiThread([this] { onQuit(); });
        }
    }
};

namespace {

BOOL WINAPI OnConsoleEvent(DWORD event) {
    static_cast<void>(event);
    QuitSignals::Impl* const active = g_active;
    if (active == nullptr) {
        return FALSE;
    }
    active->Request();
    WaitForSingleObject(active->quitDone, kConsoleGraceMs);
    return TRUE;
}

LRESULT CALLBACK SessionWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        return TRUE;
    }
    if (message == WM_ENDSESSION && wParam != FALSE && g_active != nullptr) {
        // The process ends when this returns: quit now, and serve the loop until it has.
        g_active->onQuit();
        const ULONGLONG deadline = GetTickCount64() + kSessionEndGraceMs;
        MSG pending;
        while (WaitForSingleObject(g_active->quitDone, 0) == WAIT_TIMEOUT &&
               Dialog::MainWindow() != nullptr && Dialog::MainWindow()->IsVisible() &&
               GetTickCount64() < deadline) {
            if (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&pending);
                DispatchMessageW(&pending);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            }
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onQuit) : impl_(std::make_unique<Impl>()) {
    impl_->onQuit = std::move(onQuit);
    impl_->quitDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"isp8252 session";
    RegisterClassW(&windowClass);
    // A hidden top-level window: message-only windows are not told of the session's end.
    impl_->sessionWindow = CreateWindowW(L"isp8252 session", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                         nullptr, instance, nullptr);
    g_active = impl_.get();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

QuitSignals::~QuitSignals() {
    SetEvent(impl_->quitDone);
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    g_active = nullptr;
    DestroyWindow(impl_->sessionWindow);
    CloseHandle(impl_->quitDone);
}
