#pragma once

#include "device/programming_commands.h"

class OperationView;

inline constexpr int kReadOperation = 0;
inline constexpr int kProgramOperation = 1;

// The two worker procedures that run behind the operation dialog, on their own thread. Both
// drive the serial link alone, report through `dialog`, stop before the next byte once
// cancelRequested is set, always take the chip out of programming mode, publish their results
// before clearing operationBusy, and relabel button 1 last. Both return 0. The window works on
// the code memory; the command line may point the program, verify and full-read workers at the
// data EEPROM instead, with the same passes; there, file entries of kNoByte are neither written
// nor read back.
int ReadThreadProc(OperationView& dialog);
int ProgramThreadProc(OperationView& dialog, Memory memory = Memory::kCode);

// What ProgramChangedThreadProc did: bytes written and found equal, the address of a byte that
// never read back true (-1 when none), and whether the verify pass found the whole image.
struct ProgramTally {
    int written = 0;
    int alreadyEqual = 0;
    int failedAddress = -1;
    bool verified = false;
};

// Program-and-verify for a chip whose writes are polled (data-sheet timing): each byte is read
// first and written only when it differs; a byte that never reads back true ends the write pass
// with "WRITE FAILED!"; otherwise the whole image is verified as ProgramThreadProc does.
int ProgramChangedThreadProc(OperationView& dialog, ProgramTally& tally,
                             Memory memory = Memory::kCode);

// ReadThreadProc without the end-of-data stop: every byte of `memory` (8192 or 2048), for a
// backup of the chip.
int ReadFullThreadProc(OperationView& dialog, Memory memory = Memory::kCode);

// The verify pass of ProgramThreadProc alone, for checking a chip against the file image without
// writing it: the outcome is "SAME" or "DIFFERENT" (or "CANCELLED!").
int VerifyThreadProc(OperationView& dialog, Memory memory = Memory::kCode);

// The worker for an operation dialog's viewKind.
int RunWorker(int viewKind, OperationView& dialog);
