// The GUI test driver over the Win32 backend, under Wine. Keys go through the dialog manager
// (IsDialogMessage) as a message loop would pass them; clicks are the button's own BM_CLICK.
#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "framework/dialog_template.h"
#include "framework/win32/win32_dialog_window.h"
#include "framework/win32/windows_api.h"
#include "gui_driver.h"

namespace gui_test {

namespace {

Win32DialogWindow& W(const Dialog& dialog) {
    return Win32WindowOf(dialog);
}

HWND H(const Dialog& dialog) {
    return W(dialog).Handle();
}

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

UINT VirtualKey(Key key) {
    switch (key) {
        case Key::Return:
        case Key::Enter:
            return VK_RETURN;
        case Key::Escape:
            return VK_ESCAPE;
        case Key::Tab:
            break;
    }
    return VK_TAB;
}

void Deliver(MSG message) {
    if (!TranslateDialogMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// One-shot and repeating tasks, by timer id, on a thread timer.
std::map<UINT_PTR, std::function<void()>>& Timers() {
    static std::map<UINT_PTR, std::function<void()>> timers;
    return timers;
}

void CALLBACK OnOneShot(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const auto found = Timers().find(id);
    if (found != Timers().end()) {
        std::function<void()> task = std::move(found->second);
        Timers().erase(found);
        task();
    }
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
    // A tick that turns the message loop (activating a window) must not run itself again.
    static bool ticking = false;
    const auto found = Timers().find(id);
    if (found != Timers().end() && !ticking) {
        std::function<void()> tick = found->second;  // the tick may stop its own timer
        ticking = true;
        tick();
        ticking = false;
    }
}

}  // namespace

bool ActivateAndWait(Dialog& dialog) {
    const HWND hwnd = H(dialog);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    return PumpUntil([hwnd] { return GetActiveWindow() == hwnd; }, 2000);
}

void PressKey(Dialog& dialog, Key key) {
    const HWND focus = GetFocus();
    const HWND target =
        focus != nullptr && GetAncestor(focus, GA_ROOT) == H(dialog) ? focus : H(dialog);
    const UINT vk = VirtualKey(key);
    Deliver(MSG{target, WM_KEYDOWN, vk, 1, 0, {}});
    Deliver(MSG{target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001), 0, {}});
}

void ClickButton(Dialog& dialog, int id) {
    SendMessageW(GetDlgItem(H(dialog), id), BM_CLICK, 0, 0);
}

void RequestClose(Dialog& dialog) {
    SendMessageW(H(dialog), WM_CLOSE, 0, 0);
}

void SetFocus(Dialog& dialog, int id) {
    SendMessageW(H(dialog), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(H(dialog), id)),
                 TRUE);
}

int FocusedId(const Dialog& dialog) {
    const HWND focus = GetFocus();
    return focus != nullptr && GetParent(focus) == H(dialog) ? GetDlgCtrlID(focus) : 0;
}

std::string Caption(const Dialog& dialog) {
    wchar_t text[256] = {};
    GetWindowTextW(H(dialog), text, 256);
    return Utf8FromUtf16(text);
}

bool HasCloseBox(const Dialog& dialog) {
    return (GetWindowLongPtrW(H(dialog), GWL_STYLE) & WS_SYSMENU) != 0;
}

bool HasIcon(const Dialog& dialog) {
    return SendMessageW(H(dialog), WM_GETICON, ICON_BIG, 0) != 0;
}

const Dialog* OwnerOf(const Dialog& dialog) {
    const Win32DialogWindow* owner = Win32DialogWindow::FromHandle(GetWindow(H(dialog), GW_OWNER));
    return owner != nullptr ? &owner->Owner() : nullptr;
}

Size ClientSize(const Dialog& dialog) {
    RECT client;
    GetClientRect(H(dialog), &client);
    return {client.right, client.bottom};
}

Point ClientOrigin(const Dialog& dialog) {
    POINT origin{0, 0};
    ClientToScreen(H(dialog), &origin);
    return {origin.x, origin.y};
}

Rect Frame(const Dialog& dialog) {
    RECT frame;
    GetWindowRect(H(dialog), &frame);
    return ToRect(frame);
}

Rect WorkArea() {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return ToRect(work);
}

void MoveBy(Dialog& dialog, int dx, int dy) {
    const Rect frame = Frame(dialog);
    SetWindowPos(H(dialog), nullptr, frame.x + dx, frame.y + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetEnabled(Dialog& dialog, bool enabled) {
    EnableWindow(H(dialog), enabled ? TRUE : FALSE);
}

DialogUnits TemplateFontUnits(const Dialog& dialog) {
    // Measured as the dialog manager measures a DS_SETFONT font: the template's face at its
    // point size on the screen, average width of the alphabet and the full height.
    const DialogTemplate& t = dialog.Template();
    const HDC screen = GetDC(nullptr);
    const HFONT font = CreateFontW(-MulDiv(t.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72), 0,
                                   0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, Utf16FromUtf8(t.fontFace).c_str());
    const HGDIOBJ previous = SelectObject(screen, font);
    SIZE alphabet;
    GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &alphabet);
    TEXTMETRICW metrics;
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return DialogUnits((alphabet.cx / 26 + 1) / 2, metrics.tmHeight);
}

int ControlCount(const Dialog& dialog) {
    int count = 0;
    for (HWND child = GetWindow(H(dialog), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ++count;
    }
    return count;
}

ControlState ControlAt(const Dialog& dialog, int index) {
    HWND child = GetWindow(H(dialog), GW_CHILD);
    for (int i = 0; i < index && child != nullptr; ++i) {
        child = GetWindow(child, GW_HWNDNEXT);
    }
    if (child == nullptr) {
        return {};
    }
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, H(dialog), reinterpret_cast<POINT*>(&rect), 2);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    const bool bar = std::wstring_view(className) == PROGRESS_CLASSW;
    return {GetDlgCtrlID(child), ToRect(rect), (style & WS_TABSTOP) != 0, std::nullopt,
            bar ? static_cast<int>(SendMessageW(child, PBM_GETRANGE, FALSE, 0)) : 0};
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            Deliver(message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    return true;
}

void RunLater(int delayMs, std::function<void()> task) {
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(delayMs), OnOneShot);
    Timers()[id] = std::move(task);
}

struct Ticker::Impl {
    UINT_PTR id = 0;
};

Ticker::Ticker(std::function<void()> tick) : impl_(std::make_unique<Impl>()) {
    impl_->id = SetTimer(nullptr, 0, 1, OnTick);
    Timers()[impl_->id] = std::move(tick);
}

Ticker::~Ticker() {
    Stop();
}

void Ticker::Stop() {
    if (impl_->id != 0) {
        KillTimer(nullptr, impl_->id);
        Timers().erase(impl_->id);
        impl_->id = 0;
    }
}

// Paints are seen by a hook on the messages windows are sent and dispatched: WM_PAINT is
// dispatched from the queue (or sent by UpdateWindow), and both pass WH_CALLWNDPROC or
// WH_GETMESSAGE.
struct PaintWatch::Impl {
    PaintWatch* watch = nullptr;
    std::function<bool(const Dialog&)> matches;
    int paints = 0;
    HHOOK sent = nullptr;
    HHOOK dispatched = nullptr;
    static Impl* active;

    static void Seen(HWND hwnd, UINT message) {
        if (active == nullptr || message != WM_PAINT) {
            return;
        }
        const Win32DialogWindow* window = Win32DialogWindow::FromHandle(hwnd);
        if (window != nullptr && active->matches(window->Owner())) {
            ++active->paints;
            if (active->watch->act) {
                std::exchange(active->watch->act, nullptr)();
            }
        }
    }
    static LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
        if (code >= 0) {
            const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
            Seen(message->hwnd, message->message);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK OnDispatched(int code, WPARAM wParam, LPARAM lParam) {
        if (code >= 0 && wParam == PM_REMOVE) {
            const auto* message = reinterpret_cast<const MSG*>(lParam);
            Seen(message->hwnd, message->message);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

PaintWatch::Impl* PaintWatch::Impl::active = nullptr;

PaintWatch::PaintWatch(std::function<bool(const Dialog&)> matches)
    : impl_(std::make_unique<Impl>()) {
    impl_->watch = this;
    impl_->matches = std::move(matches);
    Impl::active = impl_.get();
    impl_->sent = SetWindowsHookExW(WH_CALLWNDPROC, Impl::OnSent, nullptr, GetCurrentThreadId());
    impl_->dispatched =
        SetWindowsHookExW(WH_GETMESSAGE, Impl::OnDispatched, nullptr, GetCurrentThreadId());
}

PaintWatch::~PaintWatch() {
    UnhookWindowsHookEx(impl_->sent);
    UnhookWindowsHookEx(impl_->dispatched);
    Impl::active = nullptr;
}

int PaintWatch::Paints() const {
    return impl_->paints;
}

}  // namespace gui_test
