#include "cli/terminal_view.h"

TerminalView::~TerminalView() {
    SetCloseLabel();
}

void TerminalView::SetProgressPosition(int position) {
    if (position != position_) {
        position_ = position;
        Draw();
    }
}

void TerminalView::SetStatusText(const char* text) {
    const bool changed = status_ != text;
    status_ = text;
    if (interactive_) {
        Draw();
    } else if (changed) {
        // One line per new status, so a log or a supervising program can follow the run.
        std::fprintf(out_, "%s\n", text);
        std::fflush(out_);
    }
}

void TerminalView::SetCloseLabel() {
    if (interactive_ && drawn_) {
        std::fputc('\n', out_);
        std::fflush(out_);
        drawn_ = false;
    }
}

void TerminalView::Draw() {
    if (!interactive_) {
        return;
    }
    constexpr int kWidth = 40;
    const int filled = position_ * kWidth / 100;
    std::fprintf(out_, "\r[%-*.*s] %3d%% %-20s", kWidth, filled,
                 "########################################", position_, status_.c_str());
    std::fflush(out_);
    drawn_ = true;
}
