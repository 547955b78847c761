// The settings table: each preset key and panel item belongs to one row,
// the fresh settings lie within their items' ranges, and every setting
// comes back from the preset file it is written to.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>

#include "controller/item_keys.h"
#include "controller/settings.h"
#include "data/preset_file.h"
#include "data/setting_table.h"

namespace velmora {
namespace {

TEST(SettingTable, EachPresetKeyAndItemBelongsToOneRow) {
    std::set<std::string> keys = {"guide/type", "guide/p1", "guide/p2", "guide/p3", "guide/name"};
    std::set<int32_t> items = {kItemPreset, kItemSavePreset, kItemTemplate, kItemGuide,
                               kItemPoint1, kItemPoint2,     kItemPoint3};
    int presetKey = kKeyName;
    for (const SettingRow& row : kSettingRows) {
        EXPECT_TRUE(keys.insert(std::string(row.section) + "/" + row.key).second) << row.key;
        EXPECT_TRUE(items.insert(row.item).second) << row.key;
        EXPECT_EQ(row.presetKey, ++presetKey) << row.key;
    }
    EXPECT_EQ(presetKey + 1, kPresetKeyCount);
}

TEST(SettingTable, FreshSettingsLieWithinTheirItemsRanges) {
    const EffectSettings fresh;
    ForEachSetting([&](const SettingRow& row, auto field) {
        using T = std::remove_cvref_t<decltype(field(fresh))>;
        if constexpr (!std::is_same_v<T, bool>) {
            EXPECT_LT(row.minimum, row.maximum) << row.key;
            EXPECT_GE(field(fresh), row.minimum) << row.key;
            EXPECT_LE(field(fresh), row.maximum) << row.key;
        }
    });
}

TEST(SettingTable, EverySettingComesBackFromItsPresetFile) {
    // A value no fresh record holds, different for every setting and exact
    // in two decimals.
    PresetRecord written;
    int n = 0;
    ForEachSetting([&](const SettingRow&, auto field) {
        using T = std::remove_cvref_t<decltype(field(written))>;
        ++n;
        if constexpr (std::is_same_v<T, bool>) {
            field(written) = true;
        } else if constexpr (std::is_same_v<T, int32_t>) {
            field(written) = -10 * n;
        } else {
            field(written) = n + 0.25;
        }
    });
    PresetRecord read;
    PresetFlags found{};
    ParsePresetText(ComposePresetText(written), read, found.data());
    ForEachSetting([&](const SettingRow& row, auto field) {
        EXPECT_TRUE(found[row.presetKey]) << row.key;
        EXPECT_EQ(field(read), field(written)) << row.key;
    });
}

}  // namespace
}  // namespace velmora
