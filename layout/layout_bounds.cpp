#include "layout/layout_bounds.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

GuideExtent MeasureGuide(const PathParser& guide) {
    GuideExtent extent;
    if (guide.commands.empty() || guide.commands.front().points.empty()) return extent;
    const PathPoint g0 = guide.commands.front().points.front();
    for (const PathCommand& command : guide.commands) {
        for (const PathPoint& p : command.points) {
            const double u = p.x - g0.x;
            const double v = p.y - g0.y;
            if (std::isnan(u) || std::isnan(v)) {
                // A NaN point poisons the extent: such a line meets nothing.
                extent.uMin = extent.vMin = std::numeric_limits<double>::quiet_NaN();
                return extent;
            }
            extent.uMin = std::min(extent.uMin, u);
            extent.uMax = std::max(extent.uMax, u);
            extent.vMin = std::min(extent.vMin, v);
            extent.vMax = std::max(extent.vMax, v);
        }
    }
    return extent;
}

bool GuideStartsAtOrigin(const PathParser& guide) {
    for (const PathCommand& command : guide.commands) {
        // The same point counts as the flattening needs; shorter commands are skipped.
        switch (command.kind) {
            case kMoveTo:
                if (!command.points.empty()) return false;
                break;
            case kLineTo:
                if (!command.points.empty()) return true;
                break;
            case kCubicTo:
                if (command.points.size() >= 3) return true;
                break;
            case kQuadTo:
                if (command.points.size() >= 2) return true;
                break;
            default: break;
        }
    }
    return false;
}

OrientedBox LineBox(const GuideExtent& extent, PathPoint start, double cosPhi, double sinPhi,
                    double k, double c) {
    const double u0 = extent.uMin * k;
    const double u1 = extent.uMax * k;
    const double v0 = extent.vMin * c;
    const double v1 = extent.vMax * c;
    const double uMid = (u0 + u1) * 0.5;
    const double vMid = (v0 + v1) * 0.5;
    OrientedBox box;
    box.dx = cosPhi;
    box.dy = sinPhi;
    box.halfU = std::abs(u1 - u0) * 0.5;
    box.halfV = std::abs(v1 - v0) * 0.5;
    box.centre = {start.x + uMid * cosPhi - vMid * sinPhi, start.y + uMid * sinPhi + vMid * cosPhi};
    return box;
}

CanvasBox SampledRegion(int32_t width, int32_t height, double margin) {
    // (-1, W) widened by the margin on both sides.
    const double w = width;
    const double h = height;
    return {(w - 1.0) * 0.5, (h - 1.0) * 0.5, (w + 1.0) * 0.5 + margin, (h + 1.0) * 0.5 + margin};
}

bool BoxesMeet(const OrientedBox& box, const CanvasBox& canvas) {
    // Infinite or NaN geometry is never laid out.
    if (!std::isfinite(box.centre.x) || !std::isfinite(box.centre.y) ||
        !std::isfinite(box.halfU) || !std::isfinite(box.halfV))
        return false;
    // Separating axes: the canvas axes and the box's own two axes.
    const double tx = box.centre.x - canvas.cx;
    const double ty = box.centre.y - canvas.cy;
    const double ax = std::abs(box.dx);
    const double ay = std::abs(box.dy);
    // Mapped points far from the origin carry rounding of their own size.
    const double slack = 1e-9 * (std::abs(box.centre.x) + std::abs(box.centre.y) + box.halfU + box.halfV);
    if (!(std::abs(tx) <= canvas.halfX + box.halfU * ax + box.halfV * ay + slack)) return false;
    if (!(std::abs(ty) <= canvas.halfY + box.halfU * ay + box.halfV * ax + slack)) return false;
    if (!(std::abs(tx * box.dx + ty * box.dy) <=
          box.halfU + canvas.halfX * ax + canvas.halfY * ay + slack))
        return false;
    if (!(std::abs(ty * box.dx - tx * box.dy) <=
          box.halfV + canvas.halfX * ay + canvas.halfY * ax + slack))
        return false;
    return true;
}

namespace {

OffsetSeries ClosedForm(const OffsetSeries& from, double gain, int64_t m) {
    const double steps = static_cast<double>(m);
    OffsetSeries to;
    to.offset = from.offset + steps * (from.gap + gain * steps * 0.5);
    to.gap = from.gap + steps * gain;
    to.steps = from.steps + m;
    return to;
}

}  // namespace

OffsetSeries JumpTowards(OffsetSeries from, double gain, double limit, int direction,
                         int64_t maxSteps) {
    if (maxSteps <= 0 || !std::isfinite(limit)) return from;
    const double dir = direction < 0 ? -1.0 : 1.0;
    if (gain == 0.0) {
        if (!(dir * from.gap > 0.0)) return from;
        // Two steps short of the limit, so rounding of the quotient can't
        // carry the series past it.
        const double room = std::ceil((limit - from.offset) / from.gap) - 2.0;
        if (!(room >= 1.0)) return from;
        const int64_t m = std::min(maxSteps, TruncToInt64(room));
        OffsetSeries to = from;
        to.offset = from.offset + static_cast<double>(m) * from.gap;
        to.steps = from.steps + m;
        return to;
    }
    // Largest m whose closed form still lies clear of the limit with every
    // step so far pointing the right way; the predicate falls once, so a
    // binary search finds it.
    const double margin = 1e-9 * (std::abs(limit) + std::abs(from.offset)) + 4.0 * std::abs(from.gap) +
                          4.0 * std::abs(gain) + 1.0;
    auto fits = [&](int64_t m) {
        const OffsetSeries to = ClosedForm(from, gain, m);
        return dir * to.gap >= std::abs(gain) && dir * (to.offset - limit) < -margin;
    };
    if (!fits(1)) return from;
    int64_t lo = 1;
    int64_t hi = maxSteps;
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo + 1) / 2;
        if (fits(mid)) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return ClosedForm(from, gain, lo);
}

int64_t TruncToInt64(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kLimit = 9223372036854775807.0;  // rounds to 2^63
    if (value >= kLimit) return std::numeric_limits<int64_t>::max();
    if (value <= -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

}  // namespace velmora
