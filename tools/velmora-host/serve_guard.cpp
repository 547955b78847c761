// Token and host checks of the preview server.
#include "tools/velmora-host/serve_guard.h"

#include <cstdint>
#include <random>

namespace velmora::cli {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
}

}  // namespace

std::string MakeToken() {
    std::random_device device;
    static const char kDigits[] = "0123456789abcdef";
    std::string token;
    for (int word = 0; word < 4; ++word) {
        uint32_t bits = device();
        for (int i = 0; i < 8; ++i, bits >>= 4) token += kDigits[bits & 15];
    }
    return token;
}

bool TokenMatches(std::string_view given, std::string_view token) {
    if (token.empty() || given.size() != token.size()) return false;
    unsigned difference = 0;
    for (size_t i = 0; i < token.size(); ++i) difference |= unsigned(given[i] ^ token[i]);
    return difference == 0;
}

bool IsLoopbackHost(std::string_view host, int port) {
    const std::string h = Lower(host);
    const std::string suffix = ":" + std::to_string(port);
    return h == "127.0.0.1" + suffix || h == "localhost" + suffix;
}

bool IsOwnOrigin(std::string_view origin, int port) {
    const std::string o = Lower(origin);
    return o.rfind("http://", 0) == 0 && IsLoopbackHost(std::string_view(o).substr(7), port);
}

}  // namespace velmora::cli
