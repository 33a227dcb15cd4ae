// Real-time cost of the link on the hardware counter, against the waits it must make:
// 160 us per byte (8 bits of two 10 us phases) and 3480 us per code-byte write (3 bytes and the
// 3000 us pause). A fast port shows the link's own overhead; the simulated cable adds the chip
// model's per-edge work. The goal is a mean within 2% of the mandated time.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/quick_calibration.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "platform/counter_source.h"
#include "platform/port_io.h"
#include "sample_stats.h"

#if defined(__linux__)
#include <stdlib.h>
#endif

#if defined(ISP_BENCH_WITH_SIM)
#include "sim/at89s8252.h"
#include "sim/simulated_cable.h"
#endif

namespace {

constexpr double kByteMicroseconds = 8.0 * 2.0 * kClockPhaseMicroseconds;
constexpr double kWriteMicroseconds = 3.0 * kByteMicroseconds + kBytePauseMicroseconds;

// The cheapest port there is: what remains is the link's own work and the delay's overshoot.
class NullPort final : public PortIo {
public:
    void WriteData(std::uint8_t value) override { last_ = value; }
    std::uint8_t ReadStatus() override { return last_; }

private:
    std::uint8_t last_ = 0;
};

SampleStats Time(int repetitions, const std::function<void()>& operation) {
    std::vector<std::uint64_t> samples;
    samples.reserve(static_cast<std::size_t>(repetitions));
    operation();  // warm caches and branch predictors once
    for (int i = 0; i < repetitions; ++i) {
        const std::uint64_t start = MonotonicNanoseconds();
        operation();
        samples.push_back(MonotonicNanoseconds() - start);
    }
    return Summarise(std::move(samples));
}

void TimeLinkOn(const std::string& portName) {
    SetProgrammingMode(1);
    cycleTimer->DelayMicroseconds(kProgrammingModeSettleMicroseconds);
    ProgrammingEnable();
    std::int32_t address = 0;
    // Bytes in threes that form a harmless instruction (read code byte 0, the third byte a
    // don't-care): a run of 0xAC alone would be taken by the chip as chip-erase instructions.
    // 5000 timed bytes and the warm-up one make whole instructions.
    static constexpr std::int32_t kFrame[] = {0x01, 0x00, 0xAC};
    std::size_t next = 0;
    PrintRow("SendByte, " + portName, Time(5000, [&next] { SendByte(kFrame[next++ % 3]); }),
             kByteMicroseconds);
    PrintRow("WriteCodeByte, " + portName,
             Time(400, [&address] { WriteCodeByte(address++ % MemoryBytes(Memory::kCode), 0x5A); }),
             kWriteMicroseconds);
    PrintRow("ReadCodeByte, " + portName,
             Time(400, [&address] { ReadCodeByte(address++ % MemoryBytes(Memory::kCode)); }),
             kWriteMicroseconds);
    SetProgrammingMode(0);
}

}  // namespace

int main() {
    CCycleTimer timer(HardwareCounter(), nullptr);
    cycleTimer = &timer;
    const std::int32_t ticks = CalibrateQuickly(timer, std::chrono::milliseconds(200));
    std::printf("hardware counter: %d ticks per microsecond (calibrated over 200 ms)\n\n", ticks);

#if defined(__linux__)
    // A busy-wait loses the processor whenever the machine has more runnable threads than cores;
    // the mean then measures the load, the minimum the link.
    double load[1] = {0};
    if (getloadavg(load, 1) == 1) {
        std::printf("load average (1 min): %.2f\n\n", load[0]);
    }
#endif
    PrintHeader();
    PrintRow("DelayMicroseconds(10)", Time(20000, [&timer] { timer.DelayMicroseconds(10); }), 10);
    PrintRow("DelayMicroseconds(3000)", Time(400, [&timer] { timer.DelayMicroseconds(3000); }),
             3000);

    SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(new NullPort); });
    if (EnsurePortOpen()) {
        TimeLinkOn("do-nothing port");
    }

#if defined(ISP_BENCH_WITH_SIM)
    auto chip = std::make_shared<sim::At89s8252>();
    SetPortOpener([chip](std::string*) {
        return sim::MakeSimulatedPort(chip, [] { return MonotonicNanoseconds(); });
    });
    if (EnsurePortOpen()) {
        TimeLinkOn("simulated cable");
        std::printf("\nsimulated chip: %llu instructions obeyed, %llu timing violations\n",
                    static_cast<unsigned long long>(chip->Counts().obeyed),
                    static_cast<unsigned long long>(chip->ViolationCount()));
        for (std::size_t i = 0; i < chip->Violations().size() && i < 5; ++i) {
            std::printf("  %s\n", chip->Violations()[i].what.c_str());
        }
    }
#else
    std::printf("\n(simulated cable not built: sim/ has no isp8252_sim target)\n");
#endif
    ClosePort();
    cycleTimer = nullptr;
    return 0;
}
