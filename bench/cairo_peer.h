// The same discs drawn by a general 2-D library, as a yardstick for the
// disc rasteriser: filled circles into an 8-bit alpha surface.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora::bench {

struct Disc {
    double cx, cy, diameter;
};

// Seconds to fill every disc, on one thread.
double CairoFillSeconds(int32_t width, int32_t height, const std::vector<Disc>& discs);

}  // namespace velmora::bench
