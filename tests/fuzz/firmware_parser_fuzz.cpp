#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hex-bin/firmware_parser.h"

// Any text at all must come back as an image the chip can hold or as an error naming a line of
// that text; anything else (a crash, a sanitizer report, an impossible result) stops the run.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const firmware::ParseResult result = firmware::ParseFirmware(text);
    if (result.ok()) {
        if (result.image.empty() || result.image.size() > firmware::kCodeCapacity ||
            result.format == firmware::Format::kUnknown) {
            std::abort();
        }
    } else {
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        if (result.error->line < 1 || result.error->line > lines + 1 ||
            result.error->message.empty() || !result.image.empty()) {
            std::abort();
        }
    }
    return 0;
}
