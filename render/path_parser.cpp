// Flattening of move, line, cubic and quadratic commands into segments.
#include "render/path_parser.h"

#include <cmath>
#include <cstddef>

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

// Appends the points after p0 of the subdivided cubic; the left half's last
// point is the right half's first, so each leaf contributes its end point.
void SubdivideCubicInto(std::vector<PathPoint>& out, PathPoint p0, PathPoint p1, PathPoint p2,
                        PathPoint p3, double tolerance, int depth, int& splitsLeft) {
    const double chord = Distance(p0, p3);
    const double d1 = DistanceFromLine(p1, p0, p3, chord);
    const double d2 = DistanceFromLine(p2, p0, p3, chord);
    const double deviation = d1 < d2 ? d2 : d1;
    const bool refinable = std::isfinite(d1) && std::isfinite(d2);
    if (tolerance >= deviation || !refinable || depth >= kMaxDepth || splitsLeft <= 0) {
        out.push_back(p3);
        return;
    }
    --splitsLeft;
    const PathPoint a = Mid(p0, p1);
    const PathPoint m = Mid(p1, p2);
    const PathPoint c = Mid(p2, p3);
    const PathPoint b = Mid(a, m);
    const PathPoint d = Mid(m, c);
    const PathPoint mid = Mid(b, d);
    SubdivideCubicInto(out, p0, a, b, mid, tolerance, depth + 1, splitsLeft);
    SubdivideCubicInto(out, mid, d, c, p3, tolerance, depth + 1, splitsLeft);
}

// One step on (a, k, b); lengths go into sum in the order pieces are appended.
void FlattenQuadraticStep(std::vector<LineSegment>& segments, PathPoint a, PathPoint k,
                          PathPoint b, double tolerance, int depth, int& splitsLeft,
                          double& sum) {
    const PathPoint q0 = Mid(a, k);
    const PathPoint q1 = Mid(k, b);
    const PathPoint mid = Mid(q0, q1);
    const double deviation = Distance(mid, Mid(a, b));
    if (deviation > tolerance && std::isfinite(deviation) && depth < kMaxDepth &&
        splitsLeft > 0) {
        --splitsLeft;
        FlattenQuadraticStep(segments, a, q0, mid, tolerance, depth + 1, splitsLeft, sum);
        FlattenQuadraticStep(segments, mid, q1, b, tolerance, depth + 1, splitsLeft, sum);
        return;
    }
    const double length = Distance(a, b);
    segments.push_back({a, b, length});
    sum += length;
}

}  // namespace

std::vector<PathPoint> SubdivideCubic(PathPoint p0, PathPoint p1, PathPoint p2, PathPoint p3,
                                      double tolerance) {
    std::vector<PathPoint> points{p0};
    int splitsLeft = kMaxSplitsPerCurve;
    SubdivideCubicInto(points, p0, p1, p2, p3, tolerance, 0, splitsLeft);
    return points;
}

double FlattenQuadratic(std::vector<LineSegment>& segments, PathPoint p0, PathPoint p1,
                        PathPoint p2, double tolerance) {
    double sum = 0.0;
    int splitsLeft = kMaxSplitsPerCurve;
    FlattenQuadraticStep(segments, p0, p1, p2, tolerance, 0, splitsLeft, sum);
    return sum;
}

void PathParser::Flatten(bool closedPath) {
    segments.clear();
    closed = closedPath;
    totalLength = 0.0;

    for (const PathCommand& command : commands) {
        const std::vector<PathPoint>& p = command.points;
        switch (command.kind) {
            case kMoveTo:
                if (p.size() < 1) break;
                currentPoint = p[0];
                break;
            case kLineTo: {
                if (p.size() < 1) break;
                const double length = Distance(currentPoint, p[0]);
                segments.push_back({currentPoint, p[0], length});
                totalLength += length;
                currentPoint = p[0];
                break;
            }
            case kCubicTo: {
                if (p.size() < 3) break;
                const std::vector<PathPoint> points =
                    SubdivideCubic(currentPoint, p[0], p[1], p[2], kTolerance);
                for (size_t i = 1; i < points.size(); ++i) {
                    const double length = Distance(points[i - 1], points[i]);
                    segments.push_back({points[i - 1], points[i], length});
                    totalLength += length;
                }
                currentPoint = p[2];
                break;
            }
            case kQuadTo:
                if (p.size() < 2) break;
                totalLength += FlattenQuadratic(segments, currentPoint, p[0], p[1], kTolerance);
                currentPoint = p[1];
                break;
            default:
                break;
        }
    }
    Rewind();
}

}  // namespace velmora
