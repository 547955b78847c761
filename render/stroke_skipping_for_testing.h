// Test seam: turns off the stroke walk's jumps and early stops over steps
// that cannot reach the canvas, so tests can compare against every step.
#pragma once

namespace velmora::testing {
void SetStrokeSkippingForTesting(bool enabled);
}  // namespace velmora::testing
