// The stroke record's coverage buffer.
#include "render/stroke_context.h"

#include <algorithm>

namespace velmora {

void StrokeContext::AllocateCoverage() {
    const size_t width = source.width > 0 ? static_cast<size_t>(source.width) : 0;
    const size_t height = source.height > 0 ? static_cast<size_t>(source.height) : 0;
    coverage = std::make_unique<uint8_t[]>(width * height);  // value-initialised: zero

    constexpr size_t kSide = kTileSide;
    const size_t columns = (width + kSide - 1) / kSide, rows = (height + kSide - 1) / kSide;
    fullTiles = std::make_unique<uint8_t[]>(columns * rows);
    tileColumns = static_cast<int32_t>(columns);
    for (size_t ty = 0; ty < rows; ++ty) {
        const size_t h = std::min(kSide, height - ty * kSide);
        for (size_t tx = 0; tx < columns; ++tx) {
            const size_t w = std::min(kSide, width - tx * kSide);
            fullTiles[ty * columns + tx] = static_cast<uint8_t>(kTileFull - w * h);
        }
    }
    dirty.Reset(source.width, source.height);
}

}  // namespace velmora
