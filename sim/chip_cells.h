#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace sim {

// What a chip model holds between runs, as a state file keeps it: its name (a ChipSpec name),
// the code flash, the data EEPROM (empty on a chip without one) and the programmed lock bits
// (kLockBit1 ... of sim/at89s8252.h, the same meaning on every chip).
struct CellsView {
    std::string_view chip;
    std::span<const std::uint8_t> code;
    std::span<const std::uint8_t> eeprom;
    std::uint8_t lockBits;
};

class ChipCells {
public:
    virtual ~ChipCells() = default;
    virtual CellsView Cells() const = 0;
    // Replaces every cell at once; `code` and `eeprom` have the sizes Cells() shows.
    virtual void RestoreCells(std::span<const std::uint8_t> code,
                              std::span<const std::uint8_t> eeprom, std::uint8_t lockBits) = 0;
};

}  // namespace sim
