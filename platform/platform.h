// The operating-system calls the data files need. One header, one
// implementation per platform (posix_platform.cpp, win32_platform.cpp),
// chosen by the build.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::platform {

// The per-user roaming application-data folder without a trailing
// separator; empty when the platform can't report it.
std::u16string RoamingDataFolder();

// Whether the path names an existing directory.
bool IsDirectory(std::u16string_view path);

enum class CreateResult { kCreated, kAlreadyExists, kFailed };
// Creates one directory whose parent exists.
CreateResult CreateOneDirectory(std::u16string_view path);

struct DirectoryEntry {
    std::u16string name;  // without the folder
    bool isDirectory = false;
};
// Entries of a folder in the platform's enumeration order, "." and ".."
// included where the platform reports them; false when the enumeration
// can't start. An empty folder text is the current directory (on Windows the
// pattern is the folder, "\\" unless it ends in a separator, and "*").
bool ListDirectory(std::u16string_view folder, std::vector<DirectoryEntry>& entries);

// UTF-8 <-> UTF-16 conversions; empty for empty input or failed conversion.
// Ill-formed input (invalid UTF-8, lone surrogates) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// The platform's lowercase mapping of each UTF-16 code unit.
void LowercaseInPlace(std::u16string& text);

// The local time of t; false when it can't be converted. Safe to call from
// any thread.
bool LocalTime(std::time_t t, std::tm& out);

// Opens a file by the UTF-8 form of its path (mode as for fopen).
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

}  // namespace velmora::platform
