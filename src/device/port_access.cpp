#include "device/port_access.h"

#include <utility>

#include "device/parallel_port_adapter.h"

namespace {

AdapterOpener ParallelOpener(PortOpener opener) {
    return [opener = std::move(opener)](std::string* why) -> std::unique_ptr<Adapter> {
        std::unique_ptr<PortIo> port = opener(why);
        if (!port) {
            return nullptr;
        }
        return std::make_unique<ParallelPortAdapter>(std::move(port));
    };
}

AdapterOpener& Opener() {
    static AdapterOpener opener =
        ParallelOpener([](std::string* why) { return OpenParallelPort(why); });
    return opener;
}

std::unique_ptr<Adapter>& OpenAdapter() {
    static std::unique_ptr<Adapter> adapter;
    return adapter;
}

// Looked up at every register write of the bit-banged link, so kept rather than cast for.
PortIo*& OpenParallelRegisters() {
    static PortIo* registers = nullptr;
    return registers;
}

}  // namespace

void SetAdapterOpener(AdapterOpener opener) {
    ClosePort();
    Opener() = std::move(opener);
}

void SetPortOpener(PortOpener opener) {
    SetAdapterOpener(ParallelOpener(std::move(opener)));
}

bool EnsurePortOpen(std::string* why) {
    if (!OpenAdapter()) {
        OpenAdapter() = Opener()(why);
        auto* parallel = dynamic_cast<ParallelPortAdapter*>(OpenAdapter().get());
        OpenParallelRegisters() = parallel != nullptr ? &parallel->Port() : nullptr;
    }
    return OpenAdapter() != nullptr;
}

Adapter* CurrentAdapter() {
    return OpenAdapter().get();
}

PortIo* CurrentPort() {
    return OpenParallelRegisters();
}

std::string PortFailure() {
    return OpenAdapter() ? OpenAdapter()->Failure() : std::string();
}

void ClosePort() {
    OpenParallelRegisters() = nullptr;
    OpenAdapter().reset();
}
