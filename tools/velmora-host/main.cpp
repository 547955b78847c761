// velmora-host: renders the Velmora effect without a painting application.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/self_path.h"

namespace velmora::cli {

int RunCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        std::fputs(kMainHelp, err);
        return kExitRefused;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kMainHelp, out);
        return kExitOk;
    }
    std::string error;
    if (command == "render") {
        RenderOptions options;
        if (!ParseRenderOptions(rest, options, error)) {
            std::fprintf(err, "velmora-host: %s (see velmora-host render --help)\n", error.c_str());
            return kExitRefused;
        }
        if (options.help) {
            std::fputs(kRenderHelp, out);
            return kExitOk;
        }
        return RunRender(options, out, err);
    }
    if (command == "panel") {
        PanelOptions options;
        if (!ParsePanelOptions(rest, options, error)) {
            std::fprintf(err, "velmora-host: %s (see velmora-host panel --help)\n", error.c_str());
            return kExitRefused;
        }
        if (options.help) {
            std::fputs(kPanelHelp, out);
            return kExitOk;
        }
        return RunPanel(options, out, err);
    }
    if (command == "serve") {
        ServeOptions options;
        if (!ParseServeOptions(rest, options, error)) {
            std::fprintf(err, "velmora-host: %s (see velmora-host serve --help)\n", error.c_str());
            return kExitRefused;
        }
        if (options.help) {
            std::fputs(kServeHelp, out);
            return kExitOk;
        }
        return RunServe(options, out, err);
    }
    std::fprintf(err, "velmora-host: unknown command \"%s\" (commands: render, panel, serve; see "
                      "velmora-host --help)\n", command.c_str());
    return kExitRefused;
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
