// Where a straight line comes within a pen's reach of the canvas, in the
// line's own parameter: the ink scan, the pen steps and the discs of a huge
// segment leave out what lies outside it.
#pragma once

#include <algorithm>
#include <cmath>

#include "render/path_parser.h"
#include "render/stroke_context.h"

namespace velmora {

// Parameter interval [lo, hi] of origin + dir * t inside [-margin, extent + margin]
// on one axis; false when it is never inside.
inline bool AxisWindow(double origin, double dir, double extent, double margin, double& lo,
                       double& hi) {
    const double low = -margin, high = extent + margin;
    if (dir == 0) {
        if (origin < low || origin > high) return false;
        lo = -INFINITY;
        hi = INFINITY;
        return true;
    }
    double t0 = (low - origin) / dir, t1 = (high - origin) / dir;
    if (t0 > t1) std::swap(t0, t1);
    lo = t0;
    hi = t1;
    return true;
}

// Parameter interval where origin + dir * t can reach the canvas with a pen
// of reach margin; false when nowhere.
inline bool CanvasWindow(const StrokeContext& context, PathPoint origin, PathPoint dir,
                         double margin, double& lo, double& hi) {
    double xlo, xhi, ylo, yhi;
    if (!AxisWindow(origin.x, dir.x, context.source.width, margin, xlo, xhi)) return false;
    if (!AxisWindow(origin.y, dir.y, context.source.height, margin, ylo, yhi)) return false;
    lo = std::max(xlo, ylo);
    hi = std::min(xhi, yhi);
    return lo <= hi;
}

}  // namespace velmora
