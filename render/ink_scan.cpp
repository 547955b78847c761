// The ink scan of a line or ring: a sample per pixel along its path, the
// inked stretches turned into runs, lengthened and shifted; long stretches
// off the canvas passed in bulk.
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "platform/hypot.h"
#include "render/canvas_window.h"
#include "render/path_task.h"
#include "render/rasteriser.h"
#include "render/saturate.h"
#include "render/template_kind.h"

namespace velmora {

namespace {

// A stop request is looked at this often inside long walks.
constexpr uint64_t kCancelCheckSteps = 4096;
// The ink scan passes off-canvas stretches longer than this in bulk; a
// radial pass at spacing 1 with a far point 2^24 away stepped for minutes,
// and a line far across a small canvas took more than its share of samples.
constexpr double kScanPassStretch = 4096.0;

// Inline in every scan (the scan is a template over the path kind).
[[gnu::always_inline]] inline int32_t InkAt(const StrokeContext& context, PathPoint p) {
    if (std::isnan(p.x) || std::isnan(p.y)) return -1;
    return SampleInk(context, SaturateToInt32(p.x), SaturateToInt32(p.y));
}

// A stretch of one segment where the scan passes nothing in bulk: on the
// canvas, or too short to be worth it. Found once, it spares the scan the
// window's arithmetic at every step of it.
struct NoPassStretch {
    int32_t segment = -1;
    double from = 0, until = 0;
};

// On a segment longer than any stretch the scan steps through, the scan
// passes the stretch ahead that stays off the canvas (every sample there is
// -1, no ink) by steps taken in bulk, each exactly where a one-pixel step
// puts it: a line from far outside the canvas then costs a few hundred
// operations instead of a sample per pixel. The stretch is found in
// fractions of the segment, the walk's own measure, so every skipped sample
// lies off the canvas. Returns the steps taken, 0 where the scan steps one
// by one.
[[gnu::noinline]] uint64_t PassLongSegment(const StrokeContext& context, PathParser& path,
                                           const LineSegment& s, NoPassStretch& noPass) {
    if (!std::isfinite(s.length)) return 0;
    const PathPoint along{s.end.x - s.start.x, s.end.y - s.start.y};
    const double margin =
        4 + 1e-9 * (std::abs(s.start.x) + std::abs(s.start.y) + std::abs(s.end.x) + std::abs(s.end.y));
    const double f = path.segmentFraction;
    double lo, hi, limit;
    if (!CanvasWindow(context, s.start, along, margin, lo, hi) || hi < f) {
        limit = 1.0;  // off the canvas to the segment's end
    } else if (lo > f) {
        limit = lo;
    } else {
        noPass = {path.segmentIndex, lo, hi};
        return 0;
    }
    // The stretch left only shrinks as f grows towards the limit.
    if (!((limit - f) * s.length > static_cast<double>(kScanPassStretch))) {
        noPass = {path.segmentIndex, f, limit};
        return 0;
    }
    return path.StepAlongSegment(limit, UINT64_MAX);
}

// The scan's test at every step off the canvas.
inline uint64_t PassOffCanvas(const StrokeContext& context, PathParser& path,
                              NoPassStretch& noPass) {
    if (path.segmentIndex < 0 || static_cast<size_t>(path.segmentIndex) >= path.segments.size()) {
        return 0;
    }
    if (path.segmentIndex == noPass.segment && path.segmentFraction >= noPass.from &&
        path.segmentFraction <= noPass.until) {
        return 0;
    }
    const LineSegment& s = path.segments[static_cast<size_t>(path.segmentIndex)];
    return s.length > kScanPassStretch ? PassLongSegment(context, path, s, noPass) : 0;
}

}  // namespace

void PathTask::ScanInk(std::vector<StrokeRun>& runs) { ScanWith(path, runs); }

template <class Path>
void PathTask::ScanWith(Path& walk, std::vector<StrokeRun>& runs) {
    const bool ring = settings->type == kTemplateConcentric;
    // A path of no finite length has no stretch that could be measured.
    if (!std::isfinite(walk.totalLength)) return;

    PathPoint here = walk.Advance(0);
    uint64_t steps = 0;
    // Samples taken, against the line's share of the pass.
    const uint64_t sampleLimit = context->lineSampleLimit;

    // A ring's scan starts off ink, so no stretch is split at the lap start.
    double w0 = 0;
    if (ring) {
        while (walk.totalLength > walk.walked) {
            if (InkAt(*context, here) <= 128) break;
            here = walk.AdvanceOne();
            if (++steps % kCancelCheckSteps == 0 && IsCancelled()) return;
            if (steps > sampleLimit) return;  // left out: no runs
        }
        if (walk.walked >= walk.totalLength) {
            runs.push_back({0.0, walk.totalLength + 1, 0, 0});
            return;
        }
        w0 = walk.walked;
    }

    const double halfLength = settings->length * 0.5;
    double gain = 0;
    if (settings->lenfluct > 0) lengthJitter = std::make_unique<RandomSource>(0.0, settings->lenfluct);
    if (settings->posfluct > 0)
        positionJitter = std::make_unique<RandomSource>(-settings->posfluct * 0.5,
                                                        settings->posfluct * 0.5);

    // One whole lap from w0; after it, a ring still on ink is followed for at
    // most one more lap.
    const double lapEnd = w0 + walk.totalLength;
    const double scanEnd = w0 + 2 * walk.totalLength;
    bool outside = true;
    double runStart = 0;
    NoPassStretch noPass;
    // Only an open path's scan passes stretches off the canvas in bulk; the
    // loop of any other scan tests nothing for it.
    auto scan = [&](auto passing) __attribute__((always_inline)) {
        for (;;) {
            const double sampledAt = walk.walked;
            const int32_t ink = InkAt(*context, here);
            if (ink > 128) {
                if (outside) {
                    outside = false;
                    runStart = walk.walked;
                }
            } else if (!outside) {
                AddRunOn(walk, runs, here, runStart, gain, halfLength);
                outside = true;
            }
            uint64_t passed = 0;
            // Only a stored path has segments to pass; a ring made as it is
            // walked never compiles the call.
            if constexpr (std::is_same_v<Path, PathParser>) {
                if constexpr (decltype(passing)::value) {
                    if (outside) passed = PassOffCanvas(*context, walk, noPass);
                }
            }
            if (passed > 0) {
                here = walk.position;
                if (IsCancelled()) return;
            } else {
                here = walk.AdvanceOne();
            }
            if (++steps % kCancelCheckSteps == 0 && IsCancelled()) return;
            if (steps > sampleLimit) {
                runs.clear();  // left out: the scan would take more than its share
                return;
            }
            if (!walk.ended) continue;

            if (!ring) {
                if (!outside) AddRunOn(walk, runs, here, runStart, gain, halfLength);
                return;
            }
            const bool lapDone = w0 == 0 || sampledAt >= lapEnd;
            if (lapDone && ink <= 128) return;
            if (walk.walked >= scanEnd) {
                if (!outside) AddRunOn(walk, runs, here, runStart, gain, halfLength);
                return;
            }
        }
    };
    bool passing = false;
    if constexpr (std::is_same_v<Path, PathParser>)
        passing = !ring && (context->literal & kLiteralScan) == 0;
    if (passing) {
        if constexpr (std::is_same_v<Path, PathParser>) scan(std::true_type{});
    } else {
        scan(std::false_type{});
    }

    lengthJitter.reset();
    positionJitter.reset();
}

template <class Path>
void PathTask::AddRunOn(const Path& walk, std::vector<StrokeRun>& runs, PathPoint here,
                        double runStart, double& gain, double halfLength) {
    const double c = walk.walked;
    double b = halfLength;
    if (lengthJitter) {
        const double u = lengthJitter->Draw();
        b = (u + 1) * (settings->length * 0.5);
    }
    if (settings->lengain != 0) {
        if (settings->type == kTemplateRadial || settings->type == kTemplateParallel) {
            gain = settings->lengain * walk.walked / walk.totalLength;
        } else if (settings->type == kTemplateConcentric && centre) {
            gain = platform::Hypot(here.x - centre->x, here.y - centre->y) / 50 * settings->lengain;
        }
    }
    b += gain;
    double end = c + b;
    double start = runStart - b;
    if (settings->position != 0) {
        start += static_cast<double>(settings->position);
        end += static_cast<double>(settings->position);
    }
    if (positionJitter) {
        const double v = positionJitter->Draw();
        const double shift = v * (end - start);
        start += shift;
        end += shift;
    }
    // A run without finite ends (the gain of a zero-length line) is dropped.
    if (end > start && std::isfinite(start) && std::isfinite(end))
        runs.push_back({start, end, 1, 1});
}

// The task's rings made as they are walked.
template void PathTask::ScanWith(RingStream& walk, std::vector<StrokeRun>& runs);

}  // namespace velmora
