#include "platform/adapters/adapter_choice.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace {

struct AdapterKind {
    std::string_view name;
    AdapterChoice::Kind kind;
    FtdiChip chip;
    char lastChannel;
    AdapterPins pins;
};

constexpr std::array<AdapterKind, 5> kKinds{{
    {"ft232r", AdapterChoice::Kind::kFtdiBitbang, FtdiChip::kFt232r, 'A', kFt232rDefaultPins},
    {"ft245r", AdapterChoice::Kind::kFtdiBitbang, FtdiChip::kFt232r, 'A', kFt232rDefaultPins},
    {"ft232h", AdapterChoice::Kind::kFtdiMpsse, FtdiChip::kFt232h, 'A', kMpsseDefaultPins},
    {"ft2232h", AdapterChoice::Kind::kFtdiMpsse, FtdiChip::kFt2232h, 'B', kMpsseDefaultPins},
    {"ft4232h", AdapterChoice::Kind::kFtdiMpsse, FtdiChip::kFt4232h, 'B', kMpsseDefaultPins},
}};

bool Bad(std::string* why, std::string_view text, const std::string& reason) {
    if (why != nullptr) {
        *why = "bad adapter \"" + std::string(text) + "\": " + reason;
    }
    return false;
}

unsigned* LineOf(AdapterPins& pins, std::string_view name) {
    if (name == "sck") {
        return &pins.sck;
    }
    if (name == "mosi") {
        return &pins.mosi;
    }
    if (name == "miso") {
        return &pins.miso;
    }
    return name == "rst" ? &pins.rst : nullptr;
}

// "sck=0,mosi=2,invert=rst+sck" onto `choice`.
bool ParsePins(std::string_view part, AdapterChoice& choice, std::vector<unsigned*>& inverted,
               std::string_view text, std::string* why) {
    while (!part.empty()) {
        const std::size_t comma = part.find(',');
        const std::string_view item = part.substr(0, comma);
        part = comma == std::string_view::npos ? std::string_view{} : part.substr(comma + 1);
        const std::size_t equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (key == "invert") {
            for (std::string_view rest = value; !rest.empty();) {
                const std::size_t plus = rest.find('+');
                unsigned* line = LineOf(choice.pins, rest.substr(0, plus));
                if (line == nullptr) {
                    return Bad(why, text, "invert takes sck, mosi, miso or rst joined by +");
                }
                inverted.push_back(line);
                rest = plus == std::string_view::npos ? std::string_view{} : rest.substr(plus + 1);
            }
            continue;
        }
        unsigned* line = LineOf(choice.pins, key);
        unsigned pin = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), pin);
        if (line == nullptr || error != std::errc() || end != value.data() + value.size() ||
            pin > 7) {
            return Bad(why, text, "pins are sck=, mosi=, miso= or rst= with a pin from 0 to 7");
        }
        *line = pin;
    }
    return true;
}

}  // namespace

std::optional<AdapterChoice> ParseAdapterChoice(std::string_view text, std::string* why) {
    const std::string_view name = text.substr(0, text.find(':'));
    const auto kind = std::find_if(kKinds.begin(), kKinds.end(),
                                   [name](const AdapterKind& k) { return k.name == name; });
    if (kind == kKinds.end()) {
        return std::nullopt;
    }
    AdapterChoice choice;
    choice.kind = kind->kind;
    choice.ftdi.chip = kind->chip;
    choice.pins = kind->pins;
    std::string_view rest = name.size() < text.size() ? text.substr(name.size() + 1) : "";
    // Lines to invert, resolved to pins once every pin is known, whatever the order given.
    std::vector<unsigned*> inverted;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view part = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (part.size() == 1 && part[0] >= 'A' && part[0] <= 'D') {
            if (part[0] > kind->lastChannel) {
                Bad(why, text,
                    std::string("the ") + std::string(kind->name) + " has no channel " +
                        std::string(part));
                return std::nullopt;
            }
            choice.ftdi.channel = part[0];
        } else if (part.find('=') != std::string_view::npos) {
            if (!ParsePins(part, choice, inverted, text, why)) {
                return std::nullopt;
            }
        } else if (!part.empty()) {
            choice.ftdi.serial = std::string(part);
        } else {
            Bad(why, text, "an empty field");
            return std::nullopt;
        }
    }
    for (const unsigned* line : inverted) {
        choice.pins.inverted |= 1u << *line;
    }
    const AdapterPins& p = choice.pins;
    if (p.sck == p.mosi || p.sck == p.miso || p.sck == p.rst || p.mosi == p.miso ||
        p.mosi == p.rst || p.miso == p.rst) {
        Bad(why, text, "two lines on one pin");
        return std::nullopt;
    }
    if (choice.kind == AdapterChoice::Kind::kFtdiMpsse &&
        (p.sck != 0 || p.mosi != 1 || p.miso != 2 || (p.inverted & 0x7u) != 0)) {
        Bad(why, text, "the MPSSE's SCK, MOSI and MISO are AD0, AD1 and AD2, not inverted");
        return std::nullopt;
    }
    return choice;
}
