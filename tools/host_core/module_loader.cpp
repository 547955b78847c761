// Opening a module file and finding its one entry point, on either platform.
#include "tools/host_core/module_loader.h"

#include "tools/host_core/module_library.h"

namespace velmora::hostcore {

std::unique_ptr<LoadedModule> LoadedModule::Open(const std::string& utf8Path,
                                                 std::string* error) {
    void* handle = library::Open(utf8Path, error);
    if (handle == nullptr) return nullptr;
    void* symbol = library::Symbol(handle, "TriglavPluginCall");
    if (symbol == nullptr) {
        if (error != nullptr) *error = utf8Path + " exports no TriglavPluginCall";
        library::Close(handle);
        return nullptr;
    }
    std::unique_ptr<LoadedModule> module(new LoadedModule());
    module->handle_ = handle;
    module->entry_ = reinterpret_cast<TriglavPluginCallFn>(symbol);
    module->path_ = utf8Path;
    return module;
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) library::Close(handle_);
}

}  // namespace velmora::hostcore
