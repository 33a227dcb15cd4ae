// The AT89S51, AT89S52, AT89S53 and AT89S8253 models, clocked pin by pin at legal speed: each
// chip's instructions, address packing, page buffers, cycle times and answers, from its data sheet.

#include "sim/family_chip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "pin_driver.h"

namespace {

using test_support::Bytes;
using test_support::Hex;
using test_support::PinDriver;

constexpr std::uint64_t kMs = 1'000'000;

struct Exchange {
    const char* frame;
    std::uint8_t answer;  // during its last byte
};
struct Page {
    const char* writeHeader;
    const char* readHeader;
    sim::Memory memory;
    std::uint32_t start;
    std::size_t bytes;
    std::uint64_t writeNs;
};
struct ChipRow {
    const char* name;
    const char* chip;
    std::uint64_t halfNs;  // each SCK phase: a little over the chip's minimum at 12 MHz
    Exchange enable;
    const char* erase;
    std::uint64_t eraseNs;
    const char* write;  // header of a code byte write to `address`, then of a read
    const char* read;
    std::uint32_t address;
    std::uint64_t writeNs;
    bool ands;  // a write over a programmed byte keeps the AND of both
    std::vector<Page> pages;
    std::vector<Exchange> signature;
    std::vector<const char*> lockWrites;
    std::uint64_t lockNs;
    std::uint8_t lockBits;
    Exchange lockRead;  // frame "" on a chip that cannot read them
};

Bytes Frame(const char* header, const Bytes& data) {
    Bytes frame = Hex(header);
    frame.insert(frame.end(), data.begin(), data.end());
    return frame;
}

class FamilyChipPins : public ::testing::TestWithParam<ChipRow> {};

TEST_P(FamilyChipPins, FollowsItsDataSheet) {
    const ChipRow& row = GetParam();
    sim::FamilyChip chip(*sim::FindChipSpec(row.chip));
    PinDriver pins(chip, row.halfNs, row.halfNs);
    const auto busyNs = [&] { return chip.BusyUntilNs() - pins.lastRiseNs; };
    const auto read = [&] { return pins.Send(Frame(row.read, {0})).back(); };
    pins.Enter(10 * kMs);
    EXPECT_EQ(pins.Last(row.enable.frame), row.enable.answer);

    chip.Code()[row.address] = 0x00;
    pins.Send(Hex(row.erase));
    EXPECT_EQ(busyNs(), row.eraseNs);
    EXPECT_EQ(read(), 0x00) << "reads answer 00 while the chip erases";
    pins.Wait(row.eraseNs);
    EXPECT_EQ(read(), 0xFF);

    // DATA polling: bit 7 complemented until the cycle ends.
    pins.Send(Frame(row.write, {0x5A}));
    EXPECT_EQ(busyNs(), row.writeNs);
    EXPECT_EQ(read(), 0xDA);
    pins.Wait(row.writeNs);
    EXPECT_EQ(read(), 0x5A);
    EXPECT_EQ(chip.Code()[row.address], 0x5A);
    pins.Send(Frame(row.write, {0x3C}));
    pins.Wait(row.writeNs);
    EXPECT_EQ(read(), row.ands ? 0x18 : 0x3C);

    for (const Page& page : row.pages) {
        Bytes data(page.bytes);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        pins.Send(Frame(page.writeHeader, data));
        EXPECT_EQ(busyNs(), page.writeNs) << page.writeHeader;
        pins.Wait(page.writeNs);
        const Bytes answers = pins.Send(Frame(page.readHeader, Bytes(page.bytes)));
        EXPECT_EQ(Bytes(answers.end() - static_cast<std::ptrdiff_t>(page.bytes), answers.end()),
                  data);
        const auto cells = page.memory == sim::Memory::kCode ? chip.Code() : chip.Eeprom();
        EXPECT_EQ(Bytes(cells.begin() + page.start - 1, cells.begin() + page.start + 1),
                  (Bytes{0xFF, 0x01}))
            << "the page lands at its own address";
    }
    for (const Exchange& signature : row.signature) {
        EXPECT_EQ(pins.Last(signature.frame), signature.answer) << signature.frame;
    }
    for (const char* lock : row.lockWrites) {
        const std::uint64_t before = chip.BusyUntilNs();
        pins.Send(Hex(lock));
        if (chip.BusyUntilNs() != before) {  // a mode sent out of order starts no cycle
            EXPECT_EQ(busyNs(), row.lockNs) << lock;
        }
        pins.Wait(row.lockNs);
    }
    EXPECT_EQ(chip.LockBits(), row.lockBits);
    if (*row.lockRead.frame != '\0') {
        EXPECT_EQ(pins.Last(row.lockRead.frame), row.lockRead.answer);
    }
    EXPECT_EQ(chip.ViolationCount(), 0u)
        << (chip.Violations().empty() ? "" : chip.Violations()[0].what);
}

using sim::Memory;
// Addresses are sent with don't-care bits set above the chip's highest address bit.
INSTANTIATE_TEST_SUITE_P(
    Chips, FamilyChipPins,
    ::testing::Values(ChipRow{"AT89S51",
                              "at89s51",
                              700,
                              {"AC 53 00 00", 0x69},
                              "AC 80 00 00",
                              500 * kMs,
                              "40 1A BC",
                              "20 0A BC",
                              0x0ABC,
                              405'334,
                              true,
                              {{"50 0F", "30 0F", Memory::kCode, 0x0F00, 256, 500'000}},
                              {{"28 00 00 00", 0x1E},
                               {"28 01 00 00", 0x51},
                               {"28 02 00 00", 0x06},
                               {"28 00 30 00", 0xFF}},
                              // Mode 4 before mode 2 is ignored; then modes 2 and 3 in order.
                              {"AC E3 00 00", "AC E1 00 00", "AC E2 00 00"},
                              400'000,
                              0x03,
                              {"24 00 00 00", 0x0C}},
                      ChipRow{"AT89S52",
                              "at89s52",
                              700,
                              {"AC 53 00 00", 0x69},
                              "AC 9F 00 00",
                              500 * kMs,
                              "40 FA BC",
                              "20 1A BC",
                              0x1ABC,
                              405'334,
                              true,
                              {{"50 1F", "30 1F", Memory::kCode, 0x1F00, 256, 500'000}},
                              {{"28 00 00 00", 0x1E}, {"28 01 00 00", 0x52}, {"28 02 00 00", 0x06}},
                              {"AC E1 00 00", "AC E2 00 00", "AC E3 00 00"},
                              400'000,
                              0x07,
                              {"24 00 00 00", 0x1C}},
                      // Byte 1: A12..A8 = 01010, A13 = 1, then the operation.
                      ChipRow{"AT89S53",
                              "at89s53",
                              2000,
                              {"AC 53 00", 0xFF},
                              "AC 04 00",
                              16 * kMs,
                              "56 BC",
                              "55 BC",
                              0x2ABC,
                              2 * kMs,
                              false,
                              {},
                              {},
                              {"AC 27 00"},
                              2 * kMs,
                              0x03,
                              {"", 0}},
                      ChipRow{"AT89S8253",
                              "at89s8253",
                              700,
                              {"AC 53 00 00", 0xFF},
                              "AC 80 00 00",
                              9 * kMs,
                              "40 EA BC",
                              "20 2A BC",
                              0x2ABC,
                              4 * kMs,
                              true,
                              {{"50 2F C5", "30 2F C0", Memory::kCode, 0x2FC0, 64, 4'500'000},
                               {"D0 07 F3", "B0 07 E0", Memory::kEeprom, 0x07E0, 32, 4'500'000}},
                              {{"28 00 30 00", 0x1E}, {"28 00 31 00", 0x73}, {"28 00 00 00", 0xFF}},
                              {"AC E3 00 00"},
                              4 * kMs,
                              0x03,
                              {"24 00 00 00", 0x03}}),
    CaseName{});

struct ViolationRow {
    const char* name;
    const char* chip;
    std::uint64_t lowNs, highNs, settleNs;
    const char* bytes;
    std::uint8_t lastAnswer;
    std::uint64_t count;
    sim::ViolationKind kind;  // and text of the first one
    const char* first;
};

class FamilyChipViolations : public ::testing::TestWithParam<ViolationRow> {};

// RST rises at 1 us with SCK low; the first bit goes out `settleNs` later.
TEST_P(FamilyChipViolations, AreCountedAndDescribed) {
    const ViolationRow& row = GetParam();
    sim::FamilyChip chip(*sim::FindChipSpec(row.chip));
    PinDriver pins(chip, row.lowNs, row.highNs);
    pins.Enter(row.settleNs);
    EXPECT_EQ(pins.Send(Hex(row.bytes)).back(), row.lastAnswer);
    ASSERT_EQ(chip.ViolationCount(), row.count);
    if (row.count > 0) {
        EXPECT_EQ(chip.Violations()[0].kind, row.kind);
        EXPECT_EQ(chip.Violations()[0].what, row.first);
    }
}

using K = sim::ViolationKind;
INSTANTIATE_TEST_SUITE_P(
    Chips, FamilyChipViolations,
    ::testing::Values(
        ViolationRow{"EnableTooEarlyEarnsNo69", "at89s52", 700, 700, 1 * kMs, "AC 53 00 00", 0xFF,
                     1, K::kEnableTooEarly,
                     "Programming Enable 1044100 ns after RST rose, need 10000000 ns"},
        ViolationRow{"S51ClockTooFast", "at89s51", 700, 600, 10 * kMs, "AC 53 00 00", 0x69, 94,
                     K::kSckHighTooShort,
                     "SCK high for 600 ns, need 8 oscillator periods (667 ns)"},
        ViolationRow{"S53ClockTooFast", "at89s53", 1999, 2500, 10 * kMs, "00", 0xFF, 7,
                     K::kSckLowTooShort,
                     "SCK low for 1999 ns, need 24 oscillator periods (2000 ns)"},
        ViolationRow{"S8253SckLowTooBrieflyBeforeTheFirstRise", "at89s8253", 700, 700, 4000, "00",
                     0xFF, 1, K::kSckLowTooShort,
                     "SCK low for 4700 ns before the first rising edge, need 64 oscillator periods "
                     "(5334 ns)"},
        ViolationRow{"S53HasNoStartRule", "at89s53", 2000, 2000, 4000, "00", 0xFF, 0,
                     K::kSckLowTooShort, ""},
        ViolationRow{"S52UnknownInstruction", "at89s52", 700, 700, 10 * kMs,
                     "AC 53 00 00 12 34 56 78", 0xFF, 1, K::kUnknownInstruction,
                     "unknown instruction 12 34 56 78 ignored"},
        ViolationRow{"S53UnknownInstruction", "at89s53", 2000, 2000, 10 * kMs, "AC 53 00 03 12 34",
                     0xFF, 1, K::kUnknownInstruction, "unknown instruction 03 12 34 ignored"},
        // The first write's cycle: 64 oscillator periods plus 400 us.
        ViolationRow{"S52WriteWhileBusy", "at89s52", 700, 700, 10 * kMs,
                     "AC 53 00 00 40 00 00 11 40 00 01 22", 0xFF, 1, K::kWriteWhileBusy,
                     "instruction 40 00 01 ignored: busy until 10495234 ns"}),
    CaseName{});

}  // namespace
