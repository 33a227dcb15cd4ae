#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/counter_source.h"
#include "platform/one_shot_timer.h"

// Microsecond busy-waits on a free-running counter. The counter's rate is learnt once, by timing
// a 5000 ms one-shot armed at construction; until it fires the device actions are refused by the
// calibration gate, so no delay ever runs uncalibrated.
class CCycleTimer {
public:
    CCycleTimer(CounterSource& counter, std::unique_ptr<OneShotScheduler> oneShot);
    CCycleTimer(const CCycleTimer&) = delete;
    CCycleTimer& operator=(const CCycleTimer&) = delete;
    // Cancels a calibration still pending, so its callback never runs on a released timer.
    ~CCycleTimer();

    void ReadCounter();
    void StartCalibration();
    void OnCalibrationTimer();

    // Spins (never sleeps or yields) until the counter has advanced by
    // ticksPerMicrosecond x us ticks from its value on entry.
    void DelayMicroseconds(std::int32_t us);
    // The same spin for a wait given in nanoseconds, the tick count rounded up so it never ends
    // early; for clock phases that are not whole microseconds.
    void DelayNanoseconds(std::int64_t ns);
    // Microseconds since `since`, a value of `now`, as of the last ReadCounter (0 uncalibrated).
    std::uint64_t MicrosecondsSince(std::uint64_t since) const;

    bool IsCalibrated() const { return calibrated.load(std::memory_order_acquire) != 0; }

    // Publishes a rate learnt some other way (the command line's short calibration); the same
    // release ordering as the one-shot's.
    void SetCalibration(std::int32_t ticks);

    std::uint64_t now = 0;
    std::uint64_t start = 0;
    // Written before `calibrated` is released; read only after `calibrated` was seen set.
    std::int32_t ticksPerMicrosecond = 0;
    std::atomic<std::int32_t> calibrated{0};

private:
    CounterSource& counter_;
    std::unique_ptr<OneShotScheduler> oneShot_;
};

// The process's one shared timer (created at start-up after the images, released at quit).
extern CCycleTimer* cycleTimer;
