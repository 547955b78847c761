// The reference rasteriser and compositor of the benchmark: one pixel at a
// time, exactly as the pen model words them, with no shortcut. Passes run
// through these must give the same bytes as the module's own.
#pragma once

#include "controller/composite.h"
#include "controller/render_context.h"

namespace velmora::bench {

void BaselineStamp(StrokeContext& context, double cx, double cy, double diameter);
void BaselineComposite(const RenderContext& context, const ColourValue& colour,
                       const LayerBlock& destination);

}  // namespace velmora::bench
