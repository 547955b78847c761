// One effect line as a pool task: its path built or opened, the ink scan,
// the runs joined and bounded, the pen strokes.
#include "render/path_task.h"

#include <cmath>
#include <cstdint>

#include "render/template_kind.h"

namespace velmora {

PathTask::PathTask(StrokeContext& context, const Point32* centre)
    : context(&context),
      settings(&context.stroke),
      centre(centre),
      path() {
    path.literalLaps = (context.literal & kLiteralLaps) != 0;
}

void PathTask::Execute() {
    if (IsCancelled()) return;
    std::vector<StrokeRun> runs;
    runs.reserve(16);
    // A planned ring is built now and freed once drawn: only the running
    // rings of a pass hold vertices.
    const bool planned = streamedRing && streamedRing->stored;
    struct Release {
        PathParser* path;
        ~Release() {
            if (path == nullptr) return;
            std::vector<PathCommand>().swap(path->commands);
            std::vector<LineSegment>().swap(path->segments);
        }
    } release{planned ? &path : nullptr};
    // A lap's scan takes a sample per pixel of its length: a ring longer
    // than the line's share of samples would be left out after its scan.
    const double ringBudget = static_cast<double>(context->lineSampleLimit) + 2;
    if (planned) {
        if (!BuildPlannedRing(*streamedRing, path, ringBudget)) return;
    } else if (streamedRing) {
        RingStream ring;
        ring.literalLaps = path.literalLaps;
        if (!ring.Open(*streamedRing, this, ringBudget)) return;  // not finite, too long or stopped
        ScanWith(ring, runs);
        if (settings->connect) JoinRuns(runs);
        if (!WithinStepLimit(runs)) return;
        DrawWith(ring, runs);
        return;
    }
    // A line whose curves need more segments than its share of the pass is
    // left out. A ring's vertices are its segments: they are bounded where
    // the ring is built.
    const bool ring = planned || settings->type == kTemplateConcentric;
    if (!path.FlattenWithin(ring, ring ? SIZE_MAX : context->lineSegmentLimit)) return;
    ScanInk(runs);
    if (settings->connect) JoinRuns(runs);
    if (!WithinStepLimit(runs)) return;
    DrawRuns(runs);
}

// The pen steps of the runs, at most their share of the pass: a line whose
// runs would take more is left out rather than drawn in part.
bool PathTask::WithinStepLimit(const std::vector<StrokeRun>& runs) const {
    const uint64_t limit = context->lineStepLimit;
    if (limit == UINT64_MAX) return true;
    double steps = 0;
    for (const StrokeRun& run : runs) {
        if (!run.Finite()) continue;
        steps += std::floor(run.end - run.start) + 1;
        if (steps > static_cast<double>(limit)) return false;
    }
    return true;
}

void JoinRuns(std::vector<StrokeRun>& runs) {
    if (runs.empty()) return;
    size_t kept = 0;
    for (size_t next = 1; next < runs.size(); ++next) {
        if (runs[kept].end >= runs[next].start) {
            runs[kept].end = runs[next].end;
            runs[kept].taperEnd = runs[next].taperEnd;
        } else {
            runs[++kept] = runs[next];
        }
    }
    runs.resize(kept + 1);
}

}  // namespace velmora
