// The discs of one pen step: placed along the segment from one step's point
// to the next at a spacing set by their width, their diameter following the
// pressure from one end to the other.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/hypot.h"
#include "render/path_parser.h"
#include "render/rasteriser.h"
#include "render/stroke_context.h"

namespace velmora {

// Segments longer than this (only a step across a gap between sub-paths
// makes them) stamp only the discs that can reach the canvas and measure
// the rest for the box; past kMeasuredSegment the rest is left out.
inline constexpr double kHugeSegment = 16777216.0;
inline constexpr double kMeasuredSegment = 67108864.0;

// Discs narrower than this are stamped whole: the shadows of their few
// rows would cost more than the pixels they pass by.
inline constexpr double kTrailDiameter = 6.0;

// One disc, through the stamp of a test or benchmark when one is set (which
// sees every disc whole), else along the trail when there is one and the
// disc is wide enough.
[[gnu::always_inline]] inline void PlaceDisc(StrokeContext& context, StampFunction stamp, double x,
                                             double y, double w, DiscTrail* trail = nullptr) {
    if (stamp)
        stamp(context, x, y, w);
    else if (trail && w >= kTrailDiameter)
        trail->Place(context, Disc{x, y, w});
    else
        Stamp(context, x, y, w);
}

// The discs from a along the unit direction u of a segment of length d,
// from distance s until past last: each disc's diameter is size times the
// pressure going from p0 to p1, and the next disc lies that far on (at most
// a pixel); a disc below 0.1 is left out and the walk moves 0.1. place gets
// each disc's distance, centre and diameter; returns how many were placed.
template <class Place>
[[gnu::always_inline]] inline uint64_t DiscsAlong(PathPoint a, PathPoint u, double d, double p0,
                                                  double p1, double size, double s, double last,
                                                  Place&& place) {
    uint64_t placed = 0;
    do {
        const double w = std::clamp(p0 + (p1 - p0) * s / d, 0.0, 1.0) * size;
        if (w < 0.1) {
            s += 0.1;
        } else {
            s += std::min(w, 1.0);
            place(s, a.x + u.x * s, a.y + u.y * s, w);
            ++placed;
        }
    } while (s <= last);
    return placed;
}

// The discs of a segment longer than kHugeSegment (a step across a gap
// between sub-paths): those that can reach the canvas are stamped, the
// others measured for the box; past kMeasuredSegment the others are left out.
uint64_t StampHugeSegment(StrokeContext& context, PathPoint a, PathPoint u, double d, double p0,
                          double p1, double size, StampFunction stamp);

// The discs of one segment; returns how many were placed. Measuring: the
// discs lie wholly off the canvas and only the box they grow is gathered.
// A trail (see DiscTrail) takes the stroke's discs from one segment to the
// next.
template <bool kMeasuring = false>
inline uint64_t StampDiscs(StrokeContext& context, PathPoint a, PathPoint b, double p0, double p1,
                           double size, StampFunction stamp, bool everyDisc,
                           DabBox* far = nullptr, DiscTrail* trail = nullptr) {
    const double d = platform::Hypot(b.x - a.x, b.y - a.y);
    if (d == 0 || !std::isfinite(d)) return 0;
    const PathPoint u{(b.x - a.x) / d, (b.y - a.y) / d};
    if (d > kHugeSegment && !everyDisc) {
        if (trail) trail->Flush(context);
        return StampHugeSegment(context, a, u, d, p0, p1, size, stamp);
    }
    return DiscsAlong(a, u, d, p0, p1, size, 0.0, d,
                      [&](double, double x, double y, double w) __attribute__((always_inline)) {
                          if constexpr (kMeasuring)
                              far->Add(context, x, y, w);
                          else
                              PlaceDisc(context, stamp, x, y, w, trail);
                      });
}

}  // namespace velmora
