// isp8252: the programmer, driving a real cable on the first parallel port, or the port or USB
// adapter named by the environment variable ISP8252_PORT (a ppdev device, an I/O address, or an
// adapter such as ft232r).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/programmer_app.h"
#include "device/adapter_opener.h"
#include "device/port_access.h"
#include "framework/gui_application.h"
#include "platform/port_choice.h"

int main(int argc, char** argv) {
    const GuiApplication application(argc, argv);
    const char* portText = std::getenv(kPortEnvironmentVariable);
    std::string why;
    // A malformed choice is named once here; device actions then show that the port could
    // not be opened, as for any port that is not there.
    if (!ParsePortChoice(portText == nullptr ? "" : portText, &why)) {
        std::fprintf(stderr, "isp8252: %s: %s\n", kPortEnvironmentVariable, why.c_str());
    }
    SetAdapterOpener(MakeAdapterOpener(portText));
    return RunProgrammer();
}
