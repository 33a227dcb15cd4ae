#include "device/port_access.h"

#include <utility>

namespace {

PortOpener& Opener() {
    static PortOpener opener = [](std::string* why) { return OpenParallelPort(why); };
    return opener;
}

std::unique_ptr<PortIo>& OpenPort() {
    static std::unique_ptr<PortIo> port;
    return port;
}

}  // namespace

void SetPortOpener(PortOpener opener) {
    ClosePort();
    Opener() = std::move(opener);
}

bool EnsurePortOpen(std::string* why) {
    if (!OpenPort()) {
        OpenPort() = Opener()(why);
    }
    return OpenPort() != nullptr;
}

PortIo* CurrentPort() {
    return OpenPort().get();
}

std::string PortFailure() {
    return OpenPort() ? OpenPort()->Failure() : std::string();
}

void ClosePort() {
    OpenPort().reset();
}
