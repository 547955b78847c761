#include "render/segment_discs.h"

#include "render/canvas_window.h"
#include "render/path_task.h"

namespace velmora {

uint64_t StampHugeSegment(StrokeContext& context, PathPoint a, PathPoint u, double d, double p0,
                          double p1, double size, StampFunction stamp) {
    double lo, hi;
    const bool meets =
        CanvasWindow(context, a, u, size * 0.5 + 2, lo, hi) && hi >= 0 && lo <= d;
    double s = 0;
    double last = d;
    double near = meets ? std::floor(lo) - 1 : INFINITY;
    double beyond = meets ? hi + 1 : -INFINITY;
    if (d > kMeasuredSegment) {
        // Skip the stretch no disc can bring onto the canvas; with a pen
        // below one pixel the discs kept may lie off the lattice of every step.
        if (!meets) return 0;
        s = std::max(0.0, near);
        last = std::min(d, beyond);
        near = -INFINITY;
        beyond = INFINITY;
    }
    DabBox measured;
    const uint64_t placed =
        DiscsAlong(a, u, d, p0, p1, size, s, last, [&](double at, double x, double y, double w) {
            if (at < near || at > beyond)
                measured.Add(context, x, y, w);
            else
                PlaceDisc(context, stamp, x, y, w);
        });
    measured.GrowDirty(context);
    return placed;
}

void StampSegment(StrokeContext& context, PathPoint a, PathPoint b, double p0, double p1,
                  double size) {
    StampDiscs(context, a, b, p0, p1, size, context.stamp,
               (context.literal & kLiteralDraw) != 0);
}

}  // namespace velmora
