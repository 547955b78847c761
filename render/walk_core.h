// The walk along a sequence of segments by distance, shared by paths that
// hold their segments and rings that make theirs as the walk reaches them.
// A walker has the fields segmentIndex, segmentFraction, ended, position,
// closed and literalLaps; segs(i) gives segment i of count.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/path_parser.h"

namespace velmora::walk {

// Remaining distances at or below this are done; shorter segments cannot
// absorb a step.
constexpr double kEpsilon = PathParser::kWalkEpsilon;

// A closed path many times shorter than the distance left (at least this
// many) is walked round whole laps at once: a ring of almost no length would
// otherwise be circled millions of times per step.
constexpr double kLapsBeforeSkipping = 1024.0;

inline PathPoint PointAt(const LineSegment& s, double fraction) {
    return {s.start.x + (s.end.x - s.start.x) * fraction,
            s.start.y + (s.end.y - s.start.y) * fraction};
}

// Laps of a closed walk: stops a walk that a whole lap did not shorten, and
// drops whole laps when the path is much shorter than the distance left
// (unless every lap is to be walked).
class LapGuard {
public:
    LapGuard(int32_t count, bool everyLap) : count_(count), everyLap_(everyLap) {}

    // After passing a whole segment: true when the last count segments in a
    // row absorbed nothing.
    bool Stalled(double before, double after) {
        idle_ = after < before ? 0 : idle_ + 1;
        return idle_ >= count_;
    }

    // At each wrap: the remaining distance, with whole laps dropped.
    double AtWrap(double b) {
        if (seenWrap_ && !everyLap_) {
            // Walking a lap costs a pass over every segment: laps are dropped
            // only past 2^22 segment passes, and never below 1024 laps.
            const double kept = std::max(kLapsBeforeSkipping, 4194304.0 / count_);
            const double lap = bAtWrap_ - b;
            if (lap > 0.0 && b > lap * kept) b = std::fmod(b, lap);
        }
        seenWrap_ = true;
        bAtWrap_ = b;
        return b;
    }

private:
    int32_t count_;
    bool everyLap_;
    int32_t idle_ = 0;
    bool seenWrap_ = false;
    double bAtWrap_ = 0.0;
};

// The walker's segment s takes what it can of the distance b left, forward
// or backward: b ends inside it (b becomes 0), or the walk reaches its far
// end (the end forward, the start backward) and b loses what lay between.
// True when a closed walk has stalled on laps of no length.
template <bool kForward, class Walker>
[[gnu::always_inline]] inline bool AlongSegment(Walker& w, const LineSegment& s, double& b,
                                                LapGuard& laps) {
    const double room =
        kForward ? (1.0 - w.segmentFraction) * s.length : w.segmentFraction * s.length;
    if (b <= room + kEpsilon) {
        if constexpr (kForward)
            w.segmentFraction += b / s.length;
        else
            w.segmentFraction -= b / s.length;
        w.position = PointAt(s, w.segmentFraction);
        b = 0.0;
        return false;
    }
    const double before = b;
    b -= room;
    w.position = kForward ? s.end : s.start;
    return w.closed && laps.Stalled(before, b);
}

// Moves the segment state b forward.
template <class Walker, class Segments>
[[gnu::always_inline]] inline void Forward(Walker& w, Segments&& segs, int32_t count, double b) {
    if (w.closed && count == 0) {
        w.ended = true;  // nothing to go round
        return;
    }
    const PathPoint from = w.position;
    LapGuard laps(count, w.literalLaps);
    while (w.segmentIndex < count) {
        const bool stalled = AlongSegment<true>(w, segs(w.segmentIndex), b, laps);
        if (b <= kEpsilon) break;
        w.segmentIndex += 1;
        w.segmentFraction = 0.0;
        if (!w.closed) continue;
        if (w.segmentIndex >= count) {
            w.ended = true;
            w.segmentIndex = 0;
            b = laps.AtWrap(b);
        }
        if (stalled) {
            // Once round every segment without moving: a loop of no length.
            w.ended = true;
            w.position = from;
            break;
        }
        if (b <= kEpsilon) break;
    }
}

// Moves the segment state b backward; past the start of an open path the
// position is before(), the point the whole walk ends at.
template <class Walker, class Segments, class Before>
[[gnu::always_inline]] inline void Backward(Walker& w, Segments&& segs, int32_t count, double b, Before&& before) {
    if (count == 0) return;
    const PathPoint from = w.position;
    LapGuard laps(count, w.literalLaps);
    if (w.segmentIndex >= count) {
        w.segmentIndex = count - 1;
        w.segmentFraction = 1.0;
    }
    for (;;) {
        const bool stalled = AlongSegment<false>(w, segs(w.segmentIndex), b, laps);
        if (b <= kEpsilon) break;
        w.segmentFraction = 1.0;
        w.segmentIndex -= 1;
        if (!w.closed) {
            if (w.segmentIndex < 0) {
                // Past the start: the rest lies on the extension of segment 0.
                w.segmentIndex = 0;
                w.segmentFraction = 0.0;
                w.position = before();
                break;
            }
            continue;
        }
        if (w.segmentIndex < 0) {
            w.segmentIndex = count - 1;
            b = laps.AtWrap(b);
        }
        if (stalled) {
            w.position = from;
            break;
        }
        if (b <= kEpsilon) break;
    }
}

}  // namespace velmora::walk
