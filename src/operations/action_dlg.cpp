#include "operations/action_dlg.h"

#include "app/image_store.h"
#include "app/resource_ids.h"
#include "operations/worker_bridge.h"
#include "operations/workers.h"
#include "resources/dialog_templates.h"

// CANCEL is routed to the dialog's own cancel, which only asks the worker to stop.
const CommandEntry<CActionDlg> CActionDlg::kCommands[1] = {
    {IDCANCEL, &CActionDlg::OnCancelCommand},
};

CActionDlg::CActionDlg(int kind, Dialog* parent)
    : Dialog(DialogTemplateById(IDD_ACTION_DIALOG), parent), viewKind(kind) {}

CActionDlg::~CActionDlg() {
    // The worker only ever waits for this dialog while operationBusy is set, and the dialog can't
    // end then; detaching releases it in any case, so this join never waits on a blocked thread.
    if (bridge_) {
        bridge_->Detach();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool CActionDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    imageStore.SetCancelRequested(false);
    // Busy before the worker exists: an OK arriving before the worker's first step must not end
    // the dialog under a running operation.
    imageStore.SetBusy(true);
    quitWhenDone_ = false;
    bridge_ = std::make_unique<WorkerBridge>(this, [this] {
        if (quitWhenDone_) {
            OnOK();
        }
    });
    worker_ = std::thread([kind = viewKind, view = bridge_.get()] { RunWorker(kind, *view); });
    return true;
}

void CActionDlg::OnOK() {
    if (!imageStore.IsBusy()) {
        Dialog::OnOK();
    }
}

void CActionDlg::OnCancel() {
    imageStore.SetCancelRequested(true);
}

void CActionDlg::OnQuitRequest() {
    // The worker takes the chip out of programming mode on its way out; the dialog ends after.
    quitWhenDone_ = true;
    OnCancel();
    OnOK();
}

bool CActionDlg::OnCommand(int id) {
    return DispatchCommand(this, kCommands, id);
}
