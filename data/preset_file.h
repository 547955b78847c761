// Preset files: the record, the reader, the writer and decimal formatting.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "data/setting_table.h"

namespace velmora {

// The settings as a preset file holds them: the points as fractions of the
// canvas, the guide by its name.
struct PresetRecord {
    int32_t type = 0;
    double p1[2] = {0.0, 0.0};
    double p2[2] = {0.0, 0.0};
    double p3[2] = {0.0, 0.0};
    char name[260] = {};
    VELMORA_SETTING_TABLE(VELMORA_SETTING_EMPTY_FIELD)
};

// Which keys a read found, by PresetKeyIndex.
using PresetFlags = std::array<bool, kPresetKeyCount>;

// Reads the preset folder's file of that name. False when the content is
// empty or can't be read. foundFlags may be null.
bool ReadPresetFile(std::u16string_view name, PresetRecord& record, bool* foundFlags);
// Parses preset text (what ReadPresetFile does after reading the file).
void ParsePresetText(std::string_view content, PresetRecord& record, bool* foundFlags);

// Writes the preset folder's file of that name; false for an empty name or
// a stream error.
bool WritePresetFile(std::u16string_view name, const PresetRecord& record);
// The exact text WritePresetFile writes.
std::string ComposePresetText(const PresetRecord& record);

// Fixed notation with that many decimals, trailing zeros and point removed.
std::string FormatDecimal(double value, int decimals);

// "%Y%m%d-%H%M%S" of the local time of t.
std::u16string PresetNameForTime(std::time_t t);

}  // namespace velmora
