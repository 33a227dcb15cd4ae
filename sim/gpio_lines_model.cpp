#include "sim/gpio_lines_model.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace sim {

class GpioModelLines final : public GpioLines {
public:
    GpioModelLines(GpioChipModel& chip, std::vector<unsigned> outputs, unsigned input)
        : chip_(chip), outputs_(std::move(outputs)), input_(input) {}

    bool SetOutputs(std::uint32_t levels) override {
        if (!chip_.Call(&lastError_)) {
            return false;
        }
        Drive(levels);
        return true;
    }

    bool GetInput(bool* level) override {
        if (!chip_.Call(&lastError_)) {
            return false;
        }
        const GpioWire& miso = chip_.options_.wiring.miso;
        const bool chipMiso = chip_.pins_->ReadMiso(chip_.clock_->NowNs());
        *level = input_ == miso.offset && miso.offset != kGpioNotWired && chipMiso != miso.inverted;
        return true;
    }

    std::string LastError() const override { return lastError_; }

    void Drive(std::uint32_t levels) {
        const auto driven = [&](const GpioWire& wire) -> std::optional<bool> {
            const auto found = std::find(outputs_.begin(), outputs_.end(), wire.offset);
            if (wire.offset == kGpioNotWired || found == outputs_.end()) {
                return std::nullopt;
            }
            const auto index = static_cast<unsigned>(found - outputs_.begin());
            return ((levels >> index) & 1u) != 0 ? !wire.inverted : wire.inverted;
        };
        const GpioWiring& w = chip_.options_.wiring;
        chip_.pins_->Apply(DrivenPins{driven(w.rst), driven(w.sck), driven(w.mosi)},
                           chip_.clock_->NowNs());
    }

private:
    GpioChipModel& chip_;
    std::vector<unsigned> outputs_;
    unsigned input_;
    std::string lastError_;
};

GpioChipModel::GpioChipModel(std::shared_ptr<ChipPins> pins, std::shared_ptr<ModelClock> clock,
                             const GpioModelOptions& options)
    : pins_(std::move(pins)), clock_(std::move(clock)), options_(options) {}

bool GpioChipModel::Call(std::string* why) {
    if (options_.vanishAfterCalls != 0 && calls_ >= options_.vanishAfterCalls) {
        *why = "GPIO line ioctl failed: No such device (the gpiochip went away)";
        return false;
    }
    ++calls_;
    clock_->Spend(options_.perCallNs);
    return true;
}

std::unique_ptr<GpioLines> GpioChipModel::Open(std::span<const unsigned> outputOffsets,
                                               std::uint32_t initialLevels, unsigned inputOffset,
                                               std::string* why) {
    std::vector<unsigned> all(outputOffsets.begin(), outputOffsets.end());
    all.push_back(inputOffset);
    std::vector<unsigned> sorted = all;
    std::sort(sorted.begin(), sorted.end());
    std::string error;
    if (options_.vanishAfterCalls != 0 && calls_ >= options_.vanishAfterCalls) {
        error = "no such gpiochip";
    } else if (outputOffsets.size() > 32) {
        error = "more than 32 output lines";
    } else if (sorted.back() >= options_.lineCount) {
        error = "line " + std::to_string(sorted.back()) + " does not exist (the chip has " +
                std::to_string(options_.lineCount) + " lines)";
    } else if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        error = "a line is requested twice";
    }
    if (!error.empty()) {
        if (why != nullptr) {
            *why = error;
        }
        return nullptr;
    }
    all.pop_back();
    auto lines = std::make_unique<GpioModelLines>(*this, std::move(all), inputOffset);
    clock_->Spend(options_.perCallNs);
    lines->Drive(initialLevels);
    return lines;
}

}  // namespace sim
