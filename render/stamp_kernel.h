// The inside of one pen dab, shared by the portable stamp and the AVX2 one:
// the dab's constants, the per-pixel decision row by row, and the tables of
// box functions the rasteriser chooses between. Only the three stamp files
// include it.
//
// A pixel's coverage is 16 sub-sample weights summed. The row kernel is
// written once; how many sub-points it weighs at a time comes from a Lanes
// policy (two in stamp_portable.cpp, four in stamp_avx2.cpp). The bytes are
// the same either way: the same IEEE operations lane by lane, and sums whose
// order does not matter (counts, or product sums held to their slack).
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "render/disc_shadow.h"
#include "render/power_table.h"
#include "render/saturate.h"
#include "render/stroke_context.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora::stamp {

// Sub-sample offsets from a pixel's centre: a 4 x 4 grid inside the pixel.
constexpr double kSubOffsets[4] = {-0.375, -0.125, 0.125, 0.375};
// Corner points of the early inside/outside test (kCorner, disc_shadow.h)
// are the outer sub-points.

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
    const PowerTable* table;  // of the exponent, for an exponent between whole numbers
    // For the test that a pixel cannot rise: the band width, and the inner
    // radius widened by a margin far above the rounding of the weights.
    double band;
    double riMargin;
    const double* reach;  // ReachTable of the exponent
    // For bounds from a pixel's centre alone (CentreSums), when centred: the
    // outer radius less a margin, and the most the sub-points' curvature can
    // move their sum above and below 16 centre weights (see there).
    bool centred;
    double rMargin;
    double curveRadial;  // 1.25 e (e - 1) / band^2
    double curveAcross;  // 1.25 e / band
    // For CloseSums: |e (e - 1) ... (e - k)| / band^(k + 1), k = 0 to 3,
    // and how many times to divide each by the least B (see there).
    double close[4];
    int closeSteps[4];
    // Pixels a neighbour of the stroke covers as well (see StampBetween).
    Shadow shadows[2];
    int shadowCount;
};

// How the sub-points of a dab weigh: a hard edge, a soft one with a whole
// exponent 1 to 5, one with an exponent between 1 and 5 that is not whole,
// or any other soft one.
enum class Edge { kHard, kWhole1, kWhole2, kWhole3, kWhole4, kWhole5, kFraction, kSoft };
constexpr int kEdgeCount = 8;

// The exponent of a whole edge: kWhole1 -> 1 ... kWhole5 -> 5.
constexpr int WholeExponent(Edge e) {
    return static_cast<int>(e) - static_cast<int>(Edge::kWhole1) + 1;
}

// Where a dab goes: the coverage buffer, and its tile counts (see
// StrokeContext::fullTiles), which may be null.
struct Target {
    uint8_t* coverage;
    int32_t width;  // of the canvas, and the bytes of a coverage row
    int32_t height;
    uint8_t* tiles;
    ptrdiff_t tileStride;  // tiles a row
};

// Stamps the dab into rows y0 <= y < y1, columns x0 <= x < x1 (a box that
// is not empty, inside the buffer): every row whole, or through the tiles.
using StampBoxFunction = void (*)(uint8_t* coverage, ptrdiff_t stride, const Dab& dab,
                                  int32_t x0, int32_t y0, int32_t x1, int32_t y1);
using TiledBoxFunction = void (*)(const Target& target, const Dab& dab, int32_t x0, int32_t y0,
                                  int32_t x1, int32_t y1);

// One box function per Edge, in Edge order.
struct StampBoxes {
    StampBoxFunction box[kEdgeCount];     // dabs with no shadow
    StampBoxFunction shaded[kEdgeCount];  // dabs with shadows
    TiledBoxFunction tiled[kEdgeCount];   // wide dabs with no shadow
};

// The constants of a dab of this diameter and hardness at (cx, cy), and how
// its sub-points weigh.
Dab DabOf(double cx, double cy, double diameter, double hardness, Edge& edge);

// Two sub-points at a time, on every processor.
const StampBoxes& PortableStampBoxes();
// Four at a time; null where the processor has no AVX2.
const StampBoxes* Avx2StampBoxes();

// A coverage value from the sum of the 16 sub-sample weights.
inline uint8_t CoverageOf(double sum) { return SaturateCoverage(sum * 0.0625 * 255 + 0.5); }

// How far a weight sum made with plain products, or a bound made from the
// table's chords (in any order), may lie from the running sum of the
// library's powers, or from the bound's true value. The library, the
// products and the chords are within a few units in the last place, so 1e-9
// leaves a margin of about a million of them; CoverageOf is monotone, so a
// sum known to within this decides the byte whenever both ends of the
// interval give the same.
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

// The least of a pixel's squared sub-point distances along x.
inline double NearestX2(const PixelX& px) {
    return std::min(std::min(px.low[0], px.low[1]), std::min(px.high[0], px.high[1]));
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

// The coverage value of a soft pixel whose weight sum is known to lie
// between lower and upper, each within kSumSlack of a bound of the running
// sum of the library's powers (both NaN when no bounds could be made): only
// a pixel whose bounds fall either side of a step of the byte is weighed
// again with the library's powers. Returns a value not above old when the
// pixel cannot rise.
inline uint8_t SoftValueWithin(const Dab& dab, double lower, double upper, double dx,
                               const double subY2[4], uint8_t old) {
    if (upper == upper) {
        const uint8_t high = CoverageOf(upper + kSumSlack);
        if (high <= old) return old;
        const uint8_t low = CoverageOf(lower - kSumSlack);
        if (low == high) return high;
    }
    double subX2[4];
    SubSquares(dx, subX2);
    return CoverageOf(SoftSum(dab, subX2, subY2));
}

// The 16 sub-points lie within this of the pixel centre (0.375 * sqrt 2 =
// 0.53033 away at the corners).
constexpr double kSubReach = 0.5304;

// The bounds low <= B^e <= high of the power at base B, 0 <= B <= 1: the
// table's chord and the chord less its gap, or the product for a whole
// exponent.
template <Edge kEdge>
inline void CentrePower(const Dab& dab, double base, double& low, double& high) {
    if constexpr (kEdge == Edge::kFraction) {
        double gap;
        ChordAt(*dab.table, base, high, gap);
        low = high - gap;
    } else {
        high = base;
        for (int i = 1; i < WholeExponent(kEdge); ++i) high *= base;
        low = high;
    }
}

// Bounds of a soft pixel's weight sum from its centre alone, at squared
// distance d2, when no sub-point lies within the inner radius: false
// otherwise.
//
// There the weight is f(p) = g(|p|), g(t) = B(t)^e, B = 1 - (t - ri) / band,
// and 0 past the outer radius. Taylor's theorem at the centre c, for each
// offset o of a sub-point: f(c + o) = f(c) + f'(c) o + o H o / 2, H the
// second derivative somewhere between. The 16 offsets sum to 0, so the
// first-order terms cancel, and their squared lengths sum to 2.5. H has the
// eigenvalues g'' >= 0 (along the radius) and g'/t <= 0 (across), so the sum
// lies between 16 f(c) + 1.25 min g'/t and 16 f(c) + 1.25 max g''. Over the
// sub-points' disc (t from d - kSubReach to d + kSubReach, B up to Bmax < 1):
// - g'' = e (e - 1) B^(e-2) / band^2: for e >= 3 at most that with Bmax for
//   B^(e-2), for 2 <= e < 3 with 1, for e < 2 with 1 over the least B (the
//   disc then has to end short of the outer radius);
// - g'/t = -e B^(e-1) / (band t): at least -e / (band (d - kSubReach)),
//   times Bmax for e >= 2.
// For e >= 2 g' and g'' stay bounded across the outer radius (g' is 0
// there), so the theorem holds on discs that cross it. For a pen a few
// pixels wide and more the sum is so held to well under a coverage step,
// with one weight instead of 16.
template <Edge kEdge>
inline bool CentreSums(const Dab& dab, double d2, double& lower, double& upper) {
    const double d = std::sqrt(d2);
    const double nearest = d - kSubReach, farthest = d + kSubReach;
    if (!(nearest > dab.riMargin)) return false;
    const bool steep = dab.exponent < 2;
    if (steep && !(farthest < dab.rMargin)) return false;
    const double base = std::max(0.0, 1.0 - (d - dab.ri) * dab.invBand);
    double low, high;
    CentrePower<kEdge>(dab, base, low, high);
    const double most = std::max(0.0, 1.0 - (nearest - dab.ri) * dab.invBand);
    double radial = dab.curveRadial, across = dab.curveAcross;
    if (steep) {
        radial /= 1.0 - (farthest - dab.ri) * dab.invBand;
    } else {
        across *= most;
        if (dab.exponent >= 3) radial *= most;
    }
    upper = 16 * high + radial;
    lower = 16 * low - across / nearest;
    return true;
}

// Closer bounds, for the pixels whose CentreSums straddle a step of their
// byte, where the sub-points' disc lies inside the band (B at least 1e-3):
// false otherwise. Taylor's theorem to the fourth order: the odd terms of
// the 16 symmetric offsets cancel, the second-order ones sum to exactly
// 0.625 (g2 + g1 / d) at the centre (gk the k-th derivative of g), which is
// P (16 + kappa) with P = B^e, g1 = -e P / (band B), g2 = e (e - 1) P /
// (band B)^2; and each fourth-order rest is |o|^4 / 24 times a fourth
// derivative along a line, the offsets' |o|^4 summing to 0.515625. Along a
// line through the disc t = |p| has |t1| <= 1, t2 <= 1 / t, |t3| <= 3 / t^2,
// |t4| <= 15 / t^3, so that derivative is at most |g4| + 6 |g3| / t +
// 15 |g2| / t^2 + 15 |g1| / t^3; each |gk| is at most close[k-1] B^(e-k),
// and B^(e-k) at most 1 for e >= k, else the least B to the power
// -ceil(k - e).
template <Edge kEdge>
inline bool CloseSums(const Dab& dab, double d2, double& lower, double& upper) {
    const double d = std::sqrt(d2);
    const double nearest = d - kSubReach, farthest = d + kSubReach;
    if (!(nearest > dab.riMargin && farthest < dab.rMargin)) return false;
    const double least = 1.0 - (farthest - dab.ri) * dab.invBand;
    if (!(least >= 1e-3)) return false;
    const double base = 1.0 - (d - dab.ri) * dab.invBand;
    double low, high;
    CentrePower<kEdge>(dab, base, low, high);
    const double e = dab.exponent, ib = dab.invBand;
    const double scale = 16 + 0.625 * (e * (e - 1) * ib * ib / (base * base) - e * ib / (base * d));
    if (!(scale > 0)) return false;
    const double inv = 1.0 / least;
    double g[4];
    for (int k = 0; k < 4; ++k) {
        g[k] = dab.close[k];
        for (int i = 0; i < dab.closeSteps[k]; ++i) g[k] *= inv;
    }
    const double t = nearest;
    const double rest = 0.0215 * (g[3] + 6 * g[2] / t + 15 * g[1] / (t * t) + 15 * g[0] / (t * t * t));
    upper = high * scale + rest;
    lower = low * scale - rest;
    return true;
}

inline void RaiseTo(std::atomic_ref<uint8_t> cell, uint8_t old, uint8_t value) {
    while (value > old && !cell.compare_exchange_weak(old, value, std::memory_order_relaxed)) {
    }
}

// Tiles of a stretch of a row with a pixel that may stay below 255: bit
// (x >> kTileShift) - base of bits.
struct OpenTiles {
    uint64_t* bits;
    int32_t base;
    void Mark(int32_t x) const { *bits |= uint64_t{1} << ((x >> kTileShift) - base); }
    // Every tile of pixels from <= x < to.
    void MarkRange(int32_t from, int32_t to) const {
        const int32_t first = (from >> kTileShift) - base, last = ((to - 1) >> kTileShift) - base;
        *bits |= (~uint64_t{0} >> (63 - (last - first))) << first;
    }
};

// Rows outside the tile walk: nobody asks.
struct NoTiles {
    void Mark(int32_t) const {}
    void MarkRange(int32_t, int32_t) const {}
};

// The constants of one row of a dab.
struct DabRow {
    double dy;
    double dy2;
    double subY2[4];
    double nearY2;      // the least of subY2
};

// The pixels from <= x < to of a row, each decided as the pen model words
// it; every pixel not known to end at 255 marks its tile open.
// Lanes gives HardCount (sub-points of weight 1 under a hard edge),
// ProductSum<N> (the soft sum with the power as N - 1 products) and
// ChordSums (the sums of the table's chords and of the chords less their
// gaps).
template <Edge kEdge, typename Lanes, typename Open>
[[gnu::always_inline]] inline void StampStretch(uint8_t* pixels, const Open& open, const Dab& dab,
                                                const DabRow& row, int32_t from, int32_t to) {
    // (dy -+ 0.375)^2: the corner rows are the outer sub-rows.
    const double dy2 = row.dy2, cornerLow = row.subY2[0], cornerHigh = row.subY2[3];
    const double nearY2 = row.nearY2;
    const double* subY2 = row.subY2;
    for (int32_t x = from; x < to; ++x) {
        std::atomic_ref<uint8_t> cell(pixels[x]);
        const uint8_t old = cell.load(std::memory_order_relaxed);
        if (old == 255) continue;

        const double dx = x + 0.5 - dab.cx;
        const double d2 = dx * dx + dy2;
        if (dab.deep > d2) {
            cell.store(255, std::memory_order_relaxed);
            continue;
        }

        // Under a soft edge most pixels a dab meets already hold more than
        // it can give: they go first. Such a pixel is neither deep nor
        // wholly inside, as its nearest sub-point (a corner or nearer) lies
        // beyond the inner limit.
        if constexpr (kEdge != Edge::kHard) {
            if (old > 0 && CannotRaise(dab, NearestX2(SubX(dx)) + nearY2, old)) {
                open.Mark(x);
                continue;
            }
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
        if (allOut && (!allIn || d2 >= dab.r2)) {
            open.Mark(x);
            continue;
        }

        const PixelX px = SubX(dx);
        if constexpr (kEdge == Edge::kHard) {
            const uint8_t value = kCountCoverage[Lanes::HardCount(dab, px, subY2)];
            RaiseTo(cell, old, value);
            if (value != 255) open.Mark(x);
        } else {
            if constexpr (kEdge != Edge::kSoft) {
                double lower, upper;
                if (dab.centred && CentreSums<kEdge>(dab, d2, lower, upper)) {
                    const uint8_t high = CoverageOf(upper + kSumSlack);
                    if (high <= old) {
                        open.Mark(x);
                        continue;
                    }
                    const uint8_t low = CoverageOf(lower - kSumSlack);
                    if (low == high) {
                        RaiseTo(cell, old, high);
                        if (high != 255) open.Mark(x);
                        continue;
                    }
                    if (CloseSums<kEdge>(dab, d2, lower, upper)) {
                        const uint8_t closeHigh = CoverageOf(upper + kSumSlack);
                        if (closeHigh <= old) {
                            open.Mark(x);
                            continue;
                        }
                        if (CoverageOf(lower - kSumSlack) == closeHigh) {
                            RaiseTo(cell, old, closeHigh);
                            if (closeHigh != 255) open.Mark(x);
                            continue;
                        }
                    }
                }
            }
            uint8_t value;
            if constexpr (kEdge == Edge::kSoft) {
                double subX2[4];
                SubSquares(dx, subX2);
                value = CoverageOf(SoftSum(dab, subX2, subY2));
            } else if constexpr (kEdge == Edge::kFraction) {
                double lower, upper;
                Lanes::ChordSums(dab, px, subY2, lower, upper);
                value = SoftValueWithin(dab, lower, upper, dx, subY2, old);
            } else {
                const double sum = Lanes::template ProductSum<WholeExponent(kEdge)>(dab, px, subY2);
                value = SoftValueWithin(dab, sum, sum, dx, subY2, old);
            }
            RaiseTo(cell, old, value);
            if (value != 255) open.Mark(x);
        }
    }
}

// True when no pixel of a short stretch of a row can rise: all are full, or
// its least value is beyond the reach of the stretch's nearest sub-point
// (nearY2 the row's part). CannotRaise only grows more certain with a farther sub-point and a
// larger old value, so what holds for these holds for every pixel; a pixel
// that is deep or wholly inside has a sub-point within the inner limit,
// which CannotRaise never passes by.
inline bool StretchCannotRaise(uint8_t* pixels, const Dab& dab, const Stretch& s,
                               double nearY2) {
    uint8_t least = 255;
    for (int32_t x = s.from; x < s.to; ++x)
        least = std::min(least, std::atomic_ref<uint8_t>(pixels[x]).load(std::memory_order_relaxed));
    if (least == 255) return true;  // full already
    if (least == 0) return false;
    // Sub-points of pixel x lie from x + 0.125 to x + 0.875.
    const double first = s.from + 0.125 - dab.cx, last = s.to - 0.125 - dab.cx;
    const double gap = first > 0 ? first : (last < 0 ? -last : 0.0);
    const double nearest = std::max(0.0, gap - 1e-9);
    return CannotRaise(dab, nearest * nearest + nearY2, least);
}

// The pixels x0 <= x < x1 of row y, but for those in a neighbour's shadow,
// which are passed by, their tiles left open.
template <Edge kEdge, typename Lanes, bool kShadowed, typename Open>
[[gnu::always_inline]] inline void StampRow(uint8_t* pixels, const Open& open, const Dab& dab,
                                            int32_t y, int32_t x0, int32_t x1) {
    const double dy = y + 0.5 - dab.cy;
    Stretch kept[kMostStretches];
    int stretches = 1;
    if constexpr (kShadowed) {
        stretches = KeptStretches(dab.shadows, dab.shadowCount, dab.cx, dy, dab.deep, x0, x1, kept);
        // A shadowed disc's stretches are a few pixels: most rise nowhere.
        // (The row's nearest sub-row lies at least |dy| - 0.375 away.)
        if constexpr (kEdge != Edge::kHard) {
            const double rowGap = std::max(0.0, std::fabs(dy) - kCorner - 1e-9);
            int n = 0;
            for (int i = 0; i < stretches; ++i)
                if (!StretchCannotRaise(pixels, dab, kept[i], rowGap * rowGap)) kept[n++] = kept[i];
            stretches = n;
        }
        if (stretches == 0) {
            open.MarkRange(x0, x1);
            return;
        }
    }
    DabRow row;
    row.dy = dy;
    row.dy2 = row.dy * row.dy;
    SubSquares(row.dy, row.subY2);
    row.nearY2 = std::min(std::min(row.subY2[0], row.subY2[1]), std::min(row.subY2[2], row.subY2[3]));
    if constexpr (!kShadowed) {
        StampStretch<kEdge, Lanes>(pixels, open, dab, row, x0, x1);
        return;
    }
    int32_t x = x0;
    for (int i = 0; i < stretches; ++i) {
        if (kept[i].from > x) open.MarkRange(x, kept[i].from);
        StampStretch<kEdge, Lanes>(pixels, open, dab, row, kept[i].from, kept[i].to);
        x = kept[i].to;
    }
    if (x < x1) open.MarkRange(x, x1);
}

inline bool TileFull(uint8_t* tileRow, int32_t tx) {
    return std::atomic_ref<uint8_t>(tileRow[tx]).load(std::memory_order_relaxed) != 0;
}

// Boxes narrower than this take the rows whole: few tiles lie wholly
// inside them, and the tile walk would cost more than it saves.
constexpr int32_t kTiledWidth = 4 * kTileSide;

// Every row of the box through StampRow.
template <Edge kEdge, typename Lanes, bool kShadowed>
inline void StampRows(uint8_t* coverage, ptrdiff_t stride, const Dab& dab, int32_t x0,
                      int32_t y0, int32_t x1, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y)
        StampRow<kEdge, Lanes, kShadowed>(coverage + static_cast<ptrdiff_t>(y) * stride,
                                          NoTiles{}, dab, y, x0, x1);
}

// The rows of the box through StampRow, but for the tiles already full:
// a pixel at 255 cannot rise, so passing it by changes no byte. A tile
// wholly inside the box whose every pixel this dab saw at 255, or put
// there, is marked full. Where much of the pen's path is inked over already
// (dense lines), most of a dab's box is such tiles.
template <Edge kEdge, typename Lanes>
inline void StampTiles(const Target& t, const Dab& dab, int32_t x0, int32_t y0, int32_t x1,
                       int32_t y1) {
    const int32_t txFirst = x0 >> kTileShift, txLast = (x1 - 1) >> kTileShift;
    for (int32_t ty = y0 >> kTileShift; ty <= (y1 - 1) >> kTileShift; ++ty) {
        uint8_t* const tileRow = t.tiles + static_cast<ptrdiff_t>(ty) * t.tileStride;
        const int32_t ya = std::max(y0, ty << kTileShift);
        const int32_t yb = std::min(y1, (ty + 1) << kTileShift);
        // The box holds every row of these tiles (the last row of tiles
        // may end at the canvas).
        const bool wholeRows =
            ya == ty << kTileShift && (yb == (ty + 1) << kTileShift || yb == t.height);
        int32_t tx = txFirst;
        while (tx <= txLast) {
            // One stretch of tiles that are not full, then the rows across it.
            while (tx <= txLast && TileFull(tileRow, tx)) ++tx;
            const int32_t first = tx;
            while (tx <= txLast && !TileFull(tileRow, tx) && tx - first < 64) ++tx;
            if (first == tx) break;
            const int32_t xa = std::max(x0, first << kTileShift);
            const int32_t xb = std::min(x1, tx << kTileShift);
            uint64_t open = 0;
            for (int32_t y = ya; y < yb; ++y)
                StampRow<kEdge, Lanes, false>(t.coverage + static_cast<ptrdiff_t>(y) * t.width,
                                              OpenTiles{&open, first}, dab, y, xa, xb);
            if (!wholeRows) continue;
            for (int32_t k = first; k < tx; ++k) {
                const bool wholeColumns = k << kTileShift >= x0 &&
                                          ((k + 1) << kTileShift <= x1 || x1 == t.width);
                if (wholeColumns && !(open >> (k - first) & 1))
                    std::atomic_ref<uint8_t>(tileRow[k]).store(1, std::memory_order_relaxed);
            }
        }
    }
}

// The tables of a Lanes policy's box functions, Lanes::Box<kEdge, false>,
// Lanes::Box<kEdge, true> and Lanes::Tiled<kEdge> for every Edge in Edge
// order.
template <typename Lanes, size_t... kEdges>
constexpr StampBoxes BoxesOf(std::index_sequence<kEdges...>) {
    return {{&Lanes::template Box<static_cast<Edge>(kEdges), false>...},
            {&Lanes::template Box<static_cast<Edge>(kEdges), true>...},
            {&Lanes::template Tiled<static_cast<Edge>(kEdges)>...}};
}
template <typename Lanes>
constexpr StampBoxes BoxesOf() {
    return BoxesOf<Lanes>(std::make_index_sequence<kEdgeCount>{});
}

}  // namespace velmora::stamp
