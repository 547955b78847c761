// The templates as the settings store them. Any other stored value lays
// out and renders as radial.
#pragma once

#include <cstdint>

namespace velmora {

constexpr int32_t kTemplateRadial = 0;
constexpr int32_t kTemplateParallel = 1;
constexpr int32_t kTemplateConcentric = 2;

}  // namespace velmora
