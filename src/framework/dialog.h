#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/command_table.h"
#include "framework/dialog_template.h"
#include "framework/dialog_units.h"

class QCloseEvent;
class QEventLoop;
class QKeyEvent;

// A dialog built from a numbered template. Derived dialogs override OnInitDialog, OnOK and
// OnCancel, and route button presses through a command table (see command_table.h):
//   bool OnCommand(int id) override { return DispatchCommand(this, kCommands, id); }
// Ids 1 (OK) and 2 (Cancel) that no table entry claims go to OnOK and OnCancel. Enter presses
// the focused push button; Escape and the close box go to OnCancel, which decides whether the
// dialog really ends. A window disabled by a modal dialog it owns ignores the close box, as it
// ignores all input; a close request arriving while one of the dialog's own handlers runs (a
// handler that paints runs the event loop) waits until that handler has returned.
//
// The controls exist from construction on, with their template texts. Every call here belongs
// on the user-interface thread.
class Dialog : public QDialog {
    Q_OBJECT

public:
    explicit Dialog(int templateId, QWidget* parent = nullptr);
    ~Dialog() override;

    // Runs the dialog modally: its owner (the parent given, else the registered main window,
    // else none) is disabled meanwhile, and the code given to EndDialog is returned once the
    // dialog has ended and the owner is enabled again.
    int DoModal();

    // Makes the dialog modeless, owned by `owner` (else the registered main window, else none),
    // placed and initialised; shown at once only when its template says so, else by show().
    bool Create(QWidget* owner = nullptr);

    // Ends a modal dialog with this code; hides a modeless one, which is not destroyed.
    void EndDialog(int code);

    // True while DoModal is running for this dialog.
    bool IsRunningModal() const { return runningModal_; }

    // Acts as if the control with this id had been pressed.
    void SendCommand(int id);

    // A request from outside the window (a quit signal) to end as its Cancel does. When one of
    // its handlers is running, the modal window that handler opened is ended first (an operation
    // dialog once its worker has stopped), and Cancel follows when the handler has returned.
    void RequestQuit();

    // Controls by id. For IDC_STATIC (several labels share it) the first one.
    QWidget* GetDlgItem(int id) const;
    void SetDlgItemText(int id, std::string_view text);
    std::string GetDlgItemText(int id) const;

    // Progress bars: positions outside the bar's range are clamped to it.
    void SetProgressPosition(int id, int position);
    int ProgressPosition(int id) const;

    // List boxes. InitListStorage announces how many lines are about to be added.
    void InitListStorage(int id, int count, int bytesPerItem);
    void AddListString(int id, std::string_view text);
    int ListCount(int id) const;
    std::string ListText(int id, int index) const;

    const DialogTemplate& Template() const { return template_; }
    const DialogUnits& Units() const { return units_; }

    // The application's main window: owner of dialogs created with no parent.
    static void SetMainWindow(Dialog* dialog);
    static Dialog* MainWindow();

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

    void accept() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* ResolveOwner(QWidget* owner) const;
    void AttachToOwner(QWidget* owner);
    void StartDialog(QWidget* owner);
    void FocusFirstControl();
    template <class W>
    W* ItemAs(int id) const;

    const DialogTemplate& template_;
    DialogUnits units_;
    Qt::WindowFlags windowFlags_;
    std::vector<std::pair<int, QWidget*>> controls_;
    QEventLoop* modalLoop_ = nullptr;
    bool runningModal_ = false;
    bool endRequested_ = false;
    int endCode_ = 0;
    int commandDepth_ = 0;        // handlers of this dialog now running
    bool cancelPending_ = false;  // Cancel deferred until the outermost handler returns
};
