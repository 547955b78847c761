// Writing a pass's coverage into the destination layer copy.
#pragma once

#include <array>
#include <cstdint>

#include "controller/render_context.h"
#include "host/host_interface.h"
#include "host/layer_block.h"

namespace velmora {

// Bytes a destination pixel takes for the drawing colour (at most 5).
using ColourValue = std::array<uint8_t, 5>;

// The drawing colour as the bytes of a destination of that kind: kind 3 by
// its channel indices, kind 2 as luma, kinds 5 and 6 as luma >= 128 -> 255,
// every other kind all zero.
ColourValue ColourValueFor(const LayerBlock& destination, HostRgb colour);

// Colour byte count and pixel stride of a layout code.
struct PixelShape {
    int32_t colourBytes;
    int32_t stride;
};
PixelShape PixelShapeFor(uint8_t layout);

// Clears the destination copy, then writes the colour with the coverage as
// alpha inside the dirty box. The destination's own kind decides the pixel
// shape; every write stays inside its width, height and rowBytes. With no
// coverage the destination is only cleared.
void Composite(const RenderContext& context, const ColourValue& colour,
               const LayerBlock& destination);

}  // namespace velmora
