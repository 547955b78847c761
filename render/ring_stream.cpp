#include "render/ring_stream.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/walk_core.h"

namespace velmora {

namespace {

double Distance(PathPoint a, PathPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool IsFinite(PathPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A walker of its own over a flattened open guide that other tasks read at
// the same time: PathParser::Advance's steps forward from its rewound state.
struct GuideCursor : WalkState {
    const PathParser* guide;
    bool closed = false;
    bool literalLaps = false;

    explicit GuideCursor(const PathParser& g)
        : WalkState{.position = g.segments.empty() ? PathPoint{} : g.segments.front().start},
          guide(&g) {}

    double TotalLength() const { return guide->totalLength; }
    void Advance(double x) {
        if (x == 0.0 || x < 0.0) return;  // a ring's step is never below 0
        if (std::fabs(walked) < walk::kEpsilon) walked = 0.0;
        if (x > walk::kEpsilon) {
            walk::Forward(*this, [this](int32_t i) -> const LineSegment& { return guide->segments[i]; },
                          static_cast<int32_t>(guide->segments.size()), x);
        }
        walked += x;
        if (!(walked < guide->totalLength)) {
            ended = true;
            position = guide->Extrapolate(walked);
        }
    }
};

// A private copy of the guide, flattened as the layout flattened it.
struct GuideCopy {
    PathParser guide;
    double TotalLength() const { return guide.totalLength; }
    void Advance(double x) { guide.Advance(x); }
};

PathPoint PositionOf(const GuideCursor& g) { return g.position; }
PathPoint PositionOf(const GuideCopy& g) { return g.guide.position; }

// Vertices 0..n in order, one step of the guide's walker each.
template <typename Walker>
bool BuildRing(const RingPlan& plan, PathParser& path, double lengthBudget, Walker* guide) {
    const RingGeometry& ring = plan.geometry;
    double step = 0.0, y0 = 0.0;
    if (guide != nullptr) {
        step = guide->TotalLength() / static_cast<double>(ring.n);
        y0 = PositionOf(*guide).y;
    }
    path.commands.clear();
    path.commands.reserve(static_cast<size_t>(ring.n) + 1);
    // The lengths in order, summed as a flattening sums them.
    double length = 0.0;
    PathPoint previous;
    for (int64_t i = 0; i <= ring.n; ++i) {
        const double offset = ((guide != nullptr ? PositionOf(*guide).y : 0.0) - y0) * ring.curvature;
        const PathPoint vertex = ring.Vertex(static_cast<double>(i), offset);
        if (!IsFinite(vertex)) return false;
        if (i > 0) length += Distance(previous, vertex);
        if (length > lengthBudget) return false;
        previous = vertex;
        PathCommand command;
        command.kind = i == 0 ? kMoveTo : kLineTo;
        command.points.push_back(vertex);
        path.commands.push_back(command);
        if (guide != nullptr) guide->Advance(step);
    }
    return true;
}

}  // namespace

bool BuildPlannedRing(const RingPlan& plan, PathParser& path, double lengthBudget) {
    if (plan.guide == nullptr) return BuildRing<GuideCopy>(plan, path, lengthBudget, nullptr);
    if (plan.sharesGuide) {
        GuideCursor cursor(*plan.guide);
        return BuildRing(plan, path, lengthBudget, &cursor);
    }
    GuideCopy copy;
    copy.guide.commands = plan.guide->commands;
    copy.guide.currentPoint = plan.guideFrom;
    copy.guide.Flatten(false);
    return BuildRing(plan, path, lengthBudget, &copy);
}

double RingStream::Offset() const {
    return ((hasGuide_ ? guide_.position.y : 0.0) - y0_) * ring_.curvature;
}

void RingStream::StepGuide() {
    if (hasGuide_) guide_.Advance(step_);
    ++guideAt_;
}

bool RingStream::Open(const RingPlan& plan, const ThreadPoolTask* task, double lengthBudget) {
    ring_ = plan.geometry;
    hasGuide_ = plan.guide != nullptr;
    if (hasGuide_) {
        guide_.commands = plan.guide->commands;
        guide_.currentPoint = plan.guideFrom;
        guide_.Flatten(false);
        step_ = guide_.totalLength / static_cast<double>(ring_.n);
        y0_ = guide_.position.y;
    }
    every_ = kWindow;
    while ((ring_.n + 1) / every_ >= kMaxCheckpoints) every_ *= 2;
    checkpoints_.clear();
    checkpoints_.reserve(static_cast<size_t>(ring_.n / every_ + 1));
    guideAt_ = 0;

    // The lengths in order, summed as a flattening sums them.
    totalLength = 0.0;
    PathPoint previous;
    for (int64_t i = 0; i <= ring_.n; ++i) {
        if (i % every_ == 0) {
            checkpoints_.push_back(guide_.SaveWalk());
            if (task != nullptr && task->IsCancelled()) return false;
        }
        const PathPoint vertex = ring_.Vertex(static_cast<double>(i), Offset());
        if (!IsFinite(vertex)) return false;
        if (i > 0) totalLength += Distance(previous, vertex);
        if (totalLength > lengthBudget) return false;
        previous = vertex;
        StepGuide();
    }
    window_.clear();
    window_.reserve(kWindow);
    base_ = 0;
    Rewind();
    return true;
}

void RingStream::Fill(int64_t base) {
    if (guideAt_ != base) {
        const int64_t k = base / every_;
        guide_.RestoreWalk(checkpoints_[static_cast<size_t>(k)]);
        guideAt_ = k * every_;
        while (guideAt_ < base) StepGuide();
    }
    const int64_t end = std::min(base + kWindow, ring_.n);
    window_.clear();
    PathPoint previous = ring_.Vertex(static_cast<double>(base), Offset());
    for (int64_t i = base + 1; i <= end; ++i) {
        StepGuide();
        const PathPoint vertex = ring_.Vertex(static_cast<double>(i), Offset());
        window_.push_back({previous, vertex, Distance(previous, vertex)});
        previous = vertex;
    }
    // The guide walker stays at vertex `end`, where the next window starts.
    base_ = base;
}

size_t RingStream::MemoryHeld() const {
    size_t bytes = window_.capacity() * sizeof(LineSegment) +
                   checkpoints_.capacity() * sizeof(WalkState) +
                   guide_.segments.capacity() * sizeof(LineSegment) +
                   guide_.commands.capacity() * sizeof(PathCommand);
    return bytes;
}

void RingStream::Rewind() { RestoreWalk({.position = Segment(0).start}); }

PathPoint RingStream::Advance(double x) {
    if (x == 0.0) return position;
    if (x < 0.0) return Retreat(-x);
    if (std::fabs(walked) < walk::kEpsilon) walked = 0.0;
    if (x > walk::kEpsilon) walk::Forward(*this, Segments(), Count(), x);
    walked += x;
    return position;
}

PathPoint RingStream::Retreat(double x) {
    if (x == 0.0) return position;
    if (x < 0.0) return Advance(-x);
    if (std::fabs(walked) < walk::kEpsilon) walked = 0.0;
    const double w = walked - x;
    // A closed walk never goes past a start, so the last argument is unused.
    if (x > walk::kEpsilon) walk::Backward(*this, Segments(), Count(), x, [this] { return position; });
    walked = w;
    return position;
}

}  // namespace velmora
