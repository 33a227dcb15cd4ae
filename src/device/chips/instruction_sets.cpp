#include "device/chips/instruction_sets.h"

#include <initializer_list>

namespace {

Frame Make(std::initializer_list<std::int32_t> send, std::uint8_t receiveCount = 0) {
    Frame frame;
    for (const std::int32_t b : send) {
        frame.send[frame.sendCount++] = static_cast<std::uint8_t>(b & 0xFF);
    }
    frame.receiveCount = receiveCount;
    return frame;
}

std::uint8_t Low(std::int32_t address) {
    return static_cast<std::uint8_t>(address & 0xFF);
}

// Every chip takes AC 53 to enable programming; the four-byte chips clock a fourth byte, during
// which the AT89S51/S52 answer 69.
Frame ThreeByteEnable() {
    return Make({0xAC, 0x53, 0x00});
}
Frame FourByteEnable() {
    return Make({0xAC, 0x53, 0x00}, 1);
}
Frame ThreeByteErase() {
    return Make({0xAC, 0x04, 0x00});
}
Frame FourByteErase() {
    return Make({0xAC, 0x80, 0x00, 0x00});
}

// --- AT89S8252: A12..A8 in bits 7..3 of byte 1 and the operation in bits 2..0 (code read 001,
// write 010); the data EEPROM's A10..A8 in bits 5..3 (read 101, write 110).
std::int32_t S8252High(Memory memory, std::int32_t address, bool write) {
    if (memory == Memory::kCode) {
        return (((address >> 8) & 0x1F) << 3) | (write ? 0x02 : 0x01);
    }
    return (((address >> 8) & 0x07) << 3) | (write ? 0x06 : 0x05);
}
Frame S8252Read(Memory memory, std::int32_t address) {
    return Make({S8252High(memory, address, false), Low(address)}, 1);
}
Frame S8252Write(Memory memory, std::int32_t address, std::uint8_t value) {
    return Make({S8252High(memory, address, true), Low(address), value});
}

// Write Lock Bits on the three-byte chips: AC, then LB1..LB3 in bits 7..5, each programmed by
// sending it as 0, and 111 in bits 2..0. Mode 2 programs LB1, mode 3 LB1 and LB2, mode 4 all.
int ThreeByteLockFrames(int mode, std::span<Frame, 3> frames) {
    const std::int32_t second = mode == 2 ? 0x67 : mode == 3 ? 0x27 : mode == 4 ? 0x07 : -1;
    if (second < 0) {
        return 0;
    }
    frames[0] = Make({0xAC, second, 0x00});
    return 1;
}

// --- AT89S53: 12 KB, so A13 joins the first byte in bit 2, leaving two bits for the operation
// (read 01, write 10); no data EEPROM.
Frame S53Read(Memory, std::int32_t address) {
    return Make(
        {(((address >> 8) & 0x1F) << 3) | (((address >> 13) & 1) << 2) | 0x01, Low(address)}, 1);
}
Frame S53Write(Memory, std::int32_t address, std::uint8_t value) {
    return Make({(((address >> 8) & 0x1F) << 3) | (((address >> 13) & 1) << 2) | 0x02, Low(address),
                 value});
}

// --- AT89S51/S52: opcode first, then the high and low address bytes.
Frame S5xRead(Memory, std::int32_t address) {
    return Make({0x20, (address >> 8) & 0x1F, Low(address)}, 1);
}
Frame S5xWrite(Memory, std::int32_t address, std::uint8_t value) {
    return Make({0x40, (address >> 8) & 0x1F, Low(address), value});
}
// Page mode: the high address only; the 256 bytes of the page follow, byte 0 first.
Frame S5xReadPage(Memory, std::int32_t pageStart) {
    return Make({0x30, (pageStart >> 8) & 0x1F});
}
Frame S5xWritePage(Memory, std::int32_t pageStart) {
    return Make({0x50, (pageStart >> 8) & 0x1F});
}
// Each protection mode is its own instruction (E1, E2, E3), activated one after another.
int S5xLockFrames(int mode, std::span<Frame, 3> frames) {
    if (mode < 2 || mode > 4) {
        return 0;
    }
    for (int step = 2; step <= mode; ++step) {
        frames[static_cast<std::size_t>(step - 2)] = Make({0xAC, 0xE0 + step - 1, 0x00, 0x00});
    }
    return mode - 1;
}
Frame ReadLockBits() {
    return Make({0x24, 0x00, 0x00}, 1);
}
// The mode whose lock bits are exactly those programmed: LB1 alone is mode 2, LB1 and LB2 mode 3,
// all three mode 4; -1 for a pattern no sequence of modes leaves.
int ModeFromProgrammedBits(bool lb1, bool lb2, bool lb3) {
    const int count = (lb1 ? 1 : 0) + (lb2 ? 1 : 0) + (lb3 ? 1 : 0);
    const bool inOrder = (lb3 ? lb2 : true) && (lb2 ? lb1 : true);
    return inOrder ? 1 + count : -1;
}
// LB3 LB2 LB1 in bits 4..2, a programmed bit reading 1.
int S5xLockMode(std::uint8_t answer) {
    return ModeFromProgrammedBits((answer & 0x04) != 0, (answer & 0x08) != 0, (answer & 0x10) != 0);
}
// The signature bytes sit at 000h, 100h and 200h of the signature row.
Frame S5xReadSignature(int index) {
    return Make({0x28, index, 0x00}, 1);
}

// --- AT89S8253: 12 KB of code (A13..A8 in byte 2) and 2 KB of EEPROM with their own opcodes;
// pages of 64 code or 32 EEPROM bytes, the page's address bits in the low byte.
Frame S8253Read(Memory memory, std::int32_t address) {
    return Make({memory == Memory::kCode ? 0x20 : 0xA0,
                 (address >> 8) & (memory == Memory::kCode ? 0x3F : 0x07), Low(address)},
                1);
}
Frame S8253Write(Memory memory, std::int32_t address, std::uint8_t value) {
    return Make({memory == Memory::kCode ? 0x40 : 0xC0,
                 (address >> 8) & (memory == Memory::kCode ? 0x3F : 0x07), Low(address), value});
}
Frame S8253Page(Memory memory, std::int32_t pageStart, bool write) {
    if (memory == Memory::kCode) {
        return Make({write ? 0x50 : 0x30, (pageStart >> 8) & 0x3F, pageStart & 0xC0});
    }
    return Make({write ? 0xD0 : 0xB0, (pageStart >> 8) & 0x07, pageStart & 0xE0});
}
Frame S8253ReadPage(Memory memory, std::int32_t pageStart) {
    return S8253Page(memory, pageStart, false);
}
Frame S8253WritePage(Memory memory, std::int32_t pageStart) {
    return S8253Page(memory, pageStart, true);
}
// The lock bits in one instruction: E0 with LB3 LB2 LB1 in bits 2..0, a 1 programming the bit.
int S8253LockFrames(int mode, std::span<Frame, 3> frames) {
    const std::int32_t bits = mode == 2 ? 0x01 : mode == 3 ? 0x03 : mode == 4 ? 0x07 : -1;
    if (bits < 0) {
        return 0;
    }
    frames[0] = Make({0xAC, 0xE0 | bits, 0x00, 0x00});
    return 1;
}
// LB3 LB2 LB1 in bits 2..0, a programmed bit reading 1.
int S8253LockMode(std::uint8_t answer) {
    return ModeFromProgrammedBits((answer & 0x01) != 0, (answer & 0x02) != 0, (answer & 0x04) != 0);
}
// Two signature bytes, at 30h and 31h.
Frame S8253ReadSignature(int index) {
    return Make({0x28, 0x00, 0x30 + index}, 1);
}

}  // namespace

const InstructionSet kThreeByteS8252Instructions{
    ThreeByteEnable, ThreeByteErase,      S8252Read, S8252Write, nullptr,
    nullptr,         ThreeByteLockFrames, nullptr,   nullptr,    nullptr,
};

const InstructionSet kThreeByteS53Instructions{
    ThreeByteEnable, ThreeByteErase,      S53Read, S53Write, nullptr,
    nullptr,         ThreeByteLockFrames, nullptr, nullptr,  nullptr,
};

const InstructionSet kFourByteS5xInstructions{
    FourByteEnable, FourByteErase, S5xRead,      S5xWrite,    S5xReadPage,
    S5xWritePage,   S5xLockFrames, ReadLockBits, S5xLockMode, S5xReadSignature,
};

const InstructionSet kFourByteS8253Instructions{
    FourByteEnable, FourByteErase,   S8253Read,    S8253Write,    S8253ReadPage,
    S8253WritePage, S8253LockFrames, ReadLockBits, S8253LockMode, S8253ReadSignature,
};
