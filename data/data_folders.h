// The module's data folders, file lists, stems and whole-file reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class DataKind { kPreset, kGuide };

std::u16string DataRoot();
std::u16string PresetFolder();  // DataRoot + "/orvalen/vmplugin/preset/"
std::u16string GuideFolder();   // DataRoot + "/orvalen/vmplugin/guide/"

// Folder + name + ".ini" (presets) or ".svg" (guides); the name unchanged.
std::u16string DataFilePath(std::u16string_view name, DataKind kind);

// True when every folder of the path exists afterwards.
bool EnsureDirectory(std::u16string_view path);

// Full paths of the files of a folder whose names end with the extension
// (case-sensitive; empty takes every file), in listing order.
std::vector<std::u16string> ListFiles(std::u16string_view folder,
                                      std::u16string_view extension);

// Name without folder and without its last extension.
std::u16string FileStem(std::u16string_view path);

// The whole file, or empty when it can't be opened.
std::string ReadWholeFile(const std::string& utf8Path, size_t maxBytes = SIZE_MAX);

}  // namespace velmora
