#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/pins.h"

namespace sim {

// Why a chip model flagged an edge or an instruction.
enum class ViolationKind : std::uint8_t {
    kSckHighTooShort,
    kSckLowTooShort,
    kSckPeriodTooShort,
    kMosiSetupTooShort,
    kMosiHoldTooShort,
    kWriteWhileBusy,
    kEraseWhileBusy,
    kEnableTooEarly,
    kUnknownInstruction,
    kResetDuringWrite,
};

struct TimingViolation {
    std::uint64_t timeNs;
    ViolationKind kind;
    std::string what;
};

// A chip in serial programming mode, seen from its four pins. Whatever drives it (the parallel
// cable, a USB adapter's model, GPIO lines) hands over every input change with the time it
// happened, in nanoseconds on one monotonic clock, and reads MISO as the chip drives it now.
// Every model checks what it receives against its own data sheet and records each breach.
class SerialChip {
public:
    virtual ~SerialChip() = default;

    virtual void SetRst(bool level, std::uint64_t timeNs) = 0;
    virtual void SetSck(bool level, std::uint64_t timeNs) = 0;
    virtual void SetMosi(bool level, std::uint64_t timeNs) = 0;
    virtual bool Miso() const = 0;
    virtual PinLevels Pins() const = 0;

    virtual const std::vector<TimingViolation>& Violations() const = 0;
    virtual std::uint64_t ViolationCount() const = 0;
};

}  // namespace sim
