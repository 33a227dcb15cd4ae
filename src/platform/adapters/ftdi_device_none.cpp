// Builds without an FTDI driver library: adapters are refused with the reason, the rest works.
#include "platform/adapters/ftdi_chips.h"

std::unique_ptr<FtdiDevice> OpenFtdiDevice(const FtdiSelector& selector, std::string* why) {
    if (why != nullptr) {
        *why = FtdiOpenFailureMessage(selector, FtdiOpenFailure::kLibrary,
                                      "this build has no FTDI support: libftdi1 was not found");
    }
    return nullptr;
}

std::vector<std::string> ListFtdiDevices() {
    return {};
}
