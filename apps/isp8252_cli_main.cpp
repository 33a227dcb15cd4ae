// isp8252-cli: the programmer without a window, for Makefiles and test rigs.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "device/port_listing.h"
#include "platform/command_line.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

// Ctrl-C asks the running operation to stop, as CANCEL does, so the chip is still taken out of
// programming mode; a second Ctrl-C ends the program at once. A lock-free atomic store is safe
// in a signal handler.
extern "C" void OnInterrupt(int) {
    imageStore.cancelRequested.store(1, std::memory_order_relaxed);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

int main(int argc, char** argv) {
    static_assert(decltype(imageStore.cancelRequested)::is_always_lock_free);
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::string error;
    const auto options = ParseCliOptions(arguments, &error);
    if (!options) {
        std::fprintf(stderr, "isp8252-cli: %s\n%s", error.c_str(), kCliUsage);
        return kExitUsage;
    }
    if (options->listPorts) {
        const std::vector<std::string> lines = ListPortsAndAdapters();
        for (const std::string& line : lines) {
            std::printf("%s\n", line.c_str());
        }
        if (lines.empty()) {
            std::printf("no parallel port or adapter found\n");
        }
        return kExitSuccess;
    }
    if (options->version) {
        std::printf("isp8252-cli %s\n", ISP_VERSION);
        return kExitSuccess;
    }
    if (options->help) {
        std::fputs(CliHelp().c_str(), stdout);
        return kExitSuccess;
    }
    std::signal(SIGINT, OnInterrupt);
    return RunCliCommand(*options, stdout, stderr, isatty(fileno(stderr)) != 0);
}
