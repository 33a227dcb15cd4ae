#pragma once

// The start every worker makes: operationBusy set, the chip held in programming mode, the
// 10000 us settle, then the one programming-enable instruction of the run.
void StartDeviceSession();
