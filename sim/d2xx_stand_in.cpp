// A simulated FTDI ftd2xx64.dll for Windows and Wine: one FT232R (serial SIM1) whose calls go to
// the FT232R model wired to a simulated AT89S8252. D2XX takes the baud rate as
// the chip's own, so the stand-in hands the model libftdi's value (a quarter of it in bit modes).
#include <windows.h>

#include <cstring>
#include <memory>

#include "sim/at89s8252.h"
#include "sim/ft232r_model.h"

namespace {

using FtStatus = ULONG;
constexpr FtStatus kFtOk = 0;
constexpr FtStatus kFtInvalidHandle = 1;
constexpr FtStatus kFtIoError = 4;

struct StandIn {
    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();
    sim::Ft232rModel model{chip};
    bool bitMode = false;
    ULONG readTimeoutMs = 0;
};
StandIn* open = nullptr;

FtStatus Result(bool ok) {
    return ok ? kFtOk : kFtIoError;
}

}  // namespace

#define STAND_IN extern "C" __declspec(dllexport) FtStatus WINAPI

STAND_IN FT_CreateDeviceInfoList(DWORD* count) {
    *count = 1;
    return kFtOk;
}
STAND_IN FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* location,
                                void* serial, void* description, void** handle) {
    if (index != 0) {
        return kFtInvalidHandle;
    }
    *flags = open != nullptr ? 1 : 0;
    *type = 5;
    *id = 0x04036001;
    *location = 0;
    std::strcpy(static_cast<char*>(serial), "SIM1");
    std::strcpy(static_cast<char*>(description), "FT232R USB UART");
    *handle = open;
    return kFtOk;
}
STAND_IN FT_Open(int index, void** handle) {
    if (index != 0 || open != nullptr) {
        return 3;
    }
    open = new StandIn;
    *handle = open;
    return kFtOk;
}
STAND_IN FT_Close(void* handle) {
    if (handle != open || open == nullptr) {
        return kFtInvalidHandle;
    }
    delete open;
    open = nullptr;
    return kFtOk;
}
STAND_IN FT_SetBitMode(void*, UCHAR mask, UCHAR mode) {
    open->bitMode = mode != 0;
    return Result(open->model.SetBitMode(mask, static_cast<FtdiBitMode>(mode)));
}
STAND_IN FT_SetBaudRate(void*, ULONG rate) {
    return Result(open->model.SetBaudRate(static_cast<int>(open->bitMode ? rate / 4 : rate)));
}
STAND_IN FT_SetLatencyTimer(void*, UCHAR ms) {
    return Result(open->model.SetLatencyTimer(ms));
}
STAND_IN FT_SetTimeouts(void*, ULONG readMs, ULONG) {
    open->readTimeoutMs = readMs;
    return kFtOk;
}
STAND_IN FT_Purge(void*, ULONG) {
    return Result(open->model.Purge());
}
STAND_IN FT_Write(void*, void* bytes, DWORD size, DWORD* written) {
    const bool ok = open->model.Write({static_cast<const std::uint8_t*>(bytes), size});
    *written = ok ? size : 0;
    return Result(ok);
}
STAND_IN FT_Read(void*, void* into, DWORD size, DWORD* got) {
    // D2XX returns what came within the timeout; the model has all its answers or none.
    const bool ok = open->model.Read({static_cast<std::uint8_t*>(into), size},
                                     static_cast<int>(open->readTimeoutMs));
    *got = ok ? size : 0;
    return kFtOk;
}
STAND_IN FT_GetQueueStatus(void*, DWORD* queued) {
    *queued = 0;
    return kFtOk;
}

// The modelled pin rate, to see which baud rate reached the chip.
extern "C" __declspec(dllexport) unsigned long long WINAPI StandInPinRateHz() {
    return open != nullptr ? open->model.PinRateHz() : 0;
}
