// The three templates: each turns the pass's settings and base points into
// stroke tasks queued on the pass's pool.
#pragma once

#include "layout/layout_context.h"
#include "layout/ring_shape.h"
#include "render/path_parser.h"

namespace velmora {

void LayoutRadial(LayoutContext& context);
void LayoutParallel(LayoutContext& context);

RingShape FitRing(Point32 p1, Point32 p2, Point32 p3);
void LayoutConcentric(LayoutContext& context);
// crossReach: GuideCrossReach of the pass's guide, worked out once a pass
// (below 0: worked out here).
void AddRing(LayoutContext& context, PathPoint centre, double angle, double startAngle,
             double ra, double rb, double crossReach = -1);
// How far apart any two cross offsets of the guide (before curvature) can lie.
double GuideCrossReach(const PathParser* guide);
bool RingTouchesCanvas(const LayoutContext& context, PathPoint centre, double a, double b,
                       double angle);
bool SegmentMeetsEllipse(PathPoint p, PathPoint q, PathPoint centre, double a, double b,
                         double angle);

// Vertex count of a ring with semi-axes ra and rb (about one per 5 pixels
// of perimeter, even, at least 4).
int32_t RingVertexCount(double ra, double rb);

}  // namespace velmora
