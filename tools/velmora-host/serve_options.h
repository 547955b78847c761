// The options of velmora-host serve.
#pragma once

#include <string>
#include <vector>

namespace velmora::cli {

struct ServeOptions {
    std::string picture;  // empty: the bundled sample
    std::string module;   // empty: Velmora.cpm beside the program
    int port = 0;         // 0: a free port the system picks
    bool japanese = false;
    bool help = false;
};

// False with a message (without the program name) on a usage error.
bool ParseServeOptions(const std::vector<std::string>& args, ServeOptions& options,
                       std::string& error);

extern const char kServeHelp[];

}  // namespace velmora::cli
