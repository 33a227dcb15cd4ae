#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "operations/operation_view.h"

class Dialog;

// Carries a worker's display updates to the user-interface thread. Each update but the last is
// synchronous: the worker waits until the user-interface thread, pumping the operation dialog's
// modal loop, has applied it. The final relabel is only posted. Once the dialog detaches, every
// call returns at once and does nothing, so the dialog can join the worker without either thread
// waiting for the other.
//
// All hand-over happens under one std::mutex; the window system is used only to wake the
// user-interface thread, and a wake-up that arrives after the bridge has gone finds nothing to do.
class WorkerBridge final : public OperationView {
public:
    // `finished` runs on the user-interface thread once the final relabel has been applied.
    explicit WorkerBridge(Dialog* dialog, std::function<void()> finished = {});
    ~WorkerBridge() override;

    void SetProgressPosition(int position) override;
    void SetStatusText(const char* text) override;
    void SetMainWindowItemText(int id, const char* text) override;
    void SetCloseLabel() override;

    // Called by the dialog on the user-interface thread before it goes away.
    void Detach();

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable served;
        Dialog* dialog;  // null once detached
        std::function<void(Dialog&)> pending;
        bool closePending = false;
        std::function<void()> finished;
    };
    static void Serve(const std::shared_ptr<Shared>& shared);
    void RunSynchronously(std::function<void(Dialog&)> update);
    void Wake();

    std::shared_ptr<Shared> shared_;
};
