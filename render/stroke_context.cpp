// The stroke record's coverage buffer.
#include "render/stroke_context.h"

namespace velmora {

void StrokeContext::AllocateCoverage() {
    const size_t width = source.width > 0 ? static_cast<size_t>(source.width) : 0;
    const size_t height = source.height > 0 ? static_cast<size_t>(source.height) : 0;
    coverage = std::make_unique<uint8_t[]>(width * height);  // value-initialised: zero

    const size_t columns = (width + kTileSide - 1) / kTileSide;
    const size_t rows = (height + kTileSide - 1) / kTileSide;
    fullTiles = std::make_unique<uint8_t[]>(columns * rows);  // none full
    tileColumns = static_cast<int32_t>(columns);
    dirty.Reset(source.width, source.height);
}

}  // namespace velmora
