#pragma once

#include <atomic>
#include <cstdint>

#include "platform/counter_source.h"

// A counter that moves only when read or advanced: delays take no real time, yet every wait the
// link makes is measured in counter ticks exactly as on the hardware counter.
class VirtualCounter final : public CounterSource {
public:
    explicit VirtualCounter(std::uint64_t ticksPerRead = 1) : step_(ticksPerRead) {}

    std::uint64_t Read() override {
        return ticks_.fetch_add(step_, std::memory_order_relaxed) + step_;
    }
    // The current value without advancing (what an observer such as the simulated chip sees).
    std::uint64_t Peek() const { return ticks_.load(std::memory_order_relaxed); }
    void Advance(std::uint64_t ticks) { ticks_.fetch_add(ticks, std::memory_order_relaxed); }
    void SetStep(std::uint64_t ticksPerRead) { step_ = ticksPerRead; }

private:
    std::atomic<std::uint64_t> ticks_{0};
    std::uint64_t step_;
};
