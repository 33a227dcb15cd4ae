#include "operations/device_session.h"

#include "app/image_store.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device/timing.h"

void StartDeviceSession() {
    imageStore.SetBusy(true);
    HoldInProgrammingMode(true);
    CurrentAdapter()->Wait(kProgrammingModeSettleMicroseconds);
    ProgrammingEnable();
}

bool StopRequested() {
    if (!imageStore.IsCancelRequested() && !PortFailure().empty()) {
        imageStore.SetCancelRequested(true);
    }
    return imageStore.IsCancelRequested();
}
