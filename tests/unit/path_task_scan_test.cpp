// Pen strokes: the ink scan along lines and rings, joining stroke runs and
// the pressure along a run.
#include "render/path_task.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

#include "render_scene.h"

namespace velmora {

bool operator==(const StrokeRun& a, const StrokeRun& b) {
    return a.start == b.start && a.end == b.end && a.taperStart == b.taperStart &&
           a.taperEnd == b.taperEnd;
}
void PrintTo(const StrokeRun& r, std::ostream* os) {
    *os << "{" << r.start << ", " << r.end << ", " << int(r.taperStart) << ", "
        << int(r.taperEnd) << "}";
}

namespace {

using test::Scene;
using Runs = std::vector<StrokeRun>;

TEST(InkScan, OpenPathOnInkIsOneRunReachingHalfALengthBeyond) {
    Scene scene(40, 10);
    scene.InkAll();
    scene.context->stroke.length = 10;
    auto task = scene.Task({{5, 5}, {25.5, 5}});  // 20.5 long: the scan ends at 21
    EXPECT_EQ(scene.Scan(*task), (Runs{{-5, 26, 1, 1}}));

    scene.context->stroke.lengain = 2;  // gain = 2 x 21 / 20.5 on top
    const double b = 5 + 2.0 * 21 / 20.5;
    EXPECT_EQ(scene.Scan(*task), (Runs{{0 - b, 21 + b, 1, 1}}));
}

TEST(InkScan, WithoutLengthRunsAreTheInkStretches) {
    Scene scene(40, 10);
    scene.Paint(10, 0, 20, 10);
    scene.Paint(24, 0, 27, 10);
    auto task = scene.Task({{0.5, 5.5}, {35.5, 5.5}});
    EXPECT_EQ(scene.Scan(*task), (Runs{{10, 20, 1, 1}, {24, 27, 1, 1}}));

    scene.context->stroke.position = -3;
    EXPECT_EQ(scene.Scan(*task), (Runs{{7, 17, 1, 1}, {21, 24, 1, 1}}));
}

TEST(InkScan, NoInkNoRunsAndOffCanvasCountsAsNoInk) {
    Scene scene(20, 20);
    auto blank = scene.Task({{1, 1}, {18, 18}});
    EXPECT_TRUE(scene.Scan(*blank).empty());

    scene.InkAll();
    auto far = scene.Task({{3e9, -3e9}, {3e9 + 40, -3e9}});
    EXPECT_TRUE(scene.Scan(*far).empty());
}

TEST(InkScan, JitterLengthensAndShiftsButKeepsRunsOrdered) {
    Scene scene(60, 10);
    scene.Paint(20, 0, 30, 10);
    StrokeSettings& s = scene.context->stroke;
    s.length = 10;
    s.lenfluct = 1.0;
    s.posfluct = 0.5;
    auto task = scene.Task({{0.5, 5.5}, {55.5, 5.5}});
    for (int i = 0; i < 50; ++i) {
        Runs runs = scene.Scan(*task);
        ASSERT_EQ(runs.size(), 1u);
        const double length = runs[0].end - runs[0].start;
        EXPECT_GE(length, 10 + 10);  // the stretch plus b = (u + 1) x 5 each side
        EXPECT_LT(length, 10 + 20);
        const double middle = (runs[0].start + runs[0].end) / 2;
        EXPECT_LE(std::abs(middle - 25), 0.25 * length);
    }
    EXPECT_EQ(task->lengthJitter, nullptr);  // gone after the scan
    EXPECT_EQ(task->positionJitter, nullptr);
}

TEST(InkScan, ZeroLengthLineWithGainHasNoRun) {
    Scene scene(20, 20);
    scene.InkAll();
    scene.context->stroke.length = 10;
    for (double lengain : {5.0, -5.0}) {
        scene.context->stroke.lengain = lengain;
        auto task = scene.Task({{10, 5}, {10, 5}});
        EXPECT_TRUE(scene.Scan(*task).empty()) << lengain;
        task->Execute();  // terminates
    }
    EXPECT_EQ(scene.CountNonZero(), 0);
}

TEST(RingScan, RingOnInkIsOneUntaperedRunOfALapAndOne) {
    Scene scene(40, 40);
    scene.InkAll();
    scene.context->stroke.type = kTemplateConcentric;
    auto task = scene.Task({{5, 5}, {25, 5}, {25, 25}, {5, 25}, {5, 5}});
    EXPECT_EQ(scene.Scan(*task), (Runs{{0, 81, 0, 0}}));
}

TEST(RingScan, StretchStartingAtTheFirstVertexIsKept) {
    // Ink on the top edge from the first vertex: the pre-scan moves the
    // start to walked 10. The ring is 80.76 long, so the sample before the
    // wrap lies 0.76 below the first vertex, off ink; the stretch is still
    // found on the next lap.
    Scene scene(40, 40);
    scene.Paint(5, 5, 15, 6);
    scene.context->stroke.type = kTemplateConcentric;
    auto task = scene.Task({{5.5, 5.5}, {25.5, 5.5}, {25.5, 25.5}, {5.5, 26.25}, {5.5, 5.5}});
    EXPECT_EQ(scene.Scan(*task), (Runs{{81, 91, 1, 1}}));

    task->Execute();
    EXPECT_GT(scene.At(8, 5), 0);  // the arc is drawn
    EXPECT_EQ(scene.At(20, 5), 0);
}

TEST(RingScan, StillOnInkAfterTheLapStopsAfterASecondLap) {
    // All ink but the pixel the pre-scan stops on (walked 2); the samples of
    // the next lap miss that pixel, so the run is closed by the bound.
    Scene scene(64, 64);
    scene.InkAll();
    scene.context->stroke.type = kTemplateConcentric;
    auto task = scene.Task({{33.75, 36.75}, {26.5, 18}, {21.5, 15.75}, {33.75, 36.75}});
    task->path.Flatten(true);
    const double w0 = 2;
    PathPoint stop = task->path.Advance(w0);
    scene.Paint(int(stop.x), int(stop.y), int(stop.x) + 1, int(stop.y) + 1, 255, 255, 255, 255);

    Runs runs = scene.Scan(*task);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front().start, w0 + 1);
    EXPECT_EQ(runs.back().end, std::ceil(w0 + 2 * task->path.totalLength));
}

TEST(JoinRuns, TouchingAndOverlappingRunsJoin) {
    Runs touching = {{0, 10, 1, 1}, {10, 20, 1, 0}};
    JoinRuns(touching);
    EXPECT_EQ(touching, (Runs{{0, 20, 1, 0}}));

    Runs inside = {{0, 30, 1, 1}, {5, 12, 1, 1}};
    JoinRuns(inside);
    EXPECT_EQ(inside, (Runs{{0, 12, 1, 1}}));  // the successor's end, even when shorter

    Runs chain = {{0, 5, 1, 1}, {4, 9, 1, 1}, {20, 30, 1, 1}, {25, 26, 1, 1}, {27, 28, 0, 0}};
    JoinRuns(chain);
    EXPECT_EQ(chain, (Runs{{0, 9, 1, 1}, {20, 26, 1, 1}, {27, 28, 0, 0}}));

    Runs none;
    JoinRuns(none);
    EXPECT_TRUE(none.empty());
}

TEST(Pressure, TapersAsFractionsOfHalfTheRun) {
    StrokeSettings s;
    s.in = 0.5;
    s.out = 0.5;
    const StrokeRun run{0, 20, 1, 1};
    EXPECT_EQ(PressureAt(s, run, 0, 20), 0.0);
    EXPECT_EQ(PressureAt(s, run, 0, 0), 1.0);
    EXPECT_EQ(PressureAt(s, run, 2.5, 20), 0.5);   // 2.5 / (10 x 0.5)
    EXPECT_EQ(PressureAt(s, run, 10, 20), 1.0);
    EXPECT_EQ(PressureAt(s, run, 17.5, 20), 0.5);  // (20 - 17.5) / 5
    EXPECT_EQ(PressureAt(s, run, 20, 20), 0.0);

    s.easing = true;
    EXPECT_EQ(PressureAt(s, run, 2.5, 20), 0.75);

    const StrokeRun untapered{0, 20, 0, 0};
    EXPECT_EQ(PressureAt(s, untapered, 1, 20), 1.0);
}

TEST(Pressure, TapersAsDistances) {
    StrokeSettings s;
    s.asdist = true;
    s.in = 4;
    s.out = 8;
    const StrokeRun run{0, 20, 1, 1};
    EXPECT_EQ(PressureAt(s, run, 2, 20), 0.5);
    EXPECT_EQ(PressureAt(s, run, 6, 20), 1.0);
    EXPECT_EQ(PressureAt(s, run, 16, 20), 0.5);
    s.in = 0;
    s.out = 0;
    for (double k : {1.0, 10.0, 20.0}) EXPECT_EQ(PressureAt(s, run, k, 20), 1.0);
}

}  // namespace
}  // namespace velmora
