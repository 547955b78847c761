// velmora-host: renders the Velmora effect without a painting application.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/self_path.h"

namespace velmora::cli {

void Console::Note(const std::string& text) const {
    if (!quiet) std::fprintf(err, "%s\n", text.c_str());
}

void Console::Warn(const std::string& text) const {
    if (!quiet) std::fprintf(err, "velmora-host: warning: %s\n", text.c_str());
}

int Console::Fail(int status, const std::string& text) const {
    std::fprintf(err, "velmora-host: %s\n", text.c_str());
    return status;
}

int RunCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        std::fputs(HelpText(Command::kNone), err);
        return kExitRefused;
    }
    CommandLine line;
    std::string error, helpFor;
    if (!ParseCommandLine(args, line, error, helpFor)) {
        const std::string see = helpFor.empty() ? "velmora-host --help"
                                                : "velmora-host " + helpFor + " --help";
        std::fprintf(err, "velmora-host: %s (see %s)\n", error.c_str(), see.c_str());
        return kExitRefused;
    }
    if (line.help || (line.command == Command::kNone && !line.version)) {
        std::fputs(HelpText(line.command), line.help ? out : err);
        return line.help ? kExitOk : kExitRefused;
    }
    const Console console{out, err, line.quiet};
    switch (line.command) {
        case Command::kRender: return RunRender(line.render, console);
        case Command::kPanel: return RunPanel(line.panel, console);
        case Command::kData: return RunData(console);
        case Command::kGuideImport: return RunGuideImport(line.guideImport, console);
        default: return RunVersion(line.module, console);
    }
}

}  // namespace velmora::cli

int main(int argc, char** argv) {
    try {
        return velmora::cli::RunCommandLine(velmora::cli::Utf8Arguments(argc, argv), stdout,
                                            stderr);
    } catch (const std::bad_alloc&) {
        std::fputs("velmora-host: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora-host: %s\n", e.what());
    } catch (...) {
        std::fputs("velmora-host: unexpected failure\n", stderr);
    }
    return velmora::cli::kExitFailed;
}
