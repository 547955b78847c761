// The panel's items as tests name them: the module's item keys, their
// values pinned once as hosts see them (a host keeps an item's value under
// its key), the lists tests walk, and the Template item's choices.
#pragma once

#include <cstdint>

#include "controller/item_keys.h"
#include "render/template_kind.h"

namespace velmora::testing {

// Every item the panel declares, in key order.
inline constexpr int32_t kAllItemKeys[] = {
    kItemPreset,   kItemSavePreset, kItemTemplate, kItemGuide,    kItemCurvature, kItemPoint1,
    kItemPoint2,   kItemPoint3,     kItemSize,     kItemHardness, kItemFluction,  kItemIn,
    kItemOut,      kItemAsdist,     kItemEasing,   kItemPosition, kItemPosfluct,  kItemLength,
    kItemLenfluct, kItemSpacing,    kItemSpcfluct, kItemLengain,  kItemSpcgain,   kItemConnect};

// The decimal items, in key order.
inline constexpr int32_t kDecimalItemKeys[] = {kItemCurvature, kItemSize,     kItemHardness,
                                               kItemFluction,  kItemPosfluct, kItemLenfluct,
                                               kItemSpcfluct,  kItemLengain,  kItemSpcgain};

// The integer items, in key order.
inline constexpr int32_t kIntegerItemKeys[] = {kItemIn, kItemOut, kItemPosition, kItemLength,
                                               kItemSpacing};

static_assert(kItemPreset == 140 && kItemSavePreset == 141 && kItemTemplate == 150 &&
              kItemGuide == 161 && kItemCurvature == 162);
static_assert(kItemPoint1 == 170 && kItemPoint2 == 171 && kItemPoint3 == 172);
static_assert(kItemSize == 202 && kItemHardness == 203 && kItemFluction == 204 && kItemIn == 205 &&
              kItemOut == 206 && kItemAsdist == 207 && kItemEasing == 208);
static_assert(kTemplateRadial == 0 && kTemplateParallel == 1 && kTemplateConcentric == 2);
static_assert(kItemPosition == 220 && kItemPosfluct == 221 && kItemLength == 222 &&
              kItemLenfluct == 223 && kItemSpacing == 224 && kItemSpcfluct == 225 &&
              kItemLengain == 226 && kItemSpcgain == 227 && kItemConnect == 228);

}  // namespace velmora::testing
