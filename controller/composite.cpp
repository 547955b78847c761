// Compositing: the drawing colour with the line coverage as alpha.
#include "controller/composite.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace velmora {

namespace {

// Luma of a colour in the host's 8-bit weights, in unsigned 32-bit arithmetic.
uint32_t Luma(HostRgb c) {
    return (77u * uint32_t{c.r} + 150u * uint32_t{c.g} + 29u * uint32_t{c.b}) >> 8;
}

// Pixels x0 up to x1 of one row: the colour, then the coverage as alpha.
void CompositeRow(uint8_t* row, const uint8_t* coverageRow, int32_t x0, int32_t x1,
                  const ColourValue& colour, int32_t n, int32_t s) {
    if (n == 3 && s == 4 && std::endian::native == std::endian::little) {
        // Four bytes a pixel: one word, the alpha in its top byte.
        const uint32_t rgb = uint32_t{colour[0]} | uint32_t{colour[1]} << 8 |
                             uint32_t{colour[2]} << 16;
        uint8_t* p = row + static_cast<size_t>(x0) * 4;
        for (int32_t x = x0; x < x1; ++x, p += 4) {
            const uint32_t word = rgb | uint32_t{coverageRow[x]} << 24;
            std::memcpy(p, &word, 4);
        }
        return;
    }
    for (int32_t x = x0; x < x1; ++x) {
        uint8_t* p = row + static_cast<size_t>(x) * static_cast<size_t>(s);
        std::memcpy(p, colour.data(), static_cast<size_t>(n));
        p[n] = coverageRow[x];
    }
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
    const size_t stride = static_cast<size_t>(rowBytes);

    const uint8_t* const coverage = context.coverage.get();
    if (coverage == nullptr) {
        std::memset(pixels, 0, stride * static_cast<size_t>(destination.height));
        return;
    }

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

    // Everything outside the drawn box becomes transparent and colourless;
    // the box's pixels are written whole (n colour bytes and the alpha byte
    // fill the stride), so each byte is written once.
    if (x0 >= x1 || y0 >= y1 || n + 1 != s) {
        std::memset(pixels, 0, stride * static_cast<size_t>(destination.height));
        if (x0 < x1) {
            for (int32_t y = y0; y < y1; ++y)
                CompositeRow(pixels + static_cast<size_t>(y) * stride,
                             coverage + static_cast<size_t>(y) * static_cast<size_t>(coverageWidth),
                             x0, x1, colour, n, s);
        }
        return;
    }
    std::memset(pixels, 0, stride * static_cast<size_t>(y0));
    const size_t before = static_cast<size_t>(x0) * static_cast<size_t>(s);
    const size_t through = static_cast<size_t>(x1) * static_cast<size_t>(s);
    for (int32_t y = y0; y < y1; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(y) * stride;
        std::memset(row, 0, before);
        CompositeRow(row, coverage + static_cast<size_t>(y) * static_cast<size_t>(coverageWidth),
                     x0, x1, colour, n, s);
        std::memset(row + through, 0, stride - through);
    }
    std::memset(pixels + static_cast<size_t>(y1) * stride, 0,
                stride * static_cast<size_t>(destination.height - y1));
}

}  // namespace velmora
