// The module's data folders under the user's roaming data folder, their
// file lists, the shown names of files and whole-file reads.
#include "data/data_folders.h"

#include <cstdio>
#include <exception>

#include "platform/platform.h"

namespace velmora {
namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

bool EndsWithSeparator(std::u16string_view text) {
    return !text.empty() && IsSeparator(text.back());
}

// Index of the last "/" or "\", or npos.
size_t LastSeparator(std::u16string_view text) { return text.find_last_of(u"/\\"); }

bool EndsWith(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::u16string DataRoot() { return platform::RoamingDataFolder(); }

std::u16string PresetFolder() { return DataRoot() + u"/orvalen/vmplugin/" + u"preset/"; }

std::u16string GuideFolder() { return DataRoot() + u"/orvalen/vmplugin/" + u"guide/"; }

std::u16string DataFilePath(std::u16string_view name, DataKind kind) {
    std::u16string path = kind == DataKind::kPreset ? PresetFolder() : GuideFolder();
    path += name;
    path += kind == DataKind::kPreset ? u".ini" : u".svg";
    return path;
}

bool EnsureDirectory(std::u16string_view path) {
    if (path.empty()) return false;
    while (EndsWithSeparator(path)) path.remove_suffix(1);

    // The longest prefix that already is a directory.
    std::u16string_view probe = path;
    while (!probe.empty() && !platform::IsDirectory(probe)) {
        const size_t cut = LastSeparator(probe);
        probe = cut == std::u16string_view::npos ? std::u16string_view() : probe.substr(0, cut);
    }

    // Create each folder below it, one separator at a time.
    size_t pos = probe.size();
    while (pos < path.size()) {
        size_t next = path.find_first_of(u"/\\", pos + 1);
        if (next == std::u16string_view::npos) next = path.size();
        const platform::CreateResult result = platform::CreateOneDirectory(path.substr(0, next));
        if (result == platform::CreateResult::kFailed) return false;
        pos = next;
    }
    return true;
}

std::vector<std::u16string> ListFiles(std::u16string_view folder,
                                      std::u16string_view extension) {
    std::vector<std::u16string> files;
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::ListDirectory(folder, entries)) return files;
    const bool addSeparator = !folder.empty() && !EndsWithSeparator(folder);
    for (const platform::DirectoryEntry& entry : entries) {
        if (entry.isDirectory) continue;  // also "." and ".."
        if (!extension.empty() && !EndsWith(entry.name, extension)) continue;
        std::u16string path(folder);
        if (addSeparator) path += u'/';
        path += entry.name;
        files.push_back(std::move(path));
    }
    return files;
}

std::u16string FileStem(std::u16string_view path) {
    const size_t cut = LastSeparator(path);
    const std::u16string_view name = cut == std::u16string_view::npos ? path : path.substr(cut + 1);
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos || dot == 0) return std::u16string(name);
    return std::u16string(name.substr(0, dot));
}

std::string ReadWholeFile(const std::string& utf8Path, size_t maxBytes) {
    std::FILE* file = platform::OpenFile(utf8Path, "rb");
    if (file == nullptr) return {};
    std::string content;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    // A file larger than the caller takes reads as one without data.
    if (size > 0 && static_cast<unsigned long>(size) > maxBytes) size = 0;
    if (size > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
        try {
            content.resize(static_cast<size_t>(size));
        } catch (const std::exception&) {
            // Too big to hold: read as a file without data.
            content.clear();
            size = 0;
        }
        // A file that shrank since its size was taken keeps what was read.
        if (size > 0) content.resize(std::fread(content.data(), 1, content.size(), file));
    }
    std::fclose(file);
    return content;
}

}  // namespace velmora
