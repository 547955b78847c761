// The platform's shared libraries, as the module loader needs them: open a
// file, find a symbol, close. One implementation per platform:
// module_library_posix.cpp (dlopen), module_library_win32.cpp (LoadLibraryW).
#pragma once

#include <string>

namespace velmora::hostcore::library {

// The opened library; null with the platform's reason in *error (when given).
void* Open(const std::string& utf8Path, std::string* error);
// The address of an exported symbol; null when there is none.
void* Symbol(void* library, const char* name);
void Close(void* library);

}  // namespace velmora::hostcore::library
