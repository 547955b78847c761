// Concentric rings: the base ellipse through the three points, offset
// inwards and outwards for as long as the rings touch the canvas.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "layout/layout_bounds.h"
#include "layout/layouts.h"
#include "render/ring_stream.h"
#include "layout_test_support.h"

namespace velmora {
namespace {

using testing::CurveGuide;
using testing::Scene;

constexpr double kPi = std::numbers::pi;

void SetRing(Scene& scene, Point32 p1, Point32 p2, Point32 p3) {
    scene.context.ring = std::make_unique<RingShape>(FitRing(p1, p2, p3));
}

// Distance of a ring's first vertex from the centre (its radius, for circles).
std::vector<double> FirstRadii(const Scene& scene, PathPoint centre) {
    std::vector<double> radii;
    for (const auto& path : scene.Paths()) {
        radii.push_back(std::hypot(path[0].x - centre.x, path[0].y - centre.y));
    }
    return radii;
}

void ExpectRadii(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-6) << i;
}

TEST(FitRing, DefaultPointsGiveTheCanvasCentredEllipse) {
    // p1, p2 at 0.25 and 0.75 of an 800 x 600 canvas's width, p3 above the centre.
    const RingShape ring = FitRing({200, 300}, {600, 300}, {400, 150});
    EXPECT_EQ(ring.centre, (Point32{400, 300}));
    EXPECT_DOUBLE_EQ(ring.radiusA, 200);
    EXPECT_DOUBLE_EQ(ring.angle, 0);
    EXPECT_DOUBLE_EQ(ring.radiusB, 150);
    EXPECT_DOUBLE_EQ(ring.startAngle, -kPi / 2);
}

TEST(FitRing, PointThreeOnTheAxisBeyondAnEndGivesACircle) {
    const RingShape ring = FitRing({200, 300}, {600, 300}, {700, 300});
    EXPECT_DOUBLE_EQ(ring.radiusB, ring.radiusA);
    EXPECT_DOUBLE_EQ(ring.radiusA, 200);
}

TEST(FitRing, CoincidentAxisEndsGiveTheCircleOfRadiusZero) {
    // p3 elsewhere: q is -infinity; p3 on them or straight below: 0 / 0.
    for (Point32 p3 : {Point32{530, 480}, Point32{500, 500}, Point32{500, 650}}) {
        const RingShape ring = FitRing({500, 500}, {500, 500}, p3);
        EXPECT_EQ(ring.radiusA, 0);
        EXPECT_EQ(ring.radiusB, 0) << p3.x << "," << p3.y;
    }
}

TEST(FitRing, ExtremePointsDoNotOverflow) {
    const RingShape ring = FitRing({INT32_MAX, INT32_MAX}, {INT32_MAX - 2, INT32_MAX}, {0, 0});
    EXPECT_EQ(ring.centre, (Point32{INT32_MAX - 1, INT32_MAX}));
    EXPECT_DOUBLE_EQ(ring.radiusA, 1);
    const RingShape wide = FitRing({INT32_MIN, 0}, {INT32_MAX, 0}, {0, 50});
    EXPECT_EQ(wide.centre, (Point32{0, 0}));
    EXPECT_DOUBLE_EQ(wide.radiusA, 2147483648.0);
    EXPECT_DOUBLE_EQ(wide.radiusB, 50);
}

TEST(RingVertexCount, AboutOnePerFivePixelsEvenAndAtLeastFour) {
    EXPECT_EQ(RingVertexCount(1, 1), 4);
    EXPECT_EQ(RingVertexCount(250, 250), 316);
    EXPECT_EQ(RingVertexCount(100, 50), 98);
    EXPECT_EQ(RingVertexCount(0, 0), 4);
    EXPECT_EQ(RingVertexCount(1e12, 1e12), INT32_MAX - 1);
}

TEST(SegmentMeetsEllipse, CrossingsCountOnlyWithinTheSegment) {
    const PathPoint c{0, 0};
    EXPECT_TRUE(SegmentMeetsEllipse({-20, 0}, {0, 0}, c, 10, 5, 0));   // crosses at x = -10
    EXPECT_FALSE(SegmentMeetsEllipse({-2, 0}, {2, 0}, c, 10, 5, 0));   // wholly inside
    EXPECT_FALSE(SegmentMeetsEllipse({-20, 6}, {20, 6}, c, 10, 5, 0)); // passes above
    EXPECT_FALSE(SegmentMeetsEllipse({11, 0}, {20, 0}, c, 10, 5, 0));  // beyond the crossing
    // Rotated a quarter turn the long axis is vertical.
    EXPECT_TRUE(SegmentMeetsEllipse({0, 9}, {0, 11}, c, 10, 5, kPi / 2));
}

TEST(RingTouchesCanvas, InsideAndCrossingAreVisibleAroundAndAwayAreNot) {
    Scene scene(100, 100);
    const LayoutContext& context = scene.context;
    EXPECT_TRUE(RingTouchesCanvas(context, {50, 50}, 20, 10, 0));     // wholly inside
    EXPECT_TRUE(RingTouchesCanvas(context, {50, 50}, 60, 30, 0));     // crosses the sides
    EXPECT_FALSE(RingTouchesCanvas(context, {50, 50}, 200, 200, 0));  // encloses the canvas
    EXPECT_FALSE(RingTouchesCanvas(context, {300, 50}, 50, 50, 0));   // off to the right
    EXPECT_FALSE(RingTouchesCanvas(context, {INT32_MIN, INT32_MAX}, 3e9, 3e9, 0.3));
}

TEST(AddRing, PolygonOfNPlusOneVerticesFromStartAngle) {
    Scene scene;
    AddRing(scene.context, {500, 500}, 0, -kPi / 2, 250, 250);
    const auto tasks = scene.Tasks();
    ASSERT_EQ(tasks.size(), 1u);
    // The task holds the plan; its vertices are made when it runs.
    EXPECT_TRUE(tasks[0]->path.commands.empty());
    ASSERT_TRUE(tasks[0]->streamedRing && tasks[0]->streamedRing->stored);
    PathParser ring;
    ASSERT_TRUE(BuildPlannedRing(*tasks[0]->streamedRing, ring));
    const auto& commands = ring.commands;
    ASSERT_EQ(commands.size(), 317u);
    EXPECT_EQ(commands[0].kind, kMoveTo);
    EXPECT_EQ(commands[1].kind, kLineTo);
    EXPECT_NEAR(commands[0].points[0].x, 500, 1e-9);
    EXPECT_NEAR(commands[0].points[0].y, 250, 1e-9);
    for (const PathCommand& command : commands) {
        const PathPoint p = command.points[0];
        EXPECT_NEAR(std::hypot(p.x - 500, p.y - 500), 250, 1e-9);
    }
}

TEST(AddRing, CurveGuidePullsTheRingInHalfWayRound) {
    Scene scene;
    scene.guide = CurveGuide();
    scene.context.settings.curvature = 2.0;
    AddRing(scene.context, {500, 500}, 0, 0, 250, 250);
    const auto paths = scene.Paths();
    ASSERT_EQ(paths[0].size(), 317u);
    EXPECT_NEAR(std::hypot(paths[0][0].x - 500, paths[0][0].y - 500), 250, 1e-9);
    // Half-way along the guide it is 25 units above its ends: 50 pixels in.
    EXPECT_NEAR(std::hypot(paths[0][158].x - 500, paths[0][158].y - 500), 200, 0.5);
}

TEST(AddRing, TaskCarriesTheRingCentre) {
    Scene scene;
    SetRing(scene, {400, 500}, {600, 500}, {500, 400});
    AddRing(scene.context, {500, 500}, 0, 0, 10, 10);
    EXPECT_EQ(scene.Tasks()[0]->centre, &scene.context.ring->centre);
}

TEST(LayoutConcentric, BaseThenInnerThenOuterRings) {
    // A circle of radius 200 at the centre of a 1000 x 1000 canvas: inner
    // rings 150, 100, 50; outer rings out to the farthest corner (707).
    Scene scene;
    SetRing(scene, {300, 500}, {700, 500}, {800, 500});
    LayoutConcentric(scene.context);
    ExpectRadii(FirstRadii(scene, {500, 500}),
                {200, 150, 100, 50, 250, 300, 350, 400, 450, 500, 550, 600, 650, 700});
}

TEST(LayoutConcentric, InwardPassEndsWhenARadiusDropsBelowOne) {
    Scene scene;
    SetRing(scene, {490, 500}, {510, 500}, {520, 500});  // circle of radius 10
    LayoutConcentric(scene.context);
    const auto radii = FirstRadii(scene, {500, 500});
    ASSERT_GE(radii.size(), 2u);
    EXPECT_NEAR(radii[0], 10, 1e-9);
    EXPECT_NEAR(radii[1], 60, 1e-9);  // straight to the outer rings
}

TEST(LayoutConcentric, OutwardPassEndsWhenTheGainReversesTheStep) {
    // spacing 50, spcgain -100: inward offsets -100, -300, -600; outward one
    // ring at offset 0 and no more.
    Scene scene(2000, 2000);
    SetRing(scene, {300, 1000}, {1700, 1000}, {1800, 1000});  // radius 700
    scene.context.settings.spcgain = -100;
    LayoutConcentric(scene.context);
    ExpectRadii(FirstRadii(scene, {1000, 1000}), {700, 600, 400, 100, 700});
}

TEST(LayoutConcentric, SpacingZeroLaysOutOnlyTheBaseRing) {
    for (int32_t spacing : {0, -10}) {
        Scene scene;
        SetRing(scene, {300, 500}, {700, 500}, {800, 500});
        scene.context.settings.spacing = spacing;
        LayoutConcentric(scene.context);
        EXPECT_EQ(scene.context.pool.PendingCount(), 1u);
    }
}

TEST(LayoutConcentric, RadiusZeroShapeGrowsCirclesOfRadiusS) {
    Scene scene;
    SetRing(scene, {500, 500}, {500, 500}, {500, 500});
    LayoutConcentric(scene.context);
    const auto radii = FirstRadii(scene, {500, 500});
    ASSERT_GE(radii.size(), 3u);
    EXPECT_EQ(radii[0], 0);
    EXPECT_NEAR(radii[1], 50, 1e-9);
    EXPECT_NEAR(radii[2], 100, 1e-9);
    for (const auto& path : scene.Paths()) {
        for (PathPoint p : path) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
}

TEST(LayoutConcentric, HugeRingCrossingTheCanvasIsBuiltNearTheCanvasOnly) {
    // A 2^31 x 50 ellipse centred on the canvas corner runs along y = +-50;
    // spacing 10 lays out the rings with semi-minor axis 40 .. 100.
    Scene scene(100, 100);
    SetRing(scene, {INT32_MIN, 0}, {INT32_MAX, 0}, {0, 50});
    scene.context.settings.spacing = 10;
    LayoutConcentric(scene.context);
    const auto paths = scene.Paths();
    ASSERT_GE(paths.size(), 6u);
    for (const auto& path : paths) {
        EXPECT_LT(path.size(), 2000u);
        bool crosses = false;
        for (PathPoint p : path) {
            crosses = crosses || (p.x >= 0 && p.x <= 100 && p.y >= 0 && p.y <= 100);
        }
        EXPECT_TRUE(crosses);
    }
    // The base ring: its vertices are those of the whole ring, 2 pi a / n
    // apart along the flat side.
    const auto& base = paths[0];
    const double a = 2147483648.0;
    EXPECT_NEAR(std::abs(base[1].x - base[0].x), 2 * kPi * a / RingVertexCount(a, 50), 1e-3);
    for (PathPoint p : base) {
        const double u = p.x / a;
        EXPECT_NEAR(u * u + (p.y / 50) * (p.y / 50), 1.0, 1e-6);
    }
}

TEST(LayoutConcentric, ExtremePointsFinishWithBoundedRings) {
    const auto begin = std::chrono::steady_clock::now();
    const Point32 sets[][3] = {
        {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}},
        {{INT32_MIN, 0}, {INT32_MAX, 0}, {0, 50}},
        {{INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}},
        {{INT32_MIN, INT32_MAX}, {INT32_MIN, INT32_MAX - 10}, {INT32_MIN + 3, INT32_MAX}},
    };
    for (double gain : {0.0, 0.001, -0.001}) {
        for (const auto& points : sets) {
            Scene scene(100, 100);
            SetRing(scene, points[0], points[1], points[2]);
            scene.context.settings.spacing = 1;
            scene.context.settings.spcgain = gain;
            LayoutConcentric(scene.context);
            size_t vertices = 0;
            for (const auto& path : scene.Paths()) {
                vertices += path.size();
                for (PathPoint p : path) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
            }
            EXPECT_LE(scene.context.pool.PendingCount(), 400u);
            EXPECT_LE(vertices, 400u * 2000u);
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

}  // namespace
}  // namespace velmora
