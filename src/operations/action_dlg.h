#pragma once

#include <memory>
#include <thread>

#include "framework/dialog.h"

class WorkerBridge;

// The modal operation dialog (template 129): a status line, a progress bar, WAIT/CLOSE and
// CANCEL. It starts the worker for its viewKind (0 read, 1 program and verify) and can't be
// closed while that worker is busy; CANCEL, Escape and the close box only ask the worker to stop.
// A quit request asks it to stop too, and ends the dialog as soon as the worker has finished.
class CActionDlg final : public Dialog {
public:
    explicit CActionDlg(int viewKind, Dialog* parent = nullptr);
    ~CActionDlg() override;

    int viewKind;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(int id) override;
    void OnQuitRequest() override;

private:
    void OnCancelCommand() { OnCancel(); }

    static const CommandEntry<CActionDlg> kCommands[1];

    std::unique_ptr<WorkerBridge> bridge_;
    std::thread worker_;
    bool quitWhenDone_ = false;
};
