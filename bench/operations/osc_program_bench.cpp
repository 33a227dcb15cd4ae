// isp8252-cli's data-sheet timing against the chip's own limit and against the window's fixed
// timing, in real time on the simulated chip (12 MHz crystal, 2.0 ms write cycle). Measures and
// prints; asserts nothing. Busy-waits measure the machine's load as well: on a shared machine run
// it with a core of its own (e.g. `chrt -f 10`), and compare "real s" with "cpu s".

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <random>

#include "app/image_store.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/quick_calibration.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "operations/operation_view.h"
#include "operations/workers.h"
#include "platform/counter_source.h"
#include "sim/at89s8252.h"
#include "sim/simulated_cable.h"

namespace {

class SilentView final : public OperationView {
public:
    void SetProgressPosition(int) override {}
    void SetStatusText(const char*) override {}
    void SetMainWindowItemText(int, const char*) override {}
    void SetCloseLabel() override {}
};

constexpr std::uint64_t kCrystalHz = 12'000'000;
constexpr int kImageBytes = 8192;
constexpr int kSliceBytes = 1024;

// The fastest the chip allows an instruction: 24 bits of 48 oscillator periods each.
constexpr double kInstructionMinMicroseconds = 24.0 * 48.0 * 1e6 / kCrystalHz;
constexpr double kWriteCycleMicroseconds = 2000.0;
constexpr double kSessionMicroseconds =
    kProgrammingModeSettleMicroseconds + kInstructionMinMicroseconds;

struct Measured {
    double seconds;
    double cpuSeconds;
    std::uint64_t violations;
};

Measured Measure(sim::At89s8252& chip, const std::function<void()>& run) {
    chip.ClearViolations();
    const std::clock_t cpu = std::clock();
    const std::uint64_t start = MonotonicNanoseconds();
    run();
    return {static_cast<double>(MonotonicNanoseconds() - start) / 1e9,
            static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC, chip.ViolationCount()};
}

void Row(const char* name, const Measured& m, double limitSeconds, const char* goal) {
    std::printf("| %-44s | %8.2f | %8.2f | %8.2f | %6.3f | %10llu | %s |\n", name, m.seconds,
                m.cpuSeconds, limitSeconds, m.seconds / limitSeconds,
                static_cast<unsigned long long>(m.violations), goal);
}

}  // namespace

int main() {
    AllocateImages();
    CCycleTimer timer(HardwareCounter(), nullptr);
    cycleTimer = &timer;
    const std::int32_t ticks = CalibrateQuickly(timer, std::chrono::milliseconds(200));
    auto chip = std::make_shared<sim::At89s8252>(sim::ChipTiming{.oscillatorHz = kCrystalHz});
    SetPortOpener(
        [chip](std::string*) { return sim::MakeSimulatedPort(chip, MonotonicNanoseconds); });
    EnsurePortOpen();

    std::mt19937 random(8252);
    imageStore.fileLoaded = 1;
    imageStore.fileByteCount = kImageBytes;
    for (int i = 0; i < kImageBytes; ++i) {
        imageStore.FileImage[i] = static_cast<std::int32_t>(random() & 0xFF);
    }
    SilentView view;
    const LinkTiming dataSheet = DataSheetLinkTiming(kCrystalHz);
    std::printf("counter: %d ticks per microsecond; data-sheet phases %lld/%lld ns at 12 MHz\n\n",
                ticks, static_cast<long long>(dataSheet.clockLowNanoseconds),
                static_cast<long long>(dataSheet.clockHighNanoseconds));
    std::printf("| %-44s | %8s | %8s | %8s | %6s | %10s | %s |\n", "case", "real s", "cpu s",
                "limit s", "ratio", "violations", "goal");
    std::printf("|---|---|---|---|---|---|---|\n");

    // Onto an erased chip: per byte a read, a write cycle and a verify read must happen.
    chip->Flash().fill(0xFF);
    linkTiming = dataSheet;
    ProgramTally first;
    const Measured program = Measure(*chip, [&] { ProgramChangedThreadProc(view, first); });
    const double programLimit =
        (kSessionMicroseconds +
         kImageBytes * (kWriteCycleMicroseconds + 3 * kInstructionMinMicroseconds)) /
        1e6;
    Row("8 KB random onto erased chip, --osc=12M", program, programLimit, "ratio <= 1.10");

    // Today's timing: a 1 KB slice, scaled by 8 (every byte costs the same).
    chip->Flash().fill(0xFF);
    linkTiming = kWindowLinkTiming;
    imageStore.fileByteCount = kSliceBytes;
    Measured today = Measure(*chip, [&] { ProgramThreadProc(view); });
    today.seconds *= kImageBytes / kSliceBytes;
    today.cpuSeconds *= kImageBytes / kSliceBytes;
    Row("the same, window timing (1 KB slice x 8)", today, programLimit, "about 57 s");
    imageStore.fileByteCount = kImageBytes;

    // Put the whole image back, then program it again: every byte already equal.
    linkTiming = dataSheet;
    ProgramTally fill;
    ProgramChangedThreadProc(view, fill);
    ProgramTally second;
    const Measured again = Measure(*chip, [&] { ProgramChangedThreadProc(view, second); });
    const double againLimit =
        (kSessionMicroseconds + kImageBytes * 2 * kInstructionMinMicroseconds) / 1e6;
    Row("re-program the same image, --osc=12M", again, againLimit, "under 2.5 s");

    const Measured full = Measure(*chip, [&] { ReadFullThreadProc(view); });
    const double fullLimit =
        (kSessionMicroseconds + kImageBytes * kInstructionMinMicroseconds) / 1e6;
    Row("read --full, --osc=12M", full, fullLimit, "under 1.0 s");

    std::printf(
        "\nfirst program: %d written, %d already equal, %s; re-program: %d written, %d "
        "equal, %s; window/data-sheet ratio %.2f\n",
        first.written, first.alreadyEqual, first.verified ? "verified" : "NOT verified",
        second.written, second.alreadyEqual, second.verified ? "verified" : "NOT verified",
        today.seconds / program.seconds);
    linkTiming = kWindowLinkTiming;
    ClosePort();
    cycleTimer = nullptr;
    ReleaseImages();
    return 0;
}
