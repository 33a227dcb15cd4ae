#include "operations/device_session.h"

#include "app/image_store.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device/timing.h"

void StartDeviceSession() {
    imageStore.SetBusy(true);
    SetProgrammingMode(1);
    cycleTimer->DelayMicroseconds(kProgrammingModeSettleMicroseconds);
    ProgrammingEnable();
}

bool StopRequested() {
    if (!imageStore.IsCancelRequested() && !PortFailure().empty()) {
        imageStore.SetCancelRequested(true);
    }
    return imageStore.IsCancelRequested();
}
