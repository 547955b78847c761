#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "layout/guide_mapping.h"
#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "render/random_source.h"
#include "render/path_task.h"

namespace velmora {

namespace {

// Where the lines stand relative to the canvas along one axis a (the
// lines' own direction or their normal): each line's box projects onto a as
// an interval that moves monotonically with the offset, so once it has
// passed the canvas no later line can reach it, and before it arrives whole
// runs of lines can be stepped over. A line can meet the canvas only while
// its intervals on both axes overlap the canvas's.
struct Sweep {
    bool moving = false;    // the interval moves with the offset
    bool never = false;     // it stands still beside the canvas: no line can meet it
    double rate = 0.0;      // |n . a|: how far the interval moves per pixel of offset
    double start = 0.0;     // its centre at offset 0 relative to the canvas, signed to grow
    double reach = 0.0;     // half of it plus half the canvas on a, plus slack

    bool Past(double offset) const { return moving && start + offset * rate - reach > 0; }
    // Base offsets below this put a line before the canvas (-inf: none do).
    double Arrival() const {
        return moving ? (-reach - start) / rate : -std::numeric_limits<double>::infinity();
    }
};

Sweep MakeSweep(const OrientedBox& box0, PathPoint n, const CanvasBox& canvas, bool normal) {
    Sweep sweep;
    const double ax = normal ? -box0.dy : box0.dx;
    const double ay = normal ? box0.dx : box0.dy;
    const double na = n.x * ax + n.y * ay;
    const double relative = (box0.centre.x - canvas.cx) * ax + (box0.centre.y - canvas.cy) * ay;
    const double half = normal ? box0.halfV : box0.halfU;
    const double canvasHalf = canvas.halfX * std::abs(ax) + canvas.halfY * std::abs(ay);
    sweep.reach = half + canvasHalf;
    sweep.reach = sweep.reach + 4.0 + 1e-9 * (std::abs(relative) + sweep.reach);
    if (!std::isfinite(relative) || !std::isfinite(sweep.reach) || !std::isfinite(na)) return sweep;
    if (na == 0.0) {
        sweep.never = std::abs(relative) > sweep.reach;
        return sweep;
    }
    sweep.moving = true;
    sweep.rate = std::abs(na);
    sweep.start = na > 0 ? relative : -relative;
    return sweep;
}

}  // namespace

void LayoutParallel(LayoutContext& context) {
    if (!context.parallelPoints) return;
    const Points3& points = *context.parallelPoints;
    const LayoutSettings& settings = context.settings;
    const Point32 p1 = points[0];

    const double lx = static_cast<double>(int64_t{points[1].x} - p1.x);
    const double ly = static_cast<double>(int64_t{points[1].y} - p1.y);
    const double ex = static_cast<double>(int64_t{points[2].x} - p1.x);
    const double ey = static_cast<double>(int64_t{points[2].y} - p1.y);
    const double phi = std::atan2(ly, lx);
    const double length = std::sqrt(lx * lx + ly * ly);
    const double extent = std::sqrt(ex * ex + ey * ey);
    // With p3 on p1 the repeat direction is undefined; only the line at
    // offset 0 is due, and it starts at p1 whatever the direction.
    PathPoint n{0.0, 0.0};
    if (extent != 0) n = {ex / extent, ey / extent};
    if (context.guidePath == nullptr || !GuideIsMappable(*context.guidePath)) return;
    const PathParser& guide = *context.guidePath;
    const double k = length / guide.width;

    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);
    const GuideExtent guideExtent = MeasureGuide(guide);
    const CanvasBox canvas = SampledRegion(context.source.width, context.source.height, 2.0);
    const PathPoint origin{static_cast<double>(p1.x), static_cast<double>(p1.y)};
    const OrientedBox box0 = LineBox(guideExtent, origin, cosPhi, sinPhi, k, settings.curvature);
    const Sweep sweeps[2] = {MakeSweep(box0, n, canvas, false), MakeSweep(box0, n, canvas, true)};
    // Lines that never come near the canvas sample no ink: they are left
    // out, and so are runs of them before and after the canvas.
    const bool startsAtOrigin = GuideStartsAtOrigin(guide);
    const bool cull = (context.literal & kLiteralLayout) == 0 && !startsAtOrigin;
    if (cull && (sweeps[0].never || sweeps[1].never)) return;  // beside the canvas for good
    // Jitter moves a line forwards by [0, spcfluct x spacing).
    const double jitterSpan = settings.spcfluct != 0 ? settings.spcfluct * settings.spacing : 0.0;
    const double jitterLow = std::min(0.0, jitterSpan);
    const double jitterHigh = std::max(0.0, jitterSpan);
    // Base offsets below this put a line wholly before the canvas.
    const double arrival = std::max(sweeps[0].Arrival(), sweeps[1].Arrival()) - jitterHigh;

    RandomSource random(0.0, 1.0);
    OffsetSeries series{0.0, static_cast<double>(settings.spacing), 0};
    int64_t queued = 0;
    int64_t hiddenRun = 0;
    int64_t mapped = 0;  // guide commands copied into task paths
    while (series.gap > 0) {
        if (context.Heartbeat()) return;  // the host asked to stop
        const double t = series.offset;
        double jittered = t;
        if (settings.spcfluct != 0) jittered = t + random.Draw() * settings.spcfluct * settings.spacing;
        const PathPoint start{jittered * n.x + p1.x, jittered * n.y + p1.y};
        bool before = false;
        const bool meets =
            BoxesMeet(LineBox(guideExtent, start, cosPhi, sinPhi, k, settings.curvature), canvas);
        if (!cull || meets) {
            // Only lines that can reach the canvas count towards the mapping
            // bound, so the literal steps leave out the same lines.
            if ((meets || startsAtOrigin) && !RoomToMap(guide, mapped)) break;
            auto task = std::make_shared<PathTask>(context, nullptr);
            MapGuide(guide, task->path, start, phi, k, settings.curvature);
            context.pool.AddTask(std::move(task));
            hiddenRun = 0;
            if (++queued >= kMaxLinesPerPass) break;
        } else {
            // Offsets only grow, so a line past the canvas ends the set.
            if (sweeps[0].Past(t + jitterLow) || sweeps[1].Past(t + jitterLow)) break;
            before = t < arrival;
        }
        // The base offset advances without the jitter.
        series.offset = series.offset + (settings.spcgain * 0.5 + series.gap);
        series.gap = series.gap + settings.spcgain;
        if (before && (settings.spcgain == 0 || ++hiddenRun > kExactStepLimit)) {
            series = JumpTowards(series, settings.spcgain, arrival, +1, INT64_MAX / 4);
        }
        if (series.offset > extent) break;
    }
}

}  // namespace velmora
