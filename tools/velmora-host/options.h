// The command line of velmora-host: commands, their options, help texts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/host_interface.h"
#include "tools/velmora-host/edits.h"

namespace velmora::cli {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;   // a file, the module or the render failed
constexpr int kExitRefused = 2;  // a usage error or a value the panel refuses

struct RenderOptions {
    std::string source;     // empty: the bundled sample
    std::string output;     // -o
    std::string composite;  // --composite
    std::string selection;
    std::string module;     // empty: Velmora.cpm beside the program
    std::string preset;
    std::string guide;
    std::vector<SettingText> settings;
    HostRgb colour{0, 0, 0};
    bool gray = false;
    bool savePreset = false;
    bool help = false;
};

struct PanelOptions {
    std::string module;
    bool japanese = false;
    bool help = false;
};

// False with a message (without the program name) on a usage error.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);
bool ParsePanelOptions(const std::vector<std::string>& args, PanelOptions& options,
                       std::string& error);

// "#RRGGBB" or "RRGGBB".
std::optional<HostRgb> ParseColour(const std::string& text);

extern const char kMainHelp[];
extern const char kRenderHelp[];
extern const char kPanelHelp[];

}  // namespace velmora::cli
