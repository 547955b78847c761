// Conservative geometry tests shared by the layouts: a line or ring whose
// path never comes near the canvas samples no ink, so it can draw nothing
// and is left out; long runs of such lines are stepped over in one jump.
#pragma once

#include <cstdint>

#include "render/path_parser.h"

namespace velmora {

// Limits that keep every layout bounded for base points anywhere in the
// int32 range. None of them is reached on a canvas of sensible size.
inline constexpr int64_t kMaxLinesPerPass = int64_t{1} << 16;   // parallel lines
inline constexpr int64_t kMaxRingsPerPass = int64_t{1} << 16;   // rings per direction
inline constexpr int32_t kMaxRingVertices = int32_t{1} << 16;   // built and stored vertex by vertex
inline constexpr int32_t kMaxStreamedRingVertices = int32_t{1} << 24;  // made while walked
inline constexpr int64_t kMaxWindowVertices = int64_t{1} << 18; // near-canvas arcs of a huge ring
// Hidden steps taken one by one before a series with a gain is jumped in
// closed form (exact up to rounding only; without a gain jumps are exact).
inline constexpr int64_t kExactStepLimit = int64_t{1} << 20;

// Extent of a guide's command points (control points included, so the
// flattened curve stays inside) relative to the guide's first point.
struct GuideExtent {
    double uMin = 0.0;
    double uMax = 0.0;
    double vMin = 0.0;
    double vMax = 0.0;
};
GuideExtent MeasureGuide(const PathParser& guide);

// True when the first command a flattening draws from is not a move: every
// mapped path then starts with a segment from the task path's own (0, 0),
// a corner of the canvas, so no line of such a guide can be left out.
bool GuideStartsAtOrigin(const PathParser& guide);

// A rectangle centre + s (dx, dy) + t (-dy, dx), |s| <= halfU, |t| <= halfV.
struct OrientedBox {
    PathPoint centre;
    double dx = 1.0;
    double dy = 0.0;
    double halfU = 0.0;
    double halfV = 0.0;
};

// The box holding a mapped line's path: MapGuide's image of the extent.
OrientedBox LineBox(const GuideExtent& extent, PathPoint start, double cosPhi, double sinPhi,
                    double k, double c);

// Points whose truncated coordinates fall on the canvas lie in (-1, W) x
// (-1, H); this box holds that region with a margin for rounding.
struct CanvasBox {
    double cx = 0.0;
    double cy = 0.0;
    double halfX = 0.0;
    double halfY = 0.0;
};
CanvasBox SampledRegion(int32_t width, int32_t height, double margin);

// False when the boxes are disjoint or any value is NaN. The test allows for
// the rounding of coordinates as large as the box's own.
bool BoxesMeet(const OrientedBox& box, const CanvasBox& canvas);

// A series of offsets where each step adds gain / 2 + gap to the offset and
// then gain to the gap (the parallel lines and the concentric rings).
struct OffsetSeries {
    double offset = 0.0;
    double gap = 0.0;
    int64_t steps = 0;
};

// Takes as many whole steps as keep the offset short of `limit` on the side
// of `direction` (+1: below, -1: above) with the gap still pointing that way,
// at most maxSteps. With gain 0 and whole-number offset and gap the result
// is exactly what single steps give; otherwise it is the closed form
// offset + m gap + gain m^2 / 2, which single steps reach up to rounding.
OffsetSeries JumpTowards(OffsetSeries from, double gain, double limit, int direction,
                         int64_t maxSteps);

// trunc(value) as int64, saturating; NaN gives 0.
int64_t TruncToInt64(double value);

}  // namespace velmora
