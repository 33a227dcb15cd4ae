#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "platform/one_shot_timer.h"

// A one-shot that fires only when the test says so; `armSucceeds` false makes arming fail.
class ManualOneShot final : public OneShotScheduler {
public:
    explicit ManualOneShot(bool armSucceeds = true) : armSucceeds_(armSucceeds) {}

    bool Arm(std::chrono::milliseconds delay, std::function<void()> callback) override {
        delay_ = delay;
        if (armSucceeds_) {
            callback_ = std::move(callback);
        }
        return armSucceeds_;
    }
    void Cancel() override { callback_ = nullptr; }

    std::chrono::milliseconds ArmedDelay() const { return delay_; }
    void Fire() {
        if (auto callback = std::exchange(callback_, nullptr)) {
            callback();
        }
    }

private:
    bool armSucceeds_;
    std::function<void()> callback_;
    std::chrono::milliseconds delay_{0};
};
