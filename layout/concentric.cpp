#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "render/random_source.h"

namespace velmora {

namespace {

double Length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

// Distance from c to the nearest point of [0, W] x [0, H] (0 inside).
double DistanceToCanvas(PathPoint c, double w, double h) {
    const double dx = std::max({0.0 - c.x, 0.0, c.x - w});
    const double dy = std::max({0.0 - c.y, 0.0, c.y - h});
    return Length(dx, dy);
}

struct PassInput {
    PathPoint centre;
    double radiusA;
    double radiusB;
    double angle;
    double startAngle;
    int64_t count;
    double nearest;   // distance from the centre to the canvas
    double farthest;  // distance to its farthest corner
    double crossReach;  // GuideCrossReach of the pass's guide
};

// One pass of rings offset from the base ring, inwards (sigma -1) or
// outwards (+1), for as long as they touch the canvas.
void RingPass(LayoutContext& context, const PassInput& in, int sigma, RandomSource& random) {
    const LayoutSettings& settings = context.settings;
    const double gain = settings.spcgain;
    const double lowBase = std::min(in.radiusA, in.radiusB);
    const double highBase = std::max(in.radiusA, in.radiusB);
    const bool shortcuts = (context.literal & kLiteralLayout) == 0;
    bool drawn = false;
    OffsetSeries series{0.0, sigma * static_cast<double>(settings.spacing), 0};
    int64_t rings = 0;
    int64_t hiddenRun = 0;
    while (series.steps < in.count) {
        if (context.Heartbeat()) return;  // the host asked to stop
        if (sigma * series.gap < 0) break;  // the gain has reversed the step
        series.offset = series.offset + (gain * 0.5 + series.gap);
        const double a = series.offset + in.radiusA;
        if (a < 1) break;
        const double b = series.offset + in.radiusB;
        if (b < 1) break;
        if (!std::isfinite(a) || !std::isfinite(b)) break;

        // Every point of the ring lies between min(a, b) and max(a, b) from
        // the centre: rings that miss the canvas's distance range are hidden
        // without testing their edges.
        const double low = std::min(a, b);
        const double high = std::max(a, b);
        const double slack = 2.0 + 1e-9 * (in.farthest + high);
        const bool outside = shortcuts && high < in.nearest - slack;  // wholly off the canvas
        const bool around = shortcuts && low > in.farthest + slack;   // encloses all of it
        bool approaching = false;
        double limit = 0.0;
        if (!outside && !around && RingTouchesCanvas(context, in.centre, a, b, in.angle)) {
            double e = 0.0;
            if (settings.spcfluct != 0) e = random.Draw() * settings.spcfluct * settings.spacing;
            AddRing(context, in.centre, in.angle, in.startAngle, a + e, b + e, in.crossReach);
            drawn = true;
            hiddenRun = 0;
            if (++rings >= kMaxRingsPerPass) break;
        } else if (drawn) {
            break;
        } else if (outside || around) {
            // The offset moves one way through the pass, apart from at most
            // one step of less than |gain| / 2 right before the step reverses.
            const double back = std::abs(gain) * 0.5;
            if (sigma > 0 ? low > in.farthest + slack + back : high < in.nearest - slack - back)
                break;  // moving away: no later ring of this pass can be seen
            approaching = (sigma > 0) == outside;
            limit = sigma > 0 ? in.nearest - slack - highBase : in.farthest + slack - lowBase;
        }
        series.steps = series.steps + 1;
        series.gap = series.gap + gain;
        if (approaching && (gain == 0 || ++hiddenRun > kExactStepLimit)) {
            series = JumpTowards(series, gain, limit, sigma, in.count - series.steps);
        }
    }
}

}  // namespace

RingShape FitRing(Point32 p1, Point32 p2, Point32 p3) {
    RingShape ring;
    // Halved in int64 so extreme points can't overflow; the result fits int32.
    ring.centre.x = static_cast<int32_t>((int64_t{p1.x} + p2.x) / 2);
    ring.centre.y = static_cast<int32_t>((int64_t{p1.y} + p2.y) / 2);
    ring.radiusA = Length(static_cast<double>(int64_t{p1.x} - ring.centre.x),
                          static_cast<double>(int64_t{p1.y} - ring.centre.y));
    ring.angle = std::atan2(static_cast<double>(int64_t{p2.y} - p1.y),
                            static_cast<double>(int64_t{p2.x} - p1.x));
    const double dx = static_cast<double>(int64_t{p3.x} - ring.centre.x);
    const double dy = static_cast<double>(int64_t{p3.y} - ring.centre.y);
    const double u = std::sin(ring.angle) * dy + std::cos(ring.angle) * dx;
    const double q = 1 - (u * u) / (ring.radiusA * ring.radiusA);
    // q <= 0: p3 lies at or beyond an end of the axis, the ring is a circle.
    // q NaN: radiusA is 0 and p3 lies on the centre or straight above or
    // below it (0 / 0); that shape is the circle of radius 0 as well.
    if (!(q > 0)) {
        ring.radiusB = ring.radiusA;
    } else {
        const double v = std::cos(ring.angle) * dy - std::sin(ring.angle) * dx;
        ring.radiusB = std::sqrt((v * v) / q);
    }
    ring.startAngle = std::atan2(dy, dx);
    return ring;
}

void LayoutConcentric(LayoutContext& context) {
    if (!context.ring) return;
    const RingShape& ring = *context.ring;
    const LayoutSettings& settings = context.settings;
    const PathPoint c{static_cast<double>(ring.centre.x), static_cast<double>(ring.centre.y)};
    const double w = context.source.width;
    const double h = context.source.height;

    double farthest = Length(0 - c.x, 0 - c.y);
    farthest = std::max(farthest, Length(w - c.x, 0 - c.y));
    farthest = std::max(farthest, Length(0 - c.x, h - c.y));
    farthest = std::max(farthest, Length(w - c.x, h - c.y));
    int64_t count = 0;
    if (settings.spacing != 0) {
        const int64_t steps = TruncToInt64(farthest / settings.spacing);
        count = steps == INT64_MAX ? steps : steps + 1;
    }

    RandomSource random(0.0, 1.0);
    double e = 0.0;
    if (settings.spcfluct != 0) e = random.Draw() * settings.spcfluct * settings.spacing;
    // The base ring is laid out whether it is visible or not.
    const double crossReach = GuideCrossReach(context.guidePath);
    AddRing(context, c, ring.angle, ring.startAngle, ring.radiusA + e, ring.radiusB + e, crossReach);

    const PassInput in{c,     ring.radiusA, ring.radiusB, ring.angle, ring.startAngle,
                       count, DistanceToCanvas(c, w, h), farthest, crossReach};
    RingPass(context, in, -1, random);
    RingPass(context, in, +1, random);
}

bool RingTouchesCanvas(const LayoutContext& context, PathPoint centre, double a, double b,
                       double angle) {
    const double w = context.source.width;
    const double h = context.source.height;
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    const PathPoint ends[4] = {
        {centre.x + a * cosA, centre.y + a * sinA},
        {centre.x - a * cosA, centre.y - a * sinA},
        {centre.x + b * -sinA, centre.y + b * cosA},
        {centre.x - b * -sinA, centre.y - b * cosA},
    };
    bool allInside = true;
    for (const PathPoint& p : ends) {
        if (!(p.x >= 0 && p.x <= w && p.y >= 0 && p.y <= h)) {
            allInside = false;
            break;
        }
    }
    if (allInside) return true;

    double minX = ends[0].x, maxX = ends[0].x, minY = ends[0].y, maxY = ends[0].y;
    for (const PathPoint& p : ends) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    if (maxX < 0 || minX > w || maxY < 0 || minY > h) return false;

    const PathPoint corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int i = 0; i < 4; ++i) {
        if (SegmentMeetsEllipse(corners[i], corners[(i + 1) % 4], centre, a, b, angle)) return true;
    }
    return false;
}

bool SegmentMeetsEllipse(PathPoint p, PathPoint q, PathPoint centre, double a, double b,
                         double angle) {
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    // Both points in the ellipse's own axes.
    const double pdx = p.x - centre.x;
    const double pdy = p.y - centre.y;
    const double qdx = q.x - centre.x;
    const double qdy = q.y - centre.y;
    const double uP = pdx * cosA + pdy * sinA;
    const double vP = pdy * cosA - pdx * sinA;
    const double uQ = qdx * cosA + qdy * sinA;
    const double vQ = qdy * cosA - qdx * sinA;
    const double du = uQ - uP;
    const double dv = vQ - vP;
    const double a2 = a * a;
    const double b2 = b * b;
    const double qa = (du * du) / a2 + (dv * dv) / b2;
    const double qb = 2 * ((du * uP) / a2 + (dv * vP) / b2);
    const double qk = (uP * uP) / a2 + (vP * vP) / b2 - 1;
    const double delta = qb * qb - qk * 4 * qa;
    if (delta < 0) return false;
    const double t1 = (-qb - std::sqrt(delta)) / (2 * qa);
    if (t1 >= 0 && t1 <= 1) return true;
    const double t2 = (std::sqrt(delta) - qb) / (2 * qa);
    return t2 >= 0 && t2 <= 1;
}

}  // namespace velmora
