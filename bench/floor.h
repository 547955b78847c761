// The memory-traffic floor of a pass: what its layer copies and clears
// cost with plain memset and memcpy.
#pragma once

#include <cstdint>

namespace velmora::bench {

// The median seconds of `reps` rounds on a width x height canvas.
double FloorSeconds(int32_t width, int32_t height, int reps);

}  // namespace velmora::bench
