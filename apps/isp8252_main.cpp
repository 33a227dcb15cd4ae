// isp8252: the programmer, driving a real cable on the first parallel port, or on the port
// named by the environment variable ISP8252_PORT (a ppdev device or an I/O address).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/programmer_app.h"
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
    SetPortOpener(MakePortOpener(portText));
    return RunProgrammer();
}
