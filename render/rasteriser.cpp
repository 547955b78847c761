// Pen dabs into the shared coverage buffer (ink sampling is inline in the header).
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
#include "render/stamp_for_testing.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// On x86-64 the sub-points are also taken four at a time where the
// processor has AVX2, chosen when the module runs. The bytes are the same
// either way: the same IEEE operations, lane by lane, and sums whose order
// does not matter (counts, or product sums held to their slack).
#if defined(__x86_64__) && defined(__GNUC__)
#define VELMORA_WIDE_STAMP 1
#include <immintrin.h>
#define VELMORA_WIDE __attribute__((target("avx2")))
#else
#define VELMORA_WIDE_STAMP 0
#endif

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
    // For the test that a pixel cannot rise: the band width, and the inner
    // radius widened by a margin far above the rounding of the weights.
    double band;
    double riMargin;
    const double* reach;  // ReachTable of the exponent
};

// A coverage value from the sum of the 16 sub-sample weights.
inline uint8_t CoverageOf(double sum) { return SaturateCoverage(sum * 0.0625 * 255 + 0.5); }

// How far a weight sum made with plain products (in any order) may lie from
// the running sum of the library's powers. Both powers are within a few
// units in the last place of the true one, so 1e-9 leaves a margin of about
// a million of them; CoverageOf is monotone, so a sum known to within this
// decides the byte whenever both ends of the interval give the same.
constexpr double kSumSlack = 1e-9;

// Squared sub-sample distances along one axis from a pixel centre offset d.
inline void SubSquares(double d, double out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = (d + kSubOffsets[i]) * (d + kSubOffsets[i]);
}

// Coverage of a count of sub-points of weight 1: CoverageOf(count).
constexpr uint8_t kCountCoverage[17] = {0,   16,  32,  48,  64,  80,  96,  112, 128,
                                        143, 159, 175, 191, 207, 223, 239, 255};

// --- Two sub-points at a time ---------------------------------------------
//
// The compiler's vector extension: plain IEEE operations lane by lane, so
// every value is the one the scalar expression gives.

using Pair = double __attribute__((vector_size(16)));
using PairMask = long long __attribute__((vector_size(16)));  // lanes all ones or zero

inline Pair Splat(double v) { return Pair{v, v}; }

inline Pair SqrtPair(Pair v) {
#if defined(__SSE2__)
    return reinterpret_cast<Pair>(_mm_sqrt_pd(reinterpret_cast<__m128d>(v)));
#else
    return Pair{std::sqrt(v[0]), std::sqrt(v[1])};
#endif
}

// One pixel's squared sub-point distances along x, as two pairs.
struct PixelX {
    Pair low;   // offsets -0.375, -0.125
    Pair high;  // offsets 0.125, 0.375
};

inline PixelX SubX(double dx) {
    const Pair low = Splat(dx) + Pair{kSubOffsets[0], kSubOffsets[1]};
    const Pair high = Splat(dx) + Pair{kSubOffsets[2], kSubOffsets[3]};
    return {low * low, high * high};
}

// Sub-points of weight 1 under a hard edge: within the inner limit, or
// short of the outer one.
inline int HardCount(const Dab& dab, const PixelX& px, const double subY2[4]) {
    const Pair in = Splat(dab.inLimit), out = Splat(dab.outLimit);
    PairMask count = {0, 0};
    for (int iy = 0; iy < 4; ++iy) {
        const Pair t = Splat(subY2[iy]);
        const Pair a = px.low + t, b = px.high + t;
        count -= (a <= in) | (a < out);  // a true lane is -1
        count -= (b <= in) | (b < out);
    }
    return static_cast<int>(count[0] + count[1]);
}

// --- Soft edges -------------------------------------------------------------

// Weight of one sub-point at squared distance s2 from the centre, with the
// library's power, as the pen model words it.
inline double SoftWeight(const Dab& dab, double s2) {
    if (s2 <= dab.inLimit) return 1.0;
    if (s2 >= dab.outLimit) return 0.0;
    const double w = std::pow(1.0 - (std::sqrt(s2) - dab.ri) * dab.invBand, dab.exponent);
    return w == w ? w : 0.0;  // a base rounded below 0 has no real power
}

// The exact sum of a soft pixel: one running sum, row by row.
inline double SoftSum(const Dab& dab, const double subX2[4], const double subY2[4]) {
    double sum = 0.0;
    for (int iy = 0; iy < 4; ++iy)
        for (int ix = 0; ix < 4; ++ix) sum += SoftWeight(dab, subX2[ix] + subY2[iy]);
    return sum;
}

// Per exponent, for each old value v: the fraction g of the band beyond
// which a sub-point weighs less than (v + 0.5) / 255 (shrunk by 1e-12),
// the least weight of 16 alike that could lift a pixel above v.
struct ReachTable {
    double exponent = -1.0;
    double g[256];
};

const double* ReachFor(double exponent) {
    thread_local ReachTable table;
    if (table.exponent != exponent) {
        for (int v = 0; v < 256; ++v) {
            const double least = (v + 0.5) / 255 * (1 - 1e-12);
            table.g[v] = 1.0 - std::pow(least, 1.0 / exponent);
        }
        table.exponent = exponent;
    }
    return table.g;
}

// True when no sub-point of the pixel can weigh enough to lift it above
// old: the nearest sub-point (squared distance near2) bounds all 16, as the
// weight falls with the distance, and it lies beyond the reach for old.
inline bool CannotRaise(const Dab& dab, double near2, uint8_t old) {
    if (near2 <= dab.inLimit) return false;
    if (near2 >= dab.outLimit) return true;  // every sub-point weighs 0
    if (!dab.reach) return false;
    const double reach = dab.riMargin + dab.reach[old] * dab.band;
    return near2 > reach * reach * (1 + 1e-12);
}

// The soft sum with the power as N - 1 products, two sub-points at a time.
template <int N>
inline double ProductSum(const Dab& dab, const PixelX& px, const double subY2[4]) {
    const Pair in = Splat(dab.inLimit), out = Splat(dab.outLimit);
    const Pair one = Splat(1.0), zero = Splat(0.0);
    const Pair ri = Splat(dab.ri), invBand = Splat(dab.invBand);
    Pair sum = zero;
    for (int iy = 0; iy < 4; ++iy) {
        const Pair t = Splat(subY2[iy]);
        for (const Pair x : {px.low, px.high}) {
            const Pair s2 = x + t;
            const Pair base = one - (SqrtPair(s2) - ri) * invBand;
            Pair w = base;
            for (int i = 1; i < N; ++i) w *= base;
            sum += s2 <= in ? one : (s2 < out ? w : zero);
        }
    }
    return sum[0] + sum[1];
}

#if VELMORA_WIDE_STAMP
// A sub-row of four sub-points: the same operations lane by lane.
using Quad = double __attribute__((vector_size(32)));

VELMORA_WIDE inline Quad SqrtQuad(Quad v) {
    return reinterpret_cast<Quad>(_mm256_sqrt_pd(reinterpret_cast<__m256d>(v)));
}

// HardCount, four sub-points at a time.
VELMORA_WIDE inline int HardCountWide(const Dab& dab, const PixelX& px, const double subY2[4]) {
    using QuadMask = long long __attribute__((vector_size(32)));
    const Quad x = {px.low[0], px.low[1], px.high[0], px.high[1]};
    const Quad in = {dab.inLimit, dab.inLimit, dab.inLimit, dab.inLimit};
    const Quad out = {dab.outLimit, dab.outLimit, dab.outLimit, dab.outLimit};
    QuadMask count = {0, 0, 0, 0};
    for (int iy = 0; iy < 4; ++iy) {
        const Quad s2 = x + Quad{subY2[iy], subY2[iy], subY2[iy], subY2[iy]};
        count -= (s2 <= in) | (s2 < out);  // a true lane is -1
    }
    return static_cast<int>((count[0] + count[1]) + (count[2] + count[3]));
}

// ProductSum, four sub-points at a time.
template <int N>
VELMORA_WIDE inline double ProductSumWide(const Dab& dab, const PixelX& px,
                                          const double subY2[4]) {
    const Quad x = {px.low[0], px.low[1], px.high[0], px.high[1]};
    const Quad in = {dab.inLimit, dab.inLimit, dab.inLimit, dab.inLimit};
    const Quad out = {dab.outLimit, dab.outLimit, dab.outLimit, dab.outLimit};
    const Quad one = {1.0, 1.0, 1.0, 1.0}, zero = {0.0, 0.0, 0.0, 0.0};
    const Quad ri = {dab.ri, dab.ri, dab.ri, dab.ri};
    const Quad invBand = {dab.invBand, dab.invBand, dab.invBand, dab.invBand};
    Quad sum = zero;
    for (int iy = 0; iy < 4; ++iy) {
        const Quad s2 = x + Quad{subY2[iy], subY2[iy], subY2[iy], subY2[iy]};
        const Quad base = one - (SqrtQuad(s2) - ri) * invBand;
        Quad w = base;
        for (int i = 1; i < N; ++i) w *= base;
        sum += s2 <= in ? one : (s2 < out ? w : zero);
    }
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
}
#endif

// The coverage value of a soft pixel whose exponent is the whole number N:
// the weights are made with products; only a sum that falls within the
// slack of a step of the byte is made again with the library's powers.
// Returns a value not above old when the pixel cannot rise.
template <int N, bool kWide>
inline uint8_t WholeSoftValue(const Dab& dab, const PixelX& px, double dx,
                              const double subY2[4], uint8_t old) {
    double sum;
#if VELMORA_WIDE_STAMP
    if constexpr (kWide) sum = ProductSumWide<N>(dab, px, subY2);
    else sum = ProductSum<N>(dab, px, subY2);
#else
    sum = ProductSum<N>(dab, px, subY2);
#endif
    const uint8_t high = CoverageOf(sum + kSumSlack);
    if (high <= old) return old;
    const uint8_t low = CoverageOf(sum - kSumSlack);
    if (low == high) return high;
    double subX2[4];
    SubSquares(dx, subX2);
    return CoverageOf(SoftSum(dab, subX2, subY2));
}

// How the sub-points of a dab weigh: a hard edge, a soft one with a whole
// exponent 1 to 5, or any other soft one.
enum class Edge { kHard, kWhole1, kWhole2, kWhole3, kWhole4, kWhole5, kSoft };

inline void RaiseTo(std::atomic_ref<uint8_t> cell, uint8_t old, uint8_t value) {
    while (value > old && !cell.compare_exchange_weak(old, value, std::memory_order_relaxed)) {
    }
}

// The pixels x0 <= x < x1 of row y, each decided as the pen model words it.
template <Edge kEdge, bool kWide>
inline void StampRow(uint8_t* row, const Dab& dab, int32_t y, int32_t x0, int32_t x1) {
    const double dy = y + 0.5 - dab.cy;
    const double dy2 = dy * dy;
    double subY2[4];
    SubSquares(dy, subY2);
    // (dy -+ 0.375)^2: the corner rows are the outer sub-rows.
    const double cornerLow = subY2[0], cornerHigh = subY2[3];
    const double nearY2 = std::min(std::min(subY2[0], subY2[1]), std::min(subY2[2], subY2[3]));

    for (int32_t x = x0; x < x1; ++x) {
        std::atomic_ref<uint8_t> cell(row[x]);
        const uint8_t old = cell.load(std::memory_order_relaxed);
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

        const PixelX px = SubX(dx);
        if constexpr (kEdge == Edge::kHard) {
            int count;
#if VELMORA_WIDE_STAMP
            if constexpr (kWide) count = HardCountWide(dab, px, subY2);
            else count = HardCount(dab, px, subY2);
#else
            count = HardCount(dab, px, subY2);
#endif
            RaiseTo(cell, old, kCountCoverage[count]);
        } else {
            if (old > 0) {
                const double nearX2 = std::min(std::min(px.low[0], px.low[1]),
                                               std::min(px.high[0], px.high[1]));
                if (CannotRaise(dab, nearX2 + nearY2, old)) continue;
            }
            uint8_t value;
            if constexpr (kEdge == Edge::kWhole1) value = WholeSoftValue<1, kWide>(dab, px, dx, subY2, old);
            if constexpr (kEdge == Edge::kWhole2) value = WholeSoftValue<2, kWide>(dab, px, dx, subY2, old);
            if constexpr (kEdge == Edge::kWhole3) value = WholeSoftValue<3, kWide>(dab, px, dx, subY2, old);
            if constexpr (kEdge == Edge::kWhole4) value = WholeSoftValue<4, kWide>(dab, px, dx, subY2, old);
            if constexpr (kEdge == Edge::kWhole5) value = WholeSoftValue<5, kWide>(dab, px, dx, subY2, old);
            if constexpr (kEdge == Edge::kSoft) {
                double subX2[4];
                SubSquares(dx, subX2);
                value = CoverageOf(SoftSum(dab, subX2, subY2));
            }
            RaiseTo(cell, old, value);
        }
    }
}

template <Edge kEdge>
void StampBoxNarrow(RenderContext& context, const Dab& dab, int32_t x0, int32_t y0, int32_t x1,
                    int32_t y1) {
    uint8_t* const coverage = context.coverage.get();
    const ptrdiff_t stride = context.source.width;
    for (int32_t y = y0; y < y1; ++y)
        StampRow<kEdge, false>(coverage + static_cast<ptrdiff_t>(y) * stride, dab, y, x0, x1);
}

#if VELMORA_WIDE_STAMP
// Everything it calls is made inline here, so the four-wide weights are
// compiled for AVX2 along with the loops around them.
template <Edge kEdge>
VELMORA_WIDE __attribute__((flatten)) void StampBoxWide(RenderContext& context, const Dab& dab,
                                                        int32_t x0, int32_t y0, int32_t x1,
                                                        int32_t y1) {
    uint8_t* const coverage = context.coverage.get();
    const ptrdiff_t stride = context.source.width;
    for (int32_t y = y0; y < y1; ++y)
        StampRow<kEdge, true>(coverage + static_cast<ptrdiff_t>(y) * stride, dab, y, x0, x1);
}

#endif

std::atomic<bool>& WideStampAllowed() {
    static std::atomic<bool> allowed{true};
    return allowed;
}

#if VELMORA_WIDE_STAMP
bool HasWideStamp() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && WideStampAllowed().load(std::memory_order_relaxed);
}
#endif

// The dab's box, four sub-points at a time where the processor can (all but
// the soft edges whose exponent needs the library's power anyway).
template <Edge kEdge>
void StampBox(RenderContext& context, const Dab& dab, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1) {
#if VELMORA_WIDE_STAMP
    if constexpr (kEdge != Edge::kSoft) {
        if (HasWideStamp()) {
            StampBoxWide<kEdge>(context, dab, x0, y0, x1, y1);
            return;
        }
    }
#endif
    StampBoxNarrow<kEdge>(context, dab, x0, y0, x1, y1);
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

// v clamped to [0, limit]; v is not NaN.
inline double ClampToExtent(double v, int32_t limit) {
    const double hi = limit > 0 ? static_cast<double>(limit) : 0.0;
    return v < 0.0 ? 0.0 : (v > hi ? hi : v);
}

// Centres and radii below this take the box by integer conversion.
constexpr double kNearCoordinate = 1073741824.0;  // 2^30

// floor and ceil of v, |v| < 2^31, as integers.
inline int64_t FloorOf(double v) {
    const int64_t t = static_cast<int64_t>(v);  // towards zero
    return t - (v < static_cast<double>(t));
}
inline int64_t CeilOf(double v) {
    const int64_t t = static_cast<int64_t>(v);
    return t + (v > static_cast<double>(t));
}

// v clamped to [0, limit], as ClampToExtent gives it for a whole number.
inline int32_t ClampToExtent(int64_t v, int32_t limit) {
    const int64_t hi = limit > 0 ? limit : 0;
    return static_cast<int32_t>(v < 0 ? 0 : (v > hi ? hi : v));
}

}  // namespace

void testing::SetWideStampForTesting(bool allowed) {
    WideStampAllowed().store(allowed, std::memory_order_relaxed);
}

namespace {

// The pixel box of a dab of radius r at (cx, cy), clamped to the canvas;
// false for a NaN box (no disc).
[[gnu::always_inline]] inline bool BoxOf(const RenderContext& context, double cx, double cy,
                                         double r, int32_t& x0, int32_t& y0, int32_t& x1,
                                         int32_t& y1) {
    const int32_t width = context.source.width, height = context.source.height;
    if (std::fabs(cx) < kNearCoordinate && std::fabs(cy) < kNearCoordinate && r >= 0 &&
        r < kNearCoordinate) {
        // The common dab: floor and ceil by conversion, exact at these sizes.
        x0 = ClampToExtent(FloorOf(cx - r), width);
        x1 = ClampToExtent(CeilOf(cx + r), width);
        y0 = ClampToExtent(FloorOf(cy - r), height);
        y1 = ClampToExtent(CeilOf(cy + r), height);
        return true;
    }
    // The pixel box in double first: a NaN centre or diameter places no
    // disc, a huge one is clamped to the canvas before any conversion.
    const double fx0 = std::floor(cx - r), fx1 = std::ceil(cx + r);
    const double fy0 = std::floor(cy - r), fy1 = std::ceil(cy + r);
    if (std::isnan(fx0) || std::isnan(fx1) || std::isnan(fy0) || std::isnan(fy1)) return false;
    x0 = SaturateToInt32(ClampToExtent(fx0, width));
    x1 = SaturateToInt32(ClampToExtent(fx1, width));
    y0 = SaturateToInt32(ClampToExtent(fy0, height));
    y1 = SaturateToInt32(ClampToExtent(fy1, height));
    return true;
}

}  // namespace

void DabBox::Add(const RenderContext& context, double cx, double cy, double diameter) {
    if (!context.coverage) return;
    int32_t bx0, by0, bx1, by1;
    if (!BoxOf(context, cx, cy, diameter * 0.5, bx0, by0, bx1, by1)) return;
    x0 = std::min(x0, bx0);
    y0 = std::min(y0, by0);
    x1 = std::max(x1, bx1);
    y1 = std::max(y1, by1);
}

void DabBox::GrowDirty(RenderContext& context) const {
    if (x0 == INT32_MAX) return;  // no dab
    AtomicMin(context.dirty.x0, x0);
    AtomicMin(context.dirty.y0, y0);
    AtomicMax(context.dirty.x1, x1);
    AtomicMax(context.dirty.y1, y1);
}

void Stamp(RenderContext& context, double cx, double cy, double diameter) {
    if (!context.coverage) return;

    const double r = diameter * 0.5;
    const double h = context.settings.hardness;
    const double ri = h * r;
    const double band = r - ri;

    int32_t x0, x1, y0, y1;
    if (!BoxOf(context, cx, cy, r, x0, y0, x1, y1)) return;

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
    dab.band = band;
    dab.riMargin = ri + 1e-9 * (1 + r);
    dab.reach = nullptr;

    if (dab.invBand == 0 && std::isfinite(ri)) {
        StampBox<Edge::kHard>(context, dab, x0, y0, x1, y1);
    } else if (x0 < x1 && y0 < y1) {
        const bool bounded = dab.exponent >= 1 && std::isfinite(r) && std::isfinite(ri);
        if (bounded) dab.reach = ReachFor(dab.exponent);
        const double e = dab.exponent;
        if (bounded && e == 1) StampBox<Edge::kWhole1>(context, dab, x0, y0, x1, y1);
        else if (bounded && e == 2) StampBox<Edge::kWhole2>(context, dab, x0, y0, x1, y1);
        else if (bounded && e == 3) StampBox<Edge::kWhole3>(context, dab, x0, y0, x1, y1);
        else if (bounded && e == 4) StampBox<Edge::kWhole4>(context, dab, x0, y0, x1, y1);
        else if (bounded && e == 5) StampBox<Edge::kWhole5>(context, dab, x0, y0, x1, y1);
        else StampBox<Edge::kSoft>(context, dab, x0, y0, x1, y1);
    }

    // The box grows even when the dab missed the canvas.
    AtomicMin(context.dirty.x0, x0);
    AtomicMin(context.dirty.y0, y0);
    AtomicMax(context.dirty.x1, x1);
    AtomicMax(context.dirty.y1, y1);
}

}  // namespace velmora
