// The module's panel items this host gives a meaning of its own, by key;
// every other item it knows only from the panel the module declares.
#pragma once

#include <cstdint>

namespace velmora::cli {

constexpr int32_t kItemPreset = 140;
constexpr int32_t kItemSavePreset = 141;
constexpr int32_t kItemTemplate = 150;
constexpr int32_t kItemGuide = 161;

// The template's words in preset files, by enumeration index.
inline constexpr const char* kTemplateNames[] = {"radiate", "parallel", "circle"};

}  // namespace velmora::cli
