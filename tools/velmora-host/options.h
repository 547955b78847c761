// The command line of velmora-host: commands, their options, help texts.
#pragma once

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
    std::string source;     // empty: the bundled sample; "-": standard input
    std::string output;     // -o; "-": standard output
    std::string composite;  // --composite; "-": standard output
    std::string selection;
    std::string module;     // empty: Velmora.cpm beside the program
    std::string preset;
    std::string guide;
    std::vector<SettingText> settings;
    HostRgb colour{0, 0, 0};
    bool gray = false;
    bool savePreset = false;
    bool install = false;        // copy --preset and --guide into the user's folders
    bool printSettings = false;  // print the resolved settings before rendering
};

struct PanelOptions {
    std::string module;
    bool japanese = false;
    bool json = false;
};

struct GuideImportOptions {
    std::string input;   // "-": standard input
    std::string output;  // "-": standard output
    std::string id;      // the path element to take; empty: the first one drawn
};

struct ServeOptions {
    std::string picture;  // empty: the bundled sample
    std::string module;   // empty: Velmora.cpm beside the program
    int port = 0;         // 0: a free port the system picks
    bool japanese = false;
};

enum class Command { kNone, kRender, kPanel, kData, kGuide, kGuideImport, kServe };

struct CommandLine {
    Command command = Command::kNone;
    bool help = false;     // of the command (or of the program without one)
    bool version = false;
    bool quiet = false;
    std::string module;    // for --version
    RenderOptions render;
    PanelOptions panel;
    GuideImportOptions guideImport;
    ServeOptions serve;
};

// False with a message (without the program name) on a usage error; `help`
// then names the command whose help tells more ("render", "" for the program).
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error,
                      std::string& helpFor);

// The help text of a command ("" for the program).
const char* HelpText(Command command);

}  // namespace velmora::cli
