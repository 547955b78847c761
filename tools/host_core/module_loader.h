// Opening a module file and finding its entry point (module_loader.cpp, over
// the platform's libraries in module_library.h); reading its string table
// (module_strings_posix.cpp, module_strings_win32.cpp).
#pragma once

#include <memory>
#include <string>

#include "host/host_interface.h"

namespace velmora::hostcore {

class StringTable;

class LoadedModule {
public:
    // Null with a reason in *error when the file can't be opened or has no
    // TriglavPluginCall.
    static std::unique_ptr<LoadedModule> Open(const std::string& utf8Path, std::string* error);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    TriglavPluginCallFn entry() const { return entry_; }
    const std::string& path() const { return path_; }
    // The module's string table: on Windows its STRINGTABLE resources, elsewhere
    // the data file beside it. False (table unchanged) when there is none.
    bool ReadStrings(StringTable& table) const;

private:
    LoadedModule() = default;
    void* handle_ = nullptr;
    TriglavPluginCallFn entry_ = nullptr;
    std::string path_;
};

}  // namespace velmora::hostcore
