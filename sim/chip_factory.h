#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/at89s8252.h"
#include "sim/chip_cells.h"
#include "sim/chip_timing.h"
#include "sim/serial_chip.h"

namespace sim {

// One simulated chip seen two ways: its pins, for whatever drives it (the cable, an adapter's
// model), and its cells, for the state file. Both point at the same chip.
struct ChipModel {
    std::shared_ptr<SerialChip> pins;
    std::shared_ptr<ChipCells> cells;
};

// The chip named `name` (a ChipSpec name: at89s51, at89s52, at89s53, at89s8252, at89s8253; any
// letter case), erased, on a crystal of `oscillatorHz`; nothing when no chip has that name.
std::optional<ChipModel> MakeChipModel(std::string_view name,
                                       std::uint64_t oscillatorHz = kDefaultOscillatorHz);
// The names MakeChipModel takes, lower case, in the order a user is shown them.
std::vector<std::string_view> ChipModelNames();

// The AT89S8252 model's cells. `chip` may be a non-owning pointer (the aliasing constructor with
// an empty owner) when the caller keeps the chip alive.
class At89s8252Cells final : public ChipCells {
public:
    explicit At89s8252Cells(std::shared_ptr<At89s8252> chip) : chip_(std::move(chip)) {}
    CellsView Cells() const override { return ViewOf(*chip_); }
    void RestoreCells(std::span<const std::uint8_t> code, std::span<const std::uint8_t> eeprom,
                      std::uint8_t lockBits) override;
    static CellsView ViewOf(const At89s8252& chip);

private:
    std::shared_ptr<At89s8252> chip_;
};

}  // namespace sim
