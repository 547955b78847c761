// Plain settings named by their preset key with a value, set on or checked
// against any settings record (EffectSettings, RenderSettings...) and the
// panel's items. A switch's value is true or false.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <vector>

#include "data/setting_table.h"
#include "tools/host_core/host_core.h"

namespace velmora::testing {

struct NamedSetting {
    const char* key;  // "size", "connect"...
    double value;
};
using NamedSettings = std::vector<NamedSetting>;

// Calls use(field) with the record's member of that key; false (and a test
// failure) when the table has no such key.
template <class Record, class Use>
bool WithSetting(Record& record, const char* key, Use use) {
    bool found = false;
    ForEachSetting([&](const SettingRow& row, auto field) {
        if (std::strcmp(row.key, key) != 0) return;
        found = true;
        use(field(record));
    });
    EXPECT_TRUE(found) << "no setting \"" << key << "\"";
    return found;
}

template <class Record>
void SetSettings(Record& record, const NamedSettings& settings) {
    for (const NamedSetting& s : settings) {
        WithSetting(record, s.key, [&](auto& member) {
            member = static_cast<std::remove_reference_t<decltype(member)>>(s.value);
        });
    }
}

template <class Record>
void ExpectSettings(const Record& record, const NamedSettings& expected) {
    for (const NamedSetting& e : expected) {
        WithSetting(record, e.key, [&](const auto& member) {
            EXPECT_EQ(static_cast<double>(member), e.value) << e.key;
        });
    }
}

// The value of a plain setting's item as its kind holds it.
inline double ItemValue(const hostcore::PropertyItem& item) {
    if (item.kind == kKindBool) return item.boolValue;
    if (item.kind == kKindInt) return item.intValue;
    return item.doubleValue;
}

// Each setting's panel item holds its value.
inline void ExpectItems(const hostcore::PropertyObject& panel, const NamedSettings& expected) {
    for (const NamedSetting& e : expected) {
        for (const SettingRow& row : kSettingRows) {
            if (std::strcmp(row.key, e.key) != 0) continue;
            const hostcore::PropertyItem* item = panel.Find(row.item);
            ASSERT_NE(item, nullptr) << e.key;
            EXPECT_EQ(ItemValue(*item), e.value) << e.key;
        }
    }
}

}  // namespace velmora::testing
