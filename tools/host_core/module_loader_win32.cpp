// Module loading with LoadLibraryW.
#include <windows.h>

#include "tools/host_core/module_loader.h"

namespace velmora::hostcore {
namespace {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::Open(const std::string& utf8Path,
                                                 std::string* error) {
    HMODULE handle = LoadLibraryW(Widen(utf8Path).c_str());
    if (handle == nullptr) {
        if (error != nullptr) {
            *error = "cannot open " + utf8Path + " (error " + std::to_string(GetLastError()) + ")";
        }
        return nullptr;
    }
    FARPROC symbol = GetProcAddress(handle, "TriglavPluginCall");
    if (symbol == nullptr) {
        if (error != nullptr) *error = utf8Path + " exports no TriglavPluginCall";
        FreeLibrary(handle);
        return nullptr;
    }
    std::unique_ptr<LoadedModule> module(new LoadedModule());
    module->handle_ = handle;
    module->entry_ = reinterpret_cast<TriglavPluginCallFn>(reinterpret_cast<void*>(symbol));
    module->path_ = utf8Path;
    return module;
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

}  // namespace velmora::hostcore
