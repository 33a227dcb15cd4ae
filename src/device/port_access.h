#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/port_io.h"

// How this build reaches the cable: the real parallel port in isp8252, the simulated cable in
// isp8252-sim, a recording fake in tests. The port is opened by the first device action and kept
// until quit.
using PortOpener = std::function<std::unique_ptr<PortIo>(std::string* why)>;

void SetPortOpener(PortOpener opener);

// Opens the port on first use without a window to report to; false when it can't be opened.
bool EnsurePortOpen(std::string* why = nullptr);

PortIo* CurrentPort();

// Why the open port failed during an action (PortIo::Failure), empty when it has not or no port
// is open.
std::string PortFailure();

// Releases the port (at quit, and between tests).
void ClosePort();
