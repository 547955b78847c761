// Item keys: the string-table ids of the panel's captions. Free of the
// controller, so tests and tools can name items without it.
#pragma once

#include <cstdint>

#include "data/setting_table.h"

namespace velmora {

// The items that are not plain settings; the plain settings' keys come from
// their table.
enum ItemKey : int32_t {
    kItemPreset = 140, kItemSavePreset = 141, kItemTemplate = 150, kItemGuide = 161,
    kItemPoint1 = 170, kItemPoint2 = 171, kItemPoint3 = 172,
#define VELMORA_SETTING_ITEM(field, Name, type, section, item, ...) kItem##Name = item,
    VELMORA_SETTING_TABLE(VELMORA_SETTING_ITEM)
#undef VELMORA_SETTING_ITEM
};

}  // namespace velmora
