// The system calls of the command-line host on Windows.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/velmora-host/system.h"

namespace velmora::cli {
namespace {

bool FromHandle(HANDLE handle, FileId& id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
        GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    id.device = info.dwVolumeSerialNumber;
    id.index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

std::wstring Variable(const wchar_t* name, bool& had) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    had = n > 0;
    if (!had) return {};
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(got);
    return value;
}

std::string Narrow(const std::wstring& text) {
    return std::filesystem::path(text).string();
}

}  // namespace

bool IdentifyFile(const std::filesystem::path& path, FileId& id) {
    const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = FromHandle(h, id);
    CloseHandle(h);
    return ok;
}

bool IdentifyStandardStream(int stream, FileId& id) {
    return FromHandle(GetStdHandle(stream == 0 ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE), id);
}

std::string WriteRefusal(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::strerror(ENOENT);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {};
    if (attributes & FILE_ATTRIBUTE_READONLY) return std::strerror(EACCES);
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::strerror(EACCES);
    CloseHandle(h);
    return {};
}

std::string LastSystemReason() { return std::strerror(errno); }

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

std::filesystem::path UserDataRoot() {
    PWSTR path = nullptr;
    std::filesystem::path root;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path))) {
        root = std::filesystem::path(path);
    }
    CoTaskMemFree(path);
    return root;
}

const char* DataRootExplanation() {
    return "They lie in your roaming application-data folder (%APPDATA%), which the\n"
           "system's known-folder settings place.\n";
}

// The roaming folder follows USERPROFILE only where the shell expands the
// user's folders from this process's environment; checked by asking the
// shell again. Wine's shell takes the profile from elsewhere, so there the
// redirection fails and the run's files go into the user's folders instead.
bool DataRootRedirect::Redirect(const std::filesystem::path& base, std::filesystem::path& root) {
    Restore();
    std::error_code ec;
    const std::filesystem::path profile = std::filesystem::absolute(base, ec);
    if (ec) return false;
    root = profile / "AppData" / "Roaming";
    std::filesystem::create_directories(root, ec);
    active_ = true;
    for (const wchar_t* name : {L"USERPROFILE", L"APPDATA"}) {
        bool had = false;
        const std::wstring value = Variable(name, had);
        saved_.push_back(Saved{Narrow(name), had, Narrow(value)});
    }
    SetEnvironmentVariableW(L"USERPROFILE", profile.c_str());
    SetEnvironmentVariableW(L"APPDATA", root.c_str());
    const std::filesystem::path now = UserDataRoot();
    if (!now.empty() && std::filesystem::equivalent(now, root, ec) && !ec) return true;
    Restore();
    return false;
}

void DataRootRedirect::Restore() {
    if (!active_) return;
    for (const Saved& s : saved_) {
        const std::wstring name = std::filesystem::path(s.name).wstring();
        const std::wstring value = std::filesystem::path(s.value).wstring();
        SetEnvironmentVariableW(name.c_str(), s.had ? value.c_str() : nullptr);
    }
    saved_.clear();
    active_ = false;
}

}  // namespace velmora::cli
