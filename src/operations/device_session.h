#pragma once

// The start every worker makes: operationBusy set, the chip held in programming mode, the
// 10000 us settle, then the one programming-enable instruction of the run.
void StartDeviceSession();

// Whether a worker should stop before its next byte: the user cancelled, or the port failed. A
// failed port counts as a cancel from then on, so what a dead port reads (0xFF) is discarded
// like the rest of a cancelled run, never shown as a result.
bool StopRequested();
