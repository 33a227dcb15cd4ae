#include "cli/cli_session.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/image_store.h"
#include "cli/image_input.h"
#include "cli/terminal_view.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/quick_calibration.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "files/raw_image.h"
#include "operations/device_display.h"
#include "operations/device_session.h"
#include "operations/erase_action.h"
#include "operations/workers.h"
#include "platform/counter_source.h"
#include "platform/file_names.h"
#include "platform/port_choice.h"
#include "sim/flash_file.h"
#include "sim/simulated_cable.h"
#include "views/contents_lines.h"

namespace {

constexpr auto kCalibrationWindow = std::chrono::milliseconds(200);

int Fail(std::FILE* err, const char* message, const std::string& detail) {
    std::fprintf(err, "%s: %s\n", message, detail.c_str());
    return kExitFileOrPort;
}

// The simulated chip of --sim, loaded from its file and written back after the run.
struct SimulatedChip {
    explicit SimulatedChip(std::uint64_t oscillatorHz)
        : chip(std::make_shared<sim::At89s8252>(sim::ChipTiming{.oscillatorHz = oscillatorHz})) {}
    std::shared_ptr<sim::At89s8252> chip;
    std::optional<sim::VcdTrace> trace;
};

int FinishProgramOrVerify(const TerminalView& view, std::FILE* out, std::FILE* err) {
    std::fprintf(out, "%s\n", view.Outcome().c_str());
    if (imageStore.IsCancelRequested()) {
        return kExitCancelled;
    }
    // A locked chip ignores code writes, and there is no instruction to ask it whether it is.
    if (view.Outcome() == "WRITE FAILED!") {
        std::fprintf(err,
                     "the chip may be locked: only `erase` clears the lock bits (and the "
                     "whole chip)\n");
    }
    const bool good = view.Outcome() == "WRITE SUCCESSFUL!" || view.Outcome() == "SAME";
    return good ? kExitSuccess : kExitDifferent;
}

// What each protection mode does, as `lock` reports it.
const char* LockModeEffect(int mode) {
    switch (mode) {
        case 2:
            return "further programming of the code flash disabled";
        case 3:
            return "further programming of the code flash and reading it back disabled";
        default:
            return "code flash programming and read-back disabled, and execution from external "
                   "memory";
    }
}

int Lock(int mode, std::FILE* out) {
    StartDeviceSession();
    WriteLockBits(mode);
    SetProgrammingMode(0);
    imageStore.SetBusy(false);
    std::fprintf(out,
                 "LOCK MODE %d SENT: %s\n"
                 "Only a chip erase (isp8252-cli erase) clears the lock bits.\n"
                 "The lock bits cannot be read back serially: not verified.\n",
                 mode, LockModeEffect(mode));
    return kExitSuccess;
}

// program with --osc: only the bytes that differ are written, each polled; stderr ends with what
// was done and how long it took.
int ProgramChangedBytes(TerminalView& view, std::FILE* out, std::FILE* err, Memory memory) {
    const std::uint64_t startNs = MonotonicNanoseconds();
    ProgramTally tally;
    ProgramChangedThreadProc(view, tally, memory);
    view.SetCloseLabel();
    if (tally.failedAddress >= 0 && !imageStore.IsCancelRequested()) {
        std::fprintf(err, "address 0x%04X did not read back true within %lld ms\n",
                     static_cast<unsigned>(tally.failedAddress),
                     static_cast<long long>(kWritePollLimitMicroseconds / 1000));
    }
    const int status = FinishProgramOrVerify(view, out, err);
    if (status == kExitCancelled || tally.failedAddress >= 0) {
        return status;
    }
    const double seconds = static_cast<double>(MonotonicNanoseconds() - startNs) / 1e9;
    std::fprintf(err, "%d bytes: %d written, %d already equal, %s, %.1f s\n",
                 imageStore.fileByteCount, tally.written, tally.alreadyEqual,
                 tally.verified ? "verified" : "verify failed", seconds);
    return status;
}

int RunOnDevice(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    TerminalView view(err, interactive);
    switch (options.command) {
        case CliCommand::kErase:
            if (!EraseChip()) {
                std::fprintf(err, "the chip did not answer erased within %lld ms\n",
                             static_cast<long long>(kChipEraseLimitMicroseconds / 1000));
                return kExitDifferent;
            }
            return kExitSuccess;
        case CliCommand::kProgram:
        case CliCommand::kVerify: {
            if (options.command == CliCommand::kProgram && options.oscillatorHz) {
                return ProgramChangedBytes(view, out, err, options.memory);
            }
            options.command == CliCommand::kProgram ? ProgramThreadProc(view, options.memory)
                                                    : VerifyThreadProc(view, options.memory);
            view.SetCloseLabel();
            return FinishProgramOrVerify(view, out, err);
        }
        case CliCommand::kLock:
            return Lock(options.lockMode, out);
        case CliCommand::kRead:
        case CliCommand::kDump: {
            // The EEPROM has no end-of-data convention: a read covers all of it.
            options.fullRead || options.memory == Memory::kEeprom
                ? ReadFullThreadProc(view, options.memory)
                : ReadThreadProc(view);
            view.SetCloseLabel();
            if (imageStore.deviceImageValid == 0) {
                std::fprintf(out, "%s\n", view.Outcome().c_str());
                return kExitCancelled;
            }
            if (options.command == CliCommand::kRead) {
                if (!SaveRawDeviceImage(options.file)) {
                    return Fail(err, "COULD NOT WRITE FILE", options.file);
                }
                char count[15];
                FormatByteCount(count, imageStore.deviceByteCount);
                std::fprintf(out, "%s\n", count);
                return kExitSuccess;
            }
            char line[kContentsLineBufferSize];
            for (int i = 0; i < imageStore.deviceByteCount; ++i) {
                FormatContentsLine(line, i, imageStore.DeviceImage[i]);
                std::fprintf(out, "%s\n", line);
            }
            return kExitSuccess;
        }
    }
    return kExitUsage;
}

int RunWithImages(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    if (options.command == CliCommand::kProgram || options.command == CliCommand::kVerify) {
        std::string detail;
        const std::string message = LoadImageInput(options.file, &detail, options.memory);
        if (!message.empty()) {
            return Fail(err, message.c_str(), detail);
        }
    }

    std::optional<SimulatedChip> simulated;
    if (options.simulatedChip) {
        simulated.emplace(options.simulatedOscillatorHz);
        std::string why;
        std::error_code error;
        if (std::filesystem::exists(PathFromUtf8(*options.simulatedChip), error) &&
            !sim::LoadFlashFile(*simulated->chip, *options.simulatedChip, &why)) {
            return Fail(err, "COULD NOT READ FILE", why);
        }
        if (options.trace) {
            simulated->trace.emplace();
        }
        SetPortOpener([&simulated](std::string*) {
            return sim::MakeSimulatedPort(simulated->chip, MonotonicNanoseconds,
                                          simulated->trace ? &*simulated->trace : nullptr);
        });
    } else {
        SetPortOpener([choice = options.port](std::string* reason) {
            return OpenChosenPort(choice, reason);
        });
    }

    CCycleTimer timer(HardwareCounter(), nullptr);
    cycleTimer = &timer;
    CalibrateQuickly(timer, kCalibrationWindow);
    linkTiming =
        options.oscillatorHz ? DataSheetLinkTiming(*options.oscillatorHz) : kWindowLinkTiming;
    std::string why;
    int status = EnsurePortOpen(&why) ? RunOnDevice(options, out, err, interactive)
                                      : Fail(err, "COULD NOT OPEN PARALLEL PORT", why);
    ClosePort();
    SetPortOpener([](std::string* reason) { return OpenParallelPort(reason); });
    linkTiming = kWindowLinkTiming;
    cycleTimer = nullptr;

    if (simulated) {
        // The chip keeps what the run did to it, a cancelled run included.
        if (!sim::SaveFlashFile(*simulated->chip, *options.simulatedChip, &why)) {
            status = Fail(err, "COULD NOT WRITE FILE", why);
        }
        if (simulated->trace && !simulated->trace->WriteVcdFile(*options.trace, &why)) {
            status = Fail(err, "COULD NOT WRITE FILE", why);
        }
        // The chip keeps everyone honest: a run that broke its timing fails even when the bytes
        // came out right.
        const sim::At89s8252& chip = *simulated->chip;
        if (chip.ViolationCount() > 0 && status != kExitFileOrPort && status != kExitCancelled) {
            std::fprintf(err, "simulated chip: %llu timing violations, first: %s\n",
                         static_cast<unsigned long long>(chip.ViolationCount()),
                         chip.Violations().front().what.c_str());
            status = kExitTimingViolation;
        }
    }
    return status;
}

}  // namespace

int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    AllocateImages();
    ResetImageStoreState();
    const int status = RunWithImages(options, out, err, interactive);
    ReleaseImages();
    return status;
}
