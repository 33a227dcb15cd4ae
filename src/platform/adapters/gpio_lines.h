#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Lines of one Linux GPIO chip (/dev/gpiochipN) through the kernel's character-device ioctls:
// some requested as outputs, one as an input. Values are the lines' physical levels; any
// inversion the wiring needs is the caller's.
class GpioLines {
public:
    virtual ~GpioLines() = default;

    // Sets every output at once: bit i of `levels` is the level of the i-th output offset given
    // at open. False (with LastError()) when the ioctl fails, e.g. the device node vanished.
    virtual bool SetOutputs(std::uint32_t levels) = 0;
    // Reads the input line's level into `level`.
    virtual bool GetInput(bool* level) = 0;
    virtual std::string LastError() const = 0;
};

// Requests `outputOffsets` as outputs, starting at `initialLevels`, and `inputOffset` as an
// input. On release (destruction) the lines go back to the kernel as inputs. nullptr with `why`
// naming the fix (the gpio group, a line held by another program or a sysfs export).
std::unique_ptr<GpioLines> OpenGpioLines(const std::string& chipPath,
                                         std::span<const unsigned> outputOffsets,
                                         std::uint32_t initialLevels, unsigned inputOffset,
                                         std::string* why);

// One line per GPIO chip present ("gpio:/dev/gpiochip0  LABEL, N lines"), for --list-ports.
std::vector<std::string> ListGpioChips();
