#include "platform/port_choice.h"

#include <cerrno>
#include <charconv>

#include "platform/port_backends.h"

namespace {

constexpr std::string_view kPortForms =
    "give a ppdev device such as /dev/parport1, an I/O address such as 0x278, or an adapter "
    "such as ft232r or ft2232h:B";

bool Fail(std::string* why, std::string_view text) {
    if (why != nullptr) {
        *why = "bad port \"" + std::string(text) + "\": " + std::string(kPortForms);
    }
    return false;
}

void Append(std::string* why, const std::string& reason) {
    if (why != nullptr) {
        *why += (why->empty() ? "" : "; ") + reason;
    }
}

}  // namespace

std::optional<PortChoice> ParsePortChoice(std::string_view text, std::string* why) {
    PortChoice choice;
    if (text.empty()) {
        return choice;
    }
    if (std::string adapterWhy; const auto adapter = ParseAdapterChoice(text, &adapterWhy)) {
        choice.kind = PortChoice::Kind::kAdapter;
        choice.adapter = *adapter;
        return choice;
    } else if (!adapterWhy.empty()) {
        if (why != nullptr) {
            *why = adapterWhy;
        }
        return std::nullopt;
    }
    if (text.front() == '/') {
        choice.kind = PortChoice::Kind::kDevice;
        choice.device = std::string(text);
        return choice;
    }
    // An I/O address in hexadecimal. The status register is the next address, so the data
    // register cannot be the last one of the 64 K I/O space; 0 is never a port.
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X')) {
        Fail(why, text);
        return std::nullopt;
    }
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + 2, end, value, 16);
    if (error != std::errc() || stop != end || value == 0 || value >= 0xFFFF) {
        Fail(why, text);
        return std::nullopt;
    }
    choice.kind = PortChoice::Kind::kAddress;
    choice.address = static_cast<std::uint16_t>(value);
    return choice;
}

PortPlatform ThisPortPlatform() {
#if defined(_WIN32)
    return PortPlatform::kWindows;
#elif defined(__x86_64__) || defined(__i386__)
    return PortPlatform::kLinuxX86;
#else
    return PortPlatform::kLinuxOther;
#endif
}

std::vector<PortAttempt> PortAttempts(const PortChoice& choice, PortPlatform platform,
                                      std::string* why) {
    const bool windows = platform == PortPlatform::kWindows;
    const bool x86 = platform == PortPlatform::kLinuxX86;
    switch (choice.kind) {
        case PortChoice::Kind::kFirstPort:
            if (windows) {
                return {{PortBackend::kDriverDll, {}, kFirstPortAddress}};
            }
            // ppdev first: it needs no root and finds the first port whatever its address.
            if (x86) {
                return {{PortBackend::kPpdev, "/dev/parport0", 0},
                        {PortBackend::kDirectIo, {}, kFirstPortAddress}};
            }
            return {{PortBackend::kPpdev, "/dev/parport0", 0}};
        case PortChoice::Kind::kDevice:
            if (windows) {
                Append(why, choice.device + ": ppdev devices exist only on Linux; on Windows " +
                                "give the port's I/O address, such as 0x378");
                return {};
            }
            return {{PortBackend::kPpdev, choice.device, 0}};
        case PortChoice::Kind::kAddress:
            if (windows) {
                return {{PortBackend::kDriverDll, {}, choice.address}};
            }
            if (x86) {
                return {{PortBackend::kDirectIo, {}, choice.address}};
            }
            Append(why, "direct port I/O needs an x86 processor; give a ppdev device instead");
            return {};
        case PortChoice::Kind::kAdapter:
            Append(why, "a USB adapter is no parallel port");
            return {};
    }
    return {};
}

std::unique_ptr<PortIo> OpenChosenPort(const PortChoice& choice, std::string* why) {
    std::string reasons;
    std::unique_ptr<PortIo> port;
    for (const PortAttempt& attempt : PortAttempts(choice, ThisPortPlatform(), &reasons)) {
        std::string reason;
        bool tryNoFurther = false;
        switch (attempt.backend) {
            case PortBackend::kPpdev:
                port = OpenPpdevPort(attempt.device, &reason);
                // A ppdev device that exists but is busy or forbidden is the port: going round it
                // with direct I/O would fight its holder for the lines.
                tryNoFurther = !port && (errno == EBUSY || errno == EACCES || errno == EPERM);
                break;
            case PortBackend::kDirectIo:
                port = OpenDirectIoPort(attempt.address, &reason);
                break;
            case PortBackend::kDriverDll:
                port = OpenDriverDllPort(attempt.address, &reason);
                break;
        }
        if (port) {
            return port;
        }
        Append(&reasons, reason);
        if (tryNoFurther) {
            break;
        }
    }
    if (why != nullptr) {
        *why = reasons;
    }
    return nullptr;
}

ChosenPortOpener MakePortOpener(const char* portText) {
    std::string parseError;
    const std::optional<PortChoice> choice =
        ParsePortChoice(portText == nullptr ? std::string_view() : portText, &parseError);
    if (!choice) {
        return [parseError](std::string* why) -> std::unique_ptr<PortIo> {
            if (why != nullptr) {
                *why = std::string(kPortEnvironmentVariable) + ": " + parseError;
            }
            return nullptr;
        };
    }
    return [choice = *choice](std::string* why) { return OpenChosenPort(choice, why); };
}
