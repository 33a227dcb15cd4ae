#pragma once

class OperationView;

inline constexpr int kReadOperation = 0;
inline constexpr int kProgramOperation = 1;

// The two worker procedures that run behind the operation dialog, on their own thread. Both
// drive the serial link alone, report through `dialog`, stop before the next byte once
// cancelRequested is set, always take the chip out of programming mode, publish their results
// before clearing operationBusy, and relabel button 1 last. Both return 0.
int ReadThreadProc(OperationView& dialog);
int ProgramThreadProc(OperationView& dialog);

// The verify pass of ProgramThreadProc alone, for checking a chip against the file image without
// writing it: the outcome is "SAME" or "DIFFERENT" (or "CANCELLED!").
int VerifyThreadProc(OperationView& dialog);

// The worker for an operation dialog's viewKind.
int RunWorker(int viewKind, OperationView& dialog);
