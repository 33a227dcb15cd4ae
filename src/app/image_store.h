#pragma once

#include <atomic>
#include <cstdint>

#include "device/programming_commands.h"

// Both images are indexed by code address and hold the whole code memory (kCodeMemoryBytes).
// A FileImage entry for an address the file does not name: the command line's EEPROM writes and
// verifies only the addresses a file names, and leaves the others as the chip holds them.
inline constexpr std::int32_t kNoByte = -1;
// The command line also serves the family's 12 KB chips: the images are allocated that large.
inline constexpr int kImageCapacity = 12288;

// The program's whole data model, shared by the user-interface thread and the one worker.
// Only the two worker flags are atomic: the operation dialog's modality keeps every other writer
// away while a worker runs, and the worker publishes its results (images, counts,
// deviceImageValid) by clearing operationBusy with release ordering; readers test it with
// acquire ordering before they look at the results.
struct ImageStore {
    std::int32_t* FileImage = nullptr;    // kCodeMemoryBytes entries, one byte value 0..255 each
    std::int32_t* DeviceImage = nullptr;  // kCodeMemoryBytes entries, one byte value 0..255 each
    std::int32_t fileByteCount = 0;
    std::int32_t deviceByteCount = 0;
    std::int32_t fileLoaded = 0;
    std::int32_t deviceImageValid = 0;
    std::int32_t needsConversion = 0;
    std::atomic<std::int32_t> operationBusy{0};
    std::atomic<std::int32_t> cancelRequested{0};

    bool IsBusy() const { return operationBusy.load(std::memory_order_acquire) != 0; }
    void SetBusy(bool busy) { operationBusy.store(busy ? 1 : 0, std::memory_order_release); }
    bool IsCancelRequested() const { return cancelRequested.load(std::memory_order_acquire) != 0; }
    void SetCancelRequested(bool requested) {
        cancelRequested.store(requested ? 1 : 0, std::memory_order_release);
    }
};

// The process-wide store. The images are allocated once at start-up (before the timer and the
// application object) and released once, when the main window quits.
extern ImageStore imageStore;

void AllocateImages();
void ReleaseImages();

// Resets counts and flags to their start-up values (tests start every case from here).
void ResetImageStoreState();
