// Flattening of move, line, cubic and quadratic commands into segments.
#include "render/path_parser.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace velmora {

namespace {

constexpr double kTolerance = 0.5;

// Curves of any sensible size are straight within tolerance long before
// these bounds; they stop input that never converges (non-finite or huge
// coordinates) from exhausting the stack or memory.
constexpr int kMaxDepth = 32;
constexpr int kMaxSplitsPerCurve = 1 << 16;

double Distance(PathPoint a, PathPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

PathPoint Mid(PathPoint a, PathPoint b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Distance of q from the infinite line through p0 and p3 (0 when they meet).
double DistanceFromLine(PathPoint q, PathPoint p0, PathPoint p3, double chord) {
    if (chord == 0.0) return 0.0;
    const double cross =
        (p3.y - p0.y) * q.x - (p3.x - p0.x) * q.y + p3.x * p0.y - p3.y * p0.x;
    return std::fabs(cross) / chord;
}

// Splits one curve may still make; `refused` is set when a split the
// tolerance asked for was not made for want of them.
struct SplitBudget {
    int left = kMaxSplitsPerCurve;
    bool refused = false;
};

// Appends the points after p0 of the subdivided cubic; the left half's last
// point is the right half's first, so each leaf contributes its end point.
void SubdivideCubicInto(std::vector<PathPoint>& out, PathPoint p0, PathPoint p1, PathPoint p2,
                        PathPoint p3, double tolerance, int depth, SplitBudget& splits) {
    const double chord = Distance(p0, p3);
    const double d1 = DistanceFromLine(p1, p0, p3, chord);
    const double d2 = DistanceFromLine(p2, p0, p3, chord);
    const double deviation = d1 < d2 ? d2 : d1;
    const bool refinable = std::isfinite(d1) && std::isfinite(d2);
    if (tolerance >= deviation || !refinable || depth >= kMaxDepth || splits.left <= 0) {
        if (splits.left <= 0 && tolerance < deviation && refinable && depth < kMaxDepth)
            splits.refused = true;
        out.push_back(p3);
        return;
    }
    --splits.left;
    const PathPoint a = Mid(p0, p1);
    const PathPoint m = Mid(p1, p2);
    const PathPoint c = Mid(p2, p3);
    const PathPoint b = Mid(a, m);
    const PathPoint d = Mid(m, c);
    const PathPoint mid = Mid(b, d);
    SubdivideCubicInto(out, p0, a, b, mid, tolerance, depth + 1, splits);
    SubdivideCubicInto(out, mid, d, c, p3, tolerance, depth + 1, splits);
}

// One step on (a, k, b); lengths go into sum in the order pieces are appended.
void FlattenQuadraticStep(std::vector<LineSegment>& segments, PathPoint a, PathPoint k,
                          PathPoint b, double tolerance, int depth, SplitBudget& splits,
                          double& sum) {
    const PathPoint q0 = Mid(a, k);
    const PathPoint q1 = Mid(k, b);
    const PathPoint mid = Mid(q0, q1);
    const double deviation = Distance(mid, Mid(a, b));
    const bool wanted = deviation > tolerance && std::isfinite(deviation) && depth < kMaxDepth;
    if (wanted && splits.left > 0) {
        --splits.left;
        FlattenQuadraticStep(segments, a, q0, mid, tolerance, depth + 1, splits, sum);
        FlattenQuadraticStep(segments, mid, q1, b, tolerance, depth + 1, splits, sum);
        return;
    }
    if (wanted) splits.refused = true;
    const double length = Distance(a, b);
    segments.push_back({a, b, length});
    sum += length;
}

// Splits a curve may make when `room` segments are left for the path: the
// per-curve bound, or fewer when the path's limit is closer. `limited` tells
// which one applies.
SplitBudget BudgetFor(size_t room, bool& limited) {
    SplitBudget splits;
    limited = room <= static_cast<size_t>(kMaxSplitsPerCurve);
    if (limited) splits.left = room == 0 ? 0 : static_cast<int>(room - 1);
    return splits;
}

}  // namespace

std::vector<PathPoint> SubdivideCubic(PathPoint p0, PathPoint p1, PathPoint p2, PathPoint p3,
                                      double tolerance) {
    std::vector<PathPoint> points{p0};
    SplitBudget splits;
    SubdivideCubicInto(points, p0, p1, p2, p3, tolerance, 0, splits);
    return points;
}

double FlattenQuadratic(std::vector<LineSegment>& segments, PathPoint p0, PathPoint p1,
                        PathPoint p2, double tolerance) {
    double sum = 0.0;
    SplitBudget splits;
    FlattenQuadraticStep(segments, p0, p1, p2, tolerance, 0, splits, sum);
    return sum;
}

void PathParser::Flatten(bool closedPath) { FlattenWithin(closedPath, SIZE_MAX); }

bool PathParser::FlattenWithin(bool closedPath, size_t maxSegments) {
    segments.clear();
    closed = closedPath;
    totalLength = 0.0;

    // Segments left for the path, and whether a curve needed more.
    bool exceeded = false;
    auto room = [&] { return segments.size() < maxSegments ? maxSegments - segments.size() : 0; };
    std::vector<PathPoint> points;
    for (const PathCommand& command : commands) {
        const CommandPoints& p = command.points;
        switch (command.kind) {
            case kMoveTo:
                if (p.size() < 1) break;
                currentPoint = p[0];
                break;
            case kLineTo: {
                if (p.size() < 1) break;
                if (room() == 0) {
                    exceeded = true;
                    break;
                }
                const double length = Distance(currentPoint, p[0]);
                segments.push_back({currentPoint, p[0], length});
                totalLength += length;
                currentPoint = p[0];
                break;
            }
            case kCubicTo: {
                if (p.size() < 3) break;
                bool limited = false;
                SplitBudget splits = BudgetFor(room(), limited);
                if (limited && room() == 0) {
                    exceeded = true;
                    break;
                }
                points.assign(1, currentPoint);
                SubdivideCubicInto(points, currentPoint, p[0], p[1], p[2], kTolerance, 0, splits);
                if (limited && splits.refused) {
                    exceeded = true;
                    break;
                }
                for (size_t i = 1; i < points.size(); ++i) {
                    const double length = Distance(points[i - 1], points[i]);
                    segments.push_back({points[i - 1], points[i], length});
                    totalLength += length;
                }
                currentPoint = p[2];
                break;
            }
            case kQuadTo: {
                if (p.size() < 2) break;
                bool limited = false;
                SplitBudget splits = BudgetFor(room(), limited);
                if (limited && room() == 0) {
                    exceeded = true;
                    break;
                }
                double sum = 0.0;
                FlattenQuadraticStep(segments, currentPoint, p[0], p[1], kTolerance, 0, splits, sum);
                if (limited && splits.refused) {
                    exceeded = true;
                    break;
                }
                totalLength += sum;
                currentPoint = p[1];
                break;
            }
            default:
                break;
        }
        if (exceeded) break;
    }
    if (exceeded) {
        // A path that needs more segments than allowed is not drawn at all.
        std::vector<LineSegment>().swap(segments);
        totalLength = 0.0;
    }
    Rewind();
    return !exceeded;
}

}  // namespace velmora
