// Pen dabs into the shared coverage buffer and ink sampling of the source.
//
// Every worker stamps at once. A coverage byte only ever grows, so each
// update is an atomic maximum; the dirty box bounds are atomic minima and
// maxima. The result does not depend on the order of the dabs.
#include "render/rasteriser.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>

#include "render/saturate.h"

namespace velmora {
namespace {

// Sub-sample offsets from a pixel's centre: a 4 x 4 grid inside the pixel.
constexpr double kSubOffsets[4] = {-0.375, -0.125, 0.125, 0.375};
// Corner points of the early inside/outside test, also from the centre.
constexpr double kCorner = 0.375;

// Constants of one dab, lifted out of the pixel loop.
struct Dab {
    double cx;
    double cy;
    double ri;        // inner radius: full strength inside
    double r2;        // r^2
    double deep;      // ri^2 - 1: pixels nearer than this are wholly inside
    double inLimit;   // ri^2 + 1e-12
    double outLimit;  // r^2 - 1e-12
    double invBand;   // 1 / (r - ri), or 0 for a hard edge
    double exponent;  // 4 h + 1
    int powers;       // the exponent when it is a whole number 1..5, else 0
};

// A coverage value from the sum of the 16 sub-sample weights.
inline uint8_t CoverageOf(double sum) { return SaturateCoverage(sum * 0.0625 * 255 + 0.5); }

// How far a weight sum made with plain products (or bounded from above)
// may lie from the sum of the library's powers. Both powers are within a
// few units in the last place of the true one, so 1e-9 leaves a margin of
// about a million of them; CoverageOf is monotone, so a sum known to within
// this decides the byte whenever both ends of the interval give the same.
constexpr double kSumSlack = 1e-9;

inline double WholePower(double base, int n) {
    double p = base;
    for (int i = 1; i < n; ++i) p *= base;
    return p;
}

// The band weight of a sub-point at squared distance s2, before the power.
inline double BandBase(const Dab& dab, double s2) {
    return 1.0 - (std::sqrt(s2) - dab.ri) * dab.invBand;
}

// Weight of one sub-point at squared distance s2 from the centre.
template <bool kHardEdge>
inline double SubWeight(const Dab& dab, double s2) {
    if (s2 <= dab.inLimit) return 1.0;
    if (s2 >= dab.outLimit) return 0.0;
    if constexpr (kHardEdge) {
        return 1.0;  // (1 - distance x 0)^e
    } else {
        const double w = std::pow(1.0 - (std::sqrt(s2) - dab.ri) * dab.invBand, dab.exponent);
        return w == w ? w : 0.0;  // a base rounded below 0 has no real power
    }
}

inline void AtomicMin(std::atomic<int32_t>& bound, int32_t value) {
    int32_t current = bound.load(std::memory_order_relaxed);
    while (value < current &&
           !bound.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
    }
}

inline void AtomicMax(std::atomic<int32_t>& bound, int32_t value) {
    int32_t current = bound.load(std::memory_order_relaxed);
    while (value > current &&
           !bound.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
    }
}

// The exact sum of a soft pixel: the library's power for every band point.
inline double SoftSum(const Dab& dab, const double subX2[4], const double subY2[4]) {
    double sum = 0.0;
    for (int iy = 0; iy < 4; ++iy)
        for (int ix = 0; ix < 4; ++ix) sum += SubWeight<false>(dab, subX2[ix] + subY2[iy]);
    return sum;
}

// True when no sub-point of the pixel can weigh enough to lift it above
// old: the nearest sub-point bounds all 16 (the weight falls with the
// distance), and for a base in [0, 1] its power is at most the base itself
// (the exponent is at least 1), or exactly a product for whole exponents.
inline bool BandCannotRaise(const Dab& dab, const double subX2[4], const double subY2[4],
                            uint8_t old) {
    const double nearX2 = std::min(std::min(subX2[0], subX2[1]), std::min(subX2[2], subX2[3]));
    const double nearY2 = std::min(std::min(subY2[0], subY2[1]), std::min(subY2[2], subY2[3]));
    const double near2 = nearX2 + nearY2;
    if (near2 <= dab.inLimit) return false;
    if (near2 >= dab.outLimit) return true;  // every sub-point weighs 0
    const double base = BandBase(dab, near2);
    if (!(base <= 1.0)) return false;
    const double top = dab.powers ? WholePower(base, dab.powers) : base;
    return CoverageOf(16.0 * top + kSumSlack) <= old;
}

// The coverage value of a soft pixel. With a whole exponent the weights are
// first made with products; only a sum that falls within the slack of a
// step of the byte is made again with the library's powers. Returns a
// value not above old when the pixel cannot rise.
inline uint8_t SoftValue(const Dab& dab, const double subX2[4], const double subY2[4],
                         uint8_t old) {
    if (!dab.powers) return CoverageOf(SoftSum(dab, subX2, subY2));
    double sum = 0.0;
    for (int iy = 0; iy < 4; ++iy) {
        for (int ix = 0; ix < 4; ++ix) {
            const double s2 = subX2[ix] + subY2[iy];
            if (s2 <= dab.inLimit) {
                sum += 1.0;
            } else if (s2 < dab.outLimit) {
                sum += WholePower(BandBase(dab, s2), dab.powers);
            }
        }
    }
    const uint8_t high = CoverageOf(sum + kSumSlack);
    if (high <= old) return old;
    const uint8_t low = CoverageOf(sum - kSumSlack);
    return low == high ? high : CoverageOf(SoftSum(dab, subX2, subY2));
}

template <bool kHardEdge>
void StampBox(RenderContext& context, const Dab& dab, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1) {
    uint8_t* const coverage = context.coverage.get();
    const ptrdiff_t stride = context.source.width;
    for (int32_t y = y0; y < y1; ++y) {
        const double dy = y + 0.5 - dab.cy;
        const double dy2 = dy * dy;
        const double cornerLow = (dy - kCorner) * (dy - kCorner);
        const double cornerHigh = (dy + kCorner) * (dy + kCorner);
        double subY2[4];
        for (int i = 0; i < 4; ++i) subY2[i] = (dy + kSubOffsets[i]) * (dy + kSubOffsets[i]);
        uint8_t* const row = coverage + static_cast<ptrdiff_t>(y) * stride;

        for (int32_t x = x0; x < x1; ++x) {
            std::atomic_ref<uint8_t> cell(row[x]);
            uint8_t old = cell.load(std::memory_order_relaxed);
            if (old == 255) continue;

            const double dx = x + 0.5 - dab.cx;
            const double d2 = dx * dx + dy2;
            if (dab.deep > d2) {
                cell.store(255, std::memory_order_relaxed);
                continue;
            }

            const double left = (dx - kCorner) * (dx - kCorner);
            const double right = (dx + kCorner) * (dx + kCorner);
            const double c0 = left + cornerLow, c1 = right + cornerLow;
            const double c2 = left + cornerHigh, c3 = right + cornerHigh;
            const bool allIn = c0 <= dab.inLimit && c1 <= dab.inLimit && c2 <= dab.inLimit &&
                               c3 <= dab.inLimit;
            const bool allOut = c0 >= dab.outLimit && c1 >= dab.outLimit &&
                                c2 >= dab.outLimit && c3 >= dab.outLimit;
            if (allIn && !allOut) {
                cell.store(255, std::memory_order_relaxed);
                continue;
            }
            if (allOut && (!allIn || d2 >= dab.r2)) continue;

            double subX2[4];
            for (int i = 0; i < 4; ++i) subX2[i] = (dx + kSubOffsets[i]) * (dx + kSubOffsets[i]);
            uint8_t value;
            if constexpr (kHardEdge) {
                // One running sum, row by row of sub-points.
                double sum = 0.0;
                for (int iy = 0; iy < 4; ++iy)
                    for (int ix = 0; ix < 4; ++ix) sum += SubWeight<true>(dab, subX2[ix] + subY2[iy]);
                value = CoverageOf(sum);
            } else {
                if (old > 0 && BandCannotRaise(dab, subX2, subY2, old)) continue;
                value = SoftValue(dab, subX2, subY2, old);
                if (value <= old) continue;
            }
            while (value > old &&
                   !cell.compare_exchange_weak(old, value, std::memory_order_relaxed)) {
            }
        }
    }
}

// v clamped to [0, limit]; v is not NaN.
inline double ClampToExtent(double v, int32_t limit) {
    const double hi = limit > 0 ? static_cast<double>(limit) : 0.0;
    return v < 0.0 ? 0.0 : (v > hi ? hi : v);
}

}  // namespace

void Stamp(RenderContext& context, double cx, double cy, double diameter) {
    if (!context.coverage) return;

    const double r = diameter * 0.5;
    const double h = context.settings.hardness;
    const double ri = h * r;
    const double band = r - ri;

    // The pixel box in double first: a NaN centre or diameter places no
    // disc, a huge one is clamped to the canvas before any conversion.
    const double fx0 = std::floor(cx - r), fx1 = std::ceil(cx + r);
    const double fy0 = std::floor(cy - r), fy1 = std::ceil(cy + r);
    if (std::isnan(fx0) || std::isnan(fx1) || std::isnan(fy0) || std::isnan(fy1)) return;
    const int32_t width = context.source.width, height = context.source.height;
    const int32_t x0 = SaturateToInt32(ClampToExtent(fx0, width));
    const int32_t x1 = SaturateToInt32(ClampToExtent(fx1, width));
    const int32_t y0 = SaturateToInt32(ClampToExtent(fy0, height));
    const int32_t y1 = SaturateToInt32(ClampToExtent(fy1, height));

    Dab dab;
    dab.cx = cx;
    dab.cy = cy;
    dab.ri = ri;
    dab.r2 = r * r;
    dab.deep = ri * ri - 1;
    dab.inLimit = ri * ri + 1e-12;
    dab.outLimit = r * r - 1e-12;
    dab.invBand = band > 1e-12 ? 1 / band : 0;
    dab.exponent = 4 * h + 1;
    dab.powers = 0;
    for (int n = 1; n <= 5; ++n)
        if (dab.exponent == n) dab.powers = n;

    if (dab.invBand == 0 && std::isfinite(ri))
        StampBox<true>(context, dab, x0, y0, x1, y1);
    else
        StampBox<false>(context, dab, x0, y0, x1, y1);

    // The box grows even when the dab missed the canvas.
    AtomicMin(context.dirty.x0, x0);
    AtomicMin(context.dirty.y0, y0);
    AtomicMax(context.dirty.x1, x1);
    AtomicMax(context.dirty.y1, y1);
}

int32_t SampleInk(const RenderContext& context, int32_t x, int32_t y) {
    const PixelBlock& source = context.source;
    if (x < 0 || x >= source.width || y < 0 || y >= source.height || !source.pixels) return -1;

    const uint8_t* p = source.pixels + static_cast<ptrdiff_t>(y) * source.rowBytes +
                       static_cast<ptrdiff_t>(x) * source.pixelBytes;
    const uint8_t* order = source.order;
    int32_t lightness = 255;
    int32_t alpha = p[0];
    switch (source.layout) {
        case kLayoutRgba:
            lightness = (p[order[1]] * 150 + p[order[0]] * 77 + p[order[2]] * 29) >> 8;
            alpha = p[order[3]];
            break;
        case kLayoutGrey:
            lightness = p[order[0]];
            alpha = p[order[1]];
            break;
        default:  // one channel: opacity only, never ink
            break;
    }

    int32_t opacity = alpha;
    if (context.mask.pixels) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(x) +
                             static_cast<ptrdiff_t>(y) * context.mask.rowBytes;
        opacity = (context.mask.pixels[at] * alpha + 127) / 255;
    }

    const int32_t darkness = 255 - lightness;
    if (opacity > 254) return darkness;
    if (opacity > 0 && darkness != 0) {
        const int32_t q = darkness * opacity;
        if (q < 256) return 0;
        if (q < 65280) return q >> 8;
        return 255;
    }
    return 0;
}

}  // namespace velmora
