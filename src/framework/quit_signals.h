#pragma once

#include <functional>
#include <memory>

// Turns the requests to quit that come from outside the window into a call on the
// user-interface thread, made from its event loop: on Linux the signals a desktop session or a
// terminal sends (SIGTERM, SIGHUP, SIGINT); on Windows the console's close, Ctrl-C and log-off
// events and the session's end. One instance at a time; the default handling comes back when it
// goes.
class QuitSignals {
public:
    explicit QuitSignals(std::function<void()> onQuit);
    ~QuitSignals();

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // The backend's part: the platform's own wiring.
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
