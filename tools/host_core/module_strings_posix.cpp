// The string table of a shared object: the data file beside it.
#include "tools/host_core/module_loader.h"
#include "tools/host_core/string_table.h"

namespace velmora::hostcore {

bool LoadedModule::ReadStrings(StringTable& table) const {
    StringTable read;
    if (!read.LoadFile(StringTable::PathBesideModule(path_))) return false;
    table = std::move(read);
    return true;
}

}  // namespace velmora::hostcore
