// One effect line (or ring) as a pool task: find the inked stretches of its
// path, lengthen, shift and join them, and draw them as tapered pen strokes.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/path_parser.h"
#include "render/point32.h"
#include "render/random_source.h"
#include "render/ring_stream.h"
#include "render/stroke_context.h"
#include "render/thread_pool.h"

namespace velmora {

struct StrokeRun {
    double start = 0.0;
    double end = 0.0;
    uint8_t taperStart = 0;
    uint8_t taperEnd = 0;

    bool Finite() const { return std::isfinite(start) && std::isfinite(end); }
};

class PathTask : public ThreadPoolTask {
public:
    // centre: the ring centre for concentric rings, else null.
    PathTask(StrokeContext& context, const Point32* centre);

    void Execute() override;

    // The ink scan (with the ring pre-scan); fills runs, before joining.
    void ScanInk(std::vector<StrokeRun>& runs);
    void DrawRuns(const std::vector<StrokeRun>& runs);

    StrokeContext* context;
    const StrokeSettings* settings;
    const Point32* centre;
    PathParser path;
    std::unique_ptr<RandomSource> lengthJitter;
    std::unique_ptr<RandomSource> positionJitter;
    // A ring too long to store: made segment by segment while the task
    // runs (path stays empty). Null for every other line and ring.
    std::unique_ptr<RingPlan> streamedRing;

private:
    // The scan, runs and strokes over a path that holds its segments or a
    // ring that makes them as it goes.
    template <class Path>
    void ScanWith(Path& walk, std::vector<StrokeRun>& runs);
    template <class Path>
    void AddRunOn(const Path& walk, std::vector<StrokeRun>& runs, PathPoint here, double runStart,
                  double& gain, double halfLength);
    template <class Path>
    void DrawWith(Path& walk, const std::vector<StrokeRun>& runs);
    bool WithinStepLimit(const std::vector<StrokeRun>& runs) const;
    // The steps of one run from prev; false when a stop request ended them.
    template <class Path>
    bool DrawStepsOn(Path& walk, const StrokeRun& run, double a, double L, PathPoint prev,
                     double prevP);
    // Jumps over the far start of a run before an open path; the next step.
    // outOfReach: the steps before it place discs that cannot reach the canvas.
    uint64_t SkipHead(const StrokeRun& run, double a, double L, PathPoint& prev, double& prevP,
                      uint64_t& outOfReach);
};

// Joins overlapping or touching runs in place (the connect setting).
void JoinRuns(std::vector<StrokeRun>& runs);

// Pen pressure at step k of a run of length L.
double PressureAt(const StrokeSettings& settings, const StrokeRun& run, double k, double L);

// Discs from a to b with pressure going from p0 to p1, pen diameter size.
void StampSegment(StrokeContext& context, PathPoint a, PathPoint b, double p0, double p1,
                  double size);

}  // namespace velmora
