#pragma once

// What a worker may do to the operation dialog it runs behind. The operation dialog and the
// command line both implement it. Every call but SetCloseLabel is synchronous: it returns once
// the display shows the change. SetCloseLabel comes after operationBusy has been cleared, when
// the dialog may already have ended: it must then do nothing, and it must never wait for the
// user-interface thread.
class OperationView {
public:
    virtual ~OperationView() = default;
    virtual void SetProgressPosition(int position) = 0;  // IDC_PROGRESS, 0..100
    virtual void SetStatusText(const char* text) = 0;    // IDC_STATUS
    virtual void SetMainWindowItemText(int id, const char* text) = 0;
    virtual void SetCloseLabel() = 0;  // button 1 <- "CLOSE"
};
