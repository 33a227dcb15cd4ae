#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/chip_timing.h"
#include "sim/pins.h"
#include "sim/serial_chip.h"

namespace sim {

inline constexpr std::size_t kCodeFlashBytes = 8192;
using CodeFlash = std::array<std::uint8_t, kCodeFlashBytes>;
// The data EEPROM: 2048 bytes at 0x000..0x7FF, reached with its own read and write instructions.
inline constexpr std::size_t kDataEepromBytes = 2048;
using DataEeprom = std::array<std::uint8_t, kDataEepromBytes>;

// Lock bits, as a mask of the programmed ones. Write Lock Bits (AC, byte 2 with LB1 in bit 7, LB2
// in bit 6, LB3 in bit 5, each sent as 0 to program it) only ever programs bits; a chip erase
// clears them all. Mode 2 = LB1, mode 3 = LB1 + LB2, mode 4 = all three.
inline constexpr std::uint8_t kLockBit1 = 0x01;  // further code-flash programming disabled
inline constexpr std::uint8_t kLockBit2 = 0x02;  // reading the code flash back disabled
inline constexpr std::uint8_t kLockBit3 = 0x04;  // external execution disabled: no serial effect
inline constexpr std::uint8_t kAllLockBits = kLockBit1 | kLockBit2 | kLockBit3;

// Where the data sheet is silent, this model decides:
// - A code read while LB2 is programmed answers this instead of the byte (what erased flash
//   reads), so a locked chip reads back as empty.
inline constexpr std::uint8_t kLockedReadAnswer = 0xFF;
// - The lock bits protect the code flash only: the data EEPROM stays readable and writable in
//   every mode (firmware keeps its own settings there, and a line may write a serial number
//   after locking). A blocked code write is ignored; it starts no write cycle.
// - Write Lock Bits starts a self-timed cycle of kWriteLockBitsCycleNanoseconds; sent while a
//   write or erase runs it is ignored, like a byte write. RST falling before the cycle ends
//   leaves the lock bits as they were, and is recorded.
// - While a byte write runs, a read answers the byte being written with bit 7 complemented and
//   bits 6..0 already new: DATA polling defines bit 7 only, and this is the worst case for a
//   poller that looks at the other bits.
// - A data-memory instruction (x x aaa 101 / 110) must have bits 7..6 clear; one that does not
//   is ignored and recorded as an unknown instruction.

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
class At89s8252 final : public SerialChip {
public:
    // Violations beyond this many are counted but not stored, so a runaway driver cannot exhaust
    // memory.
    static constexpr std::size_t kMaxStoredViolations = 10000;

    explicit At89s8252(const ChipTiming& timing = {});

    void SetRst(bool level, std::uint64_t timeNs) override;
    void SetSck(bool level, std::uint64_t timeNs) override;
    void SetMosi(bool level, std::uint64_t timeNs) override;
    bool Miso() const override;
    PinLevels Pins() const override { return {rst_, sck_, mosi_, Miso()}; }

    // Code memory, as the cells hold it now (a write in progress already shows its new value).
    const CodeFlash& Flash() const { return flash_; }
    CodeFlash& Flash() { return flash_; }
    // Copies `image` to the start of code memory; the rest is erased (FF).
    void LoadFlash(std::span<const std::uint8_t> image);
    // The data EEPROM, likewise (a write in progress already shows its new value).
    const DataEeprom& Eeprom() const { return eeprom_; }
    DataEeprom& Eeprom() { return eeprom_; }
    // Programmed lock bits (kLockBit1 ...); set directly to model a chip locked before.
    std::uint8_t LockBits() const { return lockBits_; }
    void SetLockBits(std::uint8_t programmed) { lockBits_ = programmed & kAllLockBits; }

    void SetOscillatorHz(std::uint64_t hz);
    void SetWriteCycleNanoseconds(std::uint64_t ns) { timing_.writeCycleNanoseconds = ns; }
    void SetChipEraseNanoseconds(std::uint64_t ns) { timing_.chipEraseNanoseconds = ns; }
    const ChipTiming& Timing() const { return timing_; }

    void SetMisoFault(MisoFault fault) { misoFault_ = fault; }
    // A cell that will not program: writes leave it as it was (an erase still clears it to FF).
    void AddUnprogrammableCell(std::uint16_t address);
    // Bits set in `mask` stay at the level they have in `levels`, whatever is written or erased.
    void AddStuckBits(std::uint16_t address, std::uint8_t mask, std::uint8_t levels);

    const std::vector<TimingViolation>& Violations() const override { return violations_; }
    std::uint64_t ViolationCount() const override { return violationCount_; }
    void ClearViolations();

    InstructionCounts Counts() const { return counts_; }
    bool ProgrammingEnabled() const { return enabled_; }
    bool InProgrammingMode() const { return rst_; }
    // True while a self-timed write or erase started before `timeNs` is still running.
    bool Busy(std::uint64_t timeNs) const { return timeNs < busyUntilNs_; }
    // When the last self-timed write or erase ends (0 before the first).
    std::uint64_t BusyUntilNs() const { return busyUntilNs_; }

private:
    enum class BusyWith : std::uint8_t { kNothing, kWrite, kErase, kLockBits };
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
    bool ValidInstruction(std::uint8_t first, std::uint64_t timeNs);
    bool RefusedWhileBusy(std::uint64_t timeNs, ViolationKind kind, const char* what);
    void StartWrite(std::uint8_t* cell, std::uint8_t value, std::uint64_t timeNs);
    std::uint8_t Stored(std::uint16_t address, std::uint8_t value, bool isWrite) const;
    void CheckAtLeast(std::uint64_t actualNs, std::uint64_t minimumNs, std::uint64_t timeNs,
                      ViolationKind kind);
    void Record(std::uint64_t timeNs, ViolationKind kind, std::string what);
    std::uint64_t SessionStart(std::uint64_t eventNs) const;

    ChipTiming timing_;
    ClockLimitsNanoseconds limits_;
    CodeFlash flash_;
    DataEeprom eeprom_;
    std::uint8_t lockBits_ = 0;
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
    std::uint8_t lockBitsBeforeWrite_ = 0;

    InstructionCounts counts_;
    std::vector<TimingViolation> violations_;
    std::uint64_t violationCount_ = 0;
};

}  // namespace sim
