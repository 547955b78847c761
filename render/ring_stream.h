// Rings too long to hold whole: the segments of such a ring are made as the
// walk reaches them, from the vertex formula and the guide's cross offsets,
// with the very values a ring built and stored vertex by vertex holds.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <cstdint>
#include <vector>

#include "render/path_parser.h"
#include "render/thread_pool.h"

namespace velmora {

// The vertex formula of one ring; the guide's cross offset comes from the
// guide walker at the vertex's arc length.
struct RingGeometry {
    PathPoint centre;
    double cosA = 1.0;
    double sinA = 0.0;
    double startAngle = 0.0;
    double ra = 0.0;
    double rb = 0.0;
    double curvature = 0.0;
    int64_t n = 4;

    PathPoint Vertex(double index, double offset) const {
        const double w = (index * (2 * std::numbers::pi)) / static_cast<double>(n) + startAngle;
        const double x = std::cos(w) * (offset + ra);
        const double y = std::sin(w) * (offset + rb);
        return {x * cosA - y * sinA + centre.x, x * sinA + y * cosA + centre.y};
    }
};

// What the task of a ring keeps until it runs: a few numbers, no vertex.
// A ring of few enough vertices is then built whole in the task's path
// (stored), any other is streamed.
struct RingPlan {
    RingGeometry geometry;
    const PathParser* guide = nullptr;  // the pass's guide; only read while tasks run
    PathPoint guideFrom;                // its currentPoint when the ring was laid out
    bool stored = false;
    // The guide as the pass leaves it flattened is the flattening this ring
    // walks: its walker reads the pass's guide instead of a copy.
    bool sharesGuide = false;
};

// Builds the planned ring vertex by vertex into path's commands, as the
// layout builds a ring: one step of the guide's walker each, on a private
// copy of the guide flattened from where the layout had it. False when a
// vertex is not finite, or as soon as the ring's length passes lengthBudget
// (as RingStream::Open measures it).
bool BuildPlannedRing(const RingPlan& plan, PathParser& path, double lengthBudget = INFINITY);

// A closed path over the ring's n segments (vertex i to vertex i + 1),
// walked as PathParser walks a closed path. It holds a window of segments,
// the guide walker's state every so many vertices and a copy of the guide:
// a fixed amount of memory whatever n is.
class RingStream : public WalkState {
public:
    static constexpr int32_t kWindow = 4096;        // segments made at a time
    static constexpr int64_t kMaxCheckpoints = 4096;

    // The walk state is the base, as PathParser's; the walk is closed.
    bool closed = true;
    bool literalLaps = false;
    double totalLength = 0.0;

    // Measures the ring (totalLength) and rewinds; false when a vertex is
    // not finite (a ring that is never drawn) or the task was stopped.
    // Also false as soon as the length passes lengthBudget: the task's scan
    // of one lap would take more samples than that.
    bool Open(const RingPlan& plan, const ThreadPoolTask* task = nullptr,
              double lengthBudget = INFINITY);

    int32_t Count() const { return static_cast<int32_t>(ring_.n); }
    const LineSegment& Segment(int32_t index) {
        const int64_t i = index;
        if (i < base_ || i >= base_ + static_cast<int64_t>(window_.size())) Fill(i - i % kWindow);
        return window_[static_cast<size_t>(i - base_)];
    }

    void Rewind();
    PathPoint Advance(double x);
    PathPoint Retreat(double x);
    // Advance(1), with PathParser::AdvanceOne's operations.
    PathPoint AdvanceOne() {
        if (walked < PathParser::kWalkEpsilon && walked > -PathParser::kWalkEpsilon) walked = 0.0;
        if (segmentIndex >= 0 && segmentIndex < Count()) {
            const LineSegment& s = Segment(segmentIndex);
            if (1.0 <= (1.0 - segmentFraction) * s.length + PathParser::kWalkEpsilon) {
                segmentFraction += 1.0 / s.length;
                position = {s.start.x + (s.end.x - s.start.x) * segmentFraction,
                            s.start.y + (s.end.y - s.start.y) * segmentFraction};
                walked += 1.0;
                return position;
            }
        }
        return Advance(1.0);
    }
    // Bytes held for the walk: the window, the checkpoints, the guide copy.
    size_t MemoryHeld() const;

private:
    auto Segments() {
        return [this](int32_t i) -> const LineSegment& { return Segment(i); };
    }
    double Offset() const;
    void StepGuide();
    // Makes the segments from base on, up to kWindow of them.
    void Fill(int64_t base);

    RingGeometry ring_;
    bool hasGuide_ = false;
    PathParser guide_;  // a private copy, flattened open as the layout flattens it
    double step_ = 0.0;
    double y0_ = 0.0;
    int64_t every_ = kWindow;            // vertices between checkpoints
    std::vector<WalkState> checkpoints_;  // guide walker at vertex k x every_
    int64_t guideAt_ = 0;                 // vertex whose offset the guide walker gives
    std::vector<LineSegment> window_;
    int64_t base_ = 0;
};

}  // namespace velmora
