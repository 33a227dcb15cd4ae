#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs one callback once, after a delay, on a thread of its own. Cancel() returns only when the
// callback is neither running nor pending any more, so whatever the callback touches may be
// released right after it.
class OneShotScheduler {
public:
    virtual ~OneShotScheduler() = default;
    // Returns false when the one-shot could not be armed.
    virtual bool Arm(std::chrono::milliseconds delay, std::function<void()> callback) = 0;
    virtual void Cancel() = 0;
};

class ThreadOneShotTimer final : public OneShotScheduler {
public:
    ThreadOneShotTimer() = default;
    ThreadOneShotTimer(const ThreadOneShotTimer&) = delete;
    ThreadOneShotTimer& operator=(const ThreadOneShotTimer&) = delete;
    ~ThreadOneShotTimer() override;

    bool Arm(std::chrono::milliseconds delay, std::function<void()> callback) override;
    void Cancel() override;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelled_ = false;
    std::thread thread_;
};
