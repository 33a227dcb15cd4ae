#include "device/port_access.h"

#include <utility>

#include "app/main_window_view.h"
#include "framework/message_box_types.h"

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

bool EnsurePortOpen(MainWindowView& window) {
    if (EnsurePortOpen()) {
        return true;
    }
    window.ShowMessageBox(kPortOpenFailedMessage, "ERROR", MB_OK);
    return false;
}

PortIo* CurrentPort() {
    return OpenPort().get();
}

void ClosePort() {
    OpenPort().reset();
}
