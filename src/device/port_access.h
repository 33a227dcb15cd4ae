#pragma once

#include <functional>
#include <memory>
#include <string>

#include "device/adapter.h"
#include "platform/port_io.h"

// How this build reaches the chip: the real parallel port in isp8252, the simulated cable in
// isp8252-sim, a USB or GPIO adapter chosen by its PORT text, a recording fake in tests. It is
// opened by the first device action and kept until quit.
using AdapterOpener = std::function<std::unique_ptr<Adapter>(std::string* why)>;
// An opener of a parallel port's registers: the adapter over it bit-bangs the cable.
using PortOpener = std::function<std::unique_ptr<PortIo>(std::string* why)>;

void SetAdapterOpener(AdapterOpener opener);
void SetPortOpener(PortOpener opener);

// Opens the adapter on first use without a window to report to; false when it can't be opened.
bool EnsurePortOpen(std::string* why = nullptr);

Adapter* CurrentAdapter();
// The parallel port's registers while the adapter is the parallel-port cable, else nullptr.
PortIo* CurrentPort();

// Why the open port failed during an action (PortIo::Failure), empty when it has not or no port
// is open.
std::string PortFailure();

// Releases the adapter (at quit, and between tests).
void ClosePort();
