// One effect line as a pool task: the ink scan along its path, the stroke
// runs made from the inked stretches, and the tapered pen strokes.
#include "render/path_task.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "platform/hypot.h"
#include "render/rasteriser.h"
#include "render/saturate.h"
#include "render/template_kind.h"

namespace velmora {

namespace {

// A stop request is looked at this often inside long walks.
constexpr uint64_t kCancelCheckSteps = 4096;
// Drawing steps are dearer (a wide pen stamps a large disc a step), so a
// stop request is looked at far more often there.
constexpr uint64_t kDrawCancelCheckSteps = 16;
// No run is stepped further than this; only settings far outside the
// panel's ranges make runs this long.
constexpr uint64_t kMaxRunSteps = uint64_t{1} << 26;
// Steps beside the canvas whose discs are only measured for the box, at
// each end of a run; past them the rest is jumped over or left out and the
// box may lack their rows. Within the panel's ranges only radial lines a
// fraction of a pixel long, 20000 pixels from the centre, get there.
constexpr uint64_t kMeasuredStepBudget = uint64_t{1} << 23;
// Segments longer than this (only a step across a gap between sub-paths
// makes them) stamp only the discs that can reach the canvas and measure
// the rest for the box; past kMeasuredSegment the rest is left out.
constexpr double kHugeSegment = 16777216.0;
constexpr double kMeasuredSegment = 67108864.0;
// The ink scan passes off-canvas stretches longer than this in bulk; a
// radial pass at spacing 1 with a far point 2^24 away stepped for minutes,
// and a line far across a small canvas took more than its share of samples.
constexpr double kScanPassStretch = 4096.0;
// Distances before an open path's start where steps of 1 stay exact and
// far from rounding the position.
constexpr double kExactHead = 2199023255552.0;  // 2^41

// Inline in every scan (the scan is a template over the path kind).
[[gnu::always_inline]] inline int32_t InkAt(const StrokeContext& context, PathPoint p) {
    if (std::isnan(p.x) || std::isnan(p.y)) return -1;
    return SampleInk(context, SaturateToInt32(p.x), SaturateToInt32(p.y));
}

bool Finite(const StrokeRun& run) { return std::isfinite(run.start) && std::isfinite(run.end); }

// Parameter interval [lo, hi] of origin + dir * t inside [-margin, extent + margin]
// on one axis; false when it is never inside.
bool AxisWindow(double origin, double dir, double extent, double margin, double& lo, double& hi) {
    const double low = -margin, high = extent + margin;
    if (dir == 0) {
        if (origin < low || origin > high) return false;
        lo = -INFINITY;
        hi = INFINITY;
        return true;
    }
    double t0 = (low - origin) / dir, t1 = (high - origin) / dir;
    if (t0 > t1) std::swap(t0, t1);
    lo = t0;
    hi = t1;
    return true;
}

// Parameter interval where origin + dir * t can reach the canvas with a pen
// of reach margin; false when nowhere.
bool CanvasWindow(const StrokeContext& context, PathPoint origin, PathPoint dir, double margin,
                  double& lo, double& hi) {
    double xlo, xhi, ylo, yhi;
    if (!AxisWindow(origin.x, dir.x, context.source.width, margin, xlo, xhi)) return false;
    if (!AxisWindow(origin.y, dir.y, context.source.height, margin, ylo, yhi)) return false;
    lo = std::max(xlo, ylo);
    hi = std::min(xhi, yhi);
    return lo <= hi;
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

// The discs of a segment longer than kHugeSegment (a step across a gap
// between sub-paths): those that can reach the canvas are stamped, the
// others measured for the box; past kMeasuredSegment the others are left out.
uint64_t StampHugeSegment(StrokeContext& context, PathPoint a, PathPoint u, double d, double p0,
                          double p1, double size, StampFunction stamp) {
    double lo, hi;
    const bool meets =
        CanvasWindow(context, a, u, size * 0.5 + 2, lo, hi) && hi >= 0 && lo <= d;
    double s = 0;
    double last = d;
    double near = meets ? std::floor(lo) - 1 : INFINITY;
    double beyond = meets ? hi + 1 : -INFINITY;
    if (d > kMeasuredSegment) {
        // Skip the stretch no disc can bring onto the canvas; with a pen
        // below one pixel the discs kept may lie off the lattice of every step.
        if (!meets) return 0;
        s = std::max(0.0, near);
        last = std::min(d, beyond);
        near = -INFINITY;
        beyond = INFINITY;
    }
    DabBox measured;
    uint64_t placed = 0;
    do {
        const double w = std::clamp(p0 + (p1 - p0) * s / d, 0.0, 1.0) * size;
        if (w < 0.1) {
            s += 0.1;
        } else {
            s += std::min(w, 1.0);
            if (s < near || s > beyond)
                measured.Add(context, a.x + u.x * s, a.y + u.y * s, w);
            else if (stamp)
                stamp(context, a.x + u.x * s, a.y + u.y * s, w);
            else
                Stamp(context, a.x + u.x * s, a.y + u.y * s, w);
            ++placed;
        }
    } while (s <= last);
    measured.GrowDirty(context);
    return placed;
}

// The discs of one segment; returns how many were placed. Measuring: the
// discs lie wholly off the canvas and only the box they grow is gathered.
template <bool kMeasuring = false>
uint64_t StampDiscs(StrokeContext& context, PathPoint a, PathPoint b, double p0, double p1,
                    double size, StampFunction stamp, bool everyDisc,
                    DabBox* far = nullptr) {
    const double d = platform::Hypot(b.x - a.x, b.y - a.y);
    if (d == 0 || !std::isfinite(d)) return 0;
    const PathPoint u{(b.x - a.x) / d, (b.y - a.y) / d};
    if (d > kHugeSegment && !everyDisc)
        return StampHugeSegment(context, a, u, d, p0, p1, size, stamp);

    double s = 0;
    uint64_t placed = 0;
    do {
        const double w = std::clamp(p0 + (p1 - p0) * s / d, 0.0, 1.0) * size;
        if (w < 0.1) {
            s += 0.1;
        } else {
            s += std::min(w, 1.0);
            if constexpr (kMeasuring)
                far->Add(context, a.x + u.x * s, a.y + u.y * s, w);
            else if (stamp)
                stamp(context, a.x + u.x * s, a.y + u.y * s, w);
            else
                Stamp(context, a.x + u.x * s, a.y + u.y * s, w);
            ++placed;
        }
    } while (s <= d);
    return placed;
}

}  // namespace

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
        if (!Finite(run)) continue;
        steps += std::floor(run.end - run.start) + 1;
        if (steps > static_cast<double>(limit)) return false;
    }
    return true;
}

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

double PressureAt(const StrokeSettings& settings, const StrokeRun& run, double k, double L) {
    if (k == 0) return L == 0 ? 1.0 : 0.0;
    const double half = L * 0.5;
    const double in = settings.in, out = settings.out;
    double t = 1;
    if (!settings.asdist) {
        if (run.taperStart == 1 && k <= half * in)
            t = k / (half * in);
        else if (run.taperEnd == 1 && k >= L - out * half && out != 0)
            t = (L - k) / (out * half);
    } else {
        if (run.taperStart == 1 && k <= in && k <= half)
            t = std::min(k / in, 1.0);
        else if (run.taperEnd == 1 && k >= L - out && k <= L && out != 0)
            t = std::min((L - k) / out, 1.0);
    }
    if (settings.easing) t = t * (2 - t);
    return std::clamp(t, 0.0, 1.0);
}

void StampSegment(StrokeContext& context, PathPoint a, PathPoint b, double p0, double p1,
                  double size) {
    StampDiscs(context, a, b, p0, p1, size, context.stamp,
               (context.literal & kLiteralDraw) != 0);
}

void PathTask::DrawRuns(const std::vector<StrokeRun>& runs) { DrawWith(path, runs); }

template <class Path>
void PathTask::DrawWith(Path& walk, const std::vector<StrokeRun>& runs) {
    walk.Rewind();
    std::unique_ptr<RandomSource> pressure;
    if (settings->fluction > 0) pressure = std::make_unique<RandomSource>(0.0, 1.0);
    const double size = settings->size;

    for (const StrokeRun& run : runs) {
        if (IsCancelled()) return;
        const double a = pressure ? pressure->Draw() * settings->fluction : 0.0;
        // No disc is ever placed below a diameter of 0.1.
        if (!(size >= 0.1) || !Finite(run)) continue;

        const WalkState saved = walk.SaveWalk();
        const double L = run.end - run.start;
        PathPoint prev = walk.Advance(run.start - saved.walked);
        double prevP = 0;
        if (!DrawStepsOn(walk, run, a, L, prev, prevP)) {
            walk.RestoreWalk(saved);
            return;
        }
        walk.RestoreWalk(saved);
    }
}

// A run that starts far before an open path comes in along the line through
// the first segment. Steps whose discs cannot reach the canvas are jumped
// over where the box they would grow is provably grown anyway: in an outer
// corner every disc grows it alike; beside the canvas, on a line parallel to
// an axis, the later discs are no thinner while the pressure still rises.
// Other stretches beside the canvas are stepped, their discs only measured
// for the box (outOfReach), up to kMeasuredStepBudget steps; longer ones are
// jumped over regardless (the box may then lack their rows or columns). Within kExactHead each step of 1 is exact, so a
// jump lands on the distance the single steps would reach. Returns the step
// to go on from.
uint64_t PathTask::SkipHead(const StrokeRun& run, double a, double L, PathPoint& prev,
                            double& prevP, uint64_t& outOfReach) {
    const double size = settings->size;
    const double reach = size * 0.5 + 2;
    const LineSegment& first = path.segments.front();
    const PathPoint u{(first.end.x - first.start.x) / first.length,
                      (first.end.y - first.start.y) / first.length};
    const double from = path.walked;

    // First distance from `from` (at most 0) inside one axis' reach window.
    auto enter = [&](double origin, double dir, double extent, double& lo, double& hi) -> double {
        if (!AxisWindow(origin, dir, extent, reach, lo, hi) || hi < from) {
            lo = hi = INFINITY;
            return INFINITY;
        }
        return std::max(lo, from);
    };
    double xlo, xhi, ylo, yhi;
    const double ex = enter(first.start.x, u.x, context->source.width, xlo, xhi);
    const double ey = enter(first.start.y, u.y, context->source.height, ylo, yhi);
    const double nearOne = std::min(0.0, std::min(ex, ey));  // leaves the outer corners
    const double both = std::max(ex, ey);
    const double nearBoth =
        std::min(0.0, both <= std::min(xhi, yhi) ? both : INFINITY);  // reaches the canvas

    auto pressureAt = [&](double k) {
        double p = PressureAt(*settings, run, k, L);
        if (a > 0) p = p * (1 - a);
        return p;
    };
    // Pressure never falls before the taper out begins.
    const double outStart = run.taperEnd == 1 && settings->out != 0
                                ? (settings->asdist ? L - settings->out : L - settings->out * (L * 0.5))
                                : INFINITY;
    const double steps = std::floor(L) + 1;
    auto clampSteps = [&](double n) { return std::min(std::floor(n), steps); };

    double jump = 0;
    bool stampCorner = false;
    // x (or y) fixed and within reach: the window of that axis is unbounded.
    const bool besideX = u.x == 0 && xlo == -INFINITY;
    const bool besideY = u.y == 0 && ylo == -INFINITY;
    if (besideX || besideY) {
        const double n = clampSteps(nearBoth - from - 2);
        if (n > 1 && n + 2 < outStart) jump = n;
    } else {
        double n = clampSteps(nearOne - from - 2);
        if (n > 2) {
            if (pressureAt(n - 2) * size >= 0.1) {
                stampCorner = true;  // step n - 1 places a disc there
                jump = n;
            } else if (n + 2 < outStart) {
                if (pressureAt(n - 1) * size >= 0.1) n -= 1;  // then no skipped disc
                jump = n;
            }
        }
    }
    const double exactJump = jump;
    // Beside the canvas the discs still grow the box, each its own rows or
    // columns: those steps are taken, their discs only measured, up to a
    // bound; a longer stretch is jumped over.
    const double inReach = std::max(0.0, clampSteps(nearBoth - from - 2));
    const double sideways = std::max(0.0, inReach - jump);
    if (sideways > static_cast<double>(kMeasuredStepBudget)) jump += sideways;
    outOfReach = static_cast<uint64_t>(inReach);
    if (jump < 2) return 0;

    if (stampCorner) {
        // One disc grows the box as every skipped disc in the corner would.
        const double k = exactJump - 2;
        const PathPoint corner = path.Advance(k);
        const double w = std::clamp(pressureAt(k), 0.0, 1.0) * size;
        if (const StampFunction stamp = context->stamp)
            stamp(*context, corner.x, corner.y, w);
        else
            Stamp(*context, corner.x, corner.y, w);
        prev = path.Advance(jump - k);
    } else {
        prev = path.Advance(jump);
    }
    prevP = pressureAt(jump - 1);
    return static_cast<uint64_t>(jump);
}

template <class Path>
bool PathTask::DrawStepsOn(Path& walk, const StrokeRun& run, double a, double L, PathPoint prev,
                           double prevP) {
    const double size = settings->size;
    const double reach = size * 0.5 + 2;  // disc radius plus rounding of its box
    const StampFunction stamp = context->stamp;
    const bool everyStep = (context->literal & kLiteralDraw) != 0;
    // Only a path that holds its segments can be open.
    bool open = false;
    const LineSegment* first = nullptr;
    const LineSegment* last = nullptr;
    if constexpr (std::is_same_v<Path, PathParser>) {
        open = !walk.closed && !walk.segments.empty() && !everyStep;
        first = open ? &walk.segments.front() : nullptr;
        last = open ? &walk.segments.back() : nullptr;
    }

    auto pressureAt = [&](uint64_t step) {
        double p = PressureAt(*settings, run, static_cast<double>(step), L);
        if (a > 0) p = p * (1 - a);
        return p;
    };

    uint64_t step = 0;
    // Steps below this place discs that cannot reach the canvas: they are
    // only measured for the box, gathered in `far` and added at the end (not
    // with a stamp of a test or benchmark, which sees every disc).
    uint64_t measureBelow = 0;
    if (open && 0 > walk.walked && walk.walked > -kExactHead && first->length >= 1e-6)
        step = SkipHead(run, a, L, prev, prevP, measureBelow);
    if (stamp != nullptr) measureBelow = 0;
    DabBox far;

    // Last step of the rising taper; the pressure never rises after it.
    const double taperInEnd = run.taperStart != 1 ? 0.0
                              : settings->asdist  ? std::min(settings->in, L * 0.5)
                                                  : L * 0.5 * settings->in;
    // The steps in phases: discs measured only (before the canvas comes in
    // reach, and once past the end every disc lies off the canvas), or
    // stamped; each phase a loop of its own, so stamping tests nothing more.
    enum Phase { kStamping, kMeasuring, kDone, kStopped };
    uint64_t taken = 1;
    uint64_t measuredSteps = 0;
    auto steps = [&](auto measuring) __attribute__((always_inline)) -> Phase {
        constexpr bool kMeasure = decltype(measuring)::value;
        for (; static_cast<double>(step) <= L; ++step, ++taken) {
            if (taken > kMaxRunSteps) return kDone;
            if (taken % kDrawCancelCheckSteps == 0 && IsCancelled()) return kStopped;
            if constexpr (kMeasure) {
                if (step >= measureBelow) return kStamping;
            }

            const double prevWalked = walk.walked;
            const PathPoint from = prev;
            const double p = pressureAt(step);
            const PathPoint next = walk.AdvanceOne();
            uint64_t placed = 0;
            if (prevP > 0 || p > 0) {
                if constexpr (kMeasure)
                    placed = StampDiscs<true>(*context, prev, next, prevP, p, size, stamp,
                                              everyStep, &far);
                else
                    placed = StampDiscs(*context, prev, next, prevP, p, size, stamp, everyStep);
            }
            prev = next;
            prevP = p;

            if (!open) continue;
            if (prevWalked < 0 && walk.walked == prevWalked) return kDone;  // stuck for good
            if (prevWalked < walk.totalLength) continue;

            // Beyond the end of an open path the pen runs out along the line
            // through the last segment, each axis monotone in its direction.
            if (last->length < 1e-6 || walk.walked + 1 == walk.walked) return kDone;  // fixed
            const double ux = last->end.x - last->start.x, uy = last->end.y - last->start.y;
            const double w = context->source.width, h = context->source.height;
            const PathPoint at = from;  // this step's discs and all later lie beyond it
            const bool awayX = (at.x + reach <= 0 && ux <= 0) || (at.x - reach >= w && ux >= 0);
            const bool awayY = (at.y + reach <= 0 && uy <= 0) || (at.y - reach >= h && uy >= 0);
            if (!awayX && !awayY) continue;
            // In an outer corner every disc from here on grows the box exactly
            // as this step's discs did; none can touch a pixel.
            if (awayX && awayY && placed > 0) return kDone;
            // Beside the canvas on a line parallel to an axis, once the
            // pressure only falls, this step's first disc is the widest to come.
            if (placed > 0 && ((ux == 0 && awayY) || (uy == 0 && awayX)) &&
                static_cast<double>(step) > taperInEnd + 1)
                return kDone;
            if (++measuredSteps > kMeasuredStepBudget) return kDone;
            if constexpr (!kMeasure) {
                // Every disc from here on is off the canvas: measured only.
                if (stamp == nullptr) {
                    measureBelow = UINT64_MAX;
                    ++step;
                    ++taken;
                    return kMeasuring;
                }
            }
        }
        return kDone;
    };
    Phase phase = step < measureBelow ? kMeasuring : kStamping;
    while (phase == kMeasuring || phase == kStamping)
        phase = phase == kMeasuring ? steps(std::true_type{}) : steps(std::false_type{});
    const bool going = phase != kStopped;
    far.GrowDirty(*context);
    return going;
}

}  // namespace velmora
