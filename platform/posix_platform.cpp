// The data files' operating-system calls on POSIX systems. The roaming
// application-data folder of Windows becomes the XDG configuration folder.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"

namespace velmora::platform {
namespace {

std::string NativePath(std::u16string_view path) { return Utf16ToUtf8(path); }

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::u16string WithoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    return Utf8ToUtf16(path);
}

}  // namespace

std::u16string RoamingDataFolder() {
    // XDG: a relative XDG_CONFIG_HOME is ignored like an unset one.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (IsAbsolute(config)) return WithoutTrailingSlashes(config);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return WithoutTrailingSlashes(std::string(home) + "/.config");
}

bool IsDirectory(std::u16string_view path) {
    struct stat info {};
    return ::stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

CreateResult CreateOneDirectory(std::u16string_view path) {
    if (::mkdir(NativePath(path).c_str(), 0755) == 0) return CreateResult::kCreated;
    return errno == EEXIST ? CreateResult::kAlreadyExists : CreateResult::kFailed;
}

bool ListDirectory(std::u16string_view folder, std::vector<DirectoryEntry>& entries) {
    std::string native = folder.empty() ? std::string(".") : NativePath(folder);
    DIR* dir = ::opendir(native.c_str());
    if (dir == nullptr) return false;
    if (native.back() != '/') native += '/';
    while (const dirent* entry = ::readdir(dir)) {
        DirectoryEntry item;
        item.name = Utf8ToUtf16(entry->d_name);
        if (entry->d_type == DT_DIR) {
            item.isDirectory = true;
        } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // The file system doesn't say, or a link: ask for what it names.
            struct stat info {};
            item.isDirectory = ::stat((native + entry->d_name).c_str(), &info) == 0 &&
                               S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(item));
    }
    ::closedir(dir);
    return true;
}

bool LocalTime(std::time_t t, std::tm& out) { return ::localtime_r(&t, &out) != nullptr; }

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return std::fopen(utf8Path.c_str(), mode);
}

}  // namespace velmora::platform
