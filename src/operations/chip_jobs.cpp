#include "operations/chip_jobs.h"

#include <algorithm>

#include "device/port_access.h"
#include "device/programming_commands.h"
#include "operations/operation_view.h"

namespace {

constexpr std::uint8_t kErased = 0xFF;

JobStatus Flushed() {
    return FlushLink() ? JobStatus::kDone : JobStatus::kLinkFailed;
}

void Report(const JobControl& control, std::size_t done, std::size_t total) {
    if (control.view != nullptr && total > 0) {
        control.view->SetProgressPosition(static_cast<int>(done * 100 / total));
    }
}

int BatchSize() {
    return std::max(1, CurrentAdapter()->PreferredBatch());
}

}  // namespace

JobStatus ReadRange(Memory memory, std::span<std::uint8_t> out, const JobControl& control) {
    const std::size_t page = static_cast<std::size_t>(currentChip->PageBytes(memory));
    const std::size_t batch = static_cast<std::size_t>(BatchSize());
    std::size_t done = 0;
    while (done < out.size()) {
        if (control.Cancelled()) {
            return JobStatus::kCancelled;
        }
        if (page > 0 && done % page == 0 && out.size() - done >= page) {
            // Whole pages, as many at once as the adapter likes instructions.
            const std::size_t pages = std::max<std::size_t>(1, batch / page);
            for (std::size_t p = 0; p < pages && out.size() - done >= page; ++p) {
                QueueReadPage(memory, static_cast<std::int32_t>(done), out.subspan(done, page));
                done += page;
            }
        } else {
            const std::size_t end = std::min(out.size(), done + batch);
            for (; done < end; ++done) {
                QueueReadMemoryByte(memory, static_cast<std::int32_t>(done), &out[done]);
            }
        }
        if (Flushed() != JobStatus::kDone) {
            return JobStatus::kLinkFailed;
        }
        Report(control, done, out.size());
    }
    return JobStatus::kDone;
}

bool WritableWithoutErase(const WantedBytes& wanted, std::span<const std::uint8_t> current) {
    for (std::size_t a = 0; a < wanted.size() && a < current.size(); ++a) {
        if (wanted[a] >= 0 && wanted[a] != current[a] && current[a] != kErased) {
            return false;
        }
    }
    return true;
}

std::int32_t FirstDifference(const WantedBytes& wanted, std::span<const std::uint8_t> read) {
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        if (wanted[a] >= 0 && (a >= read.size() || wanted[a] != read[a])) {
            return static_cast<std::int32_t>(a);
        }
    }
    return -1;
}

namespace {

bool Differs(const WantedBytes& wanted, std::span<const std::uint8_t> current, std::size_t a) {
    return wanted[a] >= 0 && wanted[a] != current[a];
}

JobStatus WritePages(Memory memory, const WantedBytes& wanted,
                     std::span<const std::uint8_t> current, WriteTally& tally,
                     const JobControl& control) {
    const std::size_t page = static_cast<std::size_t>(currentChip->PageBytes(memory));
    std::vector<std::uint8_t> bytes(page);
    for (std::size_t start = 0; start < wanted.size(); start += page) {
        if (control.Cancelled()) {
            return JobStatus::kCancelled;
        }
        const std::size_t end = std::min(wanted.size(), start + page);
        int differing = 0;
        for (std::size_t a = start; a < start + page; ++a) {
            const bool named = a < end && wanted[a] >= 0;
            bytes[a - start] = named ? static_cast<std::uint8_t>(wanted[a]) : current[a];
            differing += a < end && Differs(wanted, current, a) ? 1 : 0;
            tally.alreadyEqual += named && !Differs(wanted, current, a) ? 1 : 0;
        }
        if (differing == 0) {
            continue;
        }
        if (!WritePageAndWait(memory, static_cast<std::int32_t>(start), bytes)) {
            if (!FlushLink()) {
                return JobStatus::kLinkFailed;
            }
            tally.failedAddress = static_cast<std::int32_t>(start + page - 1);
            return JobStatus::kWriteFailed;
        }
        tally.written += differing;
        Report(control, end, wanted.size());
    }
    return JobStatus::kDone;
}

}  // namespace

JobStatus WriteDiffering(Memory memory, const WantedBytes& wanted,
                         std::span<const std::uint8_t> current, WriteTally& tally,
                         const JobControl& control) {
    if (currentChip->PageBytes(memory) > 0 &&
        current.size() % static_cast<std::size_t>(currentChip->PageBytes(memory)) == 0) {
        return WritePages(memory, wanted, current, tally, control);
    }
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        if (control.Cancelled()) {
            return JobStatus::kCancelled;
        }
        if (wanted[a] < 0) {
            continue;
        }
        if (!Differs(wanted, current, a)) {
            ++tally.alreadyEqual;
            continue;
        }
        if (!WriteMemoryByteAndWait(memory, static_cast<std::int32_t>(a), wanted[a])) {
            if (!FlushLink()) {
                return JobStatus::kLinkFailed;
            }
            tally.failedAddress = static_cast<std::int32_t>(a);
            return JobStatus::kWriteFailed;
        }
        ++tally.written;
        Report(control, a + 1, wanted.size());
    }
    return JobStatus::kDone;
}
