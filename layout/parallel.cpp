#include <algorithm>
#include <cmath>
#include <memory>

#include "layout/guide_mapping.h"
#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "layout/random_source.h"
#include "render/path_task.h"

namespace velmora {

namespace {

// Where the lines stand relative to the canvas along one axis a that the
// repeat direction crosses: each line's box projects onto a as an interval
// that moves monotonically with the offset, so once it has passed the canvas
// no later line can reach it, and before it arrives whole runs of lines can
// be stepped over.
struct Sweep {
    bool usable = false;
    double rate = 0.0;      // |n . a|: how fast the interval moves per pixel of offset
    double start = 0.0;     // signed centre of the interval at offset 0, relative to the canvas
    double reach = 0.0;     // half the interval plus half the canvas's extent on a, plus slack
};

Sweep MakeSweep(const OrientedBox& box0, PathPoint n, const CanvasBox& canvas) {
    Sweep sweep;
    // a is the line's own direction or its normal, whichever n crosses more.
    const double alongN = n.x * box0.dx + n.y * box0.dy;
    const double acrossN = n.y * box0.dx - n.x * box0.dy;
    const bool useNormal = std::abs(acrossN) >= std::abs(alongN);
    const double ax = useNormal ? -box0.dy : box0.dx;
    const double ay = useNormal ? box0.dx : box0.dy;
    const double na = useNormal ? acrossN : alongN;
    if (!(na != 0.0)) return sweep;
    const double sign = na > 0 ? 1.0 : -1.0;
    const double relative = (box0.centre.x - canvas.cx) * ax + (box0.centre.y - canvas.cy) * ay;
    const double half = useNormal ? box0.halfV : box0.halfU;
    const double canvasHalf = canvas.halfX * std::abs(ax) + canvas.halfY * std::abs(ay);
    sweep.rate = std::abs(na);
    sweep.start = sign * relative;
    sweep.reach = half + canvasHalf;
    sweep.reach = sweep.reach + 4.0 + 1e-9 * (std::abs(relative) + sweep.reach);
    sweep.usable = std::isfinite(sweep.start) && std::isfinite(sweep.reach);
    return sweep;
}

}  // namespace

void LayoutParallel(RenderContext& context) {
    if (!context.parallelPoints) return;
    const Points3& points = *context.parallelPoints;
    const RenderSettings& settings = context.settings;
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
    const Sweep sweep = MakeSweep(
        LineBox(guideExtent, origin, cosPhi, sinPhi, k, settings.curvature), n, canvas);
    // Jitter moves a line forwards by [0, spcfluct x spacing).
    const double jitterSpan = settings.spcfluct != 0 ? settings.spcfluct * settings.spacing : 0.0;
    const double jitterLow = std::min(0.0, jitterSpan);
    const double jitterHigh = std::max(0.0, jitterSpan);
    // Base offsets below this put a line wholly before the canvas.
    const double arrival = (-sweep.reach - sweep.start) / sweep.rate - jitterHigh;

    RandomSource random(0.0, 1.0);
    OffsetSeries series{0.0, static_cast<double>(settings.spacing), 0};
    int64_t queued = 0;
    int64_t hiddenRun = 0;
    while (series.gap > 0) {
        const double t = series.offset;
        double jittered = t;
        if (settings.spcfluct != 0) jittered = t + random.Draw() * settings.spcfluct * settings.spacing;
        const PathPoint start{jittered * n.x + p1.x, jittered * n.y + p1.y};
        bool before = false;
        if (BoxesMeet(LineBox(guideExtent, start, cosPhi, sinPhi, k, settings.curvature), canvas)) {
            auto task = std::make_shared<PathTask>(context, nullptr);
            MapGuide(guide, task->path, start, phi, k, settings.curvature);
            context.pool.AddTask(std::move(task));
            hiddenRun = 0;
            if (++queued >= kMaxLinesPerPass) break;
        } else if (sweep.usable) {
            // Offsets only grow, so a line past the canvas ends the set.
            if (sweep.start + (t + jitterLow) * sweep.rate - sweep.reach > 0) break;
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
