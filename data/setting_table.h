// The effect's plain settings, each described once. A plain setting is a
// number or a switch that one panel item edits and one preset key stores;
// the template, the base points, the guide and the preset items are handled
// by their own code. The records' fields, the preset file's keys, the
// panel's items and the snapshot copy all come from this table, so a
// setting's facts change here alone. A new setting also needs its caption
// (resources/strings.tsv) and, when a pass reads it, a field in
// RenderSettings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// One row per setting, in the order of the records, the preset file and
// the panel:
//   X(field, Name, type, section, item, accessKey, minimum, maximum, initial)
// field    the member of every settings record, and the key in the preset file
// Name     the same in the enum names: kItemSize, kKeySize
// type     double (decimal item), int32_t (integer item) or bool (check box)
// section  the preset file's section that holds the key
// item     the panel item key, also the string id of the item's caption
// minimum, maximum   the item's range; unused for check boxes
// initial  the setting in a fresh controller, and the item's default
#define VELMORA_SETTING_TABLE(X)                                         \
    X(curvature, Curvature, double, "guide", 162, 'r', -10, 10, 1.0)     \
    X(size, Size, double, "pen", 202, 's', 1, 50, 2.0)                   \
    X(hardness, Hardness, double, "pen", 203, 'h', 0, 1, 1.0)            \
    X(fluction, Fluction, double, "pen", 204, 'f', 0, 1, 0.0)            \
    X(in, In, int32_t, "pen", 205, 'i', 0, 1000, 500)                    \
    X(out, Out, int32_t, "pen", 206, 'o', 0, 1000, 500)                  \
    X(asdist, Asdist, bool, "pen", 207, 'd', 0, 1, false)                \
    X(easing, Easing, bool, "pen", 208, 'e', 0, 1, false)                \
    X(position, Position, int32_t, "line", 220, 'p', -1000, 1000, 0)     \
    X(posfluct, Posfluct, double, "line", 221, 'u', 0, 1, 0.0)           \
    X(length, Length, int32_t, "line", 222, 'l', 0, 1000, 10)            \
    X(lenfluct, Lenfluct, double, "line", 223, 'l', 0, 1, 0.0)           \
    X(spacing, Spacing, int32_t, "line", 224, 'a', 1, 1000, 50)          \
    X(spcfluct, Spcfluct, double, "line", 225, 'a', 0, 1, 0.0)           \
    X(lengain, Lengain, double, "line", 226, 'g', -100, 100, 0.0)        \
    X(spcgain, Spcgain, double, "line", 227, 'g', -100, 100, 0.0)        \
    X(connect, Connect, bool, "line", 228, 'c', 0, 1, true)

// The members of a record: `type field = initial;` or, for records that
// start empty, `type field = {};`.
#define VELMORA_SETTING_FIELD(field, Name, type, section, item, accessKey, minimum, maximum, \
                              initial)                                                     \
    type field = initial;
#define VELMORA_SETTING_EMPTY_FIELD(field, Name, type, section, item, accessKey, minimum,  \
                                    maximum, initial)                                     \
    type field = {};

namespace velmora {

// Index of each key of a preset file: the template, the points and the
// guide's name first, then the settings of the table.
enum PresetKeyIndex {
    kKeyType, kKeyP1, kKeyP2, kKeyP3, kKeyName,
#define VELMORA_SETTING_KEY(field, Name, ...) kKey##Name,
    VELMORA_SETTING_TABLE(VELMORA_SETTING_KEY)
#undef VELMORA_SETTING_KEY
    kPresetKeyEnd
};
constexpr int kPresetKeyCount = kPresetKeyEnd;

// What a row of the table says, without the record it reads or writes.
struct SettingRow {
    const char* key;      // the field's name and its preset key
    const char* section;  // the preset file's section
    int32_t item;         // panel item key
    int32_t accessKey;
    double minimum;
    double maximum;
    int presetKey;        // PresetKeyIndex of the key
};

inline constexpr SettingRow kSettingRows[] = {
#define VELMORA_SETTING_ROW(field, Name, type, section, item, accessKey, minimum, maximum, \
                            initial)                                                    \
    {#field, section, item, accessKey, minimum, maximum, kKey##Name},
    VELMORA_SETTING_TABLE(VELMORA_SETTING_ROW)
#undef VELMORA_SETTING_ROW
};
inline constexpr size_t kSettingCount = std::size(kSettingRows);

// The row of a plain setting's item key, at compile time; a key outside the
// table does not compile.
consteval const SettingRow& SettingRowFor(int32_t item) {
    size_t index = 0;
    while (index < kSettingCount && kSettingRows[index].item != item) ++index;
    return kSettingRows[index];
}

// Calls visit(row, field) for every setting, in table order. field is a
// callable that returns the setting's member of any settings record:
// field(record) is record.size for the row of "size", typed as declared
// there.
template <typename Visit>
constexpr void ForEachSetting(Visit&& visit) {
    size_t index = 0;
#define VELMORA_VISIT_SETTING(field, ...) \
    visit(kSettingRows[index++], [](auto& record) -> auto& { return record.field; });
    VELMORA_SETTING_TABLE(VELMORA_VISIT_SETTING)
#undef VELMORA_VISIT_SETTING
}

}  // namespace velmora
