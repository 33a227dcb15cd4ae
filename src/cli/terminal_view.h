#pragma once

#include <cstdio>
#include <string>

#include "operations/operation_view.h"

// The operation dialog of the command line: a progress bar with the status on stderr when it is
// a terminal, otherwise each new status on a line of its own there. It keeps the last status: the
// run's outcome.
class TerminalView final : public OperationView {
public:
    explicit TerminalView(std::FILE* out, bool interactive)
        : out_(out), interactive_(interactive) {}
    ~TerminalView() override;

    void SetProgressPosition(int position) override;
    void SetStatusText(const char* text) override;
    void SetMainWindowItemText(int, const char*) override {}
    void SetCloseLabel() override;

    const std::string& Outcome() const { return status_; }

private:
    void Draw();

    std::FILE* out_;
    bool interactive_;
    std::string status_;
    int position_ = 0;
    bool drawn_ = false;
};
