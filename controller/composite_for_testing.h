// Test and benchmark seam: replaces the compositing of every render pass,
// so a benchmark can run whole passes through another compositor. The
// module never sets it.
#pragma once

#include "controller/composite.h"

namespace velmora::testing {

using CompositeFunction = void (*)(const RenderContext& context, const ColourValue& colour,
                                   const LayerBlock& destination);
// nullptr restores the module's own Composite.
void SetCompositeForTesting(CompositeFunction fn);

}  // namespace velmora::testing
