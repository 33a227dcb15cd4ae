#pragma once

#include <cstdint>
#include <utility>

#include "sim/simulated_cable.h"

namespace sim {

// The time an adapter model works on: the host's clock (the counter its calibrated delays wait
// on; none means it stands at 0) plus everything the models themselves spent (USB round trips,
// ioctl costs, clocking bits out). Both parts only grow, so the chip sees one monotonic clock
// whether time passed in the host's waits or inside the adapter. Models that drive one chip
// together (spidev and its GPIO reset line) share one clock, so their edges stay in order.
class ModelClock {
public:
    explicit ModelClock(NanosecondClock host = {}) : host_(std::move(host)) {}

    std::uint64_t NowNs() const { return (host_ ? host_() : 0) + spentNs_; }
    void Spend(std::uint64_t ns) { spentNs_ += ns; }
    // Time the models added beyond the host's own clock.
    std::uint64_t SpentNs() const { return spentNs_; }

private:
    NanosecondClock host_;
    std::uint64_t spentNs_ = 0;
};

}  // namespace sim
