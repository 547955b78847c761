// Module loading with dlopen.
#include <dlfcn.h>

#include "tools/host_core/module_loader.h"

namespace velmora::hostcore {

std::unique_ptr<LoadedModule> LoadedModule::Open(const std::string& utf8Path,
                                                 std::string* error) {
    void* handle = dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* reason = dlerror();
            *error = reason != nullptr ? reason : "cannot open " + utf8Path;
        }
        return nullptr;
    }
    void* symbol = dlsym(handle, "TriglavPluginCall");
    if (symbol == nullptr) {
        if (error != nullptr) *error = utf8Path + " exports no TriglavPluginCall";
        dlclose(handle);
        return nullptr;
    }
    std::unique_ptr<LoadedModule> module(new LoadedModule());
    module->handle_ = handle;
    module->entry_ = reinterpret_cast<TriglavPluginCallFn>(symbol);
    module->path_ = utf8Path;
    return module;
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) dlclose(handle_);
}

}  // namespace velmora::hostcore
