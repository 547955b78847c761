// Parallel lines: p1 to p2 repeated along the way from p1 towards p3.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "layout_test_support.h"

namespace velmora {
namespace {

using testing::Scene;

void SetPoints(Scene& scene, Point32 p1, Point32 p2, Point32 p3) {
    scene.context.parallelPoints = std::make_unique<Points3>(Points3{p1, p2, p3});
}

// Offsets of the line starts from p1 along +x (the lines point up).
std::vector<double> StartOffsets(const Scene& scene, double x0) {
    std::vector<double> offsets;
    for (const auto& path : scene.Paths()) offsets.push_back(path[0].x - x0);
    return offsets;
}

void ExpectOffsets(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-9) << i;
}

TEST(LayoutParallel, DefaultPointsGiveVerticalLinesAcrossHalfTheWidth) {
    Scene scene;
    SetPoints(scene, {250, 875}, {250, 125}, {750, 875});
    LayoutParallel(scene.context);
    const auto paths = scene.Paths();
    ASSERT_EQ(paths.size(), 11u);  // offsets 0, 50, ..., 500
    EXPECT_NEAR(paths[0][0].x, 250, 1e-9);
    EXPECT_NEAR(paths[0][0].y, 875, 1e-9);
    EXPECT_NEAR(paths[0][1].x, 250, 1e-9);
    EXPECT_NEAR(paths[0][1].y, 125, 1e-9);
    EXPECT_NEAR(paths[10][0].x, 750, 1e-9);
}

TEST(LayoutParallel, OffsetsFollowTheSpacingGain) {
    struct Case {
        double gain;
        int32_t reach;
        std::vector<double> offsets;
    };
    const Case cases[] = {
        {0, 120, {0, 50, 100}},
        {-10, 800, {0, 45, 80, 105, 120}},  // the sixth gap would be 0
        {10, 200, {0, 55, 120, 195}},
    };
    for (const Case& c : cases) {
        Scene scene;
        SetPoints(scene, {100, 500}, {100, 400}, {100 + c.reach, 500});
        scene.context.settings.spcgain = c.gain;
        LayoutParallel(scene.context);
        ExpectOffsets(StartOffsets(scene, 100), c.offsets);
    }
}

TEST(LayoutParallel, P3OnP1GivesTheOneLineAtP1) {
    for (double jitter : {0.0, 1.0}) {
        Scene scene;
        SetPoints(scene, {300, 300}, {400, 300}, {300, 300});
        scene.context.settings.spcfluct = jitter;
        LayoutParallel(scene.context);
        const auto paths = scene.Paths();
        ASSERT_EQ(paths.size(), 1u);
        EXPECT_EQ(paths[0][0].x, 300);
        EXPECT_EQ(paths[0][0].y, 300);
        EXPECT_NEAR(paths[0][1].x, 400, 1e-9);
    }
}

TEST(LayoutParallel, NoLinesWithoutAPositiveSpacingOrAMappableGuide) {
    for (int32_t spacing : {0, -5}) {
        Scene scene;
        SetPoints(scene, {100, 500}, {100, 400}, {900, 500});
        scene.context.settings.spacing = spacing;
        LayoutParallel(scene.context);
        EXPECT_EQ(scene.context.pool.PendingCount(), 0u);
    }
    Scene flat;
    SetPoints(flat, {100, 500}, {100, 400}, {900, 500});
    flat.guide.commands.front().points.clear();
    LayoutParallel(flat.context);
    EXPECT_EQ(flat.context.pool.PendingCount(), 0u);
}

TEST(LayoutParallel, JitterOnlyMovesLinesForwardByLessThanASpacing) {
    Scene scene;
    SetPoints(scene, {100, 500}, {100, 400}, {900, 500});
    scene.context.settings.spcfluct = 1.0;
    LayoutParallel(scene.context);
    const auto offsets = StartOffsets(scene, 100);
    ASSERT_EQ(offsets.size(), 17u);
    for (size_t i = 0; i < offsets.size(); ++i) {
        EXPECT_GE(offsets[i], 50.0 * i);
        EXPECT_LT(offsets[i], 50.0 * i + 50);
    }
}

TEST(LayoutParallel, LinesOffTheCanvasAreSteppedOverExactly) {
    // Horizontal lines 7 pixels apart from y = -100000 down to 100000 over a
    // 100 x 100 canvas: only those near the canvas rows are laid out, at
    // exactly the offsets single steps give.
    for (double gain : {0.0, 0.01}) {
        Scene scene(100, 100);
        SetPoints(scene, {0, -100000}, {50, -100000}, {0, 100000});
        scene.context.settings.spacing = 7;
        scene.context.settings.spcgain = gain;
        LayoutParallel(scene.context);
        std::vector<double> expected;
        double t = 0, g = 7;
        while (g > 0) {
            const double y = t - 100000;
            if (y >= -3 && y <= 102) expected.push_back(y);
            t = t + (gain * 0.5 + g);
            g = g + gain;
            if (t > 200000) break;
        }
        std::vector<double> actual;
        for (const auto& path : scene.Paths()) actual.push_back(path[0].y);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(actual, expected) << "gain " << gain;
    }
}

TEST(LayoutParallel, ExtremePointsFinishWithBoundedLineCounts) {
    const auto begin = std::chrono::steady_clock::now();
    struct Case {
        Point32 p1, p2, p3;
        size_t most;
    };
    const Case cases[] = {
        // Rows from top to bottom of the int32 range, 1 pixel apart.
        {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX}, 110},
        // Diagonal lines swept along x.
        {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MIN}, 400},
        // Lines sliding along themselves: every one crosses the canvas.
        {{INT32_MIN, 50}, {INT32_MAX, 50}, {INT32_MAX, 50}, size_t{kMaxLinesPerPass}},
    };
    for (const Case& c : cases) {
        Scene scene(100, 100);
        SetPoints(scene, c.p1, c.p2, c.p3);
        scene.context.settings.spacing = 1;
        LayoutParallel(scene.context);
        EXPECT_GT(scene.context.pool.PendingCount(), 0u);
        EXPECT_LE(scene.context.pool.PendingCount(), c.most);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
}

TEST(LayoutParallel, LinesSlidingAlongThemselvesBesideTheCanvasMakeNoTasks) {
    Scene scene(100, 100);
    SetPoints(scene, {INT32_MIN, 500}, {INT32_MAX, 500}, {INT32_MAX, 500});
    scene.context.settings.spacing = 1;
    LayoutParallel(scene.context);
    EXPECT_EQ(scene.context.pool.PendingCount(), 0u);
}

}  // namespace
}  // namespace velmora
