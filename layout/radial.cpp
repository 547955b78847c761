#include <cmath>
#include <memory>
#include <numbers>

#include "layout/guide_mapping.h"
#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "render/random_source.h"
#include "render/path_task.h"

namespace velmora {

namespace {

double Distance(Point32 from, Point32 to) {
    // int32 differences taken exactly, so extreme points can't overflow.
    const double dx = static_cast<double>(int64_t{to.x} - from.x);
    const double dy = static_cast<double>(int64_t{to.y} - from.y);
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

void LayoutRadial(LayoutContext& context) {
    if (!context.radialPoints) return;
    const Points3& points = *context.radialPoints;
    const LayoutSettings& settings = context.settings;
    const Point32 centre = points[0];

    // The farther of p2 and p3 gives the outer radius and the first
    // direction; on a tie p3 is the far point.
    Point32 far = points[2];
    Point32 near = points[1];
    if (!(Distance(centre, points[2]) >= Distance(centre, points[1]))) {
        far = points[1];
        near = points[2];
    }
    const double theta0 = std::atan2(static_cast<double>(int64_t{far.y} - centre.y),
                                     static_cast<double>(int64_t{far.x} - centre.x));
    const double rIn = Distance(centre, near);
    const double rOut = Distance(centre, far);
    // spacing is thousandths of 90 degrees, converted in the written order.
    const double step = ((static_cast<double>(settings.spacing) * 90 / 1000) * std::numbers::pi) / 180;
    if (!(step > 0)) return;
    if (context.guidePath == nullptr || !GuideIsMappable(*context.guidePath)) return;
    const PathParser& guide = *context.guidePath;
    const double k = (rOut - rIn) / guide.width;
    const double thetaEnd = theta0 + 2 * std::numbers::pi;

    const GuideExtent extent = MeasureGuide(guide);
    const CanvasBox canvas = SampledRegion(context.source.width, context.source.height, 2.0);
    // Lines that never come near the canvas sample no ink and are left out.
    const bool startsAtOrigin = GuideStartsAtOrigin(guide);
    const bool cull = (context.literal & kLiteralLayout) == 0 && !startsAtOrigin;
    RandomSource random(0.0, 1.0);

    // The base angle accumulates the plain step; jitter never carries over.
    int64_t mapped = 0;  // guide commands copied into task paths
    for (double theta = theta0; theta <= thetaEnd; theta = theta + step) {
        if (context.Heartbeat()) return;  // the host asked to stop
        double angle = theta;
        if (settings.spcfluct != 0) angle = theta + step * (0.5 - random.Draw() * settings.spcfluct);
        const double cosPhi = std::cos(angle);
        const double sinPhi = std::sin(angle);
        const PathPoint start{centre.x + rIn * cosPhi, centre.y + rIn * sinPhi};
        // A line that never crosses the canvas samples no ink: nothing to draw.
        const bool meets =
            startsAtOrigin || BoxesMeet(LineBox(extent, start, cosPhi, sinPhi, k, settings.curvature), canvas);
        if (cull && !meets) continue;
        // Only lines that can reach the canvas count towards the mapping
        // bound, so the literal steps leave out the same lines; the rest
        // are left out from here on.
        if (meets && !RoomToMap(guide, mapped)) return;
        auto task = std::make_shared<PathTask>(context, nullptr);
        MapGuide(guide, task->path, start, angle, k, settings.curvature);
        context.pool.AddTask(std::move(task));
    }
}

}  // namespace velmora
