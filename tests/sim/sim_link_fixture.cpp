#include "sim_link_fixture.h"

#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "sim/simulated_cable.h"

void SimLinkFixture::SetUp() {
    DeviceFixture::SetUp();
    Calibrate();
    ASSERT_EQ(timer->ticksPerMicrosecond, 1000);
    SetPortOpener([this](std::string*) {
        return sim::MakeSimulatedPort(
            chip, [this] { return counter.Peek(); }, trace);
    });
    ASSERT_TRUE(EnsurePortOpen());
}

void SimLinkFixture::TearDown() {
    DeviceFixture::TearDown();
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
}

void SimLinkFixture::EnterAndEnable() {
    SetProgrammingMode(1);
    ProgrammingEnable();
}

std::string SimLinkFixture::ViolationText() const {
    std::string text;
    for (const sim::TimingViolation& v : chip->Violations()) {
        text += std::to_string(v.timeNs) + " ns: " + v.what + "\n";
    }
    return text;
}
