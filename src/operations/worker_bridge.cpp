#include "operations/worker_bridge.h"

#include <utility>

#include "app/resource_ids.h"
#include "framework/dialog.h"

WorkerBridge::WorkerBridge(Dialog* dialog, std::function<void()> finished)
    : dialog_(dialog), finished_(std::move(finished)) {}

void WorkerBridge::RunSynchronously(std::function<void(Dialog&)> update) {
    std::unique_lock lock(mutex_);
    if (dialog_ == nullptr) {
        return;
    }
    pending_ = std::move(update);
    QMetaObject::invokeMethod(this, "Serve", Qt::QueuedConnection);
    served_.wait(lock, [this] { return !pending_ || dialog_ == nullptr; });
}

void WorkerBridge::Serve() {
    {
        std::lock_guard lock(mutex_);
        if (dialog_ == nullptr) {
            return;
        }
        if (pending_) {
            std::exchange(pending_, nullptr)(*dialog_);
            served_.notify_all();
        }
        if (!closePending_) {
            return;
        }
        closePending_ = false;
        dialog_->SetDlgItemText(IDOK, "CLOSE");
    }
    // Outside the lock: what follows may end the dialog.
    if (finished_) {
        finished_();
    }
}

void WorkerBridge::SetProgressPosition(int position) {
    RunSynchronously([position](Dialog& d) { d.SetProgressPosition(IDC_PROGRESS, position); });
}

void WorkerBridge::SetStatusText(const char* text) {
    RunSynchronously([text](Dialog& d) { d.SetDlgItemText(IDC_STATUS, text); });
}

void WorkerBridge::SetMainWindowItemText(int id, const char* text) {
    RunSynchronously([id, text](Dialog&) {
        if (Dialog* main = Dialog::MainWindow()) {
            main->SetDlgItemText(id, text);
        }
    });
}

void WorkerBridge::SetCloseLabel() {
    // operationBusy is already clear: the dialog may end at any moment, so never wait for it.
    std::lock_guard lock(mutex_);
    if (dialog_ == nullptr) {
        return;
    }
    closePending_ = true;
    QMetaObject::invokeMethod(this, "Serve", Qt::QueuedConnection);
}

void WorkerBridge::Detach() {
    std::lock_guard lock(mutex_);
    dialog_ = nullptr;
    pending_ = nullptr;
    served_.notify_all();
}
