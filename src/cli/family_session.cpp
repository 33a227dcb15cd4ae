#include "cli/family_session.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/image_store.h"
#include "cli/cli_session.h"
#include "device/port_access.h"
#include "device/programming_commands.h"
#include "device/serial_link.h"
#include "device/timing.h"
#include "operations/chip_jobs.h"
#include "platform/counter_source.h"

namespace {

constexpr std::uint8_t kEnableAnswer = 0x69;

struct Session {
    const CliOptions& options;
    TerminalView& view;
    std::FILE* out;
    std::FILE* err;
    JobControl control;
};

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t b : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%s%02X", text.empty() ? "" : " ", b);
        text += part;
    }
    return text;
}

int LinkFailed(Session& s) {
    std::fprintf(s.err,
                 "COULD NOT OPEN PARALLEL PORT: the adapter failed: %s; the chip's contents are "
                 "unknown\n",
                 CurrentAdapter()->Failure().c_str());
    return kExitFileOrPort;
}

// RST high, SCK held low where the chip wants it, the data sheet's 10 ms, then the enable.
std::uint8_t EnterProgramming() {
    HoldInProgrammingMode(true);
    if (currentChip->sckLowBeforeFirstRiseOscillatorPeriods > 0) {
        HoldClockLow();
    }
    CurrentAdapter()->Wait(kProgrammingModeSettleMicroseconds);
    return ProgrammingEnable();
}

// Probes for a four-byte chip without writing anything: the enable answer (69 on the
// AT89S51/S52), then the signatures. None of the bytes sent can form a write, an erase or a lock
// on a three-byte chip, however it frames them: no byte has 10 in its two low bits (the
// three-byte write operations) and the one AC is followed by 53 (the enable).
const ChipRow* Probe() {
    currentChip = FindChip("at89s52");
    const bool answered = EnterProgramming() == kEnableAnswer;
    if (answered) {
        // Only a four-byte chip answers 69: all three signature bytes are safe to ask for now.
        std::array<std::uint8_t, 3> signature{};
        ReadSignature(signature);
        return ChipWithSignature(signature);
    }
    currentChip = FindChip("at89s8253");
    std::array<std::uint8_t, 2> signature{};
    ReadSignature(signature);
    return ChipWithSignature(signature);
}

// After the enable: the AT89S51/S52 must have answered 69, and a chip with a signature must be
// the one named before anything is written.
int CheckChip(Session& s, std::uint8_t enableAnswer) {
    const ChipRow& chip = *currentChip;
    if (chip.enableAnswers69 && enableAnswer != kEnableAnswer) {
        std::fprintf(s.err,
                     "the chip did not answer Programming Enable with 69 (it answered %02X): no "
                     "chip, no power or clock, wiring, or not an %.*s\n",
                     enableAnswer, static_cast<int>(chip.displayName.size()),
                     chip.displayName.data());
        return kExitFileOrPort;
    }
    // Erasing is how a chip locked in mode 3 or 4 (whose signature reads nothing) is recovered;
    // reading its signature or lock bits writes nothing.
    const bool writesOrReads = s.options.command != CliCommand::kErase &&
                               s.options.command != CliCommand::kSignature &&
                               !(s.options.command == CliCommand::kLock && s.options.lockMode == 0);
    if (chip.signatureBytes == 0 || !writesOrReads) {
        return kExitSuccess;
    }
    std::array<std::uint8_t, 3> signature{};
    ReadSignature(std::span(signature).first(static_cast<std::size_t>(chip.signatureBytes)));
    if (!FlushLink()) {
        return LinkFailed(s);
    }
    const auto read = std::span<const std::uint8_t>(signature).first(
        static_cast<std::size_t>(chip.signatureBytes));
    if (std::equal(read.begin(), read.end(), chip.signature.begin())) {
        return kExitSuccess;
    }
    const ChipRow* other = ChipWithSignature(read);
    const std::string found = other != nullptr ? std::string(other->displayName) : "no known chip";
    std::fprintf(s.err,
                 "signature %s names %s, not the %.*s (%s): nothing written; give the right "
                 "--chip, or erase a chip locked in mode 3 or 4\n",
                 Hex(read).c_str(), found.c_str(), static_cast<int>(chip.displayName.size()),
                 chip.displayName.data(),
                 Hex(std::span(chip.signature).first(static_cast<std::size_t>(chip.signatureBytes)))
                     .c_str());
    return kExitFileOrPort;
}

const char* LockModeEffect(int mode) {
    switch (mode) {
        case 1:
            return "no lock";
        case 2:
            return "further programming of the code flash disabled";
        case 3:
            return "further programming of the code flash and reading it back disabled";
        default:
            return "code flash programming and read-back disabled, and execution from external "
                   "memory";
    }
}

int Signature(Session& s) {
    const ChipRow& chip = *currentChip;
    if (chip.signatureBytes == 0) {
        std::fprintf(s.err, "the %.*s has no signature it can read out serially\n",
                     static_cast<int>(chip.displayName.size()), chip.displayName.data());
        return kExitFileOrPort;
    }
    std::array<std::uint8_t, 3> signature{};
    const auto read = std::span(signature).first(static_cast<std::size_t>(chip.signatureBytes));
    ReadSignature(read);
    if (!FlushLink()) {
        return LinkFailed(s);
    }
    const ChipRow* named = ChipWithSignature(read);
    std::fprintf(s.out, "%s %s\n", Hex(read).c_str(),
                 named != nullptr ? std::string(named->displayName).c_str() : "(unknown chip)");
    return kExitSuccess;
}

int Lock(Session& s) {
    const ChipRow& chip = *currentChip;
    const int mode = s.options.lockMode;
    if (mode != 0) {
        WriteLockBits(mode);
        if (!FlushLink()) {
            return LinkFailed(s);
        }
    }
    if (!chip.LockReadable()) {
        if (mode == 0) {
            std::fprintf(s.err, "the %.*s's lock bits cannot be read back serially\n",
                         static_cast<int>(chip.displayName.size()), chip.displayName.data());
            return kExitFileOrPort;
        }
        std::fprintf(s.out,
                     "LOCK MODE %d SENT: %s\nOnly a chip erase (isp8252-cli erase) clears the "
                     "lock bits.\nThe lock bits cannot be read back serially: not verified.\n",
                     mode, LockModeEffect(mode));
        return kExitSuccess;
    }
    std::uint8_t raw = 0;
    const int now = ReadLockMode(&raw);
    if (!FlushLink()) {
        return LinkFailed(s);
    }
    if (mode == 0) {
        if (now < 0) {
            std::fprintf(s.out, "LOCK BITS %02X: no protection mode leaves this pattern\n", raw);
            return kExitFailed;
        }
        std::fprintf(s.out, "LOCK MODE %d: %s\n", now, LockModeEffect(now));
        return kExitSuccess;
    }
    if (now != mode) {
        std::fprintf(s.out, "LOCK FAILED!\n");
        std::fprintf(s.err, "the lock bits read back as %02X (mode %d), not mode %d\n", raw, now,
                     mode);
        return kExitFailed;
    }
    std::fprintf(s.out,
                 "LOCK MODE %d SET: %s\nOnly a chip erase (isp8252-cli erase) clears the lock "
                 "bits.\nRead back: verified.\n",
                 mode, LockModeEffect(mode));
    return kExitSuccess;
}

int Erase(Session& s) {
    ChipErase();
    const bool erased = WaitForChipErase();
    if (!FlushLink()) {
        return LinkFailed(s);
    }
    if (!erased) {
        std::fprintf(s.err,
                     "the chip did not answer erased within %lld ms: no chip, no power or clock, "
                     "or the wiring\n",
                     static_cast<long long>(currentChip->eraseLimitMicroseconds / 1000));
        return kExitFailed;
    }
    return kExitSuccess;
}

WantedBytes WantedFromFile() {
    WantedBytes wanted(static_cast<std::size_t>(imageStore.fileByteCount));
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        wanted[a] = static_cast<std::int16_t>(imageStore.FileImage[a] & 0xFF);
    }
    return wanted;
}

int JobFailure(Session& s, JobStatus status) {
    if (status == JobStatus::kLinkFailed) {
        return LinkFailed(s);
    }
    std::fprintf(s.out, "CANCELLED!\n");
    return kExitCancelled;
}

int Program(Session& s) {
    const std::uint64_t startNs = MonotonicNanoseconds();
    const Memory memory = s.options.memory;
    const WantedBytes wanted = WantedFromFile();
    std::vector<std::uint8_t> current(wanted.size());
    s.view.SetStatusText("READING DEVICE");
    JobStatus status = ReadRange(memory, current, s.control);
    if (status != JobStatus::kDone) {
        return JobFailure(s, status);
    }
    std::vector<std::uint8_t> savedEeprom;
    const bool erase = memory == Memory::kCode && currentChip->rewriteNeedsErase &&
                       !WritableWithoutErase(wanted, current);
    if (erase) {
        const bool keepEeprom = currentChip->eepromBytes > 0;
        std::fprintf(s.err, "the chip holds other code: erasing it first%s\n",
                     keepEeprom ? " (its data EEPROM is saved and written back)" : "");
        if (keepEeprom) {
            savedEeprom.resize(static_cast<std::size_t>(currentChip->eepromBytes));
            status = ReadRange(Memory::kEeprom, savedEeprom, s.control);
            if (status != JobStatus::kDone) {
                return JobFailure(s, status);
            }
        }
        if (const int erased = Erase(s); erased != kExitSuccess) {
            std::fprintf(s.out, "WRITE FAILED!\n");
            return erased;
        }
        std::fill(current.begin(), current.end(), std::uint8_t{0xFF});
    }
    s.view.SetStatusText("PROGRAMMING DEVICE");
    WriteTally tally;
    status = WriteDiffering(memory, wanted, current, tally, s.control);
    if (status == JobStatus::kWriteFailed) {
        std::fprintf(s.out, "WRITE FAILED!\n");
        std::fprintf(s.err, "address 0x%04X did not read back true in time\n",
                     static_cast<unsigned>(tally.failedAddress));
        return kExitFailed;
    }
    if (status != JobStatus::kDone) {
        return JobFailure(s, status);
    }
    if (!savedEeprom.empty()) {
        WantedBytes keep(savedEeprom.size());
        std::transform(savedEeprom.begin(), savedEeprom.end(), keep.begin(),
                       [](std::uint8_t b) { return static_cast<std::int16_t>(b); });
        const std::vector<std::uint8_t> erased(savedEeprom.size(), 0xFF);
        WriteTally restored;
        status = WriteDiffering(Memory::kEeprom, keep, erased, restored, s.control);
        std::vector<std::uint8_t> back(savedEeprom.size());
        if (status == JobStatus::kDone) {
            status = ReadRange(Memory::kEeprom, back, s.control);
        }
        if (status == JobStatus::kLinkFailed || status == JobStatus::kCancelled ||
            back != savedEeprom) {
            std::fprintf(s.out, "WRITE FAILED!\n");
            std::fprintf(s.err,
                         "the data EEPROM could not be written back after the erase: its "
                         "contents before are lost on the chip\n");
            return status == JobStatus::kLinkFailed ? LinkFailed(s) : kExitFailed;
        }
    }
    s.view.SetStatusText("VERIFYING DEVICE");
    std::vector<std::uint8_t> read(wanted.size());
    status = ReadRange(memory, read, s.control);
    if (status != JobStatus::kDone) {
        return JobFailure(s, status);
    }
    const bool verified = FirstDifference(wanted, read) < 0;
    std::fprintf(s.out, "%s\n", verified ? "WRITE SUCCESSFUL!" : "WRITE FAILED!");
    const double seconds = static_cast<double>(MonotonicNanoseconds() - startNs) / 1e9;
    std::fprintf(s.err, "%zu bytes: %d written, %d already equal, %s, %.1f s\n", wanted.size(),
                 tally.written, tally.alreadyEqual, verified ? "verified" : "verify failed",
                 seconds);
    return verified ? kExitSuccess : kExitFailed;
}

int Verify(Session& s) {
    const WantedBytes wanted = WantedFromFile();
    std::vector<std::uint8_t> read(wanted.size());
    s.view.SetStatusText("VERIFYING DEVICE");
    const JobStatus status = ReadRange(s.options.memory, read, s.control);
    if (status != JobStatus::kDone) {
        return JobFailure(s, status);
    }
    const bool same = FirstDifference(wanted, read) < 0;
    std::fprintf(s.out, "%s\n", same ? "SAME" : "DIFFERENT");
    return same ? kExitSuccess : kExitFailed;
}

// The count a read keeps: up to the first run of 52 equal bytes, as the window's READ stops.
int EndOfData(std::span<const std::uint8_t> bytes) {
    int run = 0;
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        run = bytes[i] == bytes[i - 1] ? run + 1 : 0;
        if (run > 50) {
            return static_cast<int>(i) - 51;
        }
    }
    return static_cast<int>(bytes.size());
}

}  // namespace

int RunFamilyCommand(const CliOptions& options, TerminalView& view, std::FILE* out,
                     std::FILE* err) {
    Session s{options, view, out, err, JobControl{&view, &imageStore.cancelRequested}};
    std::uint8_t enableAnswer = 0;
    if (options.chip == nullptr) {
        const ChipRow* found = Probe();
        if (!FlushLink()) {
            HoldInProgrammingMode(false);
            return LinkFailed(s);
        }
        if (found == nullptr) {
            HoldInProgrammingMode(false);
            std::fprintf(err,
                         "no AT89S51, AT89S52 or AT89S8253 answered: a three-byte chip (AT89S8252, "
                         "AT89S53) cannot be detected, nor a chip locked in mode 3 or 4; name it "
                         "with --chip\n");
            return kExitFileOrPort;
        }
        std::fprintf(err, "found %.*s\n", static_cast<int>(found->displayName.size()),
                     found->displayName.data());
        currentChip = found;
        enableAnswer = kEnableAnswer;
    } else {
        enableAnswer = EnterProgramming();
        if (!FlushLink()) {
            HoldInProgrammingMode(false);
            return LinkFailed(s);
        }
    }
    linkTiming = options.oscillatorHz ? DataSheetLinkTiming(*currentChip, *options.oscillatorHz)
                                      : FixedLinkTiming(*currentChip);
    int status = CheckChip(s, enableAnswer);
    if (status == kExitSuccess) {
        switch (options.command) {
            case CliCommand::kErase:
                status = Erase(s);
                break;
            case CliCommand::kProgram:
                status = Program(s);
                break;
            case CliCommand::kVerify:
                status = Verify(s);
                break;
            case CliCommand::kLock:
                status = Lock(s);
                break;
            case CliCommand::kSignature:
                status = Signature(s);
                break;
            case CliCommand::kRead:
            case CliCommand::kDump: {
                const Memory memory = options.memory;
                std::vector<std::uint8_t> bytes(static_cast<std::size_t>(MemoryBytes(memory)));
                view.SetStatusText("READING DEVICE");
                const JobStatus read = ReadRange(memory, bytes, s.control);
                if (read != JobStatus::kDone) {
                    status = JobFailure(s, read);
                    break;
                }
                const bool whole = options.fullRead || memory == Memory::kEeprom;
                const int count = whole ? static_cast<int>(bytes.size()) : EndOfData(bytes);
                std::copy(bytes.begin(), bytes.end(), imageStore.DeviceImage);
                imageStore.deviceByteCount = count;
                imageStore.deviceImageValid = 1;
                status = kExitSuccess;
                break;
            }
        }
    }
    HoldInProgrammingMode(false);
    view.SetCloseLabel();
    return status;
}

bool UsesFamilyCommand(const CliOptions& options) {
    return options.chip != &At89s8252Row() || options.command == CliCommand::kSignature ||
           (options.command == CliCommand::kLock && options.lockMode == 0);
}
