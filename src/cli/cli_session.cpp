#include "cli/cli_session.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/device_display.h"
#include "app/image_store.h"
#include "cli/image_input.h"
#include "cli/terminal_view.h"
#include "device/cycle_timer.h"
#include "device/port_access.h"
#include "device/quick_calibration.h"
#include "files/raw_image.h"
#include "operations/erase_action.h"
#include "operations/workers.h"
#include "platform/counter_source.h"
#include "platform/file_names.h"
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
    std::shared_ptr<sim::At89s8252> chip = std::make_shared<sim::At89s8252>();
    std::optional<sim::VcdTrace> trace;
};

int RunOnDevice(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    TerminalView view(err, interactive);
    switch (options.command) {
        case CliCommand::kErase:
            EraseChip();
            return kExitSuccess;
        case CliCommand::kProgram:
        case CliCommand::kVerify: {
            options.command == CliCommand::kProgram ? ProgramThreadProc(view)
                                                    : VerifyThreadProc(view);
            view.SetCloseLabel();
            std::fprintf(out, "%s\n", view.Outcome().c_str());
            if (imageStore.IsCancelRequested()) {
                return kExitCancelled;
            }
            const bool good = view.Outcome() == "WRITE SUCCESSFUL!" || view.Outcome() == "SAME";
            return good ? kExitSuccess : kExitDifferent;
        }
        case CliCommand::kRead:
        case CliCommand::kDump: {
            ReadThreadProc(view);
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
        const std::string message = LoadImageInput(options.file, &detail);
        if (!message.empty()) {
            return Fail(err, message.c_str(), detail);
        }
    }

    std::optional<SimulatedChip> simulated;
    if (options.simulatedChip) {
        simulated.emplace();
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
    }

    CCycleTimer timer(HardwareCounter(), nullptr);
    cycleTimer = &timer;
    CalibrateQuickly(timer, kCalibrationWindow);
    std::string why;
    int status = EnsurePortOpen(&why) ? RunOnDevice(options, out, err, interactive)
                                      : Fail(err, "COULD NOT OPEN PARALLEL PORT", why);
    ClosePort();
    cycleTimer = nullptr;

    if (simulated) {
        // The chip keeps what the run did to it, a cancelled run included.
        if (!sim::SaveFlashFile(*simulated->chip, *options.simulatedChip, &why)) {
            status = Fail(err, "COULD NOT WRITE FILE", why);
        }
        if (simulated->trace && !simulated->trace->WriteVcdFile(*options.trace, &why)) {
            status = Fail(err, "COULD NOT WRITE FILE", why);
        }
        SetPortOpener([](std::string* reason) { return OpenParallelPort(reason); });
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
