// A guide stretched along a line: start, direction, along and cross scale.
#include "layout/guide_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "layout_test_support.h"

namespace velmora {
namespace {

using testing::CurveGuide;
using testing::StraightGuide;

void ExpectPoint(PathPoint actual, double x, double y) {
    EXPECT_NEAR(actual.x, x, 1e-9);
    EXPECT_NEAR(actual.y, y, 1e-9);
}

TEST(MapGuide, StraightGuideIsTheSegmentWhateverTheCurvature) {
    for (double curvature : {0.0, 1.0, -3.5}) {
        PathParser path;
        // Length 200 from (10, 20) towards +y: k = 200 / 100.
        MapGuide(StraightGuide(), path, {10, 20}, std::numbers::pi / 2, 2.0, curvature);
        ASSERT_EQ(path.commands.size(), 2u);
        EXPECT_EQ(path.commands[0].kind, kMoveTo);
        EXPECT_EQ(path.commands[1].kind, kLineTo);
        ExpectPoint(path.commands[0].points[0], 10, 20);
        ExpectPoint(path.commands[1].points[0], 10, 220);
    }
}

TEST(MapGuide, CurveGuideBendsTowardsPhiPlusNinetyDegrees) {
    PathParser path;
    // A line of length 100 towards +x with curvature 2: guide +y is canvas +y.
    MapGuide(CurveGuide(), path, {5, 5}, 0.0, 1.0, 2.0);
    ASSERT_EQ(path.commands.size(), 2u);
    EXPECT_EQ(path.commands[1].kind, kQuadTo);
    ASSERT_EQ(path.commands[1].points.size(), 2u);
    ExpectPoint(path.commands[0].points[0], 5, 5);
    // Control point L/2 along, -50 x curvature across.
    ExpectPoint(path.commands[1].points[0], 55, 5 - 100);
    ExpectPoint(path.commands[1].points[1], 105, 5);
}

TEST(MapGuide, CurvatureZeroPutsEveryPointOnTheLine) {
    PathParser path;
    const double phi = std::atan2(3.0, 4.0);
    MapGuide(CurveGuide(), path, {0, 0}, phi, 0.5, 0.0);
    ASSERT_EQ(path.commands.size(), 2u);
    EXPECT_EQ(path.commands[1].kind, kQuadTo);
    // Along distances (p.x - g0.x) x k: 25 for the control, 50 for the end.
    ExpectPoint(path.commands[1].points[0], 25 * 0.8, 25 * 0.6);
    ExpectPoint(path.commands[1].points[1], 50 * 0.8, 50 * 0.6);
}

TEST(MapGuide, KeepsKindsAndCountsAndAppendsToThePath) {
    PathParser guide;
    guide.commands = {{kMoveTo, {{0, 0}}}, {kLineTo, {{10, 0}}}, {kLineTo, {{20, 5}}}, {7, {}}};
    guide.width = 20;
    PathParser path;
    path.commands.push_back({kMoveTo, {{-1, -1}}});
    MapGuide(guide, path, {100, 100}, 0.0, 1.0, 1.0);
    ASSERT_EQ(path.commands.size(), 5u);
    EXPECT_EQ(path.commands[1].kind, kMoveTo);
    EXPECT_EQ(path.commands[3].kind, kLineTo);
    ExpectPoint(path.commands[3].points[0], 120, 105);
    EXPECT_EQ(path.commands[4].kind, 7);
    EXPECT_TRUE(path.commands[4].points.empty());
}

TEST(MapGuide, GuideWithoutOriginMapsNothing) {
    PathParser guide;
    guide.commands = {{kMoveTo, {}}, {kLineTo, {{10, 0}}}};
    guide.width = 10;
    PathParser path;
    MapGuide(guide, path, {0, 0}, 0.0, 1.0, 1.0);
    EXPECT_TRUE(path.commands.empty());
}

TEST(GuideIsMappable, NeedsAnOriginAndAFiniteNonZeroWidth) {
    EXPECT_TRUE(GuideIsMappable(StraightGuide()));
    PathParser guide = StraightGuide();
    guide.width = 0;
    EXPECT_FALSE(GuideIsMappable(guide));
    guide.width = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(GuideIsMappable(guide));
    guide.width = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(GuideIsMappable(guide));
    guide = StraightGuide();
    guide.commands[0].points.clear();
    EXPECT_FALSE(GuideIsMappable(guide));
    EXPECT_FALSE(GuideIsMappable(PathParser{}));
}

}  // namespace
}  // namespace velmora
