#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// Which memory a read or write instruction addresses.
enum class Memory { kCode, kEeprom };

// One serial instruction as it goes on the wire: the bytes clocked out on MOSI, then how many
// bytes are clocked in from MISO (the answer). A page transfer has no fixed frame: its data
// follows the header frame.
struct Frame {
    std::array<std::uint8_t, 4> send{};
    std::uint8_t sendCount = 0;
    std::uint8_t receiveCount = 0;

    std::span<const std::uint8_t> Sent() const { return {send.data(), sendCount}; }
};

// How a chip's lock bits are written and read back.
enum class LockScheme : std::uint8_t {
    kBitsInOneByte,          // AT89S8252/S53: one Write Lock Bits carries every bit; no read-back
    kModeAfterMode,          // AT89S51/S52: one instruction per mode, each in turn; readable
    kBitsInOneByteReadable,  // AT89S8253: the bits at once; readable
};

// The encodings of one chip family's instructions. The addresses are within the memory.
struct InstructionSet {
    Frame (*enable)();
    Frame (*erase)();
    Frame (*readByte)(Memory memory, std::int32_t address);
    Frame (*writeByte)(Memory memory, std::int32_t address, std::uint8_t value);
    // The header of a page read or write at `pageStart`, followed on the wire by the page's bytes;
    // nullptr where the chip has no page mode.
    Frame (*readPage)(Memory memory, std::int32_t pageStart);
    Frame (*writePage)(Memory memory, std::int32_t pageStart);
    // The Write Lock Bits instructions for protection mode 2, 3 or 4, in the order they must go.
    int (*lockFrames)(int mode, std::span<Frame, 3> frames);
    // Read Lock Bits, and the protection mode (1-4) its answer means; nullptr where unreadable.
    Frame (*readLock)();
    int (*lockModeFromAnswer)(std::uint8_t answer);
    // Read Signature Byte number `index`; nullptr where the chip has none readable.
    Frame (*readSignature)(int index);
};

// Everything the engine knows about one chip, from its data sheet. Times carry their unit.
struct ChipRow {
    std::string_view name;         // as --chip takes it: "at89s52"
    std::string_view displayName;  // as messages show it: "AT89S52"
    std::int32_t codeBytes;
    std::int32_t eepromBytes;    // 0: none
    std::int32_t codePageBytes;  // 0: no page mode
    std::int32_t eepromPageBytes;
    // SCK high and low each at least this many oscillator periods, and the whole period more
    // than sckPeriodAbove periods.
    std::int64_t sckPhaseMinOscillatorPeriods;
    std::int64_t sckPeriodAboveOscillatorPeriods;
    // SCK held low this many oscillator periods before the first rising edge (0: no rule).
    std::int64_t sckLowBeforeFirstRiseOscillatorPeriods;
    std::uint64_t minOscillatorHz;
    std::uint64_t maxOscillatorHz;
    // Self-timed cycles: how long polling waits for each before it calls it failed.
    std::int64_t byteWriteLimitMicroseconds;
    std::int64_t pageWriteLimitMicroseconds;
    std::int64_t eraseLimitMicroseconds;
    // Write Lock Bits is not polled (the three-byte chips cannot read the bits back): this long
    // after each instruction.
    std::int64_t lockWritePauseMicroseconds;
    std::array<std::uint8_t, 3> signature;
    std::int32_t signatureBytes;  // 0: none readable
    bool enableAnswers69;         // the enable's fourth byte answers 0x69
    bool rewriteNeedsErase;       // a byte write only clears bits
    LockScheme lockScheme;
    const InstructionSet* instructions;

    std::int32_t Bytes(Memory memory) const {
        return memory == Memory::kCode ? codeBytes : eepromBytes;
    }
    std::int32_t PageBytes(Memory memory) const {
        return memory == Memory::kCode ? codePageBytes : eepromPageBytes;
    }
    bool LockReadable() const { return instructions->readLock != nullptr; }
};

// Every chip the programmer knows, the AT89S8252 first.
std::span<const ChipRow> ChipTable();
const ChipRow& At89s8252Row();
// The row named `name` (any letter case), or nullptr.
const ChipRow* FindChip(std::string_view name);
// The four-byte chip whose signature this is, or nullptr.
const ChipRow* ChipWithSignature(std::span<const std::uint8_t> signature);
