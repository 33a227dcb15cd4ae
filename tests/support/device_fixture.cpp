#include "device_fixture.h"

#include "app/image_store.h"
#include "device/port_access.h"
#include "device/serial_link.h"

DeviceFixture::DeviceFixture(std::uint64_t ticksPerRead) : counter(ticksPerRead) {}

void DeviceFixture::SetUp() {
    AllocateImages();
    ResetImageStoreState();
    portShadow = kInitialPortShadow;
    linkTiming = kWindowLinkTiming;
    auto shot = std::make_unique<ManualOneShot>();
    oneShot = shot.get();
    timer = std::make_unique<CCycleTimer>(counter, std::move(shot));
    cycleTimer = timer.get();
}

void DeviceFixture::TearDown() {
    ClosePort();
    cycleTimer = nullptr;
    timer.reset();
    ReleaseImages();
}

void DeviceFixture::Calibrate() {
    // The callback's own counter read adds one step, which the truncating division drops.
    counter.Advance(5'000'000'000ull - (counter.Peek() - timer->start));
    oneShot->Fire();
}
