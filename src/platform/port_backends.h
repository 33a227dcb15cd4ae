#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/port_io.h"

// The access paths to a parallel port. Each returns nullptr, with the reason in `why`, when it
// cannot open (including on a platform that does not have it).

// Linux ppdev: `device` such as /dev/parport0, claimed exclusively.
std::unique_ptr<PortIo> OpenPpdevPort(const std::string& device, std::string* why);

// Linux x86 direct I/O at `address` (data) and `address` + 1 (status).
std::unique_ptr<PortIo> OpenDirectIoPort(std::uint16_t address, std::string* why);

// Windows: the port-I/O driver DLL inpoutx64.dll (exports Out32 and Inp32), looked for beside
// the program and in the system directory.
std::unique_ptr<PortIo> OpenDriverDllPort(std::uint16_t address, std::string* why);
