#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

struct ChildResult {
    int exitStatus = -1;  // -1 when the program could not be started or did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` passed as they are (no shell splits them at blanks), waits for
// it, and returns what it wrote to stdout and stderr. `captureDir` holds the capture files.
ChildResult RunChild(const std::filesystem::path& program,
                     const std::vector<std::string>& arguments,
                     const std::filesystem::path& captureDir);

#ifndef _WIN32
// A child started and not yet waited for, so a test can act on it while it runs.
struct RunningChild {
    int pid = -1;
    std::filesystem::path outPath;
    std::filesystem::path errPath;
};
RunningChild StartChild(const std::filesystem::path& program,
                        const std::vector<std::string>& arguments,
                        const std::filesystem::path& captureDir);
// Sends SIGINT, as Ctrl-C in a terminal does.
void InterruptChild(const RunningChild& child);
ChildResult WaitChild(const RunningChild& child);
#endif

// Reads a whole file as bytes; empty when it does not exist.
std::string FileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace test_support
