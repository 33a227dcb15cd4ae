#pragma once

#include <memory>

#include "device/adapter.h"
#include "platform/port_io.h"

// The cable on a parallel port: every call bit-bangs the data register at once, with the
// calibrated delay between edges, exactly as the window program always has (the link's register
// sequence is the one its tests pin).
class ParallelPortAdapter final : public Adapter {
public:
    explicit ParallelPortAdapter(std::unique_ptr<PortIo> port) : port_(std::move(port)) {}

    void SetProgrammingMode(bool on) override;
    void HoldClockLow() override;
    void Send(std::span<const std::uint8_t> bytes) override;
    void Receive(std::span<std::uint8_t> into) override;
    void Wait(std::int64_t microseconds) override;
    // A port that failed (gone, claimed by another) says so; every write after it is lost.
    bool Flush() override { return port_->Failure().empty(); }
    std::string Failure() const override { return port_->Failure(); }
    int PreferredBatch() const override { return 1; }

    PortIo& Port() { return *port_; }

private:
    std::unique_ptr<PortIo> port_;
};
