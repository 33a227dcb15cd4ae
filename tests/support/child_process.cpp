#include "child_process.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <cstdlib>

#include "platform/file_names.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace test_support {

std::string FileBytes(const std::filesystem::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

#ifdef _WIN32

namespace {

std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"') {
            quoted += L'\\';
        }
        quoted += c;
    }
    return quoted + L"\"";
}

}  // namespace

// cmd.exe strips one pair of outer quotes from a command that starts with a quote, hence the
// extra pair around the whole line.
ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& captureDir) {
    const std::filesystem::path outPath = captureDir / "stdout.txt";
    const std::filesystem::path errPath = captureDir / "stderr.txt";
    std::wstring line = Quoted(program.wstring());
    for (const std::string& argument : arguments) {
        line += L" " + Quoted(PathFromUtf8(argument).wstring());
    }
    line += L" >" + Quoted(outPath.wstring()) + L" 2>" + Quoted(errPath.wstring());
    ChildResult result;
    result.exitStatus = _wsystem((L"\"" + line + L"\"").c_str());
    // Text written to stdout and stderr ends its lines with CR LF here; compare it as text.
    for (std::string* text : {&result.out, &result.err}) {
        *text = FileBytes(text == &result.out ? outPath : errPath);
        std::erase(*text, '\r');
    }
    return result;
}

#else

RunningChild StartChild(const std::filesystem::path& program,
                        const std::vector<std::string>& arguments,
                        const std::filesystem::path& captureDir) {
    RunningChild child{-1, captureDir / "stdout.txt", captureDir / "stderr.txt"};
    std::vector<char*> argv{const_cast<char*>(program.c_str())};  // posix_spawn only reads them
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, child.outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, child.errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        child.pid = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

void InterruptChild(const RunningChild& child) {
    if (child.pid > 0) {
        kill(child.pid, SIGINT);
    }
}

// The test process catches no signal, so the wait is never interrupted.
ChildResult WaitChild(const RunningChild& child) {
    ChildResult result;
    int status = 0;
    if (child.pid > 0 && waitpid(child.pid, &status, 0) == child.pid && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.out = FileBytes(child.outPath);
    result.err = FileBytes(child.errPath);
    return result;
}

ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& captureDir) {
    return WaitChild(StartChild(program, arguments, captureDir));
}

#endif

}  // namespace test_support
