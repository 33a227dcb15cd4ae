#include "device/adapter_opener.h"

#include "device/adapters/ft232r_bitbang_adapter.h"
#include "device/adapters/mpsse_adapter.h"
#include "device/parallel_port_adapter.h"

namespace {

template <typename Kind>
std::unique_ptr<Adapter> Started(std::unique_ptr<FtdiDevice> device, const AdapterPins& pins,
                                 std::string* why) {
    auto adapter = std::make_unique<Kind>(std::move(device), pins);
    if (!adapter->Start()) {
        if (why != nullptr) {
            *why = adapter->Failure();
        }
        return nullptr;
    }
    return adapter;
}

}  // namespace

std::unique_ptr<Adapter> StartFtdiAdapter(const AdapterChoice& choice,
                                          std::unique_ptr<FtdiDevice> device, std::string* why) {
    if (choice.kind == AdapterChoice::Kind::kFtdiMpsse) {
        return Started<MpsseAdapter>(std::move(device), choice.pins, why);
    }
    return Started<Ft232rBitbangAdapter>(std::move(device), choice.pins, why);
}

AdapterOpener MakeAdapterOpener(const PortChoice& choice) {
    return [choice](std::string* why) -> std::unique_ptr<Adapter> {
        if (choice.kind == PortChoice::Kind::kAdapter) {
            std::unique_ptr<FtdiDevice> device = OpenFtdiDevice(choice.adapter.ftdi, why);
            return device ? StartFtdiAdapter(choice.adapter, std::move(device), why) : nullptr;
        }
        std::unique_ptr<PortIo> port = OpenChosenPort(choice, why);
        if (!port) {
            return nullptr;
        }
        return std::make_unique<ParallelPortAdapter>(std::move(port));
    };
}

AdapterOpener MakeAdapterOpener(const char* portText) {
    std::string parseError;
    const std::optional<PortChoice> choice =
        ParsePortChoice(portText == nullptr ? std::string_view() : portText, &parseError);
    if (!choice) {
        return [parseError](std::string* why) -> std::unique_ptr<Adapter> {
            if (why != nullptr) {
                *why = std::string(kPortEnvironmentVariable) + ": " + parseError;
            }
            return nullptr;
        };
    }
    return MakeAdapterOpener(*choice);
}
