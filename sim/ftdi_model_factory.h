#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/adapters/ftdi_device.h"
#include "sim/ftdi_model.h"

namespace sim {

struct FtdiModelOptions {
    // The chip kind's default wiring when empty.
    std::optional<AdapterWiring> wiring;
    // FT232R: the pin rate over the SetBaudRate value (4 or 16; see Ft232rModel).
    unsigned bitbangMultiplier = 4;
    // False: the "no device" fault; opening fails as with nothing on the bus.
    bool present = true;
    std::uint64_t startNs = 0;
    VcdTrace* trace = nullptr;
};

// The model of the adapter `selector` names, wired to `chip`: an FT232R in sync bit-bang, or the
// MPSSE of an H chip. nullptr, with the message OpenFtdiDevice would give, for a channel the chip
// lacks or when the adapter is not present.
std::unique_ptr<FtdiModel> OpenFtdiModel(const FtdiSelector& selector,
                                         std::shared_ptr<SerialChip> chip,
                                         const FtdiModelOptions& options, std::string* why);

}  // namespace sim
