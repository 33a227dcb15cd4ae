#include "operations/worker_bridge.h"

#include <utility>

#include "app/resource_ids.h"
#include "framework/dialog.h"
#include "framework/ui_thread.h"

WorkerBridge::WorkerBridge(Dialog* dialog, std::function<void()> finished)
    : shared_(std::make_shared<Shared>()) {
    shared_->dialog = dialog;
    shared_->finished = std::move(finished);
}

WorkerBridge::~WorkerBridge() {
    Detach();
}

void WorkerBridge::Wake() {
    PostToUiThread([weak = std::weak_ptr<Shared>(shared_)] {
        if (const std::shared_ptr<Shared> shared = weak.lock()) {
            Serve(shared);
        }
    });
}

void WorkerBridge::RunSynchronously(std::function<void(Dialog&)> update) {
    std::unique_lock lock(shared_->mutex);
    if (shared_->dialog == nullptr) {
        return;
    }
    shared_->pending = std::move(update);
    Wake();
    shared_->served.wait(lock, [this] { return !shared_->pending || shared_->dialog == nullptr; });
}

void WorkerBridge::Serve(const std::shared_ptr<Shared>& shared) {
    std::function<void()> finished;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->dialog == nullptr) {
            return;
        }
        if (shared->pending) {
            std::exchange(shared->pending, nullptr)(*shared->dialog);
            shared->served.notify_all();
        }
        if (!shared->closePending) {
            return;
        }
        shared->closePending = false;
        shared->dialog->SetDlgItemText(IDOK, "CLOSE");
        finished = shared->finished;
    }
    // Outside the lock: what follows may end the dialog.
    if (finished) {
        finished();
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
    std::lock_guard lock(shared_->mutex);
    if (shared_->dialog == nullptr) {
        return;
    }
    shared_->closePending = true;
    Wake();
}

void WorkerBridge::Detach() {
    std::lock_guard lock(shared_->mutex);
    shared_->dialog = nullptr;
    shared_->pending = nullptr;
    shared_->served.notify_all();
}
