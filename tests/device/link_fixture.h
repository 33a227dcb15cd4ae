#pragma once

#include <cstdint>
#include <vector>

#include "device_fixture.h"
#include "platform/port_io.h"
#include "recording_port.h"

// One thing the link did to the port, stamped with the virtual counter's value at that moment.
struct PortEvent {
    enum class Kind { kWrite, kStatusRead };
    Kind kind;
    std::uint8_t value;  // the value written, or the status returned
    std::uint64_t ticks;
};

// Records writes and status reads in one timeline, so the waits between them can be measured in
// counter ticks. Peek() does not advance the counter, so stamping changes no timing.
class TimedPort final : public PortIo {
public:
    explicit TimedPort(VirtualCounter& counter) : counter_(counter) {}

    void WriteData(std::uint8_t value) override {
        events.push_back({PortEvent::Kind::kWrite, value, counter_.Peek()});
    }
    std::uint8_t ReadStatus() override {
        events.push_back({PortEvent::Kind::kStatusRead, status, counter_.Peek()});
        return status;
    }

    std::vector<PortEvent> Writes() const;

    std::vector<PortEvent> events;
    std::uint8_t status = 0;

private:
    VirtualCounter& counter_;
};

// A calibrated shared timer (1000 ticks per microsecond, 1000 ticks per counter read) and an open
// RecordingPort; portShadow at its start-up value 7.
class LinkFixture : public DeviceFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the recording port with a timestamping one.
    void UseTimedPort();

    RecordingPort* port = nullptr;  // owned by the port access layer
    TimedPort* timed = nullptr;     // owned by the port access layer, after UseTimedPort()
};

inline constexpr std::uint64_t kTicksPerMicrosecond = 1000;
