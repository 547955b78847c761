// Property panel: declaration of the items and the handling of edits.
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "controller/setting_items.h"
#include "controller/velmora_manager.h"
#include "data/data_folders.h"

namespace velmora {

namespace {

constexpr int32_t kCodeStandard = 17;
constexpr int32_t kCodePoint = 49;
constexpr int32_t kPointFirstSetting = 37;
constexpr int32_t kPointSecondSetting = 34;

// The type of a setting's field in a record.
template <typename Field, typename Record>
using FieldType = std::remove_cvref_t<std::invoke_result_t<Field, Record&>>;

}  // namespace

bool VelmoraManager::InitializeFilter() {
    {
        HostStringRef category = host.TableString(101);
        HostStringRef name = host.TableString(102);
        host.SetCategoryName(category.get(), 't');
        host.SetFilterName(name.get(), 's');
    }

    const int32_t targetKinds[3] = {257, 258, 262};
    host.SetTargetKinds(targetKinds, 3);
    host.SetSwitches(true, true);

    const std::u16string presetFolder = PresetFolder();
    const std::u16string guideFolder = GuideFolder();
    EnsureDirectory(presetFolder);
    EnsureDirectory(guideFolder);

    auto tableText = [this](int32_t id) {
        HostStringRef s = host.TableString(id);
        return host.StringText(s.get());
    };

    std::vector<std::u16string> presetNames{tableText(142)};
    presets.push_back(PresetEntry{});
    for (const std::u16string& path : ListFiles(presetFolder, u".ini")) {
        std::u16string stem = FileStem(path);
        presets.push_back(PresetEntry{stem});
        presetNames.push_back(std::move(stem));
    }
    presetItemStrings = AddEnumerationItem(kItemPreset, 'r', presetNames);

    AddBooleanItem(kItemSavePreset, 'v', false);
    AddEnumerationItem(kItemTemplate, 't', {tableText(151), tableText(152), tableText(153)});
    AddPointItem(kItemPoint1, 'd');
    AddPointItem(kItemPoint2, 'd');
    AddPointItem(kItemPoint3, 'd');

    std::vector<std::u16string> guideNames{tableText(163), tableText(164)};
    guides.push_back(GuideEntry{u":S", nullptr});
    guides.push_back(GuideEntry{u":C", nullptr});
    for (const std::u16string& path : ListFiles(guideFolder, u".svg")) {
        std::u16string stem = FileStem(path);
        guides.push_back(GuideEntry{stem, nullptr});
        guideNames.push_back(std::move(stem));
    }
    AddEnumerationItem(kItemGuide, 'r', guideNames);

    ForEachSetting([this](const SettingRow& row, auto field) {
        using T = FieldType<decltype(field), EffectSettings>;
        const T value = field(settings);
        if constexpr (std::is_same_v<T, double>) {
            AddDecimalItem(row.item, row.accessKey, row.minimum, row.maximum, value);
        } else if constexpr (std::is_same_v<T, int32_t>) {
            AddIntegerItem(row.item, row.accessKey, static_cast<int32_t>(row.minimum),
                           static_cast<int32_t>(row.maximum), value);
        } else {
            AddBooleanItem(row.item, row.accessKey, value);
        }
    });
    return true;
}

void VelmoraManager::AddIntegerItem(int32_t key, int32_t accessKey, int32_t minimum,
                                    int32_t maximum, int32_t value) {
    {
        HostStringRef caption = host.TableString(key);
        host.AddItem(propertyObject, key, kKindInt, kCodeStandard, kCodeStandard, caption.get(),
                     accessKey);
    }
    host.SetIntMinimum(propertyObject, key, minimum);
    host.SetIntMaximum(propertyObject, key, maximum);
    host.SetIntDefault(propertyObject, key, value);
    host.SetInt(propertyObject, key, value);
}

void VelmoraManager::AddDecimalItem(int32_t key, int32_t accessKey, double minimum,
                                    double maximum, double value) {
    {
        HostStringRef caption = host.TableString(key);
        host.AddItem(propertyObject, key, kKindDouble, kCodeStandard, kCodeStandard,
                     caption.get(), accessKey);
    }
    host.SetDoubleMinimum(propertyObject, key, minimum);
    host.SetDoubleMaximum(propertyObject, key, maximum);
    host.SetDoubleDefault(propertyObject, key, value);
    host.SetDouble(propertyObject, key, value);
}

void VelmoraManager::AddBooleanItem(int32_t key, int32_t accessKey, bool value) {
    {
        HostStringRef caption = host.TableString(key);
        host.AddItem(propertyObject, key, kKindBool, kCodeStandard, kCodeStandard, caption.get(),
                     accessKey);
    }
    host.SetBoolDefault(propertyObject, key, value);
    host.SetBool(propertyObject, key, value);
}

int32_t VelmoraManager::AddEnumerationItem(int32_t key, int32_t accessKey,
                                           const std::vector<std::u16string>& strings) {
    {
        HostStringRef caption = host.TableString(key);
        host.AddItem(propertyObject, key, kKindEnum, kCodeStandard, kCodeStandard, caption.get(),
                     accessKey);
    }
    // Indices stay consecutive: the first string that can't be made or
    // added ends the list, so every index the host holds still addresses
    // the data list entry of the same index.
    int32_t added = 0;
    for (size_t i = 0; i < strings.size(); ++i) {
        HostStringRef text = host.MakeString(strings[i]);
        if (!text || !host.AddEnumString(propertyObject, key, added, text.get())) break;
        ++added;
    }
    host.SetEnumDefault(propertyObject, key, 0);
    return added;
}

void VelmoraManager::AddPointItem(int32_t key, int32_t accessKey) {
    {
        HostStringRef caption = host.TableString(key);
        host.AddItem(propertyObject, key, kKindPoint, kCodeStandard, kCodePoint, caption.get(),
                     accessKey);
    }
    host.SetPointSettings(propertyObject, key, kPointFirstSetting, kPointSecondSetting);
}

bool VelmoraManager::OnPropertyChanged(int32_t itemKey) {
    EffectSettings& s = settings;
    // A value the host could not read back changes nothing.
    auto updateBool = [&](bool& field) {
        const std::optional<bool> v = host.ReadBool(propertyObject, itemKey);
        if (!v || *v == field) return false;
        field = *v;
        return true;
    };
    auto updatePoint = [&](Point32& field) {
        const std::optional<HostPoint> p = host.ReadPoint(propertyObject, itemKey);
        if (!p || (p->x == field.x && p->y == field.y)) return false;
        field = Point32{p->x, p->y};
        return true;
    };

    switch (itemKey) {
        case kItemPreset: return SelectPreset();
        case kItemSavePreset: updateBool(s.savePreset); return false;
        case kItemTemplate: {
            const std::optional<int32_t> type = host.ReadEnum(propertyObject, itemKey);
            if (!type) return false;
            s.type = *type;
            ResetPointsForTemplate();
            return true;
        }
        case kItemGuide: {
            const std::optional<int32_t> index = host.ReadEnum(propertyObject, itemKey);
            if (!index || *index == s.guide) return false;
            s.guide = *index;
            return true;
        }
        case kItemPoint1: return updatePoint(s.p1);
        case kItemPoint2: return updatePoint(s.p2);
        case kItemPoint3: return updatePoint(s.p3);
        default: return UpdateSetting(itemKey);
    }
}

bool VelmoraManager::UpdateSetting(int32_t itemKey) {
    bool changed = false;
    ForEachSetting([&](const SettingRow& row, auto field) {
        if (row.item != itemKey) return;
        auto& value = field(settings);
        // Exact equality, where a NaN on either side counts as a difference.
        const auto read = ReadItemValue<FieldType<decltype(field), EffectSettings>>(
            host, propertyObject, itemKey);
        if (!read || *read == value) return;
        value = *read;
        changed = true;
    });
    return changed;
}

bool VelmoraManager::SelectPreset() {
    const std::optional<int32_t> read = host.ReadEnum(propertyObject, kItemPreset);
    if (!read) return false;
    const int32_t index = *read;
    if (index < 0 || static_cast<size_t>(index) >= presets.size()) return false;
    const std::u16string name = presets[static_cast<size_t>(index)].name;
    if (name.empty()) {
        ResetToDefaults();
        return true;
    }
    return ApplyPreset(name);
}

void VelmoraManager::ResetToDefaults() {
    EffectSettings& s = settings;
    // A default the host could not read back leaves that setting and item as they are.
    if (const std::optional<int32_t> type = host.ReadEnumDefault(propertyObject, kItemTemplate)) {
        s.type = *type;
        host.SetEnum(propertyObject, kItemTemplate, s.type);
    }
    ResetPointsForTemplate();
    if (const std::optional<int32_t> guide = host.ReadEnumDefault(propertyObject, kItemGuide)) {
        s.guide = *guide;
        host.SetEnum(propertyObject, kItemGuide, s.guide);
    }

    ForEachSetting([&](const SettingRow& row, auto field) {
        auto& value = field(s);
        const auto initial = ReadItemDefault<FieldType<decltype(field), EffectSettings>>(
            host, propertyObject, row.item);
        if (!initial) return;
        value = *initial;
        PushItemValue(host, propertyObject, row.item, value);
    });
}

}  // namespace velmora
