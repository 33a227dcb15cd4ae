#pragma once

#include "device/port_access.h"
#include "platform/port_choice.h"

// What opens the chosen port or adapter: the parallel port's cable, or a USB adapter set up for
// the programmer (its pin rate, bit mode and pins) and ready for the first instruction.
AdapterOpener MakeAdapterOpener(const PortChoice& choice);

// The programmer's adapter over an FTDI device already open (the real one, or a simulated
// adapter), set up and ready; nullptr with `why` when the device refuses.
std::unique_ptr<Adapter> StartFtdiAdapter(const AdapterChoice& choice,
                                          std::unique_ptr<FtdiDevice> device, std::string* why);

// The same for the window programs, from the ISP8252_PORT text (nullptr: the first port); a
// malformed text gives an opener that fails with the parse error.
AdapterOpener MakeAdapterOpener(const char* portText);
