// Program-and-verify of 256 bytes on the simulated chip, in real time, against the waits the
// link must make. Measures and prints; asserts nothing.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/image_store.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/quick_calibration.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "operations/operation_view.h"
#include "operations/workers.h"
#include "platform/counter_source.h"
#include "sample_stats.h"
#include "sim/at89s8252.h"
#include "sim/simulated_cable.h"

namespace {

class SilentView final : public OperationView {
public:
    void SetProgressPosition(int) override {}
    void SetStatusText(const char* text) override { last = text; }
    void SetMainWindowItemText(int, const char*) override {}
    void SetCloseLabel() override {}
    const char* last = "";
};

constexpr int kBytes = 256;

// Every wait of one run: entering programming mode and its settle, the enable instruction,
// and per byte and pass three instruction bytes of 160 us plus the 3000 us pause; leaving
// programming mode.
constexpr double MandatedMicroseconds() {
    const double instruction = 3 * 8 * 2 * kClockPhaseMicroseconds;
    return kClockPhaseMicroseconds + kProgrammingModeSettleMicroseconds + instruction +
           2.0 * kBytes * (instruction + kBytePauseMicroseconds) + kClockPhaseMicroseconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    AllocateImages();
    CCycleTimer timer(HardwareCounter(), nullptr);
    cycleTimer = &timer;
    const std::int32_t ticks = CalibrateQuickly(timer, std::chrono::milliseconds(200));
    auto chip = std::make_shared<sim::At89s8252>();
    SetPortOpener(
        [chip](std::string*) { return sim::MakeSimulatedPort(chip, MonotonicNanoseconds); });
    EnsurePortOpen();

    imageStore.fileLoaded = 1;
    imageStore.fileByteCount = kBytes;
    for (int i = 0; i < kBytes; ++i) {
        imageStore.FileImage[i] = (i * 37 + 5) & 0xFF;
    }

    std::vector<std::uint64_t> samples;
    SilentView view;
    for (int run = 0; run < runs; ++run) {
        imageStore.SetCancelRequested(false);
        const std::uint64_t start = MonotonicNanoseconds();
        ProgramThreadProc(view);
        samples.push_back(MonotonicNanoseconds() - start);
    }
    std::printf(
        "counter: %d ticks per microsecond; %d runs of %d bytes; outcome \"%s\"; "
        "%llu timing violations\n\n",
        ticks, runs, kBytes, view.last, static_cast<unsigned long long>(chip->ViolationCount()));
    PrintHeader();
    PrintRow("program and verify 256 bytes", Summarise(samples), MandatedMicroseconds());
    ClosePort();
    cycleTimer = nullptr;
    ReleaseImages();
    return 0;
}
