#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Byte access to the first parallel port's data register (written) and status register (read),
// in program order, with nothing buffered between two writes.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual void WriteData(std::uint8_t value) = 0;
    virtual std::uint8_t ReadStatus() = 0;
    // Why an access failed (the device went away, another program claimed the port), empty while
    // none has. A failed access changes no line, and its status read means nothing.
    virtual std::string Failure() const { return {}; }
};

// Opens the first parallel port: Linux ppdev on /dev/parport0 first, then direct I/O at
// 0x378/0x379 (x86 only); on Windows the port-I/O driver DLL at 0x378. Returns nullptr when no
// access path opens; `why` then says what failed. Other ports: platform/port_choice.h.
std::unique_ptr<PortIo> OpenParallelPort(std::string* why = nullptr);
