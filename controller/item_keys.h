// Item keys: the string-table ids of the panel's captions. Dependency-free,
// so tests and tools can name items without the controller.
#pragma once

#include <cstdint>

namespace velmora {

enum ItemKey : int32_t {
    kItemPreset = 140, kItemSavePreset = 141, kItemTemplate = 150, kItemGuide = 161,
    kItemCurvature = 162, kItemPoint1 = 170, kItemPoint2 = 171, kItemPoint3 = 172,
    kItemSize = 202, kItemHardness = 203, kItemFluction = 204, kItemIn = 205, kItemOut = 206,
    kItemAsdist = 207, kItemEasing = 208, kItemPosition = 220, kItemPosfluct = 221,
    kItemLength = 222, kItemLenfluct = 223, kItemSpacing = 224, kItemSpcfluct = 225,
    kItemLengain = 226, kItemSpcgain = 227, kItemConnect = 228
};

}  // namespace velmora
