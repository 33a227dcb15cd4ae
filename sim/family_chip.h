#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/at89s8252.h"
#include "sim/chip_cells.h"
#include "sim/chip_datasheet.h"
#include "sim/chip_timing.h"
#include "sim/family_instructions.h"
#include "sim/serial_chip.h"

namespace sim {

// An AT89S51, AT89S52, AT89S53 or AT89S8253 in serial programming mode, pin by pin, as its row of
// the chip table describes it. MOSI is sampled on the rising SCK edge and MISO changes after the
// falling one, most significant bit first (SPI mode 0). RST high is programming mode; nothing but
// Programming Enable is obeyed until it has been received, at least 10 ms after RST rose. Every
// clock phase is checked against the row's limits for the crystal given, and every breach, early
// enable, instruction sent while the chip is busy or unknown instruction is recorded.
//
// While a self-timed cycle runs every read answers 00, except a byte of the write in progress,
// which answers DATA polling: bit 7 complemented, the other bits as sent. Not thread-safe: one
// driver at a time.
class FamilyChip final : public SerialChip, public ChipCells {
public:
    // Violations beyond this many are counted but not stored.
    static constexpr std::size_t kMaxStoredViolations = 10000;

    explicit FamilyChip(const ChipSpec& spec, std::uint64_t oscillatorHz = kDefaultOscillatorHz);

    void SetRst(bool level, std::uint64_t timeNs) override;
    void SetSck(bool level, std::uint64_t timeNs) override;
    void SetMosi(bool level, std::uint64_t timeNs) override;
    bool Miso() const override { return miso_; }
    PinLevels Pins() const override { return {rst_, sck_, mosi_, miso_}; }
    const std::vector<TimingViolation>& Violations() const override { return violations_; }
    std::uint64_t ViolationCount() const override { return violationCount_; }
    void ClearViolations();

    CellsView Cells() const override { return {spec_.name, code_, eeprom_, lockBits_}; }
    void RestoreCells(std::span<const std::uint8_t> code, std::span<const std::uint8_t> eeprom,
                      std::uint8_t lockBits) override;

    const ChipSpec& Spec() const { return spec_; }
    // The cells as they hold now (a write in progress already shows its new value).
    std::span<std::uint8_t> Code() { return code_; }
    std::span<std::uint8_t> Eeprom() { return eeprom_; }
    std::uint8_t LockBits() const { return lockBits_; }
    InstructionCounts Counts() const { return counts_; }
    bool ProgrammingEnabled() const { return enabled_; }
    // When the last self-timed write, lock write or erase ends (0 before the first).
    std::uint64_t BusyUntilNs() const { return busyUntilNs_; }

private:
    enum class BusyWith : std::uint8_t { kNothing, kWrite, kLock, kErase };

    void ResetInterface();
    void OnRisingEdge(std::uint64_t timeNs);
    void OnFallingEdge(std::uint64_t timeNs);
    void OnByteComplete(std::uint8_t byte, std::uint64_t timeNs);
    bool AnswerFor(std::size_t dataIndex, std::uint64_t timeNs, std::uint8_t* answer) const;
    std::uint8_t BusyAnswer(Memory memory, std::uint32_t address) const;
    void Execute(std::uint64_t timeNs);
    void Write(std::uint64_t timeNs);
    void WriteLock(std::uint64_t timeNs);
    bool RefusedWhileBusy(std::uint64_t timeNs, ViolationKind kind);
    void StartCycle(BusyWith what, std::uint64_t timeNs, std::uint64_t durationNs);
    std::span<std::uint8_t> MemoryOf(Memory memory);
    std::uint64_t Periods(std::uint64_t oscillatorPeriods) const;
    void CheckAtLeast(std::uint64_t actualNs, std::uint64_t minimumNs, std::uint64_t timeNs,
                      ViolationKind kind, const char* phase, std::uint64_t periods);
    void Record(std::uint64_t timeNs, ViolationKind kind, std::string what);
    std::string FrameText(std::size_t bytes) const;

    const ChipSpec& spec_;
    std::uint64_t oscillatorHz_;
    std::vector<std::uint8_t> code_;
    std::vector<std::uint8_t> eeprom_;
    std::uint8_t lockBits_ = 0;

    // Pin levels: inputs low at power-up, MISO pulled high.
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

    // Serial interface: the instruction being clocked in, and the byte being shifted out.
    bool enabled_ = false;
    std::vector<std::uint8_t> frame_;
    FrameShape shape_{};
    Instruction instruction_{};
    bool enableInTime_ = false;
    unsigned bitInByte_ = 0;
    std::uint8_t shiftIn_ = 0;
    bool outputArmed_ = false;
    std::uint8_t outputByte_ = 0;

    // Self-timed cycle, and for a write the bytes as sent, which DATA polling answers from.
    BusyWith busyWith_ = BusyWith::kNothing;
    std::uint64_t busyUntilNs_ = 0;
    Memory busyMemory_ = Memory::kCode;
    std::uint32_t busyAddress_ = 0;
    std::vector<std::uint8_t> busySent_;

    InstructionCounts counts_;
    std::vector<TimingViolation> violations_;
    std::uint64_t violationCount_ = 0;
};

}  // namespace sim
