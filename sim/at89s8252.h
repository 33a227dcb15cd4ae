#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/chip_timing.h"
#include "sim/pins.h"

namespace sim {

inline constexpr std::size_t kCodeFlashBytes = 8192;
using CodeFlash = std::array<std::uint8_t, kCodeFlashBytes>;

enum class ViolationKind : std::uint8_t {
    kSckHighTooShort,
    kSckLowTooShort,
    kSckPeriodTooShort,
    kMosiSetupTooShort,
    kMosiHoldTooShort,
    kWriteWhileBusy,
    kEraseWhileBusy,
};

struct TimingViolation {
    std::uint64_t timeNs;
    ViolationKind kind;
    std::string what;
};

struct InstructionCounts {
    std::uint64_t obeyed = 0;
    std::uint64_t ignored = 0;
};

// What the MISO pin does regardless of the chip: kStuckLow/kStuckHigh model an empty socket or a
// broken cable, whose input floats to one level.
enum class MisoFault : std::uint8_t { kNone, kStuckLow, kStuckHigh };

// An AT89S8252 in serial programming mode, pin by pin. Inputs arrive with the time they changed
// (nanoseconds on any monotonic clock); every clock phase and every instruction is checked against
// the data-sheet limits of chip_timing.h and each breach is recorded. Not thread-safe: one driver
// at a time, as with the real cable.
class At89s8252 {
public:
    // Violations beyond this many are counted but not stored, so a runaway driver cannot exhaust
    // memory.
    static constexpr std::size_t kMaxStoredViolations = 10000;

    explicit At89s8252(const ChipTiming& timing = {});

    void SetRst(bool level, std::uint64_t timeNs);
    void SetSck(bool level, std::uint64_t timeNs);
    void SetMosi(bool level, std::uint64_t timeNs);
    bool Miso() const;
    PinLevels Pins() const { return {rst_, sck_, mosi_, Miso()}; }

    // Code memory, as the cells hold it now (a write in progress already shows its new value).
    const CodeFlash& Flash() const { return flash_; }
    CodeFlash& Flash() { return flash_; }
    // Copies `image` to the start of code memory; the rest is erased (FF).
    void LoadFlash(std::span<const std::uint8_t> image);

    void SetOscillatorHz(std::uint64_t hz);
    void SetWriteCycleNanoseconds(std::uint64_t ns) { timing_.writeCycleNanoseconds = ns; }
    void SetChipEraseNanoseconds(std::uint64_t ns) { timing_.chipEraseNanoseconds = ns; }
    const ChipTiming& Timing() const { return timing_; }

    void SetMisoFault(MisoFault fault) { misoFault_ = fault; }
    // A cell that will not program: writes leave it as it was (an erase still clears it to FF).
    void AddUnprogrammableCell(std::uint16_t address);
    // Bits set in `mask` stay at the level they have in `levels`, whatever is written or erased.
    void AddStuckBits(std::uint16_t address, std::uint8_t mask, std::uint8_t levels);

    const std::vector<TimingViolation>& Violations() const { return violations_; }
    std::uint64_t ViolationCount() const { return violationCount_; }
    void ClearViolations();

    InstructionCounts Counts() const { return counts_; }
    bool ProgrammingEnabled() const { return enabled_; }
    bool InProgrammingMode() const { return rst_; }
    // True while a self-timed write or erase started before `timeNs` is still running.
    bool Busy(std::uint64_t timeNs) const { return timeNs < busyUntilNs_; }
    // When the last self-timed write or erase ends (0 before the first).
    std::uint64_t BusyUntilNs() const { return busyUntilNs_; }

private:
    enum class BusyWith : std::uint8_t { kNothing, kWrite, kErase };
    struct CellFault {
        std::uint16_t address;
        std::uint8_t stuckMask;
        std::uint8_t stuckLevels;
        bool ignoresWrites;
    };

    void ResetInterface();
    void OnRisingEdge(std::uint64_t timeNs);
    void OnFallingEdge(std::uint64_t timeNs);
    void OnByteComplete(std::uint64_t timeNs);
    void Execute(std::uint64_t timeNs);
    void StartErase(std::uint64_t timeNs);
    void StartWrite(std::uint16_t address, std::uint8_t value, std::uint64_t timeNs);
    std::uint8_t Stored(std::uint16_t address, std::uint8_t value, bool isWrite) const;
    void CheckAtLeast(std::uint64_t actualNs, std::uint64_t minimumNs, std::uint64_t timeNs,
                      ViolationKind kind);
    void Record(std::uint64_t timeNs, ViolationKind kind, std::string what);
    std::uint64_t SessionStart(std::uint64_t eventNs) const;

    ChipTiming timing_;
    ClockLimitsNanoseconds limits_;
    CodeFlash flash_;
    std::vector<CellFault> cellFaults_;
    MisoFault misoFault_ = MisoFault::kNone;

    // Pin levels. The chip powers up with its inputs low and MISO pulled high.
    bool rst_ = false;
    bool sck_ = false;
    bool mosi_ = false;
    bool miso_ = true;

    // Edge history of the current programming session (since RST last rose).
    std::uint64_t rstRiseNs_ = 0;
    std::uint64_t lastSckEdgeNs_ = 0;
    std::uint64_t lastRiseNs_ = 0;
    std::uint64_t lastFallNs_ = 0;
    std::uint64_t lastMosiChangeNs_ = 0;
    bool riseSeen_ = false;
    bool fallSeen_ = false;

    // Serial interface.
    bool enabled_ = false;
    std::array<std::uint8_t, 3> frame_{};
    std::size_t byteIndex_ = 0;
    unsigned bitInByte_ = 0;
    std::uint8_t shiftIn_ = 0;
    bool outputArmed_ = false;
    std::uint8_t outputByte_ = 0;

    // Self-timed write or erase.
    BusyWith busyWith_ = BusyWith::kNothing;
    std::uint64_t busyUntilNs_ = 0;
    std::uint8_t writeValue_ = 0;

    InstructionCounts counts_;
    std::vector<TimingViolation> violations_;
    std::uint64_t violationCount_ = 0;
};

}  // namespace sim
