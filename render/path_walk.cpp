// Walking a flattened path by distance, forwards and backwards, open or closed.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/path_parser.h"
#include "render/walk_core.h"

namespace velmora {

namespace {

constexpr double kEpsilon = walk::kEpsilon;
using walk::PointAt;

}  // namespace

void PathParser::Rewind() {
    RestoreWalk({.position = segments.empty() ? PathPoint{} : segments.front().start});
}

// The point at a distance outside an open path: on the line through the
// first segment before the start, through the last one beyond the end.
PathPoint PathParser::Extrapolate(double distance) const {
    if (segments.empty()) return position;
    if (distance <= 0.0) {
        const LineSegment& s = segments.front();
        if (!(s.length >= kEpsilon)) return position;
        const double ux = (s.end.x - s.start.x) / s.length;
        const double uy = (s.end.y - s.start.y) / s.length;
        return {s.start.x + ux * distance, s.start.y + uy * distance};
    }
    const LineSegment& s = segments.back();
    if (!(s.length >= kEpsilon)) return position;
    const double ux = (s.end.x - s.start.x) / s.length;
    const double uy = (s.end.y - s.start.y) / s.length;
    return {s.end.x + ux * (distance - totalLength), s.end.y + uy * (distance - totalLength)};
}

void PathParser::WalkForward(double b) {
    walk::Forward(*this, [this](int32_t i) -> const LineSegment& { return segments[i]; },
                  static_cast<int32_t>(segments.size()), b);
}

void PathParser::WalkBackward(double b, double target) {
    walk::Backward(*this, [this](int32_t i) -> const LineSegment& { return segments[i]; },
                   static_cast<int32_t>(segments.size()), b, [&] { return Extrapolate(target); });
}

PathPoint PathParser::Advance(double x) {
    if (x == 0.0) return position;
    if (x < 0.0) return Retreat(-x);
    if (std::fabs(walked) < kEpsilon) walked = 0.0;
    if (walked < 0.0 && !closed) {
        // Coming back from before the start of an open path.
        const double w = walked + x;
        if (w <= 0.0) {
            position = Extrapolate(w);
        } else {
            segmentIndex = 0;
            segmentFraction = 0.0;
            if (w > kEpsilon) {
                WalkForward(w);
            } else if (!segments.empty()) {
                position = segments.front().start;
            }
        }
        walked = w;
    } else {
        if (x > kEpsilon) WalkForward(x);
        walked += x;
    }
    // Written as !(a < b) so that a NaN length or distance ends the walk too.
    if (!closed && !(walked < totalLength)) {
        ended = true;
        position = Extrapolate(walked);
    }
    return position;
}

// Every step adds q = 1 / length to the fraction f, rounded to the grid of
// f's binade [2^(e-1), 2^e), whose spacing is u = 2^(e-53). f + q rounds to
// f + RN(q / u) u, except that a tie (q a half-multiple of u) rounds to the
// even neighbour: after one step inside a binade f is even there, and from
// then on every step adds the same d while the sum stays below 2^e. So two
// plain steps give d, and m more steps give f + m d exactly (m d and the sum
// are whole multiples of u below 2^e, hence exact).
uint64_t PathParser::StepAlongSegment(double fractionLimit, uint64_t maxSteps) {
    if (segmentIndex < 0 || static_cast<size_t>(segmentIndex) >= segments.size()) return 0;
    if (std::fabs(walked) < kEpsilon) walked = 0.0;  // the snap the first step makes
    if (walked < 0.0) return 0;
    const LineSegment& s = segments[static_cast<size_t>(segmentIndex)];
    const double q = 1.0 / s.length;
    if (!std::isnormal(q) || !(segmentFraction >= 0.0)) return 0;
    // Four pixels short of the segment's end, so every step stays on it.
    fractionLimit = std::min(fractionLimit, 1.0 - 4.0 * q);
    if (!closed) {
        // Two steps short of the end of the path, which no step may reach.
        const double room = std::floor(totalLength - walked) - 2.0;
        if (!(room > 0.0)) return 0;
        if (room < static_cast<double>(maxSteps)) maxSteps = static_cast<uint64_t>(room);
    }
    uint64_t taken = 0;
    bool primed = false;  // the last step stayed inside one binade
    while (taken < maxSteps) {
        const double f = segmentFraction;
        const double next = f + q;
        if (!(next <= fractionLimit)) break;
        int binade = 0, nextBinade = 0;
        std::frexp(f, &binade);
        std::frexp(next, &nextBinade);
        segmentFraction = next;
        walked += 1.0;
        ++taken;
        if (!(f > 0.0 && binade == nextBinade)) {
            primed = false;
            continue;
        }
        if (!primed) {
            primed = true;
            continue;
        }
        // Steady: every further step inside this binade adds d.
        const double d = next - f;
        const double top = std::ldexp(1.0, nextBinade);
        const double u = std::ldexp(1.0, nextBinade - 53);
        const double bound = std::min(fractionLimit, top - 2.0 * d - 4.0 * u);
        double m = std::floor((bound - next) / d) - 1.0;
        m = std::min(m, static_cast<double>(maxSteps - taken));
        if (m >= 1.0) {
            segmentFraction = next + m * d;
            walked += m;
            taken += static_cast<uint64_t>(m);
        }
    }
    if (taken > 0) position = PointAt(s, segmentFraction);
    return taken;
}

PathPoint PathParser::Retreat(double x) {
    if (x == 0.0) return position;
    if (x < 0.0) return Advance(-x);
    if (std::fabs(walked) < kEpsilon) walked = 0.0;
    const double w = walked - x;
    if (closed) {
        if (x > kEpsilon) WalkBackward(x, w);
    } else if (w <= 0.0) {
        position = Extrapolate(w);
        segmentIndex = 0;
        segmentFraction = 0.0;
    } else if (w >= totalLength) {
        position = Extrapolate(w);
    } else {
        double b = x;
        if (walked > totalLength) {
            // Back along the extension to the last segment's end first.
            b -= walked - totalLength;
            segmentIndex = static_cast<int32_t>(segments.size()) - 1;
            segmentFraction = 1.0;
            position = segments.back().end;
        }
        if (b > kEpsilon) WalkBackward(b, w);
    }
    walked = w;
    return position;
}

}  // namespace velmora
