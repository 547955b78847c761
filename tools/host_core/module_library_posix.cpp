// Shared libraries through dlopen.
#include <dlfcn.h>

#include "tools/host_core/module_library.h"

namespace velmora::hostcore::library {

void* Open(const std::string& utf8Path, std::string* error) {
    void* library = dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && error != nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : "cannot open " + utf8Path;
    }
    return library;
}

void* Symbol(void* library, const char* name) { return dlsym(library, name); }

void Close(void* library) { dlclose(library); }

}  // namespace velmora::hostcore::library
