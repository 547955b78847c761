// Pen dabs into the shared coverage buffer (ink sampling is inline in the header).
//
// Every worker stamps at once. A coverage byte only ever grows, so each
// update is an atomic maximum; the dirty box bounds are atomic minima and
// maxima. The result does not depend on the order of the dabs.
//
// This file places the dab and picks how its pixels are weighed; the pixel
// loops are in stamp_portable.cpp and, four sub-points at a time where the
// processor has AVX2, stamp_avx2.cpp.
#include "render/rasteriser.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>

#include "render/saturate.h"
#include "render/stamp_kernel.h"

namespace velmora {
namespace {

using stamp::Dab;
using stamp::Edge;
using stamp::StampBoxes;

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

// The power table of an exponent, kept per thread: a pass has one exponent.
const stamp::PowerTable* PowerTableFor(double exponent) {
    thread_local stamp::PowerTable table;
    if (table.exponent != exponent) stamp::BuildPowerTable(exponent, table);
    return &table;
}

// The box functions for this dab: AVX2 where the processor has it (found
// once) and the pass allows it, the portable ones otherwise.
const StampBoxes& ChosenBoxes(const StrokeContext& context) {
    static const StampBoxes* const wide = stamp::Avx2StampBoxes();
    if (wide != nullptr && !context.portableStamp) return *wide;
    return stamp::PortableStampBoxes();
}

// A soft edge by its exponent, where the weights are bounded: whole
// exponents 1 to 5 are made with products, others up to 5 from the power
// table; any other edge with the library's power alone.
Edge SoftEdge(double exponent, bool bounded) {
    if (!bounded) return Edge::kSoft;
    if (exponent == 1) return Edge::kWhole1;
    if (exponent == 2) return Edge::kWhole2;
    if (exponent == 3) return Edge::kWhole3;
    if (exponent == 4) return Edge::kWhole4;
    if (exponent == 5) return Edge::kWhole5;
    if (exponent < 5) return Edge::kFraction;
    return Edge::kSoft;
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

// The pixel box of a dab of radius r at (cx, cy), clamped to the canvas;
// false for a NaN box (no disc).
[[gnu::always_inline]] inline bool BoxOf(const StrokeContext& context, double cx, double cy,
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

// The constants of a dab (see stamp::DabOf).
[[gnu::always_inline]] inline void FillDab(double cx, double cy, double diameter, double hardness,
                                           Dab& dab, Edge& edge) {
    const double r = diameter * 0.5;
    const double h = hardness;
    const double ri = h * r;
    const double band = r - ri;

    dab.cx = cx;
    dab.cy = cy;
    dab.ri = ri;
    dab.r2 = r * r;
    dab.deep = ri * ri - 1;
    dab.inLimit = ri * ri + 1e-12;
    dab.outLimit = r * r - 1e-12;
    dab.invBand = band > 1e-12 ? 1 / band : 0;
    dab.exponent = 4 * h + 1;
    dab.table = nullptr;
    dab.band = band;
    dab.riMargin = ri + 1e-9 * (1 + r);
    dab.reach = nullptr;
    dab.centred = false;
    dab.shadowCount = 0;

    edge = Edge::kHard;
    if (!(dab.invBand == 0 && std::isfinite(ri))) {
        const bool bounded = dab.exponent >= 1 && std::isfinite(r) && std::isfinite(ri);
        if (bounded) dab.reach = ReachFor(dab.exponent);
        edge = SoftEdge(dab.exponent, bounded);
        if (edge == Edge::kFraction) dab.table = PowerTableFor(dab.exponent);
        dab.rMargin = r - 1e-9 * (1 + r);
        dab.curveRadial = 1.25 * dab.exponent * (dab.exponent - 1) * dab.invBand * dab.invBand;
        dab.curveAcross = 1.25 * dab.exponent * dab.invBand;
        double factor = 1;
        for (int k = 0; k < 4; ++k) {
            factor *= std::fabs(dab.exponent - k) * dab.invBand;
            dab.close[k] = factor;
            const double power = dab.exponent - (k + 1);
            dab.closeSteps[k] = power >= 0 ? 0 : static_cast<int>(std::ceil(-power));
        }
        // Worth it where the curvature keeps the centre's bounds within a
        // few coverage steps: wide soft pens.
        dab.centred = bounded && edge != Edge::kSoft && band > 4 &&
                      dab.curveRadial + dab.curveAcross / std::max(ri, 1.0) < 0.25;
    }
}

// Where a neighbour of the stroke covers this disc's pixels as well (see
// StampBetween and disc_shadow.h), with c this centre, n the neighbour's,
// v = n - c and q = s - c for a sub-point s.
// - A neighbour no wider: every s with |s - c|^2 >= |s - n|^2 + m, that is
//   q.v >= (|v|^2 + m) / 2, a half-plane.
// - A narrower one (radius r, this disc's R, r >= R / 2): every s nearer to
//   n, in radii, than to c, (|q| / R)^2 >= (|q - v| / r)^2 + z, a disc;
//   then every weight of the neighbour is at least this disc's.
// The margins m and z keep every sub-point's weight apart by far more than
// the rounding of the weights and of v; the limits on the centres, the
// sizes and the gap keep that rounding small.
void AddShadow(const Disc& disc, const Disc& neighbour, double hardness, Dab& dab) {
    const double r = neighbour.diameter * 0.5, R = disc.diameter * 0.5;
    const double vx = neighbour.cx - disc.cx, vy = neighbour.cy - disc.cy;
    const double v2 = vx * vx + vy * vy;
    constexpr double kNear = 1048576.0;  // 2^20
    if (!(r <= 1e3 && hardness >= 0 && hardness <= 1 && v2 > 0 && v2 <= 16 &&
          std::fabs(disc.cx) < kNear && std::fabs(disc.cy) < kNear &&
          std::fabs(neighbour.cx) < kNear && std::fabs(neighbour.cy) < kNear))
        return;
    stamp::Shadow& shadow = dab.shadows[dab.shadowCount];
    shadow.x = vx;
    shadow.y = vy;
    if (disc.diameter <= neighbour.diameter) {
        const double margin = 1e-7 * (1 + r * r);
        shadow.round = false;
        shadow.limit = (v2 + margin) * 0.5 + stamp::kCorner * (std::fabs(vx) + std::fabs(vy));
        if (vx != 0) {
            shadow.atBase = disc.cx - 0.5 + shadow.limit / vx;
            shadow.atSlope = -vy / vx;
        }
        ++dab.shadowCount;
        return;
    }
    if (!(r >= R * 0.5 && r >= 0.05)) return;
    constexpr double kMargin = 1e-6;  // z, in squared radii
    const double r2 = r * r, R2 = R * R;
    // |q|^2 r^2 - |q - v|^2 R^2 >= z R^2 r^2: with a = R^2 / (R^2 - r^2),
    // |q - a v|^2 <= a (a - 1) |v|^2 - z a r^2. A neighbour all but as wide
    // makes a disc so large that its rounding would matter: none then.
    const double a = R2 / (R2 - r2);
    if (!(a <= 1e6)) return;
    shadow.round = true;
    shadow.centreX = a * vx;
    shadow.centreY = a * vy;
    shadow.radius2 = a * (a - 1) * v2 - kMargin * a * r2;
    if (!(shadow.radius2 > 0)) return;
    ++dab.shadowCount;
}

// The dab's box and pixels; the dirty box grows.
[[gnu::always_inline]] inline void StampDab(StrokeContext& context, const Disc& disc, const Disc* before,
                                            const Disc* after) {
    if (!context.coverage) return;
    const double cx = disc.cx, cy = disc.cy, diameter = disc.diameter;

    int32_t x0, x1, y0, y1;
    if (!BoxOf(context, cx, cy, diameter * 0.5, x0, y0, x1, y1)) return;

    if (x0 < x1 && y0 < y1) {
        Edge edge;
        Dab dab;
        FillDab(cx, cy, diameter, context.stroke.hardness, dab, edge);
        if (before) AddShadow(disc, *before, context.stroke.hardness, dab);
        if (after) AddShadow(disc, *after, context.stroke.hardness, dab);
        const StampBoxes& boxes = ChosenBoxes(context);
        const int e = static_cast<int>(edge);
        // A disc with shadows weighs a strip of its box or two: rows alone.
        if (context.fullTiles && x1 - x0 >= stamp::kTiledWidth && dab.shadowCount == 0) {
            const stamp::Target target{context.coverage.get(), context.source.width,
                                       context.source.height, context.fullTiles.get(),
                                       context.tileColumns};
            boxes.tiled[e](target, dab, x0, y0, x1, y1);
        } else {
            (dab.shadowCount == 0 ? boxes.box : boxes.shaded)[e](
                context.coverage.get(), context.source.width, dab, x0, y0, x1, y1);
        }
    }

    // The box grows even when the dab missed the canvas.
    AtomicMin(context.dirty.x0, x0);
    AtomicMin(context.dirty.y0, y0);
    AtomicMax(context.dirty.x1, x1);
    AtomicMax(context.dirty.y1, y1);
}

}  // namespace

namespace stamp {

Dab DabOf(double cx, double cy, double diameter, double hardness, Edge& edge) {
    Dab dab;
    FillDab(cx, cy, diameter, hardness, dab, edge);
    return dab;
}

}  // namespace stamp

void DabBox::Add(const StrokeContext& context, double cx, double cy, double diameter) {
    if (!context.coverage) return;
    int32_t bx0, by0, bx1, by1;
    if (!BoxOf(context, cx, cy, diameter * 0.5, bx0, by0, bx1, by1)) return;
    x0 = std::min(x0, bx0);
    y0 = std::min(y0, by0);
    x1 = std::max(x1, bx1);
    y1 = std::max(y1, by1);
}

void DabBox::GrowDirty(StrokeContext& context) const {
    if (x0 == INT32_MAX) return;  // no dab
    AtomicMin(context.dirty.x0, x0);
    AtomicMin(context.dirty.y0, y0);
    AtomicMax(context.dirty.x1, x1);
    AtomicMax(context.dirty.y1, y1);
}

void Stamp(StrokeContext& context, double cx, double cy, double diameter) {
    StampDab(context, Disc{cx, cy, diameter}, nullptr, nullptr);
}

void StampBetween(StrokeContext& context, const Disc& disc, const Disc* before, const Disc* after) {
    StampDab(context, disc, before, after);
}

void DiscTrail::StampFirst(StrokeContext& context) {
    const Disc disc = pending_[0];
    auto apart = [&](const Disc& other) {
        const double dx = other.cx - disc.cx, dy = other.cy - disc.cy;
        return dx * dx + dy * dy >= kApart * kApart;
    };
    const Disc* before = nullptr;
    for (int i = 0; i < stampedCount_ && !before; ++i)
        if (apart(stamped_[i])) before = &stamped_[i];
    const Disc* after = nullptr;
    for (int i = 1; i < pendingCount_ && !after; ++i)
        if (apart(pending_[i])) after = &pending_[i];
    StampDab(context, disc, before, after);

    stamped_[1] = stamped_[0];
    stamped_[0] = disc;
    stampedCount_ = std::min(stampedCount_ + 1, 2);
    for (int i = 1; i < pendingCount_; ++i) pending_[i - 1] = pending_[i];
    --pendingCount_;
}

}  // namespace velmora
