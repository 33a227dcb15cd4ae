#include "sim/family_instructions.h"

#include <algorithm>
#include <bit>

namespace sim {

namespace {

constexpr std::uint8_t kEnableOrErase = 0xAC;
constexpr std::uint8_t kEnableSecond = 0x53;
constexpr std::uint8_t kReadCodeByte = 0x20;
constexpr std::uint8_t kWriteCodeByte = 0x40;
constexpr std::uint8_t kReadCodePage = 0x30;
constexpr std::uint8_t kWriteCodePage = 0x50;
constexpr std::uint8_t kReadLockBits = 0x24;
constexpr std::uint8_t kReadSignature = 0x28;
constexpr std::uint8_t kReadEepromByte = 0xA0;
constexpr std::uint8_t kWriteEepromByte = 0xC0;
constexpr std::uint8_t kReadEepromPage = 0xB0;
constexpr std::uint8_t kWriteEepromPage = 0xD0;
// AT89S8253's signature bytes sit at these addresses of byte 3.
constexpr std::uint8_t kFirstSignatureAddress = 0x30;

// The address bits a chip decodes: enough for its code size (an address past the end names no
// cell).
std::uint32_t CodeAddressMask(const ChipSpec& chip) {
    return static_cast<std::uint32_t>(std::bit_ceil(chip.codeBytes) - 1);
}

Instruction Make(Operation operation, Memory memory = Memory::kCode, std::uint32_t address = 0) {
    return {operation, memory, address, 0};
}

// AT89S53: A12..A8 in bits 7..3 of byte 1, A13 in bit 2, the operation in bits 1..0. Write Lock
// Bits and Chip Erase as on the AT89S8252.
Instruction DecodeThreeByte(std::span<const std::uint8_t> h) {
    if (h[0] == kEnableOrErase) {
        if (h[1] == kEnableSecond) {
            return Make(Operation::kEnable);
        }
        if ((h[1] & 0x07) == 0x04) {
            return Make(Operation::kErase);
        }
        if ((h[1] & 0x07) == 0x07) {
            Instruction lock = Make(Operation::kWriteLock);
            lock.lockArgument = h[1];
            return lock;
        }
        return {};
    }
    const std::uint32_t address = (static_cast<std::uint32_t>(h[0] & 0x04) << 11) |
                                  (static_cast<std::uint32_t>(h[0] >> 3) << 8) | h[1];
    switch (h[0] & 0x03) {
        case 0x01:
            return Make(Operation::kRead, Memory::kCode, address);
        case 0x02:
            return Make(Operation::kWrite, Memory::kCode, address);
        default:
            return {};
    }
}

// AT89S51/52 and AT89S8253: byte 1 is the opcode, byte 2 the high address, byte 3 (where the
// header has one) the low address.
Instruction DecodeFourByte(const ChipSpec& chip, std::span<const std::uint8_t> h) {
    const bool s8253 = chip.instructions == InstructionSet::kFourByteEeprom;
    const std::uint32_t high = static_cast<std::uint32_t>(h[1]) << 8;
    const std::uint32_t code = CodeAddressMask(chip);
    constexpr std::uint32_t kEeprom = 0x07FF;
    switch (h[0]) {
        case kEnableOrErase: {
            if (h[1] == kEnableSecond) {
                return Make(Operation::kEnable);
            }
            if (s8253 ? h[1] == 0x80 : (h[1] & 0xE0) == 0x80) {
                return Make(Operation::kErase);
            }
            if ((h[1] & (s8253 ? 0xF8 : 0xFC)) == 0xE0) {
                Instruction lock = Make(Operation::kWriteLock);
                lock.lockArgument = static_cast<std::uint8_t>(h[1] & 0x07);
                return lock;
            }
            return {};
        }
        case kReadCodeByte:
            return Make(Operation::kRead, Memory::kCode, (high | h[2]) & code);
        case kWriteCodeByte:
            return Make(Operation::kWrite, Memory::kCode, (high | h[2]) & code);
        case kReadCodePage:
        case kWriteCodePage: {
            // The AT89S51/52 page header has no low address; the AT89S8253's names A7 A6.
            const std::uint32_t low = s8253 ? (h[2] & 0xC0u) : 0u;
            return Make(h[0] == kReadCodePage ? Operation::kRead : Operation::kWrite, Memory::kCode,
                        (high | low) & code);
        }
        case kReadLockBits:
            return Make(Operation::kReadLock);
        case kReadSignature: {
            // AT89S51/52: byte 2 is the index and byte 3 must be 0; AT89S8253: byte 3 = 30h +
            // index.
            const auto none = static_cast<std::uint32_t>(chip.signatureBytes);
            const std::uint32_t index = s8253       ? h[2] - std::uint32_t{kFirstSignatureAddress}
                                        : h[2] == 0 ? h[1]
                                                    : none;
            return Make(Operation::kReadSignature, Memory::kCode, std::min(index, none));
        }
        default:
            break;
    }
    if (!s8253) {
        return {};
    }
    switch (h[0]) {
        case kReadEepromByte:
            return Make(Operation::kRead, Memory::kEeprom, (high | h[2]) & kEeprom);
        case kWriteEepromByte:
            return Make(Operation::kWrite, Memory::kEeprom, (high | h[2]) & kEeprom);
        case kReadEepromPage:
            return Make(Operation::kRead, Memory::kEeprom, (high | (h[2] & 0xE0u)) & kEeprom);
        case kWriteEepromPage:
            return Make(Operation::kWrite, Memory::kEeprom, (high | (h[2] & 0xE0u)) & kEeprom);
        default:
            return {};
    }
}

}  // namespace

FrameShape ShapeOf(const ChipSpec& chip, std::uint8_t first) {
    const std::size_t header = chip.frameBytes - 1;
    if (chip.instructions == InstructionSet::kFourBytePaged &&
        (first == kReadCodePage || first == kWriteCodePage)) {
        return {2, chip.codePageBytes};
    }
    if (chip.instructions == InstructionSet::kFourByteEeprom) {
        if (first == kReadCodePage || first == kWriteCodePage) {
            return {header, chip.codePageBytes};
        }
        if (first == kReadEepromPage || first == kWriteEepromPage) {
            return {header, chip.eepromPageBytes};
        }
    }
    return {header, 1};
}

Instruction Decode(const ChipSpec& chip, std::span<const std::uint8_t> header) {
    return chip.instructions == InstructionSet::kThreeByteA13 ? DecodeThreeByte(header)
                                                              : DecodeFourByte(chip, header);
}

}  // namespace sim
