#include "link_fixture.h"

#include <memory>
#include <string>

#include "device/port_access.h"
#include "device/serial_link.h"

std::vector<PortEvent> TimedPort::Writes() const {
    std::vector<PortEvent> writes;
    for (const auto& event : events) {
        if (event.kind == PortEvent::Kind::kWrite) {
            writes.push_back(event);
        }
    }
    return writes;
}

void LinkFixture::SetUp() {
    DeviceFixture::SetUp();
    Calibrate();
    ASSERT_EQ(timer->ticksPerMicrosecond, static_cast<std::int32_t>(kTicksPerMicrosecond));
    SetPortOpener([this](std::string*) {
        auto owned = std::make_unique<RecordingPort>();
        port = owned.get();
        return std::unique_ptr<PortIo>(std::move(owned));
    });
    ASSERT_TRUE(EnsurePortOpen());
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(portShadow, kInitialPortShadow);
}

void LinkFixture::UseTimedPort() {
    SetPortOpener([this](std::string*) {
        auto owned = std::make_unique<TimedPort>(counter);
        timed = owned.get();
        return std::unique_ptr<PortIo>(std::move(owned));
    });
    port = nullptr;
    ASSERT_TRUE(EnsurePortOpen());
    ASSERT_NE(timed, nullptr);
}

void LinkFixture::TearDown() {
    DeviceFixture::TearDown();
    // The openers above capture this fixture; leave one behind that captures nothing.
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
}
