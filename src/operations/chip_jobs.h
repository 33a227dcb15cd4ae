#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/chips/chip_row.h"

class OperationView;

// The passes the command line runs on any chip of the family, over the current chip row and
// adapter: reads and writes in pages where the chip has them, handing the adapter as many
// instructions between flushes as it prefers, and flushing only where an answer decides the next
// step. Each reports progress (0..100) to `view` and stops at the next batch once `cancel` is set.
struct JobControl {
    OperationView* view = nullptr;
    const std::atomic<std::int32_t>* cancel = nullptr;

    bool Cancelled() const { return cancel != nullptr && cancel->load() != 0; }
};

enum class JobStatus {
    kDone,
    kCancelled,
    kLinkFailed,   // the adapter failed: the chip's contents are unknown
    kWriteFailed,  // a byte or page never read back true within the chip's limit
};

// Reads `out.size()` bytes of `memory` from address 0.
JobStatus ReadRange(Memory memory, std::span<std::uint8_t> out, const JobControl& control);

// What a file asks of a memory: for each address the value to hold there, or -1 where the file
// names nothing (a gap, or beyond its end).
using WantedBytes = std::vector<std::int16_t>;

struct WriteTally {
    int written = 0;
    int alreadyEqual = 0;
    std::int32_t failedAddress = -1;
};

// Writes every named byte that differs from `current` (what the chip holds now), polling each
// write; a page-mode chip gets whole pages, with the bytes the file leaves alone rewritten as
// they are.
JobStatus WriteDiffering(Memory memory, const WantedBytes& wanted,
                         std::span<const std::uint8_t> current, WriteTally& tally,
                         const JobControl& control);

// True when `current` holds every named byte already, or every byte that differs is erased (FF)
// and so can be written without a chip erase.
bool WritableWithoutErase(const WantedBytes& wanted, std::span<const std::uint8_t> current);

// The first named address whose byte in `read` differs, or -1.
std::int32_t FirstDifference(const WantedBytes& wanted, std::span<const std::uint8_t> read);
