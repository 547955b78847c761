// The commands of velmora-host; each returns the exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/velmora-host/options.h"

namespace velmora::cli {

// Where a command prints: results on `out`, notes and errors on `err`;
// quiet keeps only errors (and the results a command is asked for).
struct Console {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool quiet = false;

    // A note ("wrote x.png"); silent when quiet.
    void Note(const std::string& text) const;
    void Warn(const std::string& text) const;  // "velmora-host: warning: ..."
    int Fail(int status, const std::string& text) const;  // "velmora-host: ...", status
};

int RunRender(const RenderOptions& options, const Console& console);
int RunPanel(const PanelOptions& options, const Console& console);
int RunData(const Console& console);
int RunGuideImport(const GuideImportOptions& options, const Console& console);
int RunVersion(const std::string& module, const Console& console);

// The whole program: argv without the program name.
int RunCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace velmora::cli
