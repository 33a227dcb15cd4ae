#include "sim/chip_factory.h"

#include <algorithm>

#include "sim/chip_datasheet.h"
#include "sim/family_chip.h"

namespace sim {

std::optional<ChipModel> MakeChipModel(std::string_view name, std::uint64_t oscillatorHz) {
    const ChipSpec* spec = FindChipSpec(name);
    if (spec == nullptr) {
        return std::nullopt;
    }
    if (spec->instructions == InstructionSet::kThreeByteEeprom) {
        auto chip = std::make_shared<At89s8252>(ChipTiming{.oscillatorHz = oscillatorHz});
        return ChipModel{chip, std::make_shared<At89s8252Cells>(chip)};
    }
    auto chip = std::make_shared<FamilyChip>(*spec, oscillatorHz);
    return ChipModel{chip, chip};
}

std::vector<std::string_view> ChipModelNames() {
    std::vector<std::string_view> names;
    for (const ChipSpec& spec : ChipSpecs()) {
        names.push_back(spec.name);
    }
    return names;
}

CellsView At89s8252Cells::ViewOf(const At89s8252& chip) {
    return {FindChipSpec("at89s8252")->name, chip.Flash(), chip.Eeprom(), chip.LockBits()};
}

void At89s8252Cells::RestoreCells(std::span<const std::uint8_t> code,
                                  std::span<const std::uint8_t> eeprom, std::uint8_t lockBits) {
    chip_->LoadFlash(code);
    chip_->Eeprom().fill(0xFF);
    std::ranges::copy(eeprom.first(std::min(eeprom.size(), chip_->Eeprom().size())),
                      chip_->Eeprom().begin());
    chip_->SetLockBits(lockBits);
}

}  // namespace sim
