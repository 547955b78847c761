// Compositing: the drawing colour with the line coverage as alpha.
#include "controller/composite.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace velmora {

namespace {

// Luma of a colour in the host's 8-bit weights, in unsigned 32-bit arithmetic.
uint32_t Luma(HostRgb c) {
    return (77u * uint32_t{c.r} + 150u * uint32_t{c.g} + 29u * uint32_t{c.b}) >> 8;
}

}  // namespace

ColourValue ColourValueFor(const LayerBlock& destination, HostRgb colour) {
    ColourValue value{};
    switch (destination.kind) {
        case 3: {
            const uint8_t rgb[3] = {colour.r, colour.g, colour.b};
            for (int i = 0; i < 3; ++i) {
                const int32_t at = destination.channelIndex[i];
                // Indices outside a pixel's five bytes are dropped.
                if (at >= 0 && at < static_cast<int32_t>(value.size())) value[at] = rgb[i];
            }
            break;
        }
        case 2: value[0] = static_cast<uint8_t>(Luma(colour)); break;
        case 5:
        case 6: value[0] = Luma(colour) >= 128 ? 255 : 0; break;
        default: break;
    }
    return value;
}

PixelShape PixelShapeFor(uint8_t layout) {
    switch (layout) {
        case kLayoutRgba: return {3, 4};
        case kLayoutGrey: return {1, 2};
        case kLayoutFive: return {4, 5};
        case kLayoutSingle: return {0, 1};
        default: return {1, 2};
    }
}

void Composite(const RenderContext& context, const ColourValue& colour,
               const LayerBlock& destination) {
    uint8_t* const pixels = destination.pixels;
    const int32_t rowBytes = destination.rowBytes;
    if (pixels == nullptr || rowBytes <= 0 || destination.height <= 0) return;

    // Everything outside the drawn box becomes transparent and colourless.
    std::memset(pixels, 0, static_cast<size_t>(rowBytes) * static_cast<size_t>(destination.height));

    const uint8_t* const coverage = context.coverage.get();
    if (coverage == nullptr) return;

    const PixelShape shape = PixelShapeFor(LayoutCodeForKind(destination.kind));
    const int32_t n = shape.colourBytes;
    const int32_t s = shape.stride;
    // Pixels whose n colour bytes and alpha byte fit inside one row.
    const int32_t fitting = rowBytes > n ? (rowBytes - n - 1) / s + 1 : 0;
    const int32_t coverageWidth = context.source.width;

    const int32_t x0 = std::max(context.dirty.x0.load(), 0);
    const int32_t y0 = std::max(context.dirty.y0.load(), 0);
    const int32_t x1 = std::min({context.dirty.x1.load(), destination.width, coverageWidth, fitting});
    const int32_t y1 = std::min({context.dirty.y1.load(), destination.height, context.source.height});

    for (int32_t y = y0; y < y1; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(rowBytes);
        const uint8_t* coverageRow =
            coverage + static_cast<size_t>(y) * static_cast<size_t>(coverageWidth);
        for (int32_t x = x0; x < x1; ++x) {
            uint8_t* p = row + static_cast<size_t>(x) * static_cast<size_t>(s);
            std::memcpy(p, colour.data(), static_cast<size_t>(n));
            p[n] = coverageRow[x];
        }
    }
}

}  // namespace velmora
