// The commands of velmora-host; each returns the exit status.
#pragma once

#include <cstdio>

#include "tools/velmora-host/options.h"
#include "tools/velmora-host/serve_options.h"

namespace velmora::cli {

int RunRender(const RenderOptions& options, std::FILE* out, std::FILE* err);
int RunPanel(const PanelOptions& options, std::FILE* out, std::FILE* err);
// Runs until a stop signal (Ctrl+C).
int RunServe(const ServeOptions& options, std::FILE* out, std::FILE* err);

// The whole program: argv without the program name.
int RunCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace velmora::cli
