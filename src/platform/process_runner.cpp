#include "platform/process_runner.h"

// POSIX process start; Windows has its own in process_runner_win.cpp.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace {

// Descriptors above this are not looked at by the fallback below (the usual soft limit is 1024).
constexpr long kHighestDescriptorChecked = 65535;

// The converter gets standard input, output and error and nothing else: a descriptor some
// library opened without close-on-exec (a port, a socket, a log) must not live on in it.
bool CloseAllButStandardDescriptors(posix_spawn_file_actions_t& actions) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    return posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
#else
    // Without closefrom: close every descriptor open now that would survive the exec.
    const long highest = std::min(sysconf(_SC_OPEN_MAX), kHighestDescriptorChecked);
    for (int descriptor = STDERR_FILENO + 1; descriptor < highest; ++descriptor) {
        const int flags = fcntl(descriptor, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0 &&
            posix_spawn_file_actions_addclose(&actions, descriptor) != 0) {
            return false;
        }
    }
    return true;
#endif
}

}  // namespace

std::optional<int> RunHiddenAndWait(const std::string& program,
                                    const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string argv0 = program;
    std::vector<std::string> args = arguments;
    argv.push_back(argv0.data());
    for (auto& argument : args) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return std::nullopt;
    }
    pid_t pid = 0;
    // posix_spawn, not a shell: every argument reaches the program as it is.
    const bool started =
        CloseAllButStandardDescriptors(actions) &&
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) {
        return std::nullopt;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    // Killed by a signal: it did not finish its work.
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
