#pragma once

#include <memory>

// The window system's per-process set-up, for as long as this object lives: constructed first
// in main, before any dialog.
class GuiApplication {
public:
    GuiApplication(int& argc, char** argv);
    ~GuiApplication();

    GuiApplication(const GuiApplication&) = delete;
    GuiApplication& operator=(const GuiApplication&) = delete;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
