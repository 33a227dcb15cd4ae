#include <utility>

#include "framework/quit_signals.h"

// The signal handler only writes a byte to a pipe, the one thing it may safely do; a socket
// notifier on the other end of the pipe wakes the event loop, which makes the call.
#if defined(Q_OS_UNIX) || defined(__unix__)
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <memory>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

struct QuitSignals::Impl {
    std::function<void()> onQuit;
    std::unique_ptr<QSocketNotifier> notifier;

    void Drain() {
        char bytes[16];
        while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        if (onQuit) {
            onQuit();
        }
    }
};

QuitSignals::QuitSignals(std::function<void()> onQuit) : impl_(std::make_unique<Impl>()) {
    impl_->onQuit = std::move(onQuit);
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    impl_->notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated,
                     [impl = impl_.get()] { impl->Drain(); });
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals) {
        sigaction(signal, &action, nullptr);
    }
}

QuitSignals::~QuitSignals() {
    if (g_pipe[0] < 0) {
        return;
    }
    for (const int signal : kQuitSignals) {
        std::signal(signal, SIG_DFL);
    }
    impl_->notifier.reset();
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

#else

struct QuitSignals::Impl {};
QuitSignals::QuitSignals(std::function<void()>) {}
QuitSignals::~QuitSignals() = default;

#endif
