// The pen strokes of a line's runs: a step a pixel along the path, the
// pressure of the taper at each, the discs between one step and the next;
// steps far off the canvas jumped over or only measured for the box.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "render/canvas_window.h"
#include "render/path_task.h"
#include "render/segment_discs.h"

namespace velmora {

namespace {

// Drawing steps are dear (a wide pen stamps a large disc a step), so a stop
// request is looked at often.
constexpr uint64_t kDrawCancelCheckSteps = 16;
// No run is stepped further than this; only settings far outside the
// panel's ranges make runs this long.
constexpr uint64_t kMaxRunSteps = uint64_t{1} << 26;
// Steps beside the canvas whose discs are only measured for the box, at
// each end of a run; past them the rest is jumped over or left out and the
// box may lack their rows. Within the panel's ranges only radial lines a
// fraction of a pixel long, 20000 pixels from the centre, get there.
constexpr uint64_t kMeasuredStepBudget = uint64_t{1} << 23;
// Distances before an open path's start where steps of 1 stay exact and
// far from rounding the position.
constexpr double kExactHead = 2199023255552.0;  // 2^41

}  // namespace

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
        if (!(size >= 0.1) || !run.Finite()) continue;

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
// jumped over regardless (the box may then lack their rows or columns).
// Within kExactHead each step of 1 is exact, so a jump lands on the distance
// the single steps would reach. Returns the step to go on from.
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
        // The last step is kept: its discs are the ones that grow the box
        // for those jumped over, even when the whole run lies beside.
        const double n = std::min(clampSteps(nearBoth - from - 2), steps - 1);
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
        PlaceDisc(*context, context->stamp, corner.x, corner.y, w);
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
    // The discs stamped between their neighbours; in the literal mode every
    // disc is stamped whole.
    DiscTrail trail;
    DiscTrail* const follow = everyStep ? nullptr : &trail;

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
                if constexpr (kMeasure) {
                    placed = StampDiscs<true>(*context, prev, next, prevP, p, size, stamp,
                                              everyStep, &far);
                    trail.Flush(*context);
                } else {
                    placed = StampDiscs(*context, prev, next, prevP, p, size, stamp, everyStep,
                                        nullptr, follow);
                }
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
    trail.Flush(*context);
    far.GrowDirty(*context);
    return going;
}

// The task's rings made as they are walked.
template void PathTask::DrawWith(RingStream& walk, const std::vector<StrokeRun>& runs);

}  // namespace velmora
