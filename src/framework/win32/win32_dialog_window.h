#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/dialog_window.h"
#include "framework/win32/windows_api.h"

// A Dialog's window on Win32: an in-memory dialog template run by the dialog manager
// (DialogBoxIndirectParamW for a modal dialog, CreateDialogIndirectParamW for a modeless one),
// whose WM_COMMAND goes to the Dialog's command table. The dialog manager handles Tab, Enter and
// Escape itself (IsDialogMessage); the window exists from Create or DoModal on, and texts set
// before that are applied when it is made.
class Win32DialogWindow final : public DialogWindow {
public:
    explicit Win32DialogWindow(Dialog& dialog);
    ~Win32DialogWindow() override;

    int RunModal(Dialog* owner) override;
    void EndModal(int code) override;
    void CreateModeless(Dialog* owner) override;
    void Show() override;
    void ShowPainted() override;
    void Hide() override;
    bool IsVisible() const override;
    bool IsEnabled() const override;
    void FocusFirstControl() override;
    bool EndActiveBox() override;
    void SetIcon(int resourceId) override;
    void SetItemText(int id, std::string_view text) override;
    std::string ItemText(int id) const override;
    void SetProgressPosition(int id, int position) override;
    int ProgressPosition(int id) const override;
    void InitListStorage(int id, int count, int bytesPerItem) override;
    void AddListString(int id, std::string_view text) override;
    int ListCount(int id) const override;
    std::string ListText(int id, int index) const override;

    HWND Handle() const { return hwnd_; }
    Dialog& Owner() const { return dialog_; }

    // The window of one of our dialogs, or null for any other window.
    static Win32DialogWindow* FromHandle(HWND hwnd);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND hwnd);
    void Place();
    HWND Item(int id) const;

    Dialog& dialog_;
    std::vector<std::uint16_t> templateBytes_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;          // EndModal came (possibly from initialisation)
    bool disabledOwner_ = false;  // this dialog disabled its owner and enables it again
    HICON icon_ = nullptr;
    std::map<int, std::string> earlyTexts_;  // set before the window existed
};

// The Win32 window of a dialog.
Win32DialogWindow& Win32WindowOf(const Dialog& dialog);

// Gives a keyboard message aimed at one of our dialogs to that dialog's manager (Tab, Enter,
// Escape); true when it took it, and the message must not be dispatched.
bool TranslateDialogMessage(MSG& message);
