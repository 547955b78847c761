// Test and benchmark seam: replaces the disc rasteriser that pen strokes
// call, so a benchmark can run whole passes through another rasteriser (or
// record the discs). The module never sets it.
#pragma once

namespace velmora {
struct RenderContext;
}

namespace velmora::testing {

using StampFunction = void (*)(RenderContext& context, double cx, double cy, double diameter);
// nullptr restores the module's own Stamp.
void SetStampForTesting(StampFunction fn);
StampFunction StampOverride();

// false keeps the module's Stamp to two sub-points at a time, the path of
// processors without AVX2; true (the default) lets it take four where it can.
void SetWideStampForTesting(bool allowed);

}  // namespace velmora::testing
