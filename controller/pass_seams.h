// Parts of every render pass that a test or benchmark may replace, and the
// pass's worker count. The controller holds one and hands it to each pass;
// the module itself never changes it.
#pragma once

#include "controller/composite.h"
#include "render/stroke_context.h"

namespace velmora {

struct RenderContext;

struct PassSeams {
    // Queues the pass's tasks instead of the layout its template chooses.
    void (*layout)(RenderContext& context) = nullptr;
    // Writes the coverage into the destination instead of Composite.
    void (*composite)(const RenderContext& context, const ColourValue& colour,
                      const LayerBlock& destination) = nullptr;
    // Places every disc of the strokes instead of Stamp.
    StampFunction stamp = nullptr;
    // Stamp keeps to the pixel loops of processors without AVX2.
    bool portableStamp = false;
    // Workers of the pass's pool; 0: one per logical processor.
    unsigned workers = 0;
};

}  // namespace velmora
