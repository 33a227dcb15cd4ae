#include "sim/ftdi_model_factory.h"

#include <utility>

#include "platform/adapters/ftdi_chips.h"
#include "sim/ft232r_model.h"
#include "sim/mpsse_model.h"

namespace sim {

std::unique_ptr<FtdiModel> OpenFtdiModel(const FtdiSelector& selector,
                                         std::shared_ptr<SerialChip> chip,
                                         const FtdiModelOptions& options, std::string* why) {
    const auto fail = [&](FtdiOpenFailure failure) -> std::unique_ptr<FtdiModel> {
        if (why != nullptr) {
            *why = FtdiOpenFailureMessage(selector, failure, "");
        }
        return nullptr;
    };
    if (selector.channel < 'A' || selector.channel >= 'A' + FactsOf(selector.chip).channels) {
        return fail(FtdiOpenFailure::kNoSuchChannel);
    }
    if (!options.present) {
        return fail(FtdiOpenFailure::kNotFound);
    }
    if (selector.chip == FtdiChip::kFt232r) {
        return std::make_unique<Ft232rModel>(
            std::move(chip), options.wiring.value_or(kFt232rDefaultWiring),
            options.bitbangMultiplier, options.startNs, options.trace);
    }
    return std::make_unique<MpsseModel>(std::move(chip),
                                        options.wiring.value_or(kMpsseDefaultWiring),
                                        options.startNs, options.trace);
}

}  // namespace sim
