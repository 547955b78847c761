// Shared libraries (DLLs) through LoadLibraryW.
#include <windows.h>

#include "tools/host_core/module_library.h"

namespace velmora::hostcore::library {
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

void* Open(const std::string& utf8Path, std::string* error) {
    HMODULE library = LoadLibraryW(Widen(utf8Path).c_str());
    if (library == nullptr && error != nullptr) {
        *error = "cannot open " + utf8Path + " (error " + std::to_string(GetLastError()) + ")";
    }
    return reinterpret_cast<void*>(library);
}

void* Symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void Close(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace velmora::hostcore::library
