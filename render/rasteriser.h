// Antialiased pen dabs into the coverage buffer, and ink sampling of the
// source layer. Both are called from every worker at once.
#pragma once

#include <cstdint>

#include "controller/render_context.h"

namespace velmora {

// One disc of the given diameter centred at (cx, cy); pixel (x, y) spans
// [x, x+1) x [y, y+1). Coverage combines by maximum; the dirty box grows.
void Stamp(RenderContext& context, double cx, double cy, double diameter);

// Ink value 0..255 at pixel (x, y), or -1 outside the canvas.
int32_t SampleInk(const RenderContext& context, int32_t x, int32_t y);

}  // namespace velmora
