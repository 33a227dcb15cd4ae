#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/adapters/adapter_choice.h"
#include "platform/port_io.h"

// Which parallel port to drive. A PORT text names either a Linux ppdev device ("/dev/parport1")
// or the I/O address of the port's data register ("0x278", "0xD010" for a PCIe card; the status
// register is the next address). No text means the first port, as the programs have always used.
struct PortChoice {
    enum class Kind { kFirstPort, kDevice, kAddress, kAdapter };
    Kind kind = Kind::kFirstPort;
    std::string device;         // kDevice
    std::uint16_t address = 0;  // kAddress: the data register
    AdapterChoice adapter;      // kAdapter: a USB adapter (platform/adapters/adapter_choice.h)

    bool operator==(const PortChoice&) const = default;
};

// The first port's legacy data-register address.
inline constexpr std::uint16_t kFirstPortAddress = 0x378;

// The environment variable the window programs take their PORT text from.
inline constexpr const char* kPortEnvironmentVariable = "ISP8252_PORT";

// Parses a PORT text; an empty text is the first port. On a malformed text returns nothing and
// `why` (when given) says what is wrong.
std::optional<PortChoice> ParsePortChoice(std::string_view text, std::string* why = nullptr);

// The ways of reaching a port, tried in order until one opens.
enum class PortBackend {
    kPpdev,      // Linux: the kernel's parallel-port driver, /dev/parportN
    kDirectIo,   // Linux x86: in/out instructions after ioperm/iopl (root or CAP_SYS_RAWIO)
    kDriverDll,  // Windows: a user-mode port-I/O driver DLL (inpoutx64.dll), loaded at run time
};
enum class PortPlatform { kLinuxX86, kLinuxOther, kWindows };

struct PortAttempt {
    PortBackend backend;
    std::string device;         // kPpdev
    std::uint16_t address = 0;  // kDirectIo, kDriverDll

    bool operator==(const PortAttempt&) const = default;
};

// The platform this program was built for.
PortPlatform ThisPortPlatform();

// The access paths worth trying for `choice` on `platform`, in order. Empty when the choice
// cannot be reached there at all (a ppdev device on Windows); `why` then says so.
std::vector<PortAttempt> PortAttempts(const PortChoice& choice, PortPlatform platform,
                                      std::string* why = nullptr);

// Opens the chosen port by the first access path that works. Returns nullptr when none does;
// `why` then lists what failed.
std::unique_ptr<PortIo> OpenChosenPort(const PortChoice& choice, std::string* why = nullptr);

// What opens the port in a program: the chosen port, or for a malformed PORT text, nothing
// with the parse error as the reason. The window programs pass the ISP8252_PORT variable
// (nullptr when it is unset: the first port).
using ChosenPortOpener = std::function<std::unique_ptr<PortIo>(std::string* why)>;
ChosenPortOpener MakePortOpener(const char* portText);
