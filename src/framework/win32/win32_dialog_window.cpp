#include "framework/win32/win32_dialog_window.h"

#include <algorithm>
#include <set>
#include <utility>

#include "framework/dialog.h"
#include "framework/dialog_placement.h"
#include "framework/dialog_template.h"
#include "framework/win32/dialog_template_bytes.h"

namespace {

// Our dialogs' windows: other dialog-class windows (message boxes, file choosers) are not ours.
std::set<HWND>& OurWindows() {
    static std::set<HWND> windows;
    return windows;
}

constexpr int kProgressMaximum = 100;

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

HWND HandleOf(Dialog* dialog) {
    return dialog != nullptr ? Win32WindowOf(*dialog).Handle() : nullptr;
}

BOOL CALLBACK EndBoxOf(HWND hwnd, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (std::wstring_view(className) == L"#32770" && IsWindowVisible(hwnd) &&
        OurWindows().count(hwnd) == 0) {
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::unique_ptr<DialogWindow> MakeDialogWindow(Dialog& dialog, Dialog* parent) {
    static_cast<void>(parent);  // the owner is given when the window is made
    return std::make_unique<Win32DialogWindow>(dialog);
}

Win32DialogWindow& Win32WindowOf(const Dialog& dialog) {
    return static_cast<Win32DialogWindow&>(dialog.Window());
}

Win32DialogWindow* Win32DialogWindow::FromHandle(HWND hwnd) {
    if (hwnd == nullptr || OurWindows().count(hwnd) == 0) {
        return nullptr;
    }
    return reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

bool TranslateDialogMessage(MSG& message) {
    const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    return root != nullptr && OurWindows().count(root) != 0 && IsDialogMessageW(root, &message);
}

Win32DialogWindow::Win32DialogWindow(Dialog& dialog)
    : dialog_(dialog), templateBytes_(DialogTemplateBytes(dialog.Template())) {}

Win32DialogWindow::~Win32DialogWindow() {
    if (hwnd_ != nullptr) {
        const HWND hwnd = hwnd_;
        if (modal_) {
            ::EndDialog(hwnd, -1);
        }
        OurWindows().erase(hwnd);
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
    if (disabledOwner_ && owner_ != nullptr) {
        EnableWindow(owner_, TRUE);
    }
}

int Win32DialogWindow::RunModal(Dialog* owner) {
    if (hwnd_ != nullptr) {  // made modeless before: the dialog manager makes it anew
        const HWND modeless = std::exchange(hwnd_, nullptr);
        OurWindows().erase(modeless);
        DestroyWindow(modeless);
    }
    owner_ = HandleOf(owner);
    modal_ = true;
    ended_ = false;
    // The owner is disabled before initialisation, so the dialog opens centred over it; the
    // control that had its focus gets it back when the dialog ends.
    HWND focus = GetFocus();
    if (owner_ == nullptr || focus == nullptr || !IsChild(owner_, focus)) {
        focus = nullptr;
    }
    const bool ownerWasDisabled = owner_ != nullptr && !IsWindowEnabled(owner_);
    disabledOwner_ = owner_ != nullptr && !ownerWasDisabled;
    if (disabledOwner_) {
        EnableWindow(owner_, FALSE);
    }
    const INT_PTR code = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(templateBytes_.data()), owner_,
        &Win32DialogWindow::DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    hwnd_ = nullptr;
    if (disabledOwner_) {  // the dialog failed to start or was destroyed unended
        EnableWindow(owner_, TRUE);
        disabledOwner_ = false;
    }
    // The dialog manager enables the owner at EndDialog whatever it was before: an owner that
    // was already disabled stays so.
    if (ownerWasDisabled) {
        EnableWindow(owner_, FALSE);
    }
    if (focus != nullptr && IsWindow(focus) && IsWindowEnabled(owner_)) {
        SendMessageW(owner_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    }
    return static_cast<int>(code);
}

void Win32DialogWindow::EndModal(int code) {
    ended_ = true;
    // The owner is enabled again before the dialog goes, so it gets the activation back.
    if (disabledOwner_) {
        EnableWindow(owner_, TRUE);
        disabledOwner_ = false;
    }
    if (hwnd_ != nullptr) {
        ::EndDialog(hwnd_, code);
    }
}

void Win32DialogWindow::CreateModeless(Dialog* owner) {
    owner_ = HandleOf(owner);
    modal_ = false;
    if (hwnd_ == nullptr) {
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(templateBytes_.data()), owner_,
                                   &Win32DialogWindow::DialogProc, reinterpret_cast<LPARAM>(this));
        return;
    }
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_));
    Place();
    dialog_.Initialise();
}

void Win32DialogWindow::Show() {
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, SW_SHOW);
    }
}

void Win32DialogWindow::ShowPainted() {
    Show();
    if (hwnd_ == nullptr) {
        return;
    }
    // Paint now, and serve what is already queued other than user input: nothing will serve the
    // window's messages until the caller is done.
    UpdateWindow(hwnd_);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0,
                        PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32DialogWindow::Hide() {
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

bool Win32DialogWindow::IsVisible() const {
    return hwnd_ != nullptr && IsWindowVisible(hwnd_);
}

bool Win32DialogWindow::IsEnabled() const {
    return hwnd_ == nullptr || IsWindowEnabled(hwnd_);
}

void Win32DialogWindow::FocusFirstControl() {
    if (hwnd_ == nullptr) {
        return;
    }
    // Children come in template order.
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if ((style & WS_TABSTOP) != 0 && (style & WS_DISABLED) == 0 && (style & WS_VISIBLE) != 0) {
            SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child), TRUE);
            return;
        }
    }
}

bool Win32DialogWindow::EndActiveBox() {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), EndBoxOf, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Win32DialogWindow::SetIcon(int resourceId) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE | LR_SHARED));
    const auto small = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resourceId),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (hwnd_ != nullptr && icon_ != nullptr) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(small != nullptr ? small : icon_));
    }
}

HWND Win32DialogWindow::Item(int id) const {
    return hwnd_ != nullptr ? GetDlgItem(hwnd_, id) : nullptr;
}

void Win32DialogWindow::SetItemText(int id, std::string_view text) {
    if (hwnd_ == nullptr) {
        earlyTexts_[id] = std::string(text);
        return;
    }
    SetDlgItemTextW(hwnd_, id, Utf16FromUtf8(text).c_str());
}

std::string Win32DialogWindow::ItemText(int id) const {
    if (hwnd_ == nullptr) {
        if (const auto early = earlyTexts_.find(id); early != earlyTexts_.end()) {
            return early->second;
        }
        for (const ControlTemplate& control : dialog_.Template().controls) {
            if (control.id == id) {
                return control.kind == ControlKind::ListBox ||
                               control.kind == ControlKind::ProgressBar
                           ? std::string()
                           : std::string(control.text);
            }
        }
        return {};
    }
    const HWND item = Item(id);
    if (item == nullptr) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return Utf8FromUtf16(text);
}

void Win32DialogWindow::SetProgressPosition(int id, int position) {
    if (const HWND bar = Item(id)) {
        SendMessageW(bar, PBM_SETPOS,
                     static_cast<WPARAM>(std::clamp(position, 0, kProgressMaximum)), 0);
    }
}

int Win32DialogWindow::ProgressPosition(int id) const {
    const HWND bar = Item(id);
    return bar != nullptr ? static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)) : -1;
}

void Win32DialogWindow::InitListStorage(int id, int count, int bytesPerItem) {
    if (const HWND list = Item(id)) {
        SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(count),
                     static_cast<LPARAM>(count) * bytesPerItem);
    }
}

void Win32DialogWindow::AddListString(int id, std::string_view text) {
    if (const HWND list = Item(id)) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf16FromUtf8(text).c_str()));
    }
}

int Win32DialogWindow::ListCount(int id) const {
    const HWND list = Item(id);
    return list != nullptr ? static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) : -1;
}

std::string Win32DialogWindow::ListText(int id, int index) const {
    const HWND list = Item(id);
    if (list == nullptr) {
        return {};
    }
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Utf8FromUtf16(text);
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<Win32DialogWindow*>(lParam)->OnInit(hwnd);
        return FALSE;  // the framework has set the focus itself
    }
    Win32DialogWindow* const self = FromHandle(hwnd);
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        OurWindows().erase(hwnd);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return self->Handle(message, wParam, lParam);
}

void Win32DialogWindow::OnInit(HWND hwnd) {
    hwnd_ = hwnd;
    OurWindows().insert(hwnd);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    for (const ControlTemplate& control : dialog_.Template().controls) {
        if (control.kind == ControlKind::ProgressBar) {
            SendMessageW(Item(control.id), PBM_SETRANGE32, 0, kProgressMaximum);
        }
    }
    for (const auto& [id, text] : std::exchange(earlyTexts_, {})) {
        SetDlgItemTextW(hwnd, id, Utf16FromUtf8(text).c_str());
    }
    if (icon_ != nullptr) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    }
    Place();
    dialog_.Initialise();
    // A modal dialog is on screen as soon as its loop runs (not only once the loop first finds
    // its queue empty), unless initialisation has already ended it.
    if (modal_ && !ended_ && hwnd_ != nullptr) {
        ShowWindow(hwnd_, SW_SHOW);
    }
}

void Win32DialogWindow::Place() {
    PlacementInput input;
    RECT frame;
    GetWindowRect(hwnd_, &frame);
    input.dialogSize = {frame.right - frame.left, frame.bottom - frame.top};
    RECT work;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        input.workArea = ToRect(work);
    }
    if (owner_ != nullptr) {
        RECT ownerFrame;
        GetWindowRect(owner_, &ownerFrame);
        POINT origin{0, 0};
        ClientToScreen(owner_, &origin);
        input.hasOwner = true;
        input.ownerEnabled = IsWindowEnabled(owner_) != FALSE;
        input.ownerFrame = ToRect(ownerFrame);
        input.ownerClientOrigin = {origin.x, origin.y};
    }
    const Point topLeft = DialogTopLeft(input);
    SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Win32DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            // Buttons report clicks; the keyboard sends ids 1 and 2 with no control. Other
            // notifications (a list's selection) are not commands.
            const int id = static_cast<short>(LOWORD(wParam));
            if (lParam != 0 && HIWORD(wParam) != BN_CLICKED) {
                return FALSE;
            }
            dialog_.SendCommand(id);  // may end or destroy this window: nothing after
            return TRUE;
        }
        case WM_CLOSE:
            dialog_.CloseRequested();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_PAINT:
            if (IsIconic(hwnd_) && icon_ != nullptr) {
                PAINTSTRUCT paint;
                const HDC dc = BeginPaint(hwnd_, &paint);
                RECT client;
                GetClientRect(hwnd_, &client);
                const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
                const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
                DrawIcon(dc, x, y, icon_);
                EndPaint(hwnd_, &paint);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
