// hexbin_bench [RUNS] [HEX_BIN]: writes a full 8 KB Intel HEX file (512 records of 16 bytes),
// converts it RUNS times (default 50) with the real converter as a separate process, and prints
// min / median / mean wall-clock time per run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCodeBytes = 8192;
constexpr std::size_t kRecordBytes = 16;

std::string Hex2(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

std::string FullImageIntelHex() {
    std::string text;
    for (std::size_t address = 0; address < kCodeBytes; address += kRecordBytes) {
        std::vector<unsigned> bytes{static_cast<unsigned>(kRecordBytes),
                                    static_cast<unsigned>(address >> 8),
                                    static_cast<unsigned>(address & 0xFF), 0};
        for (std::size_t i = 0; i < kRecordBytes; ++i) {
            bytes.push_back(static_cast<unsigned>((address * 7 + i * 13) & 0xFF));
        }
        const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
        text += ':';
        for (const unsigned byte : bytes) {
            text += Hex2(byte);
        }
        text += Hex2((0x100 - (sum & 0xFF)) & 0xFF) + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

// Exit status of the converter, or -1 when it could not be run.
int RunConverter(const fs::path& converter, const fs::path& base) {
#ifdef _WIN32
    const std::wstring program = converter.wstring();
    const std::wstring argument = L"\"" + base.wstring() + L"\"";
    const std::wstring quotedProgram = L"\"" + program + L"\"";
    const wchar_t* argv[] = {quotedProgram.c_str(), argument.c_str(), nullptr};
    return static_cast<int>(_wspawnv(_P_WAIT, program.c_str(), argv));
#else
    std::string program = converter.string();
    std::string argument = base.string();
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const fs::path converter = argc > 2 ? fs::path(argv[2]) : fs::path(HEX_BIN_PATH);

    std::error_code error;
    const fs::path dir =
        fs::temp_directory_path() / ("hexbin-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir, error);
    const fs::path base = dir / "full8k";
    fs::path object = base;
    object += ".obj";
    fs::path binary = base;
    binary += ".bin";
    std::ofstream(object, std::ios::binary) << FullImageIntelHex();

    std::vector<double> millis;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int status = RunConverter(converter, base);
        const auto stop = std::chrono::steady_clock::now();
        if (status != 0) {
            std::fprintf(stderr, "hexbin_bench: %s exited with %d\n", converter.string().c_str(),
                         status);
            return 1;
        }
        millis.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    const bool converted = fs::exists(binary, error);
    const auto binarySize = converted ? fs::file_size(binary, error) : 0;
    fs::remove_all(dir, error);

    std::sort(millis.begin(), millis.end());
    const double median = millis.size() % 2 != 0
                              ? millis[millis.size() / 2]
                              : (millis[millis.size() / 2 - 1] + millis[millis.size() / 2]) / 2;
    const double mean =
        std::accumulate(millis.begin(), millis.end(), 0.0) / static_cast<double>(millis.size());
    std::printf("%s, full 8 KB Intel HEX (%zu records of %zu bytes) -> %ju-byte binary\n",
                converter.filename().string().c_str(), kCodeBytes / kRecordBytes, kRecordBytes,
                static_cast<std::uintmax_t>(binarySize));
    std::printf("runs %d  min %.3f ms  median %.3f ms  mean %.3f ms  max %.3f ms\n", runs,
                millis.front(), median, mean, millis.back());
    return 0;
}
