// Straightforward dab and compositing: every pixel of the box tested in
// full, a compare-and-swap per written byte, the box grown by CAS loops.
#include "bench/baseline.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "render/saturate.h"

namespace velmora::bench {
namespace {

constexpr double kOffsets[4] = {-0.375, -0.125, 0.125, 0.375};

void AtomicMin(std::atomic<int32_t>& bound, int32_t value) {
    int32_t current = bound.load();
    while (value < current && !bound.compare_exchange_weak(current, value)) {
    }
}

void AtomicMax(std::atomic<int32_t>& bound, int32_t value) {
    int32_t current = bound.load();
    while (value > current && !bound.compare_exchange_weak(current, value)) {
    }
}

void WriteMax(uint8_t& byte, uint8_t value) {
    std::atomic_ref<uint8_t> cell(byte);
    uint8_t old = cell.load();
    while (value > old && !cell.compare_exchange_weak(old, value)) {
    }
}

double Clamp(double v, int32_t limit) {
    const double hi = limit > 0 ? static_cast<double>(limit) : 0.0;
    return v < 0.0 ? 0.0 : (v > hi ? hi : v);
}

}  // namespace

void BaselineStamp(StrokeContext& context, double cx, double cy, double diameter) {
    if (!context.coverage) return;
    const double r = diameter * 0.5;
    const double h = context.stroke.hardness;
    const double ri = h * r;
    const double band = r - ri;
    const double invBand = band > 1e-12 ? 1 / band : 0;
    const double e = 4 * h + 1;

    const double fx0 = std::floor(cx - r), fx1 = std::ceil(cx + r);
    const double fy0 = std::floor(cy - r), fy1 = std::ceil(cy + r);
    if (std::isnan(fx0) || std::isnan(fx1) || std::isnan(fy0) || std::isnan(fy1)) return;
    const int32_t width = context.source.width, height = context.source.height;
    const int32_t x0 = SaturateToInt32(Clamp(fx0, width));
    const int32_t x1 = SaturateToInt32(Clamp(fx1, width));
    const int32_t y0 = SaturateToInt32(Clamp(fy0, height));
    const int32_t y1 = SaturateToInt32(Clamp(fy1, height));

    uint8_t* const coverage = context.coverage.get();
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            uint8_t& byte = coverage[static_cast<ptrdiff_t>(y) * width + x];
            const uint8_t old = std::atomic_ref<uint8_t>(byte).load();
            if (old == 255) continue;
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d2 = dx * dx + dy * dy;
            if (ri * ri - 1 > d2) {
                WriteMax(byte, 255);
                continue;
            }
            bool allIn = true, allOut = true;
            for (double oy : {-0.375, 0.375}) {
                for (double ox : {-0.375, 0.375}) {
                    const double qx = dx + ox, qy = dy + oy;
                    const double q2 = qx * qx + qy * qy;
                    allIn = allIn && q2 <= ri * ri + 1e-12;
                    allOut = allOut && q2 >= r * r - 1e-12;
                }
            }
            if (allIn && !allOut) {
                WriteMax(byte, 255);
                continue;
            }
            if (allOut && !allIn) continue;
            if (allOut && allIn && d2 >= r * r) continue;

            double sum = 0;
            for (double oy : kOffsets) {
                for (double ox : kOffsets) {
                    const double sx = dx + ox, sy = dy + oy;
                    const double s2 = sx * sx + sy * sy;
                    double w;
                    if (s2 <= ri * ri + 1e-12) {
                        w = 1;
                    } else if (s2 >= r * r - 1e-12) {
                        w = 0;
                    } else {
                        w = std::pow(1 - (std::sqrt(s2) - ri) * invBand, e);
                        if (std::isnan(w)) w = 0;
                    }
                    sum += w;
                }
            }
            WriteMax(byte, SaturateCoverage(sum * 0.0625 * 255 + 0.5));
        }
    }
    AtomicMin(context.dirty.x0, x0);
    AtomicMin(context.dirty.y0, y0);
    AtomicMax(context.dirty.x1, x1);
    AtomicMax(context.dirty.y1, y1);
}

void BaselineComposite(const RenderContext& context, const ColourValue& colour,
                       const LayerBlock& destination) {
    uint8_t* const pixels = destination.pixels;
    if (pixels == nullptr || destination.rowBytes <= 0 || destination.height <= 0) return;
    std::memset(pixels, 0, static_cast<size_t>(destination.rowBytes) * destination.height);
    const uint8_t* const coverage = context.coverage.get();
    if (coverage == nullptr) return;

    const PixelShape shape = PixelShapeFor(LayoutCodeForKind(destination.kind));
    const int32_t n = shape.colourBytes, s = shape.stride;
    const int32_t fitting =
        destination.rowBytes > n ? (destination.rowBytes - n - 1) / s + 1 : 0;
    const int32_t width = context.source.width;
    const int32_t x0 = std::max(context.dirty.x0.load(), 0);
    const int32_t y0 = std::max(context.dirty.y0.load(), 0);
    const int32_t x1 = std::min({context.dirty.x1.load(), destination.width, width, fitting});
    const int32_t y1 = std::min({context.dirty.y1.load(), destination.height, context.source.height});
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            uint8_t* p = pixels + static_cast<ptrdiff_t>(y) * destination.rowBytes +
                         static_cast<ptrdiff_t>(x) * s;
            for (int32_t i = 0; i < n; ++i) p[i] = colour[i];
            p[n] = coverage[static_cast<ptrdiff_t>(y) * width + x];
        }
    }
}

}  // namespace velmora::bench
