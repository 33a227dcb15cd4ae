#include "device_fixture.h"

#include "app/image_store.h"
#include "device/port_access.h"
#include "device/serial_link.h"
#include "sim/simulated_cable.h"

void DeviceFixture::SetUp() {
    AllocateImages();
    ResetImageStoreState();
    portShadow = kInitialPortShadow;
    linkTiming = kWindowLinkTiming;
    auto shot = std::make_unique<ManualOneShot>();
    oneShot = shot.get();
    timer = std::make_unique<CCycleTimer>(counter, std::move(shot));
    cycleTimer = timer.get();
    if (simulatedChip_) {
        SetPortOpener([this](std::string*) {
            return sim::MakeSimulatedPort(chip, [this] { return counter.Peek(); });
        });
        ASSERT_TRUE(EnsurePortOpen());
        Calibrate();
    }
}

void DeviceFixture::TearDown() {
    for (const sim::TimingViolation& v : chip->Violations()) {
        ADD_FAILURE() << v.timeNs << " ns: " << v.what;
    }
    // The openers capture this fixture; leave one behind that captures nothing.
    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
    cycleTimer = nullptr;
    timer.reset();
    ReleaseImages();
}

void DeviceFixture::Calibrate() {
    // The callback's own counter read adds one step, which the truncating division drops.
    counter.Advance(5'000'000'000ull - (counter.Peek() - timer->start));
    oneShot->Fire();
}

void DeviceFixture::OpenFakePort() {
    SetPortOpener([this](std::string*) {
        auto owned = std::make_unique<FakePort>(nullptr, nullptr, &counter);
        port = owned.get();
        return std::unique_ptr<PortIo>(std::move(owned));
    });
    ASSERT_TRUE(EnsurePortOpen());
}
