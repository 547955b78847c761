// The platform calls on Windows: the wide file API and the UTF-8 code page
// (the shell's known folder is in win32_data_root.cpp). UTF-16 text is
// wchar_t there, so char16_t buffers pass straight through.
#include "platform/platform.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <climits>
#include <ctime>

namespace velmora::platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A zero-terminated wide copy for the calls that need one.
std::wstring Terminated(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

bool EndsWithSeparator(std::u16string_view text) {
    return !text.empty() && (text.back() == u'/' || text.back() == u'\\');
}

}  // namespace

bool IsDirectory(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(Terminated(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

CreateResult CreateOneDirectory(std::u16string_view path) {
    if (CreateDirectoryW(Terminated(path).c_str(), nullptr)) return CreateResult::kCreated;
    return GetLastError() == ERROR_ALREADY_EXISTS ? CreateResult::kAlreadyExists
                                                  : CreateResult::kFailed;
}

bool ListDirectory(std::u16string_view folder, std::vector<DirectoryEntry>& entries) {
    std::wstring pattern = Terminated(folder);
    if (!folder.empty() && !EndsWithSeparator(folder)) pattern += L'\\';
    pattern += L'*';

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        DirectoryEntry entry;
        entry.name.assign(reinterpret_cast<const char16_t*>(found.cFileName));
        entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string result(static_cast<size_t>(length), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide, units, result.data(), length, nullptr, nullptr) !=
        length) {
        return {};
    }
    return result;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int bytes = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    if (length <= 0) return {};
    std::u16string result(static_cast<size_t>(length), u'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes,
                            reinterpret_cast<wchar_t*>(result.data()), length) != length) {
        return {};
    }
    return result;
}

void LowercaseInPlace(std::u16string& text) {
    // One code unit at a time: CharLowerBuffW would lower a surrogate pair as
    // one character, and the mapping is per code unit.
    for (char16_t& unit : text) CharLowerBuffW(reinterpret_cast<wchar_t*>(&unit), 1);
}

bool LocalTime(std::time_t t, std::tm& out) { return localtime_s(&out, &t) == 0; }

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    if (utf8Path.empty() || mode == nullptr) return nullptr;
    const std::u16string path = Utf8ToUtf16(utf8Path);
    if (path.empty()) return nullptr;
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c) wideMode += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return _wfopen(Terminated(path).c_str(), wideMode.c_str());
}

}  // namespace velmora::platform
