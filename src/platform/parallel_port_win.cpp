// The parallel port on Windows. User programs may not execute in/out instructions there, so the
// registers are reached through a user-mode port-I/O driver: inpoutx64.dll, whose kernel driver
// is installed once by an administrator. It is loaded at run time, so the programs start and
// everything but the port works on machines without it.
#include <windows.h>

#include <cstdio>
#include <system_error>

#include "platform/port_backends.h"

namespace {

// The DLL's exports (WINAPI is the only calling convention on x64).
using Out32Function = void(WINAPI*)(short portAddress, short data);
using Inp32Function = short(WINAPI*)(short portAddress);
using DriverOpenFunction = BOOL(WINAPI*)();

constexpr const wchar_t* kDriverDllName = L"inpoutx64.dll";

template <typename Function>
Function Export(HMODULE module, const char* name) {
    // GetProcAddress hands back a generic function pointer; the DLL's documented signature
    // is what it really points to.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Port addresses go through the DLL's signed 16-bit parameters bit for bit.
short AsShort(unsigned value) {
    return static_cast<short>(static_cast<std::uint16_t>(value));
}

class DriverDllPort final : public PortIo {
public:
    DriverDllPort(HMODULE module, Out32Function out, Inp32Function in, std::uint16_t address)
        : module_(module), out_(out), in_(in), address_(address) {}
    DriverDllPort(const DriverDllPort&) = delete;
    DriverDllPort& operator=(const DriverDllPort&) = delete;
    ~DriverDllPort() override { FreeLibrary(module_); }

    void WriteData(std::uint8_t value) override { out_(AsShort(address_), AsShort(value)); }
    std::uint8_t ReadStatus() override {
        return static_cast<std::uint8_t>(in_(AsShort(address_ + 1u)) & 0xFF);
    }

private:
    HMODULE module_;
    Out32Function out_;
    Inp32Function in_;
    std::uint16_t address_;
};

}  // namespace

std::unique_ptr<PortIo> OpenDriverDllPort(std::uint16_t address, std::string* why) {
    const auto fail = [why](const std::string& reason) -> std::unique_ptr<PortIo> {
        if (why != nullptr) {
            *why = reason;
        }
        return nullptr;
    };
    // Only beside the program and in the system directory: never the current directory, where
    // a document folder could hold a DLL of the same name.
    HMODULE module =
        LoadLibraryExW(kDriverDllName, nullptr,
                       LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        const DWORD error = GetLastError();
        if (error != ERROR_MOD_NOT_FOUND) {
            // There but unusable: a 32-bit copy, a missing dependency, a blocked file.
            char text[160];
            std::snprintf(text, sizeof text, "inpoutx64.dll could not be loaded: error %lu (%s)",
                          static_cast<unsigned long>(error),
                          std::system_category().message(static_cast<int>(error)).c_str());
            return fail(text);
        }
        return fail(
            "inpoutx64.dll not found (put it beside the program and install its driver once "
            "as administrator)");
    }
    const auto out = Export<Out32Function>(module, "Out32");
    const auto in = Export<Inp32Function>(module, "Inp32");
    const auto driverOpen = Export<DriverOpenFunction>(module, "IsInpOutDriverOpen");
    if (out == nullptr || in == nullptr) {
        FreeLibrary(module);
        return fail("inpoutx64.dll has no Out32/Inp32: not a port-I/O driver DLL");
    }
    if (driverOpen != nullptr && !driverOpen()) {
        FreeLibrary(module);
        return fail("inpoutx64.dll: its driver is not running (install it once as administrator)");
    }
    return std::make_unique<DriverDllPort>(module, out, in, address);
}
