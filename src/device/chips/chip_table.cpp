#include <algorithm>
#include <array>
#include <cctype>

#include "device/chips/chip_row.h"
#include "device/chips/instruction_sets.h"

namespace {

// One row per chip, from its data sheet. Where a data sheet gives a typical time and no maximum,
// the limit below is what polling waits before it calls the cycle failed: several times the
// typical time, so only a chip that really stopped answering runs into it.
constexpr std::array<ChipRow, 5> kChips{{
    {
        .name = "at89s8252",
        .displayName = "AT89S8252",
        .codeBytes = 8192,
        .eepromBytes = 2048,
        .codePageBytes = 0,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 24,
        .sckPeriodAboveOscillatorPeriods = 40,
        .sckLowBeforeFirstRiseOscillatorPeriods = 0,
        .minOscillatorHz = 3'000'000,
        .maxOscillatorHz = 24'000'000,
        .byteWriteLimitMicroseconds = 10'000,  // typically under 2.5 ms at 5 V
        .pageWriteLimitMicroseconds = 0,
        .eraseLimitMicroseconds = 100'000,   // about 16 ms
        .lockWritePauseMicroseconds = 3000,  // the window's pause after a byte
        .signature = {},
        .signatureBytes = 0,
        .enableAnswers69 = false,
        .rewriteNeedsErase = false,
        .lockScheme = LockScheme::kBitsInOneByte,
        .instructions = &kThreeByteS8252Instructions,
    },
    {
        .name = "at89s51",
        .displayName = "AT89S51",
        .codeBytes = 4096,
        .eepromBytes = 0,
        .codePageBytes = 256,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 8,
        .sckPeriodAboveOscillatorPeriods = 16,
        .sckLowBeforeFirstRiseOscillatorPeriods = 64,
        .minOscillatorHz = 3'000'000,
        .maxOscillatorHz = 33'000'000,
        .byteWriteLimitMicroseconds = 10'000,  // 64 periods + 400 us, under 0.5 ms
        .pageWriteLimitMicroseconds = 50'000,  // not given: polled
        .eraseLimitMicroseconds = 2'000'000,   // 500 ms
        .lockWritePauseMicroseconds = 3000,
        .signature = {0x1E, 0x51, 0x06},
        .signatureBytes = 3,
        .enableAnswers69 = true,
        .rewriteNeedsErase = true,
        .lockScheme = LockScheme::kModeAfterMode,
        .instructions = &kFourByteS5xInstructions,
    },
    {
        .name = "at89s52",
        .displayName = "AT89S52",
        .codeBytes = 8192,
        .eepromBytes = 0,
        .codePageBytes = 256,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 8,
        .sckPeriodAboveOscillatorPeriods = 16,
        .sckLowBeforeFirstRiseOscillatorPeriods = 64,
        .minOscillatorHz = 3'000'000,
        .maxOscillatorHz = 33'000'000,
        .byteWriteLimitMicroseconds = 10'000,
        .pageWriteLimitMicroseconds = 50'000,
        .eraseLimitMicroseconds = 2'000'000,
        .lockWritePauseMicroseconds = 3000,
        .signature = {0x1E, 0x52, 0x06},
        .signatureBytes = 3,
        .enableAnswers69 = true,
        .rewriteNeedsErase = true,
        .lockScheme = LockScheme::kModeAfterMode,
        .instructions = &kFourByteS5xInstructions,
    },
    {
        .name = "at89s53",
        .displayName = "AT89S53",
        .codeBytes = 12288,
        .eepromBytes = 0,
        .codePageBytes = 0,
        .eepromPageBytes = 0,
        .sckPhaseMinOscillatorPeriods = 24,  // not found for this chip: its sibling's
        .sckPeriodAboveOscillatorPeriods = 40,
        .sckLowBeforeFirstRiseOscillatorPeriods = 0,
        .minOscillatorHz = 3'000'000,
        .maxOscillatorHz = 24'000'000,
        .byteWriteLimitMicroseconds = 10'000,
        .pageWriteLimitMicroseconds = 0,
        .eraseLimitMicroseconds = 100'000,  // not found: the AT89S8252's
        .lockWritePauseMicroseconds = 3000,
        .signature = {},
        .signatureBytes = 0,
        .enableAnswers69 = false,
        .rewriteNeedsErase = false,
        .lockScheme = LockScheme::kBitsInOneByte,
        .instructions = &kThreeByteS53Instructions,
    },
    {
        .name = "at89s8253",
        .displayName = "AT89S8253",
        .codeBytes = 12288,
        .eepromBytes = 2048,
        .codePageBytes = 64,
        .eepromPageBytes = 32,
        .sckPhaseMinOscillatorPeriods = 8,
        .sckPeriodAboveOscillatorPeriods = 16,
        .sckLowBeforeFirstRiseOscillatorPeriods = 64,  // "SCK low" with RST: as the S51/S52
        .minOscillatorHz = 3'000'000,
        .maxOscillatorHz = 24'000'000,
        .byteWriteLimitMicroseconds = 20'000,  // under 4 ms typical
        .pageWriteLimitMicroseconds = 20'000,  // 4.5 ms
        .eraseLimitMicroseconds = 100'000,     // 8-9 ms
        .lockWritePauseMicroseconds = 5000,    // a byte write takes under 4 ms
        .signature = {0x1E, 0x73, 0x00},
        .signatureBytes = 2,
        .enableAnswers69 = false,
        .rewriteNeedsErase = true,
        .lockScheme = LockScheme::kBitsInOneByteReadable,
        .instructions = &kFourByteS8253Instructions,
    },
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::span<const ChipRow> ChipTable() {
    return kChips;
}

const ChipRow& At89s8252Row() {
    return kChips[0];
}

const ChipRow* FindChip(std::string_view name) {
    for (const ChipRow& row : kChips) {
        if (SameIgnoringCase(row.name, name)) {
            return &row;
        }
    }
    return nullptr;
}

const ChipRow* ChipWithSignature(std::span<const std::uint8_t> signature) {
    for (const ChipRow& row : kChips) {
        if (row.signatureBytes > 0 &&
            signature.size() >= static_cast<std::size_t>(row.signatureBytes) &&
            std::equal(row.signature.begin(), row.signature.begin() + row.signatureBytes,
                       signature.begin())) {
            return &row;
        }
    }
    return nullptr;
}
