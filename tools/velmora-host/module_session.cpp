// Module loading for both commands.
#include "tools/velmora-host/module_session.h"

#include <system_error>

#include "tools/velmora-host/files.h"
#include "tools/velmora-host/self_path.h"

namespace velmora::cli {

std::string ModulePath(const std::string& given) {
    if (!given.empty()) return given;
    return Utf8Path(ExecutableFolder() / "Velmora.cpm");
}

bool OpenModule(hostcore::HostCore& host, const std::string& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FsPath(path), ec)) {
        error = "no module at \"" + path + "\" (give one with --module PATH)";
        return false;
    }
    std::string reason;
    if (!host.LoadModule(path, &reason)) {
        error = "cannot load the module \"" + path + "\"" + (reason.empty() ? "" : ": " + reason);
        return false;
    }
    if (host.stringTable().empty()) {
        error = "the module \"" + path + "\" has no string table beside it (" +
                hostcore::StringTable::PathBesideModule(path) + ")";
        return false;
    }
    if (host.ModuleInitialize() != 0) {
        error = "the module \"" + path + "\" failed to initialise";
        return false;
    }
    return true;
}

}  // namespace velmora::cli
