#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "operations/operation_view.h"

class Dialog;

// Carries a worker's display updates to the user-interface thread. Each update but the last is
// synchronous: the worker waits until the user-interface thread, pumping the operation dialog's
// modal loop, has applied it. The final relabel is only posted. Once the dialog detaches, every
// call returns at once and does nothing, so the dialog can join the worker without either thread
// waiting for the other.
//
// All hand-over happens under one std::mutex; Qt is used only to wake the user-interface thread.
class WorkerBridge final : public QObject, public OperationView {
    Q_OBJECT

public:
    // `finished` runs on the user-interface thread once the final relabel has been applied.
    explicit WorkerBridge(Dialog* dialog, std::function<void()> finished = {});

    void SetProgressPosition(int position) override;
    void SetStatusText(const char* text) override;
    void SetMainWindowItemText(int id, const char* text) override;
    void SetCloseLabel() override;

    // Called by the dialog on the user-interface thread before it goes away.
    void Detach();

private:
    Q_INVOKABLE void Serve();
    void RunSynchronously(std::function<void(Dialog&)> update);

    std::mutex mutex_;
    std::condition_variable served_;
    Dialog* dialog_;  // null once detached
    std::function<void(Dialog&)> pending_;
    bool closePending_ = false;
    std::function<void()> finished_;
};
