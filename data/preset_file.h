// Preset files: the record, the reader, the writer and decimal formatting.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace velmora {

constexpr int kPresetKeyCount = 22;

struct PresetRecord {
    int32_t type = 0;
    double p1[2] = {0.0, 0.0};
    double p2[2] = {0.0, 0.0};
    double p3[2] = {0.0, 0.0};
    char name[260] = {};
    double curvature = 0.0;
    double size = 0.0;
    double hardness = 0.0;
    double fluction = 0.0;
    int32_t in = 0;
    int32_t out = 0;
    bool asdist = false;
    bool easing = false;
    int32_t position = 0;
    double posfluct = 0.0;
    int32_t length = 0;
    double lenfluct = 0.0;
    int32_t spacing = 0;
    double spcfluct = 0.0;
    double lengain = 0.0;
    double spcgain = 0.0;
    bool connect = false;
};

// Index of each key in foundFlags, in the order of the record.
enum PresetKeyIndex {
    kKeyType, kKeyP1, kKeyP2, kKeyP3, kKeyName, kKeyCurvature, kKeySize, kKeyHardness,
    kKeyFluction, kKeyIn, kKeyOut, kKeyAsdist, kKeyEasing, kKeyPosition, kKeyPosfluct,
    kKeyLength, kKeyLenfluct, kKeySpacing, kKeySpcfluct, kKeyLengain, kKeySpcgain, kKeyConnect
};

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
