// The stroke record's coverage buffer.
#include "render/stroke_context.h"

namespace velmora {

void StrokeContext::AllocateCoverage() {
    const size_t width = source.width > 0 ? static_cast<size_t>(source.width) : 0;
    const size_t height = source.height > 0 ? static_cast<size_t>(source.height) : 0;
    coverage = std::make_unique<uint8_t[]>(width * height);  // value-initialised: zero
    dirty.Reset(source.width, source.height);
}

}  // namespace velmora
