#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/port_io.h"

// Records every value written to the data register; the status register reads `status`, or
// whatever `statusSource` returns when set.
class RecordingPort final : public PortIo {
public:
    void WriteData(std::uint8_t value) override { writes.push_back(value); }
    std::uint8_t ReadStatus() override {
        ++statusReads;
        return statusSource ? statusSource() : status;
    }

    std::vector<std::uint8_t> writes;
    std::uint8_t status = 0;
    std::function<std::uint8_t()> statusSource;
    int statusReads = 0;
};
