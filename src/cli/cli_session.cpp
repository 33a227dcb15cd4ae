#include "cli/cli_session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/image_store.h"
#include "cli/family_session.h"
#include "cli/image_input.h"
#include "cli/simulated_adapter.h"
#include "cli/terminal_view.h"
#include "device/adapter_opener.h"
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
#include "sim/chip_factory.h"
#include "sim/chip_state_file.h"
#include "sim/simulated_cable.h"
#include "views/contents_lines.h"

namespace {

constexpr auto kCalibrationWindow = std::chrono::milliseconds(200);

std::function<void(sim::SerialChip&)>& ChipPreparation() {
    static std::function<void(sim::SerialChip&)> prepare;
    return prepare;
}

int Fail(std::FILE* err, const char* message, const std::string& detail) {
    std::fprintf(err, "%s: %s\n", message, detail.c_str());
    return kExitFileOrPort;
}

// The simulated chip of --sim, loaded from its file and written back after the run.
struct SimulatedChip {
    SimulatedChip(const ChipRow& kind, std::uint64_t oscillatorHz)
        : chip(*sim::MakeChipModel(kind.name, oscillatorHz)) {}
    sim::ChipModel chip;
    SimulatedAdapter adapter;
    std::optional<sim::VcdTrace> trace;

    // What the file held when the run began: a run that changes nothing leaves it untouched.
    void RememberLoaded() {
        loaded = true;
        const sim::CellsView cells = chip.cells->Cells();
        code.assign(cells.code.begin(), cells.code.end());
        eeprom.assign(cells.eeprom.begin(), cells.eeprom.end());
        lockBits = cells.lockBits;
    }
    bool NeedsSaving() const {
        const sim::CellsView cells = chip.cells->Cells();
        return !loaded ||
               !std::equal(code.begin(), code.end(), cells.code.begin(), cells.code.end()) ||
               !std::equal(eeprom.begin(), eeprom.end(), cells.eeprom.begin(),
                           cells.eeprom.end()) ||
               lockBits != cells.lockBits;
    }
    bool loaded = false;
    std::vector<std::uint8_t> code;
    std::vector<std::uint8_t> eeprom;
    std::uint8_t lockBits = 0;
};

int ShowDeviceImage(const CliOptions& options, std::FILE* out, std::FILE* err);

int FinishProgramOrVerify(const TerminalView& view, std::FILE* out, std::FILE* err, Memory memory) {
    std::fprintf(out, "%s\n", view.Outcome().c_str());
    if (imageStore.IsCancelRequested()) {
        return kExitCancelled;
    }
    // A locked chip ignores code writes, and there is no instruction to ask it whether it is.
    // The lock bits leave the EEPROM alone.
    if (view.Outcome() == "WRITE FAILED!" && memory == Memory::kCode) {
        std::fprintf(err,
                     "the chip may be locked: only `erase` clears the lock bits (and the "
                     "whole chip)\n");
    }
    const bool good = view.Outcome() == "WRITE SUCCESSFUL!" || view.Outcome() == "SAME";
    return good ? kExitSuccess : kExitFailed;
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

// What a Ctrl-C before anything was sent leaves: nothing done.
int Cancelled(std::FILE* out) {
    std::fprintf(out, "CANCELLED!\n");
    return kExitCancelled;
}

int Lock(int mode, std::FILE* out) {
    if (imageStore.IsCancelRequested()) {
        return Cancelled(out);
    }
    StartDeviceSession();
    WriteLockBits(mode);
    HoldInProgrammingMode(false);
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
    const int status = FinishProgramOrVerify(view, out, err, memory);
    if (status == kExitCancelled || tally.failedAddress >= 0) {
        return status;
    }
    const double seconds = static_cast<double>(MonotonicNanoseconds() - startNs) / 1e9;
    std::fprintf(err, "%d bytes: %d written, %d already equal, %s, %.1f s\n",
                 tally.written + tally.alreadyEqual, tally.written, tally.alreadyEqual,
                 tally.verified ? "verified" : "verify failed", seconds);
    return status;
}

int RunOnDevice(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    TerminalView view(err, interactive);
    if (UsesFamilyCommand(options)) {
        const int status = RunFamilyCommand(options, view, out, err);
        const bool reads =
            options.command == CliCommand::kRead || options.command == CliCommand::kDump;
        if (status != kExitSuccess || !reads) {
            return status;
        }
        return ShowDeviceImage(options, out, err);
    }
    switch (options.command) {
        case CliCommand::kSignature:
            return kExitUsage;
        case CliCommand::kErase:
            if (imageStore.IsCancelRequested()) {
                return Cancelled(out);
            }
            if (!EraseChip()) {
                std::fprintf(err,
                             "ERASE FAILED: the chip did not answer \"erasing\" (00) and then "
                             "\"erased\" (FF) within %lld ms: no chip in the socket, no clock "
                             "on the chip, or a cable wired wrong\n",
                             static_cast<long long>(kChipEraseLimitMicroseconds / 1000));
                return kExitFailed;
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
            return FinishProgramOrVerify(view, out, err, options.memory);
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
            return ShowDeviceImage(options, out, err);
        }
    }
    return kExitUsage;
}

// What read and dump do with the image read: the file written and its byte count, or the listing.
int ShowDeviceImage(const CliOptions& options, std::FILE* out, std::FILE* err) {
    if (options.command == CliCommand::kRead) {
        char count[15];
        FormatByteCount(count, imageStore.deviceByteCount);
        // "-": the bytes themselves go to standard output, the count to stderr.
        if (options.file == "-") {
            for (int i = 0; i < imageStore.deviceByteCount; ++i) {
                std::fputc(imageStore.DeviceImage[i] & 0xFF, out);
            }
            std::fprintf(err, "%s\n", count);
            return kExitSuccess;
        }
        if (!SaveRawDeviceImage(options.file)) {
            return Fail(err, "COULD NOT WRITE FILE", options.file);
        }
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

int RunWithImages(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    // The file is read for the chip named; `auto` reads it for the largest until one answers.
    currentChip = options.chip != nullptr ? options.chip : FindChip("at89s8253");
    if (options.command == CliCommand::kProgram || options.command == CliCommand::kVerify) {
        std::string detail;
        const std::string message = LoadImageInput(options.file, &detail, options.memory);
        if (!message.empty()) {
            return Fail(err, message.c_str(), detail);
        }
    }

    std::optional<SimulatedChip> simulated;
    if (options.simulatedChip) {
        simulated.emplace(*options.simulatedChipKind, options.simulatedOscillatorHz);
        std::string why;
        std::error_code error;
        if (std::filesystem::exists(PathFromUtf8(*options.simulatedChip), error)) {
            if (!sim::LoadChipStateFile(*simulated->chip.cells, *options.simulatedChip, &why)) {
                return Fail(err, "COULD NOT READ FILE", why);
            }
            simulated->RememberLoaded();
        }
        if (ChipPreparation()) {
            ChipPreparation()(*simulated->chip.pins);
        }
        if (options.trace) {
            simulated->trace.emplace();
        }
        sim::VcdTrace* trace = simulated->trace ? &*simulated->trace : nullptr;
        simulated->adapter.bitbangMultiplier = options.simulatedBitbangMultiplier;
        if (options.port.kind == PortChoice::Kind::kAdapter) {
            SetAdapterOpener(SimulatedAdapterOpener(options.port.adapter, simulated->chip.pins,
                                                    trace, simulated->adapter));
        } else {
            SetPortOpener([&simulated, trace](std::string*) {
                return sim::MakeSimulatedPort(simulated->chip.pins, MonotonicNanoseconds, trace);
            });
        }
    } else {
        SetAdapterOpener(MakeAdapterOpener(options.port));
    }

    CCycleTimer timer(HardwareCounter(), nullptr);
    cycleTimer = &timer;
    CalibrateQuickly(timer, kCalibrationWindow);
    // `auto` probes at the slowest chip's clock; the chip found then gets its own.
    const ChipRow& timedChip = options.chip != nullptr ? *options.chip : At89s8252Row();
    linkTiming = options.oscillatorHz ? DataSheetLinkTiming(timedChip, *options.oscillatorHz)
                                      : FixedLinkTiming(timedChip);
    std::string why;
    const char* openFailure = options.port.kind == PortChoice::Kind::kAdapter
                                  ? "COULD NOT OPEN ADAPTER"
                                  : "COULD NOT OPEN PARALLEL PORT";
    int status = EnsurePortOpen(&why) ? RunOnDevice(options, out, err, interactive)
                                      : Fail(err, openFailure, why);
    // The run stopped at the failure; whatever it printed is not a result.
    if (const std::string failure = PortFailure(); !failure.empty()) {
        status =
            Fail(err,
                 options.port.kind == PortChoice::Kind::kAdapter ? "ADAPTER FAILED"
                                                                 : "COULD NOT OPEN PARALLEL PORT",
                 failure + "; the chip's contents are unknown");
    }
    if (simulated && simulated->adapter.model != nullptr) {
        const sim::FtdiModel& model = *simulated->adapter.model;
        std::fprintf(err, "simulated adapter: %llu round trips, %.3f s modelled\n",
                     static_cast<unsigned long long>(model.RoundTrips()),
                     static_cast<double>(model.ModelledNs()) / 1e9);
    }
    ClosePort();
    SetPortOpener([](std::string* reason) { return OpenParallelPort(reason); });
    linkTiming = kWindowLinkTiming;
    currentChip = &At89s8252Row();
    cycleTimer = nullptr;

    if (simulated) {
        // The chip keeps what the run did to it, a cancelled run included.
        if (simulated->NeedsSaving() &&
            !sim::SaveChipStateFile(*simulated->chip.cells, *options.simulatedChip, &why)) {
            status = Fail(err, "COULD NOT WRITE FILE", why);
        }
        if (simulated->trace && !simulated->trace->WriteVcdFile(*options.trace, &why)) {
            status = Fail(err, "COULD NOT WRITE FILE", why);
        }
        // The chip keeps everyone honest: a run that broke its timing fails even when the bytes
        // came out right.
        const sim::SerialChip& chip = *simulated->chip.pins;
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

void SetSimulatedChipPreparation(std::function<void(sim::SerialChip&)> prepare) {
    ChipPreparation() = std::move(prepare);
}

int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err, bool interactive) {
    AllocateImages();
    // A Ctrl-C that came before this point still cancels.
    const bool cancelled = imageStore.IsCancelRequested();
    ResetImageStoreState();
    imageStore.SetCancelRequested(cancelled);
    int status = RunWithImages(options, out, err, interactive);
    ReleaseImages();
    // Results on a full disk or a closed pipe are results lost.
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out) != 0) {
        status = Fail(err, "COULD NOT WRITE FILE",
                      std::string("standard output: ") + std::strerror(errno != 0 ? errno : EIO));
    }
    return status;
}
