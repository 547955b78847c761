// Applying, saving and selecting by name: the controller's side of presets.
#include <chrono>
#include <cstring>
#include <ctime>

#include "controller/setting_items.h"
#include "controller/velmora_manager.h"
#include "data/preset_file.h"
#include "data/text.h"
#include "platform/platform.h"

namespace velmora {
namespace {

// x / extent, or 0 on a canvas without that extent.
double RatioOf(int32_t coordinate, int32_t extent) {
    if (extent == 0) return 0.0;
    return static_cast<double>(coordinate) / static_cast<double>(extent);
}

}  // namespace

bool VelmoraManager::ApplyPreset(const std::u16string& name) {
    PresetRecord record;
    PresetFlags found{};
    if (!ReadPresetFile(name, record, found.data())) return false;

    if (found[kKeyType]) {
        // The base points stay where they are.
        settings.type = record.type;
        host.SetEnum(propertyObject, kItemTemplate, settings.type);
    }
    const double* ratios[3] = {record.p1, record.p2, record.p3};
    Point32* points[3] = {&settings.p1, &settings.p2, &settings.p3};
    for (int i = 0; i < 3; ++i) {
        if (!found[kKeyP1 + i]) continue;
        const int32_t width = host.CanvasWidth();
        const int32_t height = host.CanvasHeight();
        points[i]->x = ScaleToCanvas(width, ratios[i][0]);
        points[i]->y = ScaleToCanvas(height, ratios[i][1]);
        host.SetPoint(propertyObject, kItemPoint1 + i, HostPoint{points[i]->x, points[i]->y});
    }
    if (found[kKeyName]) FindGuideByName(record.name);
    // In the order of the record; values as read, not clamped.
    ForEachSetting([&](const SettingRow& row, auto field) {
        if (!found[row.presetKey]) return;
        field(settings) = field(record);
        PushItemValue(host, propertyObject, row.item, field(settings));
    });
    return true;
}

void VelmoraManager::FindGuideByName(const std::string& utf8Name) {
    std::u16string wanted = ToUtf16(utf8Name);
    platform::LowercaseInPlace(wanted);
    for (size_t i = 0; i < guides.size(); ++i) {
        std::u16string candidate = guides[i].name;
        platform::LowercaseInPlace(candidate);
        if (candidate != wanted) continue;
        settings.guide = static_cast<int32_t>(i);
        host.SetEnum(propertyObject, kItemGuide, settings.guide);
        return;
    }
}

void VelmoraManager::SavePreset() {
    PresetRecord record;
    const EffectSettings& s = settings;
    record.type = s.type;
    const Point32 points[3] = {s.p1, s.p2, s.p3};
    double* ratios[3] = {record.p1, record.p2, record.p3};
    for (int i = 0; i < 3; ++i) {
        ratios[i][0] = RatioOf(points[i].x, host.CanvasWidth());
        ratios[i][1] = RatioOf(points[i].y, host.CanvasHeight());
    }
    // A name too long for the record is written empty.
    if (s.guide >= 0 && static_cast<size_t>(s.guide) < guides.size()) {
        const std::string name = ToUtf8(guides[static_cast<size_t>(s.guide)].name);
        if (name.size() < sizeof(record.name)) std::memcpy(record.name, name.c_str(), name.size() + 1);
    }
    ForEachSetting([&](const SettingRow&, auto field) { field(record) = field(s); });

    // Named by the local time; a second save within the same second
    // replaces the first file.
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto now =
        static_cast<std::time_t>(std::chrono::floor<std::chrono::seconds>(sinceEpoch).count());
    const std::u16string name = PresetNameForTime(now);
    if (!WritePresetFile(name, record)) return;

    presets.push_back(PresetEntry{name});
    // The new entry's index must follow the item's last string; a string
    // that can't be added takes the entry out of the list again, so the
    // list and the item stay aligned and the next save tries that index.
    const int32_t index = static_cast<int32_t>(presets.size() - 1);
    if (index != presetItemStrings) return;
    const HostStringRef caption = host.MakeString(name);
    if (caption && host.AddEnumString(propertyObject, kItemPreset, index, caption.get())) {
        ++presetItemStrings;
    } else {
        presets.pop_back();
    }
}

}  // namespace velmora
