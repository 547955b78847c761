// One effect line as a pool task: the ink scan along its path, the stroke
// runs made from the inked stretches, and the tapered pen strokes.
#include "render/path_task.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

#include "platform/hypot.h"
#include "render/rasteriser.h"
#include "render/saturate.h"
#include "render/stamp_for_testing.h"
#include "render/stroke_skipping_for_testing.h"

namespace velmora {

namespace testing {
namespace {
std::atomic<StampFunction>& StampSlot() {
    static std::atomic<StampFunction> slot{nullptr};
    return slot;
}
}  // namespace
void SetStampForTesting(StampFunction fn) { StampSlot().store(fn, std::memory_order_relaxed); }
StampFunction StampOverride() { return StampSlot().load(std::memory_order_relaxed); }
}  // namespace testing

namespace {

std::atomic<bool> skippingEnabled{true};

// A stop request is looked at this often inside long walks.
constexpr uint64_t kCancelCheckSteps = 4096;
// Drawing steps are dearer (a wide pen stamps a large disc a step), so a
// stop request is looked at far more often there.
constexpr uint64_t kDrawCancelCheckSteps = 16;
// Off-canvas stretches shorter than this are still stepped through, so the
// dirty box grows exactly as the discs there say.
constexpr uint64_t kInertStepBudget = uint64_t{1} << 20;
// No run is stepped further than this; only settings far outside the
// panel's ranges make runs this long.
constexpr uint64_t kMaxRunSteps = uint64_t{1} << 26;
// Segments longer than this place discs only where they can reach the canvas.
constexpr double kHugeSegment = 16777216.0;
// The ink scan passes the off-canvas stretches of segments longer than this
// in one advance. No line of a canvas of sensible size is this long; lines
// from base points far off the canvas are, and a radial pass at spacing 1
// with a far point 2^24 away stepped for minutes.
constexpr double kScanJumpSegment = 65536.0;
// Distances before an open path's start where steps of 1 stay exact and
// far from rounding the position.
constexpr double kExactHead = 2199023255552.0;  // 2^41

int32_t InkAt(const RenderContext& context, PathPoint p) {
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
bool CanvasWindow(const RenderContext& context, PathPoint origin, PathPoint dir, double margin,
                  double& lo, double& hi) {
    double xlo, xhi, ylo, yhi;
    if (!AxisWindow(origin.x, dir.x, context.source.width, margin, xlo, xhi)) return false;
    if (!AxisWindow(origin.y, dir.y, context.source.height, margin, ylo, yhi)) return false;
    lo = std::max(xlo, ylo);
    hi = std::min(xhi, yhi);
    return lo <= hi;
}

// Steps for the ink scan's next advance on an open path: 1, or, on a
// segment far longer than any canvas, the whole stretch ahead that stays
// off the canvas (no ink can be sampled there), passed in one advance so a
// line from far outside the canvas does not take billions of steps.
double ScanStep(const RenderContext& context, const PathParser& path, PathPoint here) {
    if (path.segmentIndex < 0 || static_cast<size_t>(path.segmentIndex) >= path.segments.size()) {
        return 1;
    }
    const LineSegment& s = path.segments[static_cast<size_t>(path.segmentIndex)];
    if (!(s.length > kScanJumpSegment) || !std::isfinite(s.length)) return 1;
    const double rem = (1.0 - path.segmentFraction) * s.length;
    const PathPoint u{(s.end.x - s.start.x) / s.length, (s.end.y - s.start.y) / s.length};
    double lo, hi, clear;
    if (!CanvasWindow(context, here, u, 4, lo, hi) || hi < 0) {
        clear = rem;
    } else if (lo > 0) {
        clear = std::min(lo, rem);
    } else {
        return 1;
    }
    const double steps = std::floor(clear) - 4;
    return std::isfinite(steps) && steps > static_cast<double>(kCancelCheckSteps) ? steps : 1;
}

// The discs of one segment; returns how many were placed.
uint64_t StampDiscs(RenderContext& context, PathPoint a, PathPoint b, double p0, double p1,
                    double size, testing::StampFunction stamp) {
    const double d = platform::Hypot(b.x - a.x, b.y - a.y);
    if (d == 0 || !std::isfinite(d)) return 0;
    const PathPoint u{(b.x - a.x) / d, (b.y - a.y) / d};

    double s = 0;
    double last = d;
    if (d > kHugeSegment) {
        // Only a jump across a gap of the path gets here: skip the stretch of
        // the segment that no disc of this pen can bring onto the canvas.
        double lo, hi;
        if (!CanvasWindow(context, a, u, size * 0.5 + 2, lo, hi) || hi < 0 || lo > d) return 0;
        s = std::max(0.0, std::floor(lo) - 1);
        last = std::min(d, hi + 1);
    }

    uint64_t placed = 0;
    do {
        const double w = std::clamp(p0 + (p1 - p0) * s / d, 0.0, 1.0) * size;
        if (w < 0.1) {
            s += 0.1;
        } else {
            s += std::min(w, 1.0);
            if (stamp)
                stamp(context, a.x + u.x * s, a.y + u.y * s, w);
            else
                Stamp(context, a.x + u.x * s, a.y + u.y * s, w);
            ++placed;
        }
    } while (s <= last);
    return placed;
}

}  // namespace

void testing::SetStrokeSkippingForTesting(bool enabled) { skippingEnabled.store(enabled); }

PathTask::PathTask(RenderContext& context, const Point32* centre)
    : context(&context),
      settings(&context.settings),
      centre(centre),
      guide(context.guidePath),
      path() {}

void PathTask::Execute() {
    if (IsCancelled()) return;
    // A line whose curves need more segments than its share of the pass is
    // left out. A ring's vertices are its segments: they are bounded where
    // the ring is built.
    const bool ring = settings->type == 2;
    if (!path.FlattenWithin(ring, ring ? SIZE_MAX : context->lineSegmentLimit)) return;
    std::vector<StrokeRun> runs;
    runs.reserve(16);
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

void PathTask::ScanInk(std::vector<StrokeRun>& runs) {
    const bool ring = settings->type == 2;
    // A path of no finite length has no stretch that could be measured.
    if (!std::isfinite(path.totalLength)) return;

    PathPoint here = path.Advance(0);
    uint64_t steps = 0;
    // Samples taken, against the line's share of the pass.
    const uint64_t sampleLimit = context->lineSampleLimit;

    // A ring's scan starts off ink, so no stretch is split at the lap start.
    double w0 = 0;
    if (ring) {
        while (path.totalLength > path.walked) {
            if (InkAt(*context, here) <= 128) break;
            here = path.AdvanceOne();
            if (++steps % kCancelCheckSteps == 0 && IsCancelled()) return;
            if (steps > sampleLimit) return;  // left out: no runs
        }
        if (path.walked >= path.totalLength) {
            runs.push_back({0.0, path.totalLength + 1, 0, 0});
            return;
        }
        w0 = path.walked;
    }

    const double halfLength = settings->length * 0.5;
    double gain = 0;
    if (settings->lenfluct > 0) lengthJitter = std::make_unique<RandomSource>(0.0, settings->lenfluct);
    if (settings->posfluct > 0)
        positionJitter = std::make_unique<RandomSource>(-settings->posfluct * 0.5,
                                                        settings->posfluct * 0.5);

    // One whole lap from w0; after it, a ring still on ink is followed for at
    // most one more lap.
    const double lapEnd = w0 + path.totalLength;
    const double scanEnd = w0 + 2 * path.totalLength;
    bool outside = true;
    double runStart = 0;
    for (;;) {
        const double sampledAt = path.walked;
        const int32_t ink = InkAt(*context, here);
        if (ink > 128) {
            if (outside) {
                outside = false;
                runStart = path.walked;
            }
        } else if (!outside) {
            AddRun(runs, here, runStart, gain, halfLength);
            outside = true;
        }
        const double step = !ring && outside ? ScanStep(*context, path, here) : 1;
        here = step == 1 ? path.AdvanceOne() : path.Advance(step);
        if (step > 1 && IsCancelled()) break;
        if (++steps % kCancelCheckSteps == 0 && IsCancelled()) break;
        if (steps > sampleLimit) {
            runs.clear();  // left out: the scan would take more than its share
            break;
        }
        if (!path.ended) continue;

        if (!ring) {
            if (!outside) AddRun(runs, here, runStart, gain, halfLength);
            break;
        }
        const bool lapDone = w0 == 0 || sampledAt >= lapEnd;
        if (lapDone && ink <= 128) break;
        if (path.walked >= scanEnd) {
            if (!outside) AddRun(runs, here, runStart, gain, halfLength);
            break;
        }
    }

    lengthJitter.reset();
    positionJitter.reset();
}

void PathTask::AddRun(std::vector<StrokeRun>& runs, PathPoint here, double runStart,
                      double& gain, double halfLength) {
    const double c = path.walked;
    double b = halfLength;
    if (lengthJitter) {
        const double u = lengthJitter->Draw();
        b = (u + 1) * (settings->length * 0.5);
    }
    if (settings->lengain != 0) {
        if (settings->type == 0 || settings->type == 1) {
            gain = settings->lengain * path.walked / path.totalLength;
        } else if (settings->type == 2 && centre) {
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

double PressureAt(const RenderSettings& settings, const StrokeRun& run, double k, double L) {
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

void StampSegment(RenderContext& context, PathPoint a, PathPoint b, double p0, double p1,
                  double size) {
    StampDiscs(context, a, b, p0, p1, size, testing::StampOverride());
}

void PathTask::DrawRuns(const std::vector<StrokeRun>& runs) {
    path.Rewind();
    std::unique_ptr<RandomSource> pressure;
    if (settings->fluction > 0) pressure = std::make_unique<RandomSource>(0.0, 1.0);
    const double size = settings->size;

    for (const StrokeRun& run : runs) {
        if (IsCancelled()) return;
        const double a = pressure ? pressure->Draw() * settings->fluction : 0.0;
        // No disc is ever placed below a diameter of 0.1.
        if (!(size >= 0.1) || !Finite(run)) continue;

        const WalkState saved = path.SaveWalk();
        const double L = run.end - run.start;
        PathPoint prev = path.Advance(run.start - saved.walked);
        double prevP = 0;
        if (!DrawSteps(run, a, L, prev, prevP)) {
            path.RestoreWalk(saved);
            return;
        }
        path.RestoreWalk(saved);
    }
}

// A run that starts far before an open path comes in along the line through
// the first segment. Steps whose discs cannot reach the canvas are jumped
// over where the box they would grow is provably grown anyway: in an outer
// corner every disc grows it alike; beside the canvas, on a line parallel to
// an axis, the later discs are no thinner while the pressure still rises.
// Longer stretches beside the canvas are jumped regardless: coverage stays
// exact, the box may lack the growth of discs far off the canvas. Within
// kExactHead each step of 1 is exact, so a jump lands on the distance the
// single steps would reach. Returns the step to go on from.
uint64_t PathTask::SkipHead(const StrokeRun& run, double a, double L, PathPoint& prev,
                            double& prevP) {
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
    const bool besideX = u.x == 0 && !std::isinf(xlo);  // x fixed and within reach
    const bool besideY = u.y == 0 && !std::isinf(ylo);
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
    const double sideways = std::max(0.0, clampSteps(nearBoth - from - 2) - jump);
    if (sideways > static_cast<double>(kInertStepBudget)) jump += sideways;
    if (jump < 2) return 0;

    if (stampCorner) {
        // One disc grows the box as every skipped disc in the corner would.
        const double k = exactJump - 2;
        const PathPoint corner = path.Advance(k);
        const double w = std::clamp(pressureAt(k), 0.0, 1.0) * size;
        if (const testing::StampFunction stamp = testing::StampOverride())
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

bool PathTask::DrawSteps(const StrokeRun& run, double a, double L, PathPoint prev, double prevP) {
    const double size = settings->size;
    const double reach = size * 0.5 + 2;  // disc radius plus rounding of its box
    const testing::StampFunction stamp = testing::StampOverride();
    const bool open = !path.closed && !path.segments.empty() && skippingEnabled.load();
    const LineSegment* first = open ? &path.segments.front() : nullptr;
    const LineSegment* last = open ? &path.segments.back() : nullptr;

    auto pressureAt = [&](uint64_t step) {
        double p = PressureAt(*settings, run, static_cast<double>(step), L);
        if (a > 0) p = p * (1 - a);
        return p;
    };

    uint64_t step = 0;
    if (open && path.walked < 0 && path.walked > -kExactHead && first->length >= 1e-6)
        step = SkipHead(run, a, L, prev, prevP);

    // Last step of the rising taper; the pressure never rises after it.
    const double taperInEnd = run.taperStart != 1 ? 0.0
                              : settings->asdist  ? std::min(settings->in, L * 0.5)
                                                  : L * 0.5 * settings->in;
    uint64_t inertSteps = 0;
    for (uint64_t taken = 1; static_cast<double>(step) <= L; ++step, ++taken) {
        if (taken > kMaxRunSteps) break;
        if (taken % kDrawCancelCheckSteps == 0 && IsCancelled()) return false;

        const double prevWalked = path.walked;
        const PathPoint from = prev;
        const double p = pressureAt(step);
        const PathPoint next = path.AdvanceOne();
        uint64_t placed = 0;
        if (prevP > 0 || p > 0) placed = StampDiscs(*context, prev, next, prevP, p, size, stamp);
        prev = next;
        prevP = p;

        if (!open) continue;
        if (prevWalked < 0 && path.walked == prevWalked) break;  // stuck: never moves again
        if (prevWalked < path.totalLength) continue;

        // Beyond the end of an open path the pen runs out along the line
        // through the last segment, each axis monotone in its direction.
        if (last->length < 1e-6 || path.walked + 1 == path.walked) break;  // fixed from here on
        const double ux = last->end.x - last->start.x, uy = last->end.y - last->start.y;
        const double w = context->source.width, h = context->source.height;
        const PathPoint at = from;  // this step's discs and all later lie beyond it
        const bool awayX = (at.x + reach <= 0 && ux <= 0) || (at.x - reach >= w && ux >= 0);
        const bool awayY = (at.y + reach <= 0 && uy <= 0) || (at.y - reach >= h && uy >= 0);
        if (!awayX && !awayY) continue;
        // In an outer corner every disc from here on grows the box exactly as
        // this step's discs did; none can touch a pixel.
        if (awayX && awayY && placed > 0) break;
        // Beside the canvas on a line parallel to an axis, once the pressure
        // only falls, this step's first disc is the widest of all to come.
        if (placed > 0 && ((ux == 0 && awayY) || (uy == 0 && awayX)) &&
            static_cast<double>(step) > taperInEnd + 1)
            break;
        if (++inertSteps > kInertStepBudget) break;
    }
    return true;
}

}  // namespace velmora
