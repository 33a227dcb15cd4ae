#include "sim/family_chip.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace sim {

namespace {

constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint8_t kBusyAnswer = 0x00;
constexpr std::uint8_t kPollingBit = 0x80;

// Lock bits programmed by byte 2 of the AT89S8252-style Write Lock Bits: LB1..LB3 in bits 7..5,
// programmed when 0.
std::uint8_t LowActiveLockBits(std::uint8_t second) {
    return static_cast<std::uint8_t>(((second & 0x80) == 0 ? kLockBit1 : 0) |
                                     ((second & 0x40) == 0 ? kLockBit2 : 0) |
                                     ((second & 0x20) == 0 ? kLockBit3 : 0));
}

}  // namespace

FamilyChip::FamilyChip(const ChipSpec& spec, std::uint64_t oscillatorHz)
    : spec_(spec),
      oscillatorHz_(oscillatorHz),
      code_(spec.codeBytes, kErased),
      eeprom_(spec.eepromBytes, kErased) {}

void FamilyChip::RestoreCells(std::span<const std::uint8_t> code,
                              std::span<const std::uint8_t> eeprom, std::uint8_t lockBits) {
    std::ranges::copy(code.first(std::min(code.size(), code_.size())), code_.begin());
    std::ranges::copy(eeprom.first(std::min(eeprom.size(), eeprom_.size())), eeprom_.begin());
    lockBits_ = lockBits & kAllLockBits;
}

void FamilyChip::ClearViolations() {
    violations_.clear();
    violationCount_ = 0;
}

std::uint64_t FamilyChip::Periods(std::uint64_t oscillatorPeriods) const {
    return (oscillatorPeriods * kNanosecondsPerSecond + oscillatorHz_ - 1) / oscillatorHz_;
}

void FamilyChip::SetRst(bool level, std::uint64_t timeNs) {
    if (level == rst_) {
        return;
    }
    rst_ = level;
    // Either edge restarts the serial interface; a self-timed cycle already running finishes.
    ResetInterface();
    if (level) {
        rstRiseNs_ = timeNs;
        riseSeen_ = false;
        fallSeen_ = false;
    }
}

void FamilyChip::SetMosi(bool level, std::uint64_t timeNs) {
    if (level == mosi_) {
        return;
    }
    mosi_ = level;
    if (rst_ && riseSeen_) {
        CheckAtLeast(timeNs - lastRiseNs_, Periods(spec_.mosiHoldMinOscillatorPeriods), timeNs,
                     ViolationKind::kMosiHoldTooShort, "MOSI held # ns after SCK rose",
                     spec_.mosiHoldMinOscillatorPeriods);
    }
    lastMosiChangeNs_ = timeNs;
}

void FamilyChip::SetSck(bool level, std::uint64_t timeNs) {
    if (level == sck_) {
        return;
    }
    sck_ = level;
    if (rst_) {
        if (level) {
            OnRisingEdge(timeNs);
        } else {
            OnFallingEdge(timeNs);
        }
    }
    lastSckEdgeNs_ = timeNs;
}

void FamilyChip::OnRisingEdge(std::uint64_t timeNs) {
    const std::uint64_t lowNs = timeNs - std::max(lastSckEdgeNs_, rstRiseNs_);
    if (!riseSeen_ && spec_.sckLowBeforeFirstRiseMinOscillatorPeriods > 0) {
        // The chip's serial interface wakes only after SCK has been low this long.
        CheckAtLeast(lowNs, Periods(spec_.sckLowBeforeFirstRiseMinOscillatorPeriods), timeNs,
                     ViolationKind::kSckLowTooShort,
                     "SCK low for # ns before the first rising edge",
                     spec_.sckLowBeforeFirstRiseMinOscillatorPeriods);
    } else {
        CheckAtLeast(lowNs, Periods(spec_.sckPhaseMinOscillatorPeriods), timeNs,
                     ViolationKind::kSckLowTooShort, "SCK low for # ns",
                     spec_.sckPhaseMinOscillatorPeriods);
    }
    if (riseSeen_) {
        CheckAtLeast(timeNs - lastRiseNs_, Periods(spec_.sckPeriodAboveOscillatorPeriods), timeNs,
                     ViolationKind::kSckPeriodTooShort, "SCK period # ns",
                     spec_.sckPeriodAboveOscillatorPeriods);
    }
    CheckAtLeast(timeNs - std::max(lastMosiChangeNs_, rstRiseNs_),
                 Periods(spec_.mosiSetupMinOscillatorPeriods), timeNs,
                 ViolationKind::kMosiSetupTooShort, "MOSI set up # ns before SCK rose",
                 spec_.mosiSetupMinOscillatorPeriods);
    riseSeen_ = true;
    lastRiseNs_ = timeNs;

    shiftIn_ = static_cast<std::uint8_t>((shiftIn_ << 1) | (mosi_ ? 1 : 0));
    if (++bitInByte_ == 8) {
        const std::uint8_t byte = shiftIn_;
        bitInByte_ = 0;
        shiftIn_ = 0;
        OnByteComplete(byte, timeNs);
    }
}

void FamilyChip::OnFallingEdge(std::uint64_t timeNs) {
    CheckAtLeast(timeNs - std::max(lastSckEdgeNs_, rstRiseNs_),
                 Periods(spec_.sckPhaseMinOscillatorPeriods), timeNs,
                 ViolationKind::kSckHighTooShort, "SCK high for # ns",
                 spec_.sckPhaseMinOscillatorPeriods);
    if (fallSeen_) {
        CheckAtLeast(timeNs - lastFallNs_, Periods(spec_.sckPeriodAboveOscillatorPeriods), timeNs,
                     ViolationKind::kSckPeriodTooShort, "SCK period # ns",
                     spec_.sckPeriodAboveOscillatorPeriods);
    }
    fallSeen_ = true;
    lastFallNs_ = timeNs;
    // An answer leaves MSB first, one bit after each falling edge; otherwise MISO rests high.
    miso_ = !outputArmed_ || ((outputByte_ >> (7 - bitInByte_)) & 1) != 0;
}

void FamilyChip::OnByteComplete(std::uint8_t byte, std::uint64_t timeNs) {
    frame_.push_back(byte);
    if (frame_.size() == 1) {
        shape_ = ShapeOf(spec_, byte);
    }
    if (frame_.size() == shape_.headerBytes) {
        instruction_ = Decode(spec_, frame_);
        enableInTime_ = timeNs - rstRiseNs_ >= spec_.enableAfterRstMinNanoseconds;
    }
    if (frame_.size() == shape_.headerBytes + shape_.dataBytes) {
        Execute(timeNs);
        frame_.clear();
        outputArmed_ = false;
    } else if (frame_.size() >= shape_.headerBytes) {
        outputArmed_ = AnswerFor(frame_.size() - shape_.headerBytes, timeNs, &outputByte_);
    }
}

bool FamilyChip::AnswerFor(std::size_t dataIndex, std::uint64_t timeNs,
                           std::uint8_t* answer) const {
    const Instruction& in = instruction_;
    if (in.operation == Operation::kEnable) {
        *answer = enableInTime_ ? spec_.enableAnswer : kErased;
        return true;
    }
    if (!enabled_) {
        return false;
    }
    const bool busy = timeNs < busyUntilNs_;
    const bool verifyLocked = (lockBits_ & kLockBit2) != 0;
    switch (in.operation) {
        case Operation::kRead: {
            const std::uint32_t address = in.address + static_cast<std::uint32_t>(dataIndex);
            const std::vector<std::uint8_t>& cells = in.memory == Memory::kCode ? code_ : eeprom_;
            if (busy) {
                *answer = BusyAnswer(in.memory, address);
            } else if ((in.memory == Memory::kCode && verifyLocked) || address >= cells.size()) {
                // A locked chip and an address with no cell both read as erased flash.
                *answer = kErased;
            } else {
                *answer = cells[address];
            }
            return true;
        }
        case Operation::kReadLock:
            *answer =
                busy ? kBusyAnswer : static_cast<std::uint8_t>(lockBits_ << spec_.lockReadShift);
            return true;
        case Operation::kReadSignature:
            *answer = busy ? kBusyAnswer
                      : verifyLocked || in.address >= spec_.signatureBytes
                          ? kErased
                          : spec_.signature[in.address];
            return true;
        default:
            return false;
    }
}

std::uint8_t FamilyChip::BusyAnswer(Memory memory, std::uint32_t address) const {
    if (busyWith_ == BusyWith::kWrite && memory == busyMemory_ && address >= busyAddress_ &&
        address - busyAddress_ < busySent_.size()) {
        return static_cast<std::uint8_t>(busySent_[address - busyAddress_] ^ kPollingBit);
    }
    return kBusyAnswer;
}

void FamilyChip::Execute(std::uint64_t timeNs) {
    if (instruction_.operation == Operation::kEnable) {
        if (enableInTime_) {
            enabled_ = true;
            ++counts_.obeyed;
        } else {
            Record(timeNs, ViolationKind::kEnableTooEarly,
                   "Programming Enable " + std::to_string(timeNs - rstRiseNs_) +
                       " ns after RST rose, need " +
                       std::to_string(spec_.enableAfterRstMinNanoseconds) + " ns");
            ++counts_.ignored;
        }
        return;
    }
    // Until Programming Enable has been received in this session nothing else is obeyed, not even
    // understood: a programmer still finding the frame sends whatever it sends.
    if (!enabled_) {
        ++counts_.ignored;
        return;
    }
    switch (instruction_.operation) {
        case Operation::kErase:
            if (!RefusedWhileBusy(timeNs, ViolationKind::kEraseWhileBusy)) {
                std::ranges::fill(code_, kErased);
                std::ranges::fill(eeprom_, kErased);
                lockBits_ = 0;
                StartCycle(BusyWith::kErase, timeNs, spec_.chipEraseNanoseconds);
                ++counts_.obeyed;
            }
            return;
        case Operation::kWrite:
            Write(timeNs);
            return;
        case Operation::kWriteLock:
            WriteLock(timeNs);
            return;
        case Operation::kUnknown:
            Record(timeNs, ViolationKind::kUnknownInstruction,
                   "unknown instruction " + FrameText(frame_.size()) + " ignored");
            ++counts_.ignored;
            return;
        default:  // the reads: their answer has already left
            ++counts_.obeyed;
            return;
    }
}

void FamilyChip::Write(std::uint64_t timeNs) {
    if (RefusedWhileBusy(timeNs, ViolationKind::kWriteWhileBusy)) {
        return;
    }
    const Memory memory = instruction_.memory;
    const std::span<std::uint8_t> cells = MemoryOf(memory);
    const std::uint32_t address = instruction_.address;
    const bool code = memory == Memory::kCode;
    // Lock mode 2 and up stop code writes; an address past the end names no cell. Neither starts
    // a cycle.
    if ((code && (lockBits_ & kLockBit1) != 0) || address >= cells.size()) {
        ++counts_.ignored;
        return;
    }
    const bool ands = code ? spec_.codeWriteAnds : spec_.eepromWriteAnds;
    busySent_.assign(frame_.begin() + static_cast<std::ptrdiff_t>(shape_.headerBytes),
                     frame_.end());
    for (std::size_t i = 0; i < busySent_.size(); ++i) {
        std::uint8_t& cell = cells[address + i];
        cell = ands ? static_cast<std::uint8_t>(cell & busySent_[i]) : busySent_[i];
    }
    busyMemory_ = memory;
    busyAddress_ = address;
    const bool page = busySent_.size() > 1;
    const std::uint64_t durationNs =
        code
            ? (page
                   ? spec_.codePageWriteNanoseconds
                   : spec_.codeByteWriteNanoseconds + Periods(spec_.codeByteWriteOscillatorPeriods))
            : (page ? spec_.eepromPageWriteNanoseconds : spec_.eepromByteWriteNanoseconds);
    StartCycle(BusyWith::kWrite, timeNs, durationNs);
    ++counts_.obeyed;
}

void FamilyChip::WriteLock(std::uint64_t timeNs) {
    if (RefusedWhileBusy(timeNs, ViolationKind::kWriteWhileBusy)) {
        return;
    }
    const std::uint8_t argument = instruction_.lockArgument;
    std::uint8_t programmed = 0;
    switch (spec_.lockWrite) {
        case LockWrite::kLowActiveBits:
            programmed = LowActiveLockBits(argument);
            break;
        case LockWrite::kBitsDirect:
            programmed = argument;
            break;
        case LockWrite::kOneModeAtATime: {
            // Mode n + 1 programs LB n, and only once the modes below it are in place.
            const auto bit = static_cast<std::uint8_t>(argument == 0 ? 0 : 1u << (argument - 1));
            const auto below = static_cast<std::uint8_t>(bit == 0 ? 0 : bit - 1);
            if ((lockBits_ & below) != below) {
                ++counts_.ignored;
                return;
            }
            programmed = bit;
            break;
        }
    }
    lockBits_ |= programmed;
    busySent_.clear();
    StartCycle(BusyWith::kLock, timeNs, spec_.lockWriteNanoseconds);
    ++counts_.obeyed;
}

bool FamilyChip::RefusedWhileBusy(std::uint64_t timeNs, ViolationKind kind) {
    if (timeNs >= busyUntilNs_) {
        return false;
    }
    Record(timeNs, kind,
           "instruction " + FrameText(shape_.headerBytes) + " ignored: busy until " +
               std::to_string(busyUntilNs_) + " ns");
    ++counts_.ignored;
    return true;
}

void FamilyChip::StartCycle(BusyWith what, std::uint64_t timeNs, std::uint64_t durationNs) {
    busyWith_ = what;
    busyUntilNs_ = timeNs + durationNs;
}

std::span<std::uint8_t> FamilyChip::MemoryOf(Memory memory) {
    return memory == Memory::kCode ? std::span<std::uint8_t>(code_) : eeprom_;
}

void FamilyChip::ResetInterface() {
    enabled_ = false;
    frame_.clear();
    bitInByte_ = 0;
    shiftIn_ = 0;
    outputArmed_ = false;
    miso_ = true;
}

// `phase` formats the measured time, e.g. "SCK high for # ns"; a period must be longer than its
// figure, so its minimum is the next whole nanosecond.
void FamilyChip::CheckAtLeast(std::uint64_t actualNs, std::uint64_t minimumNs, std::uint64_t timeNs,
                              ViolationKind kind, const char* phase, std::uint64_t periods) {
    const bool period = kind == ViolationKind::kSckPeriodTooShort;
    if (period) {
        minimumNs = periods * kNanosecondsPerSecond / oscillatorHz_ + 1;
    }
    if (actualNs >= minimumNs) {
        return;
    }
    std::string measured = phase;
    measured.replace(measured.find('#'), 1, std::to_string(actualNs));
    char text[192];
    std::snprintf(text, sizeof text, "%s, need %s%llu oscillator period%s (%s%llu ns)",
                  measured.c_str(), period ? "more than " : "",
                  static_cast<unsigned long long>(periods), periods == 1 ? "" : "s",
                  period ? "at least " : "", static_cast<unsigned long long>(minimumNs));
    Record(timeNs, kind, text);
}

void FamilyChip::Record(std::uint64_t timeNs, ViolationKind kind, std::string what) {
    ++violationCount_;
    if (violations_.size() < kMaxStoredViolations) {
        violations_.push_back({timeNs, kind, std::move(what)});
    }
}

// The first `bytes` bytes of the instruction as sent, e.g. "AC 12 00".
std::string FamilyChip::FrameText(std::size_t bytes) const {
    std::string text;
    for (std::size_t i = 0; i < std::min(frame_.size(), bytes); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", frame_[i]);
        text += hex;
    }
    return text;
}

}  // namespace sim
