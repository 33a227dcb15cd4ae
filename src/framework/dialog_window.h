#pragma once

#include <memory>
#include <string>
#include <string_view>

class Dialog;

// What a backend does for one Dialog: the native window and its controls. The Dialog keeps the
// rules (commands, Cancel, quitting); the window turns them into pixels and events, and calls
// back into its Dialog (Dialog::Initialise, SendCommand, CloseRequested).
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    // Runs the window modally over `owner` (null: none), which is disabled meanwhile and gets its
    // keyboard focus back afterwards. Calls Dialog::Initialise once the window exists and stands
    // where the placement rules put it, before it is shown. Returns the code given to EndModal.
    virtual int RunModal(Dialog* owner) = 0;
    virtual void EndModal(int code) = 0;

    // Makes the window modeless, owned by `owner`, placed, then calls Dialog::Initialise.
    virtual void CreateModeless(Dialog* owner) = 0;

    virtual void Show() = 0;
    // Shows the window and returns once it has been painted (nothing may serve its events later).
    virtual void ShowPainted() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsEnabled() const = 0;

    // Gives the focus to the first control, in template order, that takes it.
    virtual void FocusFirstControl() = 0;

    // Ends a message box or file chooser open over the application, as its Cancel would; false
    // when none is open.
    virtual bool EndActiveBox() = 0;

    virtual void SetIcon(int resourceId) = 0;

    virtual void SetItemText(int id, std::string_view text) = 0;
    virtual std::string ItemText(int id) const = 0;
    virtual void SetProgressPosition(int id, int position) = 0;
    virtual int ProgressPosition(int id) const = 0;
    virtual void InitListStorage(int id, int count, int bytesPerItem) = 0;
    virtual void AddListString(int id, std::string_view text) = 0;
    virtual int ListCount(int id) const = 0;
    virtual std::string ListText(int id, int index) const = 0;
};

// The backend's window for this dialog, with its controls made from the dialog's template.
// `parent` is the owner the dialog was constructed with, if any.
std::unique_ptr<DialogWindow> MakeDialogWindow(Dialog& dialog, Dialog* parent);
