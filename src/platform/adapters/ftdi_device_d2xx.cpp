// The FTDI chips on Windows, through FTDI's D2XX driver DLL. It is loaded at run time, so the
// programs start and everything but the adapters works on machines without it. The DLL comes
// with FTDI's driver package (ftdichip.com, Drivers, D2XX), or beside the program.
#include <windows.h>

#include <array>
#include <cstring>
#include <utility>

#include "platform/adapters/ftdi_chips.h"

namespace {

// The DLL's documented types and calls (WINAPI is the only calling convention on x64).
using FtHandle = void*;
using FtStatus = ULONG;
constexpr FtStatus kFtOk = 0;
constexpr FtStatus kFtDeviceNotOpened = 3;
constexpr DWORD kFtFlagOpened = 1;
constexpr ULONG kFtPurgeRxTx = 1 | 2;
constexpr int kWriteTimeoutMilliseconds = 5000;

struct D2xx {
    HMODULE module = nullptr;
    FtStatus(WINAPI* createDeviceInfoList)(DWORD*) = nullptr;
    FtStatus(WINAPI* getDeviceInfoDetail)(DWORD, DWORD*, DWORD*, DWORD*, DWORD*, void*, void*,
                                          FtHandle*) = nullptr;
    FtStatus(WINAPI* open)(int, FtHandle*) = nullptr;
    FtStatus(WINAPI* setBitMode)(FtHandle, UCHAR, UCHAR) = nullptr;
    FtStatus(WINAPI* setBaudRate)(FtHandle, ULONG) = nullptr;
    FtStatus(WINAPI* setLatencyTimer)(FtHandle, UCHAR) = nullptr;
    FtStatus(WINAPI* setTimeouts)(FtHandle, ULONG, ULONG) = nullptr;
    FtStatus(WINAPI* purge)(FtHandle, ULONG) = nullptr;
    FtStatus(WINAPI* write)(FtHandle, void*, DWORD, DWORD*) = nullptr;
    FtStatus(WINAPI* read)(FtHandle, void*, DWORD, DWORD*) = nullptr;
    FtStatus(WINAPI* getQueueStatus)(FtHandle, DWORD*) = nullptr;
    FtStatus(WINAPI* close)(FtHandle) = nullptr;

    D2xx() = default;
    D2xx(const D2xx&) = delete;
    D2xx& operator=(const D2xx&) = delete;
    ~D2xx() {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
};

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& into, std::string* missing) {
    // GetProcAddress hands back a generic function pointer; the DLL's documented signature is
    // what it really points to.
    into = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (into == nullptr && missing->empty()) {
        *missing = name;
    }
    return into != nullptr;
}

// The DLL with every call resolved, or nullptr with the reason in `why`.
std::shared_ptr<D2xx> LoadD2xx(std::string* why) {
    auto dll = std::make_shared<D2xx>();
    // Only beside the program and in the system directory: never the current directory, where a
    // document folder could hold a DLL of the same name. The 64-bit driver package installs
    // ftd2xx.dll in System32; FTDI's distributable names the 64-bit DLL ftd2xx64.dll.
    DWORD error = 0;
    for (const wchar_t* name : {L"ftd2xx64.dll", L"ftd2xx.dll"}) {
        dll->module = LoadLibraryExW(
            name, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (dll->module != nullptr) {
            break;
        }
        if (error == 0 || error == ERROR_MOD_NOT_FOUND) {
            error = GetLastError();
        }
    }
    if (dll->module == nullptr) {
        *why = error == ERROR_MOD_NOT_FOUND
                   ? "FTDI's D2XX driver (ftd2xx64.dll) is not installed: get it from "
                     "ftdichip.com (Drivers, D2XX), or put ftd2xx64.dll beside the program"
                   : "ftd2xx64.dll is there but would not load (Windows error " +
                         std::to_string(error) + "; 193 means a 32-bit DLL)";
        return nullptr;
    }
    std::string missing;
    Resolve(dll->module, "FT_CreateDeviceInfoList", dll->createDeviceInfoList, &missing);
    Resolve(dll->module, "FT_GetDeviceInfoDetail", dll->getDeviceInfoDetail, &missing);
    Resolve(dll->module, "FT_Open", dll->open, &missing);
    Resolve(dll->module, "FT_SetBitMode", dll->setBitMode, &missing);
    Resolve(dll->module, "FT_SetBaudRate", dll->setBaudRate, &missing);
    Resolve(dll->module, "FT_SetLatencyTimer", dll->setLatencyTimer, &missing);
    Resolve(dll->module, "FT_SetTimeouts", dll->setTimeouts, &missing);
    Resolve(dll->module, "FT_Purge", dll->purge, &missing);
    Resolve(dll->module, "FT_Write", dll->write, &missing);
    Resolve(dll->module, "FT_Read", dll->read, &missing);
    Resolve(dll->module, "FT_GetQueueStatus", dll->getQueueStatus, &missing);
    Resolve(dll->module, "FT_Close", dll->close, &missing);
    if (!missing.empty()) {
        *why = "ftd2xx64.dll has no " + missing + ": not FTDI's D2XX driver";
        return nullptr;
    }
    return dll;
}

struct ListedDevice {
    DWORD index;
    DWORD flags;
    DWORD id;  // vendor << 16 | product
    std::string serial;
    std::string description;
};

std::vector<ListedDevice> ListDevices(const D2xx& dll) {
    std::vector<ListedDevice> devices;
    DWORD count = 0;
    if (dll.createDeviceInfoList(&count) != kFtOk) {
        return devices;
    }
    for (DWORD i = 0; i < count; ++i) {
        DWORD flags = 0;
        DWORD type = 0;
        DWORD id = 0;
        DWORD location = 0;
        std::array<char, 16> serial{};
        std::array<char, 64> description{};
        FtHandle unused = nullptr;
        if (dll.getDeviceInfoDetail(i, &flags, &type, &id, &location, serial.data(),
                                    description.data(), &unused) == kFtOk) {
            serial.back() = '\0';
            description.back() = '\0';
            devices.push_back({i, flags, id, serial.data(), description.data()});
        }
    }
    return devices;
}

// D2XX lists each channel of a multi-channel chip as a device of its own, its serial number
// ending in the channel letter.
bool Matches(const ListedDevice& device, const FtdiSelector& selector) {
    const FtdiChipFacts& facts = FactsOf(selector.chip);
    if (device.id != (static_cast<DWORD>(kFtdiVendorId) << 16 | facts.productId)) {
        return false;
    }
    std::string serial = device.serial;
    if (facts.channels > 1) {
        if (serial.empty() || serial.back() != selector.channel) {
            return false;
        }
        if (!selector.serial.empty() && serial == selector.serial) {
            return true;  // the user gave the channel's own serial
        }
        serial.pop_back();
    }
    return selector.serial.empty() || serial == selector.serial;
}

class D2xxDevice final : public FtdiDevice {
public:
    D2xxDevice(std::shared_ptr<D2xx> dll, FtHandle handle)
        : dll_(std::move(dll)), handle_(handle) {}
    D2xxDevice(const D2xxDevice&) = delete;
    D2xxDevice& operator=(const D2xxDevice&) = delete;
    ~D2xxDevice() override { dll_->close(handle_); }

    bool SetLatencyTimer(std::uint8_t milliseconds) override {
        return Checked(dll_->setLatencyTimer(handle_, milliseconds), "set the latency timer");
    }
    bool SetBitMode(std::uint8_t outputMask, FtdiBitMode mode) override {
        if (!Checked(dll_->setBitMode(handle_, outputMask, static_cast<UCHAR>(mode)),
                     "set the bit mode")) {
            return false;
        }
        mode_ = mode;
        return true;
    }
    bool SetBaudRate(int baud) override {
        if (baud <= 0) {
            return Failed("unsupported baud rate " + std::to_string(baud));
        }
        // The value means what it means to libftdi, which asks the chip for four times the rate
        // in any bit mode; D2XX passes the rate on as given.
        const ULONG rate = static_cast<ULONG>(baud) * (mode_ == FtdiBitMode::kReset ? 1u : 4u);
        return Checked(dll_->setBaudRate(handle_, rate), "set the baud rate");
    }
    bool Purge() override { return Checked(dll_->purge(handle_, kFtPurgeRxTx), "purge"); }

    bool Write(std::span<const std::uint8_t> bytes) override {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            DWORD done = 0;
            const FtStatus status =
                dll_->write(handle_, const_cast<std::uint8_t*>(bytes.data() + sent),
                            static_cast<DWORD>(bytes.size() - sent), &done);
            if (status != kFtOk) {
                return Gone(status, "USB write to the adapter failed");
            }
            if (done == 0) {
                return Failed("USB write to the adapter took over " +
                              std::to_string(kWriteTimeoutMilliseconds) + " ms");
            }
            sent += done;
        }
        return true;
    }

    bool Read(std::span<std::uint8_t> into, int timeoutMilliseconds) override {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMilliseconds);
        std::size_t got = 0;
        while (true) {
            // FT_Read waits for all the bytes or the read timeout, whichever comes first.
            const ULONGLONG now = GetTickCount64();
            const ULONG left = now < deadline ? static_cast<ULONG>(deadline - now) : 1;
            DWORD done = 0;
            FtStatus status = dll_->setTimeouts(handle_, left, kWriteTimeoutMilliseconds);
            if (status == kFtOk) {
                status = dll_->read(handle_, into.data() + got,
                                    static_cast<DWORD>(into.size() - got), &done);
            }
            if (status != kFtOk) {
                return Gone(status, "USB read from the adapter failed");
            }
            got += done;
            if (got == into.size()) {
                return true;
            }
            DWORD queued = 0;
            if (dll_->getQueueStatus(handle_, &queued) != kFtOk) {
                return Failed(FtdiUnpluggedMessage());
            }
            if (GetTickCount64() >= deadline) {
                return Failed("read timed out: " + std::to_string(got) + " of " +
                              std::to_string(into.size()) + " bytes arrived within " +
                              std::to_string(timeoutMilliseconds) + " ms");
            }
        }
    }

    std::string LastError() const override { return lastError_; }

private:
    bool Failed(std::string why) {
        lastError_ = std::move(why);
        return false;
    }
    bool Checked(FtStatus status, const char* what) {
        return status == kFtOk || Gone(status, std::string("could not ") + what);
    }
    // A call that fails while the queue can no longer be asked means the device left the bus.
    bool Gone(FtStatus status, const std::string& what) {
        DWORD queued = 0;
        if (dll_->getQueueStatus(handle_, &queued) != kFtOk) {
            return Failed(FtdiUnpluggedMessage());
        }
        return Failed(what + " (D2XX status " + std::to_string(status) + ")");
    }

    std::shared_ptr<D2xx> dll_;
    FtHandle handle_;
    FtdiBitMode mode_ = FtdiBitMode::kReset;
    std::string lastError_;
};

}  // namespace

std::unique_ptr<FtdiDevice> OpenFtdiDevice(const FtdiSelector& selector, std::string* why) {
    const auto fail = [&](FtdiOpenFailure failure,
                          const std::string& detail) -> std::unique_ptr<FtdiDevice> {
        if (why != nullptr) {
            *why = FtdiOpenFailureMessage(selector, failure, detail);
        }
        return nullptr;
    };
    if (selector.channel < 'A' || selector.channel >= 'A' + FactsOf(selector.chip).channels) {
        return fail(FtdiOpenFailure::kNoSuchChannel, "");
    }
    std::string loadError;
    std::shared_ptr<D2xx> dll = LoadD2xx(&loadError);
    if (dll == nullptr) {
        return fail(FtdiOpenFailure::kLibrary, loadError);
    }
    for (const ListedDevice& device : ListDevices(*dll)) {
        if (!Matches(device, selector)) {
            continue;
        }
        FtHandle handle = nullptr;
        const FtStatus status = dll->open(static_cast<int>(device.index), &handle);
        if (status != kFtOk) {
            const bool busy = status == kFtDeviceNotOpened || (device.flags & kFtFlagOpened) != 0;
            return fail(busy ? FtdiOpenFailure::kDriverHolds : FtdiOpenFailure::kLibrary,
                        "D2XX status " + std::to_string(status));
        }
        // Whatever a previous program left in the chip's buffers would shift every answer.
        if (dll->setTimeouts(handle, 1000, kWriteTimeoutMilliseconds) != kFtOk ||
            dll->purge(handle, kFtPurgeRxTx) != kFtOk) {
            dll->close(handle);
            return fail(FtdiOpenFailure::kLibrary, "it would not take its timeouts");
        }
        return std::make_unique<D2xxDevice>(std::move(dll), handle);
    }
    return fail(FtdiOpenFailure::kNotFound, "");
}

std::vector<std::string> ListFtdiDevices() {
    std::vector<std::string> lines;
    std::string ignored;
    const std::shared_ptr<D2xx> dll = LoadD2xx(&ignored);
    if (dll == nullptr) {
        return lines;
    }
    for (const ListedDevice& device : ListDevices(*dll)) {
        for (const FtdiChip chip :
             {FtdiChip::kFt232r, FtdiChip::kFt232h, FtdiChip::kFt2232h, FtdiChip::kFt4232h}) {
            const FtdiChipFacts& facts = FactsOf(chip);
            if (device.id == (static_cast<DWORD>(kFtdiVendorId) << 16 | facts.productId)) {
                lines.push_back(std::string(facts.kind) + ":" + device.serial + "  " +
                                device.description);
            }
        }
    }
    return lines;
}
