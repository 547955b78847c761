// Drawing colours read and written as "#RRGGBB".
#include "tools/velmora-host/colour_text.h"

#include <cstdint>

namespace velmora::cli {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<HostRgb> ParseColour(const std::string& text) {
    const std::string hex = (!text.empty() && text[0] == '#') ? text.substr(1) : text;
    if (hex.size() != 6) return std::nullopt;
    uint8_t bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = uint8_t(hi * 16 + lo);
    }
    return HostRgb{bytes[0], bytes[1], bytes[2]};
}

std::string ColourText(HostRgb c) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text = "#";
    for (uint8_t b : {c.r, c.g, c.b}) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

}  // namespace velmora::cli
