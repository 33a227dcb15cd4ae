#include "sim/at89s8252.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace sim {

namespace {

constexpr std::uint8_t kEnableFirst = 0xAC;
constexpr std::uint8_t kEnableSecond = 0x53;
constexpr std::uint8_t kEraseFirst = 0xAC;
constexpr std::uint8_t kEraseSecondMask = 0x07;
constexpr std::uint8_t kEraseSecondBits = 0x04;
constexpr std::uint8_t kLockSecondBits = 0x07;  // Write Lock Bits: bits 2..0 of byte 2 all 1
constexpr std::uint8_t kOperationMask = 0x07;
constexpr std::uint8_t kWriteCodeOperation = 0x02;
constexpr std::uint8_t kReadCodeOperation = 0x01;
constexpr std::uint8_t kWriteDataOperation = 0x06;
constexpr std::uint8_t kReadDataOperation = 0x05;
constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint8_t kErasingAnswer = 0x00;

std::uint16_t CodeAddress(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint16_t>(((first >> 3) << 8) | second);
}

// Data memory: A10..A8 in bits 5..3 of the first byte.
std::uint16_t DataAddress(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint16_t>((((first >> 3) & 0x07) << 8) | second);
}

// Data-memory instructions carry 00 in bits 7..6; any other bits there make no instruction.
constexpr std::uint8_t kDataHighBits = 0xC0;
bool HasStrayHighBits(std::uint8_t first) {
    const auto op = static_cast<std::uint8_t>(first & kOperationMask);
    return (op == kReadDataOperation || op == kWriteDataOperation) && (first & kDataHighBits) != 0;
}

bool IsRead(std::uint8_t first) {
    const auto op = static_cast<std::uint8_t>(first & kOperationMask);
    return first != kEraseFirst && !HasStrayHighBits(first) &&
           (op == kReadCodeOperation || op == kReadDataOperation);
}

// DATA polling defines bit 7 only: it reads as the complement of the byte being written.
constexpr std::uint8_t kPolledBit = 0x80;

// Lock bits programmed by byte 2 of Write Lock Bits: LB1..LB3 in bits 7..5, programmed when 0.
std::uint8_t LockBitsSent(std::uint8_t second) {
    return static_cast<std::uint8_t>(((second & 0x80) == 0 ? kLockBit1 : 0) |
                                     ((second & 0x40) == 0 ? kLockBit2 : 0) |
                                     ((second & 0x20) == 0 ? kLockBit3 : 0));
}

}  // namespace

At89s8252::At89s8252(const ChipTiming& timing)
    : timing_(timing), limits_(ClockLimitsFor(timing.oscillatorHz)) {
    flash_.fill(kErased);
    eeprom_.fill(kErased);
}

void At89s8252::LoadFlash(std::span<const std::uint8_t> image) {
    flash_.fill(kErased);
    std::copy_n(image.begin(), std::min(image.size(), flash_.size()), flash_.begin());
}

void At89s8252::SetOscillatorHz(std::uint64_t hz) {
    timing_.oscillatorHz = hz;
    limits_ = ClockLimitsFor(hz);
}

void At89s8252::AddUnprogrammableCell(std::uint16_t address) {
    cellFaults_.push_back({static_cast<std::uint16_t>(address % kCodeFlashBytes), 0, 0, true});
}

void At89s8252::AddStuckBits(std::uint16_t address, std::uint8_t mask, std::uint8_t levels) {
    const auto cell = static_cast<std::uint16_t>(address % kCodeFlashBytes);
    cellFaults_.push_back({cell, mask, levels, false});
    flash_[cell] = Stored(cell, flash_[cell], false);
}

void At89s8252::ClearViolations() {
    violations_.clear();
    violationCount_ = 0;
}

bool At89s8252::Miso() const {
    switch (misoFault_) {
        case MisoFault::kStuckLow:
            return false;
        case MisoFault::kStuckHigh:
            return true;
        case MisoFault::kNone:
            break;
    }
    return miso_;
}

void At89s8252::SetRst(bool level, std::uint64_t timeNs) {
    if (level == rst_) {
        return;
    }
    rst_ = level;
    // Either edge of RST restarts the serial interface; a self-timed byte write or erase already
    // running finishes on its own, but a lock-bit cycle cut short leaves the bits unprogrammed.
    ResetInterface();
    if (!level && busyWith_ == BusyWith::kLockBits && Busy(timeNs)) {
        lockBits_ = lockBitsBeforeWrite_;
        char text[96];
        std::snprintf(text, sizeof text,
                      "RST fell during Write Lock Bits (busy until %llu ns): lock bits unchanged",
                      static_cast<unsigned long long>(busyUntilNs_));
        Record(timeNs, ViolationKind::kResetDuringWrite, text);
        busyUntilNs_ = timeNs;
    }
    if (level) {
        rstRiseNs_ = timeNs;
        riseSeen_ = false;
        fallSeen_ = false;
    }
}

void At89s8252::SetMosi(bool level, std::uint64_t timeNs) {
    if (level == mosi_) {
        return;
    }
    mosi_ = level;
    if (rst_ && riseSeen_) {
        CheckAtLeast(timeNs - lastRiseNs_, limits_.mosiHoldMin, timeNs,
                     ViolationKind::kMosiHoldTooShort);
    }
    lastMosiChangeNs_ = timeNs;
}

void At89s8252::SetSck(bool level, std::uint64_t timeNs) {
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

std::uint64_t At89s8252::SessionStart(std::uint64_t eventNs) const {
    return std::max(eventNs, rstRiseNs_);
}

void At89s8252::OnRisingEdge(std::uint64_t timeNs) {
    CheckAtLeast(timeNs - SessionStart(lastSckEdgeNs_), limits_.sckLowMin, timeNs,
                 ViolationKind::kSckLowTooShort);
    if (riseSeen_) {
        CheckAtLeast(timeNs - lastRiseNs_, limits_.sckPeriodMin, timeNs,
                     ViolationKind::kSckPeriodTooShort);
    }
    CheckAtLeast(timeNs - SessionStart(lastMosiChangeNs_), limits_.mosiSetupMin, timeNs,
                 ViolationKind::kMosiSetupTooShort);
    riseSeen_ = true;
    lastRiseNs_ = timeNs;

    shiftIn_ = static_cast<std::uint8_t>((shiftIn_ << 1) | (mosi_ ? 1 : 0));
    if (++bitInByte_ == 8) {
        frame_[byteIndex_++] = shiftIn_;
        bitInByte_ = 0;
        shiftIn_ = 0;
        OnByteComplete(timeNs);
    }
}

void At89s8252::OnFallingEdge(std::uint64_t timeNs) {
    CheckAtLeast(timeNs - SessionStart(lastSckEdgeNs_), limits_.sckHighMin, timeNs,
                 ViolationKind::kSckHighTooShort);
    if (fallSeen_) {
        CheckAtLeast(timeNs - lastFallNs_, limits_.sckPeriodMin, timeNs,
                     ViolationKind::kSckPeriodTooShort);
    }
    fallSeen_ = true;
    lastFallNs_ = timeNs;

    // The read data leaves MSB first, one bit per falling edge of the third byte; otherwise the
    // output rests high.
    if (outputArmed_ && byteIndex_ == 2) {
        miso_ = ((outputByte_ >> (7 - bitInByte_)) & 1) != 0;
    } else {
        miso_ = true;
    }
}

void At89s8252::OnByteComplete(std::uint64_t timeNs) {
    if (byteIndex_ == 2 && enabled_ && IsRead(frame_[0])) {
        const bool code = (frame_[0] & kOperationMask) == kReadCodeOperation;
        // While the chip erases every read answers 0x00; while a byte is being written every
        // read answers with that byte's complement (data polling). Both are how a programmer
        // learns that the cycle has ended, so neither is a violation.
        if (Busy(timeNs) && busyWith_ != BusyWith::kLockBits) {
            outputByte_ = busyWith_ == BusyWith::kErase
                              ? kErasingAnswer
                              : static_cast<std::uint8_t>(writeValue_ ^ kPolledBit);
        } else if (code && (lockBits_ & kLockBit2) != 0) {
            outputByte_ = kLockedReadAnswer;
        } else {
            outputByte_ = code ? flash_[CodeAddress(frame_[0], frame_[1])]
                               : eeprom_[DataAddress(frame_[0], frame_[1])];
        }
        outputArmed_ = true;
    }
    if (byteIndex_ == frame_.size()) {
        Execute(timeNs);
        byteIndex_ = 0;
        outputArmed_ = false;
    }
}

bool At89s8252::RefusedWhileBusy(std::uint64_t timeNs, ViolationKind kind, const char* what) {
    if (!Busy(timeNs)) {
        return false;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%s ignored: busy until %llu ns", what,
                  static_cast<unsigned long long>(busyUntilNs_));
    Record(timeNs, kind, text);
    ++counts_.ignored;
    return true;
}

void At89s8252::Execute(std::uint64_t timeNs) {
    const std::uint8_t first = frame_[0];
    const std::uint8_t second = frame_[1];
    if (first == kEnableFirst && second == kEnableSecond) {
        // The chip needs its oscillator and RST steady for 10 ms before it listens.
        if (timeNs - rstRiseNs_ < kEnableAfterRstNanoseconds) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "Programming Enable ignored: %llu ns after RST rose, need 10 ms",
                          static_cast<unsigned long long>(timeNs - rstRiseNs_));
            Record(timeNs, ViolationKind::kEnableTooEarly, text);
            ++counts_.ignored;
            return;
        }
        enabled_ = true;
        ++counts_.obeyed;
        return;
    }
    // Until Programming Enable has been received in this session nothing else is obeyed.
    if (!enabled_) {
        ++counts_.ignored;
        return;
    }
    if (first == kEraseFirst) {
        const auto low = static_cast<std::uint8_t>(second & kEraseSecondMask);
        if (low == kEraseSecondBits) {
            if (!RefusedWhileBusy(timeNs, ViolationKind::kEraseWhileBusy, "Chip Erase")) {
                StartErase(timeNs);
                ++counts_.obeyed;
            }
        } else if (low == kLockSecondBits) {
            if (!RefusedWhileBusy(timeNs, ViolationKind::kWriteWhileBusy, "Write Lock Bits")) {
                lockBitsBeforeWrite_ = lockBits_;
                lockBits_ |= LockBitsSent(second);
                busyWith_ = BusyWith::kLockBits;
                busyUntilNs_ = timeNs + kWriteLockBitsCycleNanoseconds;
                ++counts_.obeyed;
            }
        } else {
            ++counts_.ignored;
        }
        return;
    }
    if (HasStrayHighBits(first)) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "unknown instruction 0x%02X: a data-memory instruction has bits 7..6 clear",
                      static_cast<unsigned>(first));
        Record(timeNs, ViolationKind::kUnknownInstruction, text);
        ++counts_.ignored;
        return;
    }
    char what[40];
    switch (first & kOperationMask) {
        case kWriteCodeOperation: {
            const std::uint16_t address = CodeAddress(first, second);
            std::snprintf(what, sizeof what, "Write Code 0x%04X", static_cast<unsigned>(address));
            if (RefusedWhileBusy(timeNs, ViolationKind::kWriteWhileBusy, what)) {
                return;
            }
            if ((lockBits_ & kLockBit1) != 0) {
                ++counts_.ignored;
                return;
            }
            StartWrite(&flash_[address], Stored(address, frame_[2], true), timeNs);
            ++counts_.obeyed;
            return;
        }
        case kWriteDataOperation: {
            const std::uint16_t address = DataAddress(first, second);
            std::snprintf(what, sizeof what, "Write Data 0x%03X", static_cast<unsigned>(address));
            if (!RefusedWhileBusy(timeNs, ViolationKind::kWriteWhileBusy, what)) {
                StartWrite(&eeprom_[address], frame_[2], timeNs);
                ++counts_.obeyed;
            }
            return;
        }
        case kReadCodeOperation:
        case kReadDataOperation:
            if (outputArmed_) {
                ++counts_.obeyed;
            } else {
                ++counts_.ignored;
            }
            return;
        default:
            ++counts_.ignored;
            return;
    }
}

void At89s8252::StartErase(std::uint64_t timeNs) {
    flash_.fill(kErased);
    eeprom_.fill(kErased);
    lockBits_ = 0;
    for (const CellFault& fault : cellFaults_) {
        flash_[fault.address] = Stored(fault.address, kErased, false);
    }
    busyWith_ = BusyWith::kErase;
    busyUntilNs_ = timeNs + timing_.chipEraseNanoseconds;
}

void At89s8252::StartWrite(std::uint8_t* cell, std::uint8_t value, std::uint64_t timeNs) {
    // In serial mode the write cycle erases the location first, so the byte is replaced outright;
    // the complement of what was sent answers reads until the cycle ends.
    *cell = value;
    writeValue_ = frame_[2];
    busyWith_ = BusyWith::kWrite;
    busyUntilNs_ = timeNs + timing_.writeCycleNanoseconds;
}

std::uint8_t At89s8252::Stored(std::uint16_t address, std::uint8_t value, bool isWrite) const {
    std::uint8_t stored = value;
    for (const CellFault& fault : cellFaults_) {
        if (fault.address != address) {
            continue;
        }
        if (fault.ignoresWrites && isWrite) {
            stored = flash_[address];
        }
        stored = static_cast<std::uint8_t>((stored & ~fault.stuckMask) |
                                           (fault.stuckLevels & fault.stuckMask));
    }
    return stored;
}

void At89s8252::ResetInterface() {
    enabled_ = false;
    byteIndex_ = 0;
    bitInByte_ = 0;
    shiftIn_ = 0;
    outputArmed_ = false;
    miso_ = true;
}

void At89s8252::CheckAtLeast(std::uint64_t actualNs, std::uint64_t minimumNs, std::uint64_t timeNs,
                             ViolationKind kind) {
    if (actualNs >= minimumNs) {
        return;
    }
    const auto actual = static_cast<unsigned long long>(actualNs);
    const auto minimum = static_cast<unsigned long long>(minimumNs);
    char text[128];
    switch (kind) {
        case ViolationKind::kSckHighTooShort:
            std::snprintf(text, sizeof text,
                          "SCK high for %llu ns, need 24 oscillator periods (%llu ns)", actual,
                          minimum);
            break;
        case ViolationKind::kSckLowTooShort:
            std::snprintf(text, sizeof text,
                          "SCK low for %llu ns, need 24 oscillator periods (%llu ns)", actual,
                          minimum);
            break;
        case ViolationKind::kSckPeriodTooShort:
            std::snprintf(
                text, sizeof text,
                "SCK period %llu ns, need more than 40 oscillator periods (at least %llu ns)",
                actual, minimum);
            break;
        case ViolationKind::kMosiSetupTooShort:
            std::snprintf(text, sizeof text,
                          "MOSI set up %llu ns before SCK rose, need 1 oscillator period (%llu "
                          "ns)",
                          actual, minimum);
            break;
        case ViolationKind::kMosiHoldTooShort:
            std::snprintf(text, sizeof text,
                          "MOSI held %llu ns after SCK rose, need 2 oscillator periods (%llu ns)",
                          actual, minimum);
            break;
        default:
            text[0] = '\0';
            break;
    }
    Record(timeNs, kind, text);
}

void At89s8252::Record(std::uint64_t timeNs, ViolationKind kind, std::string what) {
    ++violationCount_;
    if (violations_.size() < kMaxStoredViolations) {
        violations_.push_back({timeNs, kind, std::move(what)});
    }
}

}  // namespace sim
