// The system calls of the command-line host on POSIX systems.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/velmora-host/system.h"

namespace velmora::cli {
namespace {

constexpr const char* kConfigVariable = "XDG_CONFIG_HOME";

bool FromStat(const struct stat& info, FileId& id) {
    if (!S_ISREG(info.st_mode)) return false;
    id.device = uint64_t(info.st_dev);
    id.index = uint64_t(info.st_ino);
    return true;
}

}  // namespace

bool IdentifyFile(const std::filesystem::path& path, FileId& id) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && FromStat(info, id);
}

bool IdentifyStandardStream(int stream, FileId& id) {
    struct stat info {};
    return ::fstat(stream, &info) == 0 && FromStat(info, id);
}

std::string WriteRefusal(const std::filesystem::path& path) {
    if (::access(path.c_str(), W_OK) == 0) return {};
    return std::strerror(errno);
}

std::string LastSystemReason() { return std::strerror(errno); }

void UseBinaryStandardStreams() {}

std::filesystem::path UserDataRoot() {
    // The module's rule: an absolute XDG_CONFIG_HOME, else $HOME/.config.
    const char* config = std::getenv(kConfigVariable);
    if (config != nullptr && config[0] == '/') return std::filesystem::path(config);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return std::filesystem::path(home) / ".config";
}

const char* DataRootExplanation() {
    return "They lie under $XDG_CONFIG_HOME when it is set to an absolute path, else under\n"
           "$HOME/.config; setting XDG_CONFIG_HOME moves them.\n";
}

bool DataRootRedirect::Redirect(const std::filesystem::path& base, std::filesystem::path& root) {
    Restore();
    std::error_code ec;
    root = std::filesystem::absolute(base, ec);
    if (ec) return false;
    const char* old = std::getenv(kConfigVariable);
    saved_.push_back(Saved{kConfigVariable, old != nullptr, old != nullptr ? old : ""});
    active_ = true;
    return ::setenv(kConfigVariable, root.c_str(), 1) == 0;
}

void DataRootRedirect::Restore() {
    if (!active_) return;
    for (const Saved& s : saved_) {
        if (s.had) ::setenv(s.name.c_str(), s.value.c_str(), 1);
        else ::unsetenv(s.name.c_str());
    }
    saved_.clear();
    active_ = false;
}

}  // namespace velmora::cli
