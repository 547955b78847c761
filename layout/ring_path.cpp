#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "render/ring_stream.h"
#include "render/path_task.h"

namespace velmora {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The guide's walker as AddRing uses it: flattened open, stepped once per
// vertex; B is its y, relative to where it starts, times curvature.
// Flattens the pass's guide open, as every ring does. A flattening that
// starts where the last one ended, or of a guide that starts with a move,
// gives the segments the last one gave: from then on the guide is only
// rewound, so a pass of many rings flattens a long guide once or twice.
void FlattenGuide(LayoutContext& context) {
    PathParser* guide = context.guidePath;
    if (guide == nullptr) return;
    if (context.ringGuideFlat && (context.literal & kLiteralRings) == 0) {
        guide->Rewind();
        return;
    }
    const PathPoint from = guide->currentPoint;
    guide->Flatten(false);
    const PathPoint to = guide->currentPoint;
    const bool sameStart = std::bit_cast<uint64_t>(from.x) == std::bit_cast<uint64_t>(to.x) &&
                           std::bit_cast<uint64_t>(from.y) == std::bit_cast<uint64_t>(to.y);
    context.ringGuideFlat = sameStart || !GuideStartsAtOrigin(*guide);
}

class GuideWalk {
public:
    GuideWalk(LayoutContext& context, double curvature, int64_t n)
        : guide_(context.guidePath), curvature_(curvature) {
        if (guide_ == nullptr) return;
        FlattenGuide(context);
        step_ = guide_->totalLength / static_cast<double>(n);
        y0_ = guide_->position.y;
    }
    double Offset() const { return ((guide_ ? guide_->position.y : 0.0) - y0_) * curvature_; }
    void Step() {
        if (guide_) guide_->Advance(step_);
    }
    // Walker at vertex index i (from its start, as a fresh walk would be).
    void Seek(int64_t index) {
        if (guide_ == nullptr) return;
        guide_->Rewind();
        if (index > 0) guide_->Advance(static_cast<double>(index) * step_);
    }
    // Range of B over the whole guide: its points and its starting point.
    void OffsetRange(double& low, double& high) const {
        double yLow = y0_, yHigh = y0_;
        if (guide_) {
            for (const PathCommand& command : guide_->commands) {
                for (const PathPoint& p : command.points) {
                    yLow = std::min(yLow, p.y);
                    yHigh = std::max(yHigh, p.y);
                }
            }
        }
        const double b0 = (yLow - y0_) * curvature_;
        const double b1 = (yHigh - y0_) * curvature_;
        low = std::min(b0, b1);
        high = std::max(b0, b1);
    }

private:
    PathParser* guide_;
    double curvature_;
    double step_ = 0.0;
    double y0_ = 0.0;
};

bool IsFinite(PathPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// True when every vertex of the ring is surely finite: the guide's cross
// offsets stay within crossReach, so the vertices lie within a bound far
// below overflow. A ring that fails this is built at once, where a vertex
// that is not finite keeps it out of the pass.
bool VerticesFinite(const RingGeometry& ring, double crossReach) {
    const double offset = 2 * crossReach * std::abs(ring.curvature);
    const double bound = offset + std::abs(ring.ra) + std::abs(ring.rb) + std::abs(ring.centre.x) +
                         std::abs(ring.centre.y);
    return bound < 1e300;  // also false for NaN
}

void AppendVertex(PathParser& path, PathPoint vertex, bool first) {
    PathCommand command;
    command.kind = first ? kMoveTo : kLineTo;
    command.points.push_back(vertex);
    path.commands.push_back(std::move(command));
}

// Vertices 0..n in order, one guide step each. False on non-finite geometry.
bool BuildWholeRing(PathParser& path, const RingGeometry& ring, GuideWalk& walk) {
    path.commands.reserve(static_cast<size_t>(ring.n) + 1);
    for (int64_t i = 0; i <= ring.n; ++i) {
        const PathPoint vertex = ring.Vertex(static_cast<double>(i), walk.Offset());
        if (!IsFinite(vertex)) return false;
        AppendVertex(path, vertex, i == 0);
        walk.Step();
    }
    return true;
}

// How far from the canvas a stroke drawn on this ring can still leave a
// mark: the pen, the run's overshoot (length, its jitter and gain), the
// position shift and its jitter, with slack.
double StrokeReach(const LayoutContext& context, double radius) {
    const StrokeSettings& s = context.stroke;
    const double overshoot = std::abs(s.length * 0.5) * (1 + std::abs(s.lenfluct)) +
                             std::abs(s.lengain) * radius / 50;
    const double reach = overshoot + std::abs(static_cast<double>(s.position));
    const double canvas = 2.0 * (std::abs(static_cast<double>(context.source.width)) + context.source.height);
    return 16 + std::abs(s.size) + reach + std::abs(s.posfluct) * (canvas + 2 * reach);
}

// A ring of more vertices than even a streamed ring walks in sensible time
// (over 2^24, a radius of about 13 million pixels): only the stretches of its
// polygon within reach of the canvas are built, each with the vertices the
// whole ring would have there (vertex i, guide offset at arc length i x
// step), joined by moves. Whatever lies beyond cannot sample ink, and no
// stroke started on the canvas can walk far enough to cross a move, so the
// drawn pixels are those of the whole ring, save that distances along the
// path after a move lose their whole-pixel phase (strokes there may start
// or end up to one pixel apart): the one place where rings depart from the
// literal steps. Returns the vertex count it would need, or
// -1 on non-finite geometry; builds nothing when over `budget`.
int64_t BuildWindowedRing(PathParser& path, const RingGeometry& ring, GuideWalk& walk,
                          const LayoutContext& context, int64_t budget) {
    double bLow = 0.0, bHigh = 0.0;
    walk.OffsetRange(bLow, bHigh);
    const double bMid = (bLow + bHigh) * 0.5;
    const double radius = std::max(std::abs(ring.ra), std::abs(ring.rb)) +
                          std::max(std::abs(bLow), std::abs(bHigh));
    const double margin = StrokeReach(context, radius);
    if (!std::isfinite(radius) || !std::isfinite(margin)) return -1;
    const double x0 = -margin, y0 = -margin;
    const double x1 = context.source.width + margin, y1 = context.source.height + margin;
    const double perIndex = kTwoPi / static_cast<double>(ring.n) * radius;

    // Vertex blocks [i0, i1] whose bounding disc comes within the margin,
    // found by halving from the whole ring; leaves of at most 32 vertices.
    std::vector<std::pair<int64_t, int64_t>> spans;
    auto near = [&](int64_t i0, int64_t i1) {
        const double mid = (static_cast<double>(i0) + static_cast<double>(i1)) * 0.5;
        const PathPoint p = ring.Vertex(mid, bMid);
        const double r = static_cast<double>(i1 - i0) * 0.5 * perIndex + (bHigh - bLow) * 0.5 +
                         1.0 + 1e-9 * radius;
        const double dx = std::max({x0 - p.x, 0.0, p.x - x1});
        const double dy = std::max({y0 - p.y, 0.0, p.y - y1});
        return !(dx * dx + dy * dy > r * r);  // NaN counts as near
    };
    int64_t needed = 0;
    auto visit = [&](auto& self, int64_t i0, int64_t i1) -> void {
        if (needed > budget || !near(i0, i1)) return;
        if (i1 - i0 > 32) {
            const int64_t mid = i0 + (i1 - i0) / 2;
            self(self, i0, mid);
            self(self, mid, i1);
            return;
        }
        if (!spans.empty() && spans.back().second == i0) {
            spans.back().second = i1;
        } else {
            spans.push_back({i0, i1});
            needed += 1;
        }
        needed += i1 - i0;
    };
    visit(visit, 0, ring.n);
    if (needed > budget) return needed;

    for (const auto& [first, last] : spans) {
        walk.Seek(first);
        for (int64_t i = first; i <= last; ++i) {
            const PathPoint vertex = ring.Vertex(static_cast<double>(i), walk.Offset());
            if (!IsFinite(vertex)) return -1;
            AppendVertex(path, vertex, i == first);
            walk.Step();
        }
    }
    return needed;
}

}  // namespace

int32_t RingVertexCount(double ra, double rb) {
    // Ramanujan's perimeter divided by pi; a vertex about every 5 pixels.
    const double p = (ra + rb) * 3 - std::sqrt((rb * 3 + ra) * (ra * 3 + rb));
    const double vertices = std::ceil(p * std::numbers::pi / 5);
    constexpr int32_t kLargestEven = std::numeric_limits<int32_t>::max() - 1;
    int32_t n = 0;
    if (vertices >= kLargestEven) {
        n = kLargestEven;
    } else if (vertices > 0) {
        n = static_cast<int32_t>(vertices);
    }
    n = std::max(n, 3);
    if (n % 2 != 0) n = n + 1;
    return n;
}

double GuideCrossReach(const PathParser* guide) {
    if (guide == nullptr) return 0.0;
    // Every point the guide's walker reaches lies within its points' extent,
    // its start (the origin or where the last flattening ended) included.
    double low = std::min(0.0, guide->currentPoint.y), high = std::max(0.0, guide->currentPoint.y);
    for (const PathCommand& command : guide->commands) {
        for (const PathPoint& p : command.points) {
            if (!std::isfinite(p.y)) return INFINITY;
            low = std::min(low, p.y);
            high = std::max(high, p.y);
        }
    }
    return high - low;
}

void AddRing(LayoutContext& context, PathPoint centre, double angle, double startAngle, double ra,
             double rb, double crossReach) {
    auto task = std::make_shared<PathTask>(context, context.ring ? &context.ring->centre : nullptr);
    RingGeometry ring;
    ring.centre = centre;
    ring.cosA = std::cos(angle);
    ring.sinA = std::sin(angle);
    ring.startAngle = startAngle;
    ring.ra = ra;
    ring.rb = rb;
    ring.curvature = context.settings.curvature;
    ring.n = RingVertexCount(ra, rb);

    bool built = false;
    const bool literal = (context.literal & kLiteralRings) != 0;
    if (ring.n <= kMaxRingVertices && !literal && VerticesFinite(ring, crossReach < 0 ? GuideCrossReach(context.guidePath) : crossReach)) {
        // Built when its task starts and freed when it ends: a pass holds
        // the vertices of one ring per worker, not of every ring at once
        // (thousands of rings far off a big canvas took gigabytes).
        auto plan = std::make_unique<RingPlan>();
        plan->geometry = ring;
        plan->guide = context.guidePath;
        plan->stored = true;
        if (context.guidePath != nullptr) {
            plan->guideFrom = context.guidePath->currentPoint;
            // From here on every ring is only rewound: the pass ends with
            // the flattening this ring walks.
            plan->sharesGuide = context.ringGuideFlat;
            FlattenGuide(context);
        }
        task->streamedRing = std::move(plan);
        built = true;
    } else if (ring.n <= kMaxRingVertices || literal) {
        GuideWalk walk(context, ring.curvature, ring.n);
        built = BuildWholeRing(task->path, ring, walk);
    } else if (ring.n <= kMaxStreamedRingVertices) {
        // Made segment by segment while the task runs. The guide is
        // flattened here all the same: a guide that starts without a move
        // flattens from where the last flattening left it.
        auto plan = std::make_unique<RingPlan>();
        plan->geometry = ring;
        plan->guide = context.guidePath;
        if (context.guidePath != nullptr) {
            plan->guideFrom = context.guidePath->currentPoint;
            FlattenGuide(context);
        }
        task->streamedRing = std::move(plan);
        built = true;
    } else {
        GuideWalk walk(context, ring.curvature, ring.n);
        const int64_t needed = BuildWindowedRing(task->path, ring, walk, context, kMaxWindowVertices);
        if (needed < 0) return;
        if (needed == 0) return;  // nowhere near the canvas: nothing to draw
        built = needed <= kMaxWindowVertices;
        if (!built) {
            // Within reach of the canvas nearly all round (a stroke reach of
            // the order of the ring itself): the whole ring with capped
            // vertices, spaced wider than 5 pixels.
            ring.n = kMaxRingVertices;
            GuideWalk capped(context, ring.curvature, ring.n);
            task->path.commands.clear();
            built = BuildWholeRing(task->path, ring, capped);
        }
    }
    if (!built) return;  // non-finite geometry is never queued
    context.pool.AddTask(std::move(task));
}

}  // namespace velmora
