// The render context's pixel views, its settings and its progress relay.
#include "controller/render_context.h"

#include <cstddef>

namespace velmora {

uint8_t LayoutCodeForKind(int32_t kind) {
    switch (kind) {
        case 3: return kLayoutRgba;
        case 2:
        case 6: return kLayoutGrey;
        default: return kLayoutSingle;
    }
}

int32_t PixelBytesForLayout(uint8_t layout) {
    switch (layout) {
        case kLayoutRgba: return 4;
        case kLayoutGrey: return 2;
        case kLayoutFive: return 5;
        default: return 1;
    }
}

PixelBlock MakePixelBlock(const LayerBlock& layer) {
    PixelBlock block;
    block.layout = LayoutCodeForKind(layer.kind);
    // The order array has five entries; a pixel size outside 1..5 keeps
    // the zeroed order rather than writing past it.
    const int32_t bytes = layer.pixelBytes;
    if (bytes >= 1 && bytes <= 5) {
        // An index the host gives outside the pixel would read the next
        // pixel, or past the last one: that channel keeps its own place.
        const int32_t layoutBytes = PixelBytesForLayout(block.layout);
        for (int32_t i = 0; i < bytes; ++i) {
            const int32_t index = layer.channelIndex[i] & 0xff;
            block.order[i] = static_cast<uint8_t>(index < layoutBytes ? index : i < layoutBytes ? i : 0);
        }
        // Alpha is the last byte of a pixel.
        block.order[bytes - 1] = static_cast<uint8_t>(bytes - 1);
    }
    block.pixels = layer.pixels;
    block.width = layer.width;
    block.height = layer.height;
    block.rowBytes = layer.rowBytes;
    block.pixelBytes = PixelBytesForLayout(block.layout);
    // Pixels or rows smaller than the layout reads would be read past their
    // end: such a layer is treated as one without pixels.
    if (layer.pixelBytes < block.pixelBytes ||
        int64_t{layer.rowBytes} < int64_t{layer.width} * block.pixelBytes) {
        block.pixels = nullptr;
    }
    return block;
}

RenderContext::RenderContext(unsigned workers)
    : LayoutContext(workers != 0 ? workers : DefaultWorkerCount()) {}

void RenderContext::UseSettings(const RenderSettings& s) {
    stroke = s;
    settings = s;
}

bool progressRelay(int total, int done, void* data) {
    auto* context = static_cast<RenderContext*>(data);
    if (context->cancelled.load()) return false;
    const bool ok = context->progressFn ? context->progressFn(total, done, context->progressData)
                                        : true;
    context->cancelled.exchange(!ok);
    return ok;
}

bool heartbeatRelay(void* data) { return !static_cast<RenderContext*>(data)->Heartbeat(); }

}  // namespace velmora
