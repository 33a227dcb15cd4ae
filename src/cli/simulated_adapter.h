#pragma once

#include <cstdint>
#include <memory>

#include "device/port_access.h"
#include "platform/port_choice.h"
#include "sim/ftdi_model.h"
#include "sim/serial_chip.h"
#include "sim/vcd_trace.h"

// --sim with an adapter's PORT text: the adapter's model on the simulated chip, wired as the
// PORT text says, driven by the same adapter code a real one gets.
struct SimulatedAdapter {
    // The FT232R's pin clock over its baud value: 4 or 16 (the sources disagree).
    unsigned bitbangMultiplier = 16;
    // The model while the adapter is open, for its round trips and modelled time.
    sim::FtdiModel* model = nullptr;
};

AdapterOpener SimulatedAdapterOpener(const AdapterChoice& choice,
                                     std::shared_ptr<sim::SerialChip> chip, sim::VcdTrace* trace,
                                     SimulatedAdapter& simulated);
