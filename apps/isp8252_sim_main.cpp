// isp8252-sim: the programmer on a simulated cable and AT89S8252 whose flash starts erased.
// The chip checks every clock phase and write cycle against real time, as a real one would.
#include <memory>

#include "app/programmer_app.h"
#include "device/port_access.h"
#include "framework/gui_application.h"
#include "platform/counter_source.h"
#include "sim/at89s8252.h"
#include "sim/simulated_cable.h"

int main(int argc, char** argv) {
    const GuiApplication application(argc, argv);
    auto chip = std::make_shared<sim::At89s8252>();
    SetPortOpener(
        [chip](std::string*) { return sim::MakeSimulatedPort(chip, MonotonicNanoseconds); });
    return RunProgrammer();
}
