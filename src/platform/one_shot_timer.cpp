#include "platform/one_shot_timer.h"

#include <system_error>
#include <utility>

ThreadOneShotTimer::~ThreadOneShotTimer() {
    Cancel();
}

bool ThreadOneShotTimer::Arm(std::chrono::milliseconds delay, std::function<void()> callback) {
    Cancel();
    {
        std::lock_guard lock(mutex_);
        cancelled_ = false;
    }
    const auto deadline = std::chrono::steady_clock::now() + delay;
    try {
        thread_ = std::thread([this, deadline, cb = std::move(callback)] {
            {
                std::unique_lock lock(mutex_);
                // wait_until on steady_clock: spurious wake-ups and clock steps cannot fire early.
                if (wake_.wait_until(lock, deadline, [this] { return cancelled_; })) {
                    return;
                }
            }
            cb();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ThreadOneShotTimer::Cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}
