// The four instruction frames: the bytes they clock out, what they clock in, and how long they
// keep the link busy.

#include "device/programming_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bit_patterns.h"
#include "device/serial_link.h"
#include "link_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kChipAnswer = 0xC3;
constexpr std::uint64_t kStep = 1000;  // DeviceFixture's ticks per counter read

struct FrameCase {
    std::string name;
    std::function<std::int32_t()> run;
    Bytes sent;
    bool receives;
    std::int32_t pauseMicroseconds;
};

class InstructionFrame : public LinkFixture, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(InstructionFrame, SendsTheStatedBytesAndPausesAsStated) {
    const FrameCase& frame = GetParam();
    SetProgrammingMode(1);
    port->writes.clear();
    const Bytes answer = StatusFor(kChipAnswer);
    std::size_t reads = 0;
    port->statusSource = [&] { return answer.at(reads++); };

    const std::uint64_t before = counter.Peek();
    const std::int32_t result = frame.run();
    const std::uint64_t took = counter.Peek() - before;

    Bytes expected = SendWrites(frame.sent);
    if (frame.receives) {
        const bool lastBitSent = (frame.sent.back() & 1) != 0;
        Append(expected, ReceiveWrites(lastBitSent));
        EXPECT_EQ(result, kChipAnswer);
    }
    EXPECT_EQ(port->writes, expected);
    EXPECT_EQ(port->statusReads, frame.receives ? 8 : 0);
    // Reset control stays 0 throughout: no instruction leaves programming mode.
    EXPECT_EQ(portShadow & 0x04, 0);

    // Every bit is two 10 us phases; each wait overshoots by at most one counter step plus the
    // read on entry.
    const auto bits = static_cast<std::uint64_t>(frame.sent.size() + (frame.receives ? 1 : 0)) * 8;
    const auto pause = static_cast<std::uint64_t>(frame.pauseMicroseconds);
    const std::uint64_t waits = bits * 2 + (pause > 0 ? 1 : 0);
    const std::uint64_t least = (bits * 20 + pause) * kTicksPerMicrosecond;
    EXPECT_GE(took, least);
    EXPECT_LE(took, least + waits * 2 * kStep);
}

std::int32_t Sent(void (*op)()) {
    op();
    return -1;
}

std::int32_t Write(std::int32_t address, std::int32_t value) {
    WriteCodeByte(address, value);
    return -1;
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstructionFrame,
    ::testing::Values(
        FrameCase{"ProgrammingEnable",
                  [] { return Sent(ProgrammingEnable); },
                  {0xAC, 0x53, 0x00},
                  false,
                  0},
        FrameCase{"ChipErase", [] { return Sent(ChipErase); }, {0xAC, 0x04, 0x00}, false, 0},
        FrameCase{"Write15A", [] { return Write(0x15A, 0x3C); }, {0x0A, 0x5A, 0x3C}, false, 3000},
        FrameCase{"Read8191", [] { return ReadCodeByte(8191); }, {0xF9, 0xFF}, true, 3000},
        FrameCase{"Write256", [] { return Write(256, 0x00); }, {0x0A, 0x00, 0x00}, false, 3000},
        FrameCase{"Read256", [] { return ReadCodeByte(256); }, {0x09, 0x00}, true, 3000},
        FrameCase{"Write8192WrapsToZero",
                  [] { return Write(8192, 0x77); },
                  {0x02, 0x00, 0x77},
                  false,
                  3000},
        FrameCase{
            "Read8192WrapsToZero", [] { return ReadCodeByte(8192); }, {0x01, 0x00}, true, 3000},
        FrameCase{"WriteValue1FFSendsFF",
                  [] { return Write(0, 0x1FF); },
                  {0x02, 0x00, 0xFF},
                  false,
                  3000},
        FrameCase{
            "WriteTopAddress", [] { return Write(0x1FFF, 0xA5); }, {0xFA, 0xFF, 0xA5}, false, 3000},
        FrameCase{
            "Read2123DropsBit13", [] { return ReadCodeByte(0x2123); }, {0x09, 0x23}, true, 3000}),
    [](const ::testing::TestParamInfo<FrameCase>& param) { return param.param.name; });

struct InstructionByteCase {
    std::int32_t address;
    std::int32_t writeHigh;
    std::int32_t readHigh;
    std::int32_t low;
};

class CodeInstructionBytes : public ::testing::TestWithParam<InstructionByteCase> {};

TEST_P(CodeInstructionBytes, CarryAddressBitsTwelveToEightAboveTheOperation) {
    const auto& c = GetParam();
    EXPECT_EQ(CodeInstructionHigh(c.address, kWriteCodeOp), c.writeHigh);
    EXPECT_EQ(CodeInstructionHigh(c.address, kReadCodeOp), c.readHigh);
    EXPECT_EQ(CodeInstructionLow(c.address), c.low);
}

INSTANTIATE_TEST_SUITE_P(Addresses, CodeInstructionBytes,
                         ::testing::Values(InstructionByteCase{0, 0x02, 0x01, 0x00},
                                           InstructionByteCase{0x15A, 0x0A, 0x09, 0x5A},
                                           InstructionByteCase{256, 0x0A, 0x09, 0x00},
                                           InstructionByteCase{8191, 0xFA, 0xF9, 0xFF},
                                           InstructionByteCase{8192, 0x02, 0x01, 0x00},
                                           InstructionByteCase{0x1000, 0x82, 0x81, 0x00}));

}  // namespace
