#include <algorithm>
#include <cctype>

#include "sim/chip_datasheet.h"

namespace sim {

namespace {

constexpr std::uint64_t kMicrosecond = 1'000;
constexpr std::uint64_t kMillisecond = 1'000'000;

// The figures below come from each chip's data sheet. Where the data sheets give none, or only
// one unconfirmed source does, the model decides, and says so here:
// - MOSI set-up and hold: 1 and 2 oscillator periods on every chip (only the AT89S8252's are
//   given).
// - AT89S51/52 page write: not given; the model takes 0.5 ms, the byte write's upper bound (the
//   AT89S8253's page takes about as long as its byte write).
// - AT89S53: SCK phases of 24 periods and the AT89S8252's 2 ms write and 16 ms erase.
// - AT89S8253 (one preliminary revision): byte write 4.0 ms, page 4.5 ms, erase 9 ms, the upper
//   figures given; the EEPROM writes take as long as the code ones. SPI mode 0 like the rest (the
//   preliminary drawing of mode 1 is unconfirmed). No 69 answer (none documented). Signature
//   1E 73 at 30h and 31h; its third byte is unknown, so 32h answers FF like any other address.
//   Its EEPROM bytes erase themselves on a write, as on the AT89S8252 whose EEPROM it inherits;
//   only the code flash needs a chip erase. Lock bits are sent and read as 1 = programmed.
// - Write Lock Bits starts a self-timed cycle as long as a code byte write.
// - SCK low for 64 oscillator periods before the first rising edge: AT89S51/52, and the
//   AT89S8253, whose data sheet asks for SCK low at the start as well.
constexpr ChipSpec kChips[] = {
    {
        .name = "at89s51",
        .displayName = "AT89S51",
        .instructions = InstructionSet::kFourBytePaged,
        .frameBytes = 4,
        .codeBytes = 4096,
        .eepromBytes = 0,
        .codePageBytes = 256,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 8,
        .sckPeriodAboveOscillatorPeriods = 16,
        .sckLowBeforeFirstRiseMinOscillatorPeriods = 64,
        .mosiSetupMinOscillatorPeriods = 1,
        .mosiHoldMinOscillatorPeriods = 2,
        .enableAfterRstMinNanoseconds = 10 * kMillisecond,
        .codeByteWriteNanoseconds = 400 * kMicrosecond,
        .codeByteWriteOscillatorPeriods = 64,
        .codePageWriteNanoseconds = 500 * kMicrosecond,
        .eepromByteWriteNanoseconds = 0,
        .eepromPageWriteNanoseconds = 0,
        .lockWriteNanoseconds = 400 * kMicrosecond,
        .chipEraseNanoseconds = 500 * kMillisecond,
        .enableAnswer = 0x69,
        .signature = {0x1E, 0x51, 0x06},
        .signatureBytes = 3,
        .codeWriteAnds = true,
        .eepromWriteAnds = false,
        .lockWrite = LockWrite::kOneModeAtATime,
        .lockReadShift = 2,
    },
    {
        .name = "at89s52",
        .displayName = "AT89S52",
        .instructions = InstructionSet::kFourBytePaged,
        .frameBytes = 4,
        .codeBytes = 8192,
        .eepromBytes = 0,
        .codePageBytes = 256,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 8,
        .sckPeriodAboveOscillatorPeriods = 16,
        .sckLowBeforeFirstRiseMinOscillatorPeriods = 64,
        .mosiSetupMinOscillatorPeriods = 1,
        .mosiHoldMinOscillatorPeriods = 2,
        .enableAfterRstMinNanoseconds = 10 * kMillisecond,
        .codeByteWriteNanoseconds = 400 * kMicrosecond,
        .codeByteWriteOscillatorPeriods = 64,
        .codePageWriteNanoseconds = 500 * kMicrosecond,
        .eepromByteWriteNanoseconds = 0,
        .eepromPageWriteNanoseconds = 0,
        .lockWriteNanoseconds = 400 * kMicrosecond,
        .chipEraseNanoseconds = 500 * kMillisecond,
        .enableAnswer = 0x69,
        .signature = {0x1E, 0x52, 0x06},
        .signatureBytes = 3,
        .codeWriteAnds = true,
        .eepromWriteAnds = false,
        .lockWrite = LockWrite::kOneModeAtATime,
        .lockReadShift = 2,
    },
    {
        .name = "at89s53",
        .displayName = "AT89S53",
        .instructions = InstructionSet::kThreeByteA13,
        .frameBytes = 3,
        .codeBytes = 12288,
        .eepromBytes = 0,
        .codePageBytes = 0,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 24,
        .sckPeriodAboveOscillatorPeriods = 40,
        .sckLowBeforeFirstRiseMinOscillatorPeriods = 0,
        .mosiSetupMinOscillatorPeriods = 1,
        .mosiHoldMinOscillatorPeriods = 2,
        .enableAfterRstMinNanoseconds = 10 * kMillisecond,
        .codeByteWriteNanoseconds = 2 * kMillisecond,
        .codeByteWriteOscillatorPeriods = 0,
        .codePageWriteNanoseconds = 0,
        .eepromByteWriteNanoseconds = 0,
        .eepromPageWriteNanoseconds = 0,
        .lockWriteNanoseconds = 2 * kMillisecond,
        .chipEraseNanoseconds = 16 * kMillisecond,
        .enableAnswer = 0xFF,
        .signature = {},
        .signatureBytes = 0,
        .codeWriteAnds = false,
        .eepromWriteAnds = false,
        .lockWrite = LockWrite::kLowActiveBits,
        .lockReadShift = 0,
    },
    {
        .name = "at89s8252",
        .displayName = "AT89S8252",
        .instructions = InstructionSet::kThreeByteEeprom,
        .frameBytes = 3,
        .codeBytes = 8192,
        .eepromBytes = 2048,
        .codePageBytes = 0,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 24,
        .sckPeriodAboveOscillatorPeriods = 40,
        .sckLowBeforeFirstRiseMinOscillatorPeriods = 0,
        .mosiSetupMinOscillatorPeriods = 1,
        .mosiHoldMinOscillatorPeriods = 2,
        .enableAfterRstMinNanoseconds = 10 * kMillisecond,
        .codeByteWriteNanoseconds = 2 * kMillisecond,
        .codeByteWriteOscillatorPeriods = 0,
        .codePageWriteNanoseconds = 0,
        .eepromByteWriteNanoseconds = 2 * kMillisecond,
        .eepromPageWriteNanoseconds = 0,
        .lockWriteNanoseconds = 0,
        .chipEraseNanoseconds = 16 * kMillisecond,
        .enableAnswer = 0xFF,
        .signature = {},
        .signatureBytes = 0,
        .codeWriteAnds = false,
        .eepromWriteAnds = false,
        .lockWrite = LockWrite::kLowActiveBits,
        .lockReadShift = 0,
    },
    {
        .name = "at89s8253",
        .displayName = "AT89S8253",
        .instructions = InstructionSet::kFourByteEeprom,
        .frameBytes = 4,
        .codeBytes = 12288,
        .eepromBytes = 2048,
        .codePageBytes = 64,
        .eepromPageBytes = 32,
        .sckPhaseMinOscillatorPeriods = 8,
        .sckPeriodAboveOscillatorPeriods = 16,
        .sckLowBeforeFirstRiseMinOscillatorPeriods = 64,
        .mosiSetupMinOscillatorPeriods = 1,
        .mosiHoldMinOscillatorPeriods = 2,
        .enableAfterRstMinNanoseconds = 10 * kMillisecond,
        .codeByteWriteNanoseconds = 4 * kMillisecond,
        .codeByteWriteOscillatorPeriods = 0,
        .codePageWriteNanoseconds = 4500 * kMicrosecond,
        .eepromByteWriteNanoseconds = 4 * kMillisecond,
        .eepromPageWriteNanoseconds = 4500 * kMicrosecond,
        .lockWriteNanoseconds = 4 * kMillisecond,
        .chipEraseNanoseconds = 9 * kMillisecond,
        .enableAnswer = 0xFF,
        .signature = {0x1E, 0x73, 0xFF},
        .signatureBytes = 2,
        .codeWriteAnds = true,
        .eepromWriteAnds = false,
        .lockWrite = LockWrite::kBitsDirect,
        .lockReadShift = 0,
    },
};

}  // namespace

std::span<const ChipSpec> ChipSpecs() {
    return kChips;
}

const ChipSpec* FindChipSpec(std::string_view name) {
    const auto sameName = [name](const ChipSpec& spec) {
        return std::ranges::equal(spec.name, name, [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        });
    };
    const auto* found = std::ranges::find_if(kChips, sameName);
    return found == std::end(kChips) ? nullptr : found;
}

}  // namespace sim
