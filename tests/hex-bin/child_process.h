#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace hexbin_test {

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

// Reads a whole file as bytes; empty when it does not exist.
std::string FileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace hexbin_test
