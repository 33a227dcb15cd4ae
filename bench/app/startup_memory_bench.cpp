// The programmer's resident memory after start: runs isp8252-sim, waits until its main window is
// up, and reads the kernel's account of its memory. Measures and prints; asserts nothing.

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

std::string StatusLine(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return line;
        }
    }
    return key + " unknown";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : ISP_SIM_PATH;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char* args[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        return 1;
    }
    // The window is up well within this; the calibration thread is still waiting its 5000 ms.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::printf("%s after 2 s:\n  %s\n  %s\n", program.c_str(), StatusLine(pid, "VmRSS").c_str(),
                StatusLine(pid, "VmHWM").c_str());
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return 0;
}
