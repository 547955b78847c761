// Paths of move, line, cubic and quadratic commands: flattening into line
// segments and walking along them by distance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace velmora {

struct PathPoint {
    double x = 0.0;
    double y = 0.0;
};

struct LineSegment {
    PathPoint start;
    PathPoint end;
    double length = 0.0;  // sqrt(dx * dx + dy * dy), computed when made
};

enum PathCommandKind : int32_t { kMoveTo = 1, kLineTo = 2, kCubicTo = 3, kQuadTo = 4 };

// The points of one command, held in place: a ring is a path of tens of
// thousands of commands, and a heap block for each made freeing a pass's
// rings take longer than a stop may.
class CommandPoints {
public:
    static constexpr size_t kCapacity = 3;
    CommandPoints() = default;
    CommandPoints(std::initializer_list<PathPoint> points) {
        for (const PathPoint& p : points) push_back(p);
    }
    // A point past the third is dropped: no command has more.
    void push_back(PathPoint p) {
        if (count_ < kCapacity) points_[count_++] = p;
    }
    void reserve(size_t) {}
    void clear() { count_ = 0; }
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    PathPoint& operator[](size_t i) { return points_[i]; }
    const PathPoint& operator[](size_t i) const { return points_[i]; }
    PathPoint& front() { return points_[0]; }
    const PathPoint& front() const { return points_[0]; }
    PathPoint& back() { return points_[count_ - 1]; }
    const PathPoint& back() const { return points_[count_ - 1]; }
    PathPoint* begin() { return points_; }
    PathPoint* end() { return points_ + count_; }
    const PathPoint* begin() const { return points_; }
    const PathPoint* end() const { return points_ + count_; }

private:
    PathPoint points_[kCapacity];
    size_t count_ = 0;
};

struct PathCommand {
    int32_t kind = 0;
    CommandPoints points;  // MoveTo/LineTo: target; CubicTo: c1, c2, target; QuadTo: c, target
};

// Walker state, saved and restored around each stroke run. Every walker
// holds it as its base; the copies take the state alone.
struct WalkState {
    double walked = 0.0;
    int32_t segmentIndex = 0;
    double segmentFraction = 0.0;
    bool ended = false;
    PathPoint position;

    WalkState SaveWalk() const { return *this; }
    void RestoreWalk(const WalkState& state) { *this = state; }
};

class PathParser : public WalkState {
public:
    // Distances left at or below this are walked; see the walk.
    static constexpr double kWalkEpsilon = 1e-6;

    std::vector<PathCommand> commands;
    double width = 0.0;  // a guide's extent along x; 0 for a line's own path
    std::vector<LineSegment> segments;
    bool closed = false;
    PathPoint currentPoint;
    double totalLength = 0.0;
    // Test seam: a closed walk goes round every lap instead of dropping
    // whole laps at once when the path is far shorter than the distance.
    bool literalLaps = false;

    // Rebuilds segments and totalLength from the commands, then rewinds.
    void Flatten(bool closedPath);
    // Flatten, unless the path needs more than maxSegments segments: then
    // the path is left without segments (length 0) and the result is false.
    // Within the limit the segments are exactly Flatten's.
    bool FlattenWithin(bool closedPath, size_t maxSegments);
    // Walker at distance 0: the start of the first segment, or (0, 0).
    void Rewind();
    // Moves x pixels forward (backward when x < 0); returns the new position.
    PathPoint Advance(double x);
    // Moves x pixels backward (forward when x < 0).
    PathPoint Retreat(double x);
    // Advance(1), its common case inline: a step that stays on the current
    // segment, made with the very operations the walk makes.
    PathPoint AdvanceOne() {
        if (walked < kWalkEpsilon && walked > -kWalkEpsilon) walked = 0.0;
        if ((walked >= 0.0 || closed) && segmentIndex >= 0 &&
            static_cast<size_t>(segmentIndex) < segments.size()) {
            const LineSegment& s = segments[static_cast<size_t>(segmentIndex)];
            if (1.0 <= (1.0 - segmentFraction) * s.length + kWalkEpsilon) {
                segmentFraction += 1.0 / s.length;
                position = {s.start.x + (s.end.x - s.start.x) * segmentFraction,
                            s.start.y + (s.end.y - s.start.y) * segmentFraction};
                walked += 1.0;
                if (!closed && !(walked < totalLength)) {
                    ended = true;
                    position = Extrapolate(walked);
                }
                return position;
            }
        }
        return Advance(1.0);
    }

    // Takes unit steps along the current segment exactly as that many
    // AdvanceOne calls would, while the next step's fraction stays at or
    // below fractionLimit, short of the segment's last pixels and of the end
    // of an open path, at most maxSteps; returns how many it took. Long runs
    // of steps cost one multiplication per binade of the fraction.
    uint64_t StepAlongSegment(double fractionLimit, uint64_t maxSteps);
    // The point at a distance outside an open path: on the line through the
    // first segment before the start, through the last one beyond the end.
    PathPoint Extrapolate(double distance) const;

private:
    // Moves the segment state b forward / backward; target is the distance
    // the walk ends at (used past the start of an open path).
    void WalkForward(double b);
    void WalkBackward(double b, double target);
};

// Appends the segments of the quadratic p0, p1 (control), p2 and returns the
// sum of their lengths, added in the order they are appended.
double FlattenQuadratic(std::vector<LineSegment>& segments, PathPoint p0, PathPoint p1,
                        PathPoint p2, double tolerance);

// Points of the subdivided cubic, from p0 to p3.
std::vector<PathPoint> SubdivideCubic(PathPoint p0, PathPoint p1, PathPoint p2, PathPoint p3,
                                      double tolerance);

}  // namespace velmora
