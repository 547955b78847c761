// Radial lines: rays around p1 from the near radius to the far one.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "layout/layouts.h"
#include "layout_test_support.h"

namespace velmora {
namespace {

using testing::Scene;

constexpr double kPi = std::numbers::pi;

void SetPoints(Scene& scene, Point32 p1, Point32 p2, Point32 p3) {
    scene.context.radialPoints = std::make_unique<Points3>(Points3{p1, p2, p3});
}

// Default radial points on a 1000 x 1000 canvas: centre, 0.325 and 0.125 of
// the height straight above it.
void SetDefaultPoints(Scene& scene) { SetPoints(scene, {500, 500}, {500, 325}, {500, 125}); }

double Direction(const std::vector<PathPoint>& path) {
    return std::atan2(path[1].y - path[0].y, path[1].x - path[0].x);
}

TEST(LayoutRadial, DefaultPointsStartTowardsMinusYFromTheNearToTheFarRadius) {
    Scene scene;
    SetDefaultPoints(scene);
    LayoutRadial(scene.context);
    const auto paths = scene.Paths();
    ASSERT_FALSE(paths.empty());
    ASSERT_EQ(paths[0].size(), 2u);
    // r_in 175 and r_out 375 straight up from (500, 500).
    EXPECT_NEAR(paths[0][0].x, 500, 1e-9);
    EXPECT_NEAR(paths[0][0].y, 325, 1e-9);
    EXPECT_NEAR(paths[0][1].x, 500, 1e-9);
    EXPECT_NEAR(paths[0][1].y, 125, 1e-9);
    // Increasing angles, 4.5 degrees apart.
    EXPECT_NEAR(Direction(paths[1]) - Direction(paths[0]), 4.5 * kPi / 180, 1e-12);
    for (const PathTask* task : scene.Tasks()) EXPECT_EQ(task->centre, nullptr);
}

TEST(LayoutRadial, LineCountFollowsTheAccumulatedAngle) {
    for (auto [spacing, lines] : {std::pair{50, 80u}, {200, 21u}, {1000, 5u}}) {
        Scene scene;
        SetDefaultPoints(scene);
        scene.context.settings.spacing = spacing;
        LayoutRadial(scene.context);
        EXPECT_EQ(scene.context.pool.PendingCount(), lines) << "spacing " << spacing;
    }
}

TEST(LayoutRadial, NoLinesWithoutAPositiveStepOrAMappableGuide) {
    for (int32_t spacing : {0, -50}) {
        Scene scene;
        SetDefaultPoints(scene);
        scene.context.settings.spacing = spacing;
        LayoutRadial(scene.context);
        EXPECT_EQ(scene.context.pool.PendingCount(), 0u);
    }
    Scene flat;
    SetDefaultPoints(flat);
    flat.guide.width = 0;
    LayoutRadial(flat.context);
    EXPECT_EQ(flat.context.pool.PendingCount(), 0u);
    Scene none;
    LayoutRadial(none.context);
    EXPECT_EQ(none.context.pool.PendingCount(), 0u);
}

TEST(LayoutRadial, FarPointIsTheLongerRadiusAndP3WinsATie) {
    Scene scene;
    SetPoints(scene, {500, 500}, {700, 500}, {500, 450});  // p2 is farther
    LayoutRadial(scene.context);
    auto paths = scene.Paths();
    EXPECT_NEAR(paths[0][0].x, 550, 1e-9);
    EXPECT_NEAR(paths[0][1].x, 700, 1e-9);

    Scene tie;
    SetPoints(tie, {500, 500}, {600, 500}, {500, 600});
    LayoutRadial(tie.context);
    paths = tie.Paths();
    // k is 0: every line is the point at radius 100, the first towards p3.
    EXPECT_NEAR(paths[0][0].x, 500, 1e-9);
    EXPECT_NEAR(paths[0][0].y, 600, 1e-9);
    EXPECT_NEAR(paths[0][1].y, 600, 1e-9);
}

TEST(LayoutRadial, JitterStaysWithinHalfAStepOfTheBaseAngle) {
    Scene scene;
    SetDefaultPoints(scene);
    scene.context.settings.spcfluct = 1.0;
    LayoutRadial(scene.context);
    const auto paths = scene.Paths();
    ASSERT_GE(paths.size(), 80u);
    const double step = 4.5 * kPi / 180;
    for (size_t i = 0; i < 80; ++i) {
        double offset = Direction(paths[i]) - (-kPi / 2 + i * step);
        offset = std::remainder(offset, 2 * kPi);
        EXPECT_GT(offset, -step * 0.5 - 1e-9);
        EXPECT_LE(offset, step * 0.5 + 1e-9);
    }
}

TEST(LayoutRadial, LinesThatMissTheCanvasAreLeftOut) {
    // Centre 1000 pixels left of a 100 x 100 canvas, rays 2000 long: only
    // those within about 2.9 degrees of +x cross it.
    Scene scene(100, 100);
    SetPoints(scene, {-1000, 50}, {-1000, 50}, {1000, 50});
    scene.context.settings.spacing = 10;  // 0.9 degrees
    LayoutRadial(scene.context);
    // Steps -3 .. 3, and the last step, at 2 pi, repeats the first line.
    const auto paths = scene.Paths();
    EXPECT_EQ(paths.size(), 8u);
    for (const auto& path : paths) EXPECT_LT(std::abs(Direction(path)), 3.2 * kPi / 180);
}

TEST(LayoutRadial, ExtremePointsFinishWithFiniteLines) {
    const auto begin = std::chrono::steady_clock::now();
    Scene scene(200, 200);
    SetPoints(scene, {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MIN});
    scene.context.settings.spacing = 1;
    LayoutRadial(scene.context);
    EXPECT_LE(scene.context.pool.PendingCount(), 4001u);
    for (const auto& path : scene.Paths()) {
        for (PathPoint p : path) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
}

}  // namespace
}  // namespace velmora
