#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "platform/one_shot_timer.h"

// A one-shot that fires only when the test says so.
class ManualOneShot final : public OneShotScheduler {
public:
    explicit ManualOneShot(bool armSucceeds = true) : armSucceeds_(armSucceeds) {}

    bool Arm(std::chrono::milliseconds delay, std::function<void()> callback) override {
        delay_ = delay;
        if (!armSucceeds_) {
            return false;
        }
        callback_ = std::move(callback);
        return true;
    }
    void Cancel() override {
        callback_ = nullptr;
        ++cancelCount_;
    }

    bool IsArmed() const { return static_cast<bool>(callback_); }
    std::chrono::milliseconds ArmedDelay() const { return delay_; }
    int CancelCount() const { return cancelCount_; }
    void Fire() {
        auto callback = std::exchange(callback_, nullptr);
        if (callback) {
            callback();
        }
    }

private:
    bool armSucceeds_;
    std::function<void()> callback_;
    std::chrono::milliseconds delay_{0};
    int cancelCount_ = 0;
};
