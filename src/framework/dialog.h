#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "framework/command_table.h"
#include "framework/dialog_template.h"
#include "framework/standard_ids.h"

class DialogWindow;

// A dialog built from a template the application hands in. Derived dialogs override
// OnInitDialog, OnOK and OnCancel, and route button presses through a command table (see
// command_table.h):
//   bool OnCommand(int id) override { return DispatchCommand(this, kCommands, id); }
// Ids 1 (OK) and 2 (Cancel) that no table entry claims go to OnOK and OnCancel. Enter presses
// the focused push button; Escape and the close box go to OnCancel, which decides whether the
// dialog really ends. A window disabled by a modal dialog it owns ignores the close box, as it
// ignores all input; a close request arriving while one of the dialog's own handlers runs (a
// handler that paints runs the event loop) waits until that handler has returned.
//
// The windows themselves come from a backend (Qt Widgets or Win32, chosen when building); this
// class knows neither. Every call here belongs on the user-interface thread.
class Dialog {
public:
    explicit Dialog(const DialogTemplate& dialogTemplate, Dialog* parent = nullptr);
    virtual ~Dialog();

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally: its owner (the parent given, else the registered main window,
    // else none) is disabled meanwhile, and the code given to EndDialog is returned once the
    // dialog has ended and the owner is enabled again.
    int DoModal();

    // Makes the dialog modeless, owned by `owner` (else the parent given, else the registered
    // main window, else none), placed and initialised; shown at once only when its template says
    // so, else by Show().
    bool Create(Dialog* owner = nullptr);

    // Ends a modal dialog with this code; hides a modeless one, which is not destroyed.
    void EndDialog(int code);

    // True while DoModal is running for this dialog.
    bool IsRunningModal() const { return runningModal_; }
    // The code EndDialog was last given; 0 before that.
    int Result() const { return endCode_; }

    void Show();
    // Shows the dialog and returns once it has been painted.
    void ShowPainted();
    bool IsVisible() const;
    bool IsEnabled() const;

    // Acts as if the control with this id had been pressed.
    void SendCommand(int id);

    // A request from outside the window (a quit signal) to end as its Cancel does. When one of
    // its handlers is running, the modal window that handler opened is ended first (an operation
    // dialog once its worker has stopped), and Cancel follows when the handler has returned.
    void RequestQuit();

    // The window's close box (or the window manager's close request): Cancel, subject to the
    // rules above. Backends call this.
    void CloseRequested();

    // Backends call this once the window exists and is placed, before it is first shown.
    void Initialise();

    // Controls by id. For IDC_STATIC (several labels share it) the first one.
    void SetDlgItemText(int id, std::string_view text);
    std::string GetDlgItemText(int id) const;

    // Progress bars: positions outside the bar's range (0..100) are clamped to it.
    void SetProgressPosition(int id, int position);
    int ProgressPosition(int id) const;

    // List boxes. InitListStorage announces how many lines are about to be added.
    void InitListStorage(int id, int count, int bytesPerItem);
    void AddListString(int id, std::string_view text);
    int ListCount(int id) const;
    std::string ListText(int id, int index) const;

    // The window's icon, from the program's resources by id.
    void SetIcon(int resourceId);

    const DialogTemplate& Template() const { return template_; }
    Dialog* Parent() const { return parent_; }
    // The backend's window, for the backend itself and for tests of it.
    DialogWindow& Window() const { return *window_; }

    // The application's main window: owner of dialogs created with no parent.
    static void SetMainWindow(Dialog* dialog);
    static Dialog* MainWindow();
    // The dialog whose modal loop runs innermost now, if any.
    static Dialog* InnermostModal();

protected:
    // Called before the dialog is first shown, each time it is run or created. Returning true
    // lets the framework give the focus to the first control that takes it.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The command table: true when the id was handled.
    virtual bool OnCommand(int id);
    // What RequestQuit does when no handler of this dialog is running: Cancel.
    virtual void OnQuitRequest();

private:
    Dialog* ResolveOwner(Dialog* owner) const;

    const DialogTemplate& template_;
    Dialog* parent_;
    std::unique_ptr<DialogWindow> window_;
    bool runningModal_ = false;
    bool endRequested_ = false;
    int endCode_ = 0;
    int commandDepth_ = 0;        // handlers of this dialog now running
    bool cancelPending_ = false;  // Cancel deferred until the outermost handler returns
    // Set when the dialog is destroyed, so a handler that outlived it stops touching it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
