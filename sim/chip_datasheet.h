#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sim {

// How a chip frames and encodes its serial instructions: the three protocols of the family beside
// the AT89S8252's own (sim/at89s8252.h).
enum class InstructionSet : std::uint8_t {
    // AT89S8252: three bytes with the EEPROM; its own model, sim::At89s8252, speaks it.
    kThreeByteEeprom,
    // AT89S53: three bytes, byte 1 = A12..A8 A13 op op (read 01, write 10), no EEPROM.
    kThreeByteA13,
    // AT89S51/52: four bytes; 256-byte code pages whose two-byte header has no low address.
    kFourBytePaged,
    // AT89S8253: four bytes; 64-byte code pages and 32-byte EEPROM pages with a low-address byte.
    kFourByteEeprom,
};

// How Write Lock Bits (AC, byte 2) programs the lock bits.
enum class LockWrite : std::uint8_t {
    // As on the AT89S8252: LB1, LB2, LB3 in bits 7..5 of byte 2, each sent as 0 to program it.
    kLowActiveBits,
    // Byte 2 = E0 + mode - 1: E1, E2, E3 program modes 2, 3, 4, one mode an instruction and each
    // only after the one below it.
    kOneModeAtATime,
    // Byte 2 = E0 + LB3 LB2 LB1 in bits 2..0, each sent as 1 to program it, any together.
    kBitsDirect,
};

// One chip of the family as its serial-programming interface behaves: sizes, encodings, clock
// limits and self-timed cycle times, in the units their names carry. The rows are in
// chip_datasheets.cpp, which also says which figures are the model's own choice.
struct ChipSpec {
    std::string_view name;         // lower case, as a user names it
    std::string_view displayName;  // as the data sheet names it
    InstructionSet instructions;
    std::size_t frameBytes;  // instructions other than the page ones
    std::size_t codeBytes;
    std::size_t eepromBytes;      // 0: no data EEPROM
    std::size_t codePageBytes;    // 0: no page mode
    std::size_t eepromPageBytes;  // 0: no page mode

    // Serial clock: each phase at least this many oscillator periods, the whole period more than
    // the next figure, and (where not 0) SCK low this long before the session's first rising edge.
    std::uint64_t sckPhaseMinOscillatorPeriods;
    std::uint64_t sckPeriodAboveOscillatorPeriods;
    std::uint64_t sckLowBeforeFirstRiseMinOscillatorPeriods;
    std::uint64_t mosiSetupMinOscillatorPeriods;
    std::uint64_t mosiHoldMinOscillatorPeriods;
    // Programming Enable is obeyed only this long after RST rose.
    std::uint64_t enableAfterRstMinNanoseconds;

    // Self-timed cycles. A code byte write takes the fixed part plus the oscillator periods.
    std::uint64_t codeByteWriteNanoseconds;
    std::uint64_t codeByteWriteOscillatorPeriods;
    std::uint64_t codePageWriteNanoseconds;
    std::uint64_t eepromByteWriteNanoseconds;
    std::uint64_t eepromPageWriteNanoseconds;
    std::uint64_t lockWriteNanoseconds;
    std::uint64_t chipEraseNanoseconds;

    // What MISO carries during byte 4 of Programming Enable (0xFF: nothing, the line rests high).
    std::uint8_t enableAnswer;
    std::array<std::uint8_t, 3> signature;
    std::size_t signatureBytes;  // 0: no signature instruction

    // A write can only clear bits: a byte written over a programmed one keeps the AND of both, and
    // only a chip erase sets bits again. Otherwise every write erases its byte first.
    bool codeWriteAnds;
    bool eepromWriteAnds;
    LockWrite lockWrite;
    // Read Lock Bits (where the instruction set has it) answers LB1..LB3, programmed = 1, from
    // this bit up.
    unsigned lockReadShift;
};

// Every chip the simulator models, the AT89S8252 included, in the order a user is shown them.
std::span<const ChipSpec> ChipSpecs();
// The row named `name`, in any letter case; nullptr when no chip has that name.
const ChipSpec* FindChipSpec(std::string_view name);

}  // namespace sim
