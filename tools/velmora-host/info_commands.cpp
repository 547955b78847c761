// velmora-host data and --version: where the module keeps its files, and
// who is who.
#include <cstdio>

#include "tools/host_core/host_core.h"
#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/data_folders.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/module_session.h"
#include "velmora_version.h"

namespace velmora::cli {

int RunData(const Console& console) {
    const std::filesystem::path root = UserDataRoot();
    if (root.empty()) {
        return console.Fail(kExitFailed, "the system tells no folder for the module's data");
    }
    std::fprintf(console.out,
                 "presets: %s\n"
                 "guides:  %s\n"
                 "\n"
                 "The module lists the .ini files of the first folder in \"Preset\" and the\n"
                 ".svg files of the second in \"Guide\", and saves new presets into the first.\n"
                 "%s"
                 "render --preset and --guide use their files for that run only; add\n"
                 "--install to copy them into these folders.\n",
                 Utf8Path(PresetFolderUnder(root)).c_str(), Utf8Path(GuideFolderUnder(root)).c_str(),
                 DataRootExplanation());
    return kExitOk;
}

int RunVersion(const std::string& module, const Console& console) {
    std::fprintf(console.out, "velmora-host %s\n", VELMORA_VERSION);
    const std::string path = ModulePath(module);
    hostcore::HostOptions options;
    options.logCalls = false;
    hostcore::HostCore host(options);
    std::string error;
    if (!OpenModule(host, path, error)) return console.Fail(kExitFailed, error);
    char kind[16];
    std::snprintf(kind, sizeof kind, "0x%X", unsigned(host.moduleKind().value_or(0)));
    std::fprintf(console.out, "module %s: id %s, kind %s\n", path.c_str(),
                 host.moduleId().value_or("(none)").c_str(),
                 host.moduleKind() ? kind : "(none)");
    host.ModuleTerminate();
    return kExitOk;
}

}  // namespace velmora::cli
