// Flattening paths into segments and walking them by distance.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>

#include "render/path_parser.h"
#include "tests/unit/path_commands.h"

namespace velmora {
namespace {

using test::Move, test::Line, test::Cubic, test::Quad;

PathParser Flattened(std::vector<PathCommand> commands, bool closed = false) {
    PathParser path;
    path.commands = std::move(commands);
    path.Flatten(closed);
    return path;
}

PathParser Square() {
    return Flattened({Move(0, 0), Line(10, 0), Line(10, 10), Line(0, 10), Line(0, 0)}, true);
}

void ExpectAt(PathPoint p, double x, double y) {
    EXPECT_DOUBLE_EQ(p.x, x);
    EXPECT_DOUBLE_EQ(p.y, y);
}

TEST(PathFlatten, LinesCurrentPointAndSkippedCommands) {
    // A first LineTo starts at (0, 0); short and unknown commands are ignored.
    PathParser path = Flattened({Line(3, 4), {kLineTo, {}}, {kCubicTo, {{1, 1}, {2, 2}}},
                                 {9, {{50, 50}}}, {kQuadTo, {{7, 7}}}, Line(3, 10)});
    ASSERT_EQ(path.segments.size(), 2u);
    ExpectAt(path.segments[0].start, 0, 0);
    EXPECT_EQ(path.segments[0].length, 5.0);
    ExpectAt(path.segments[1].start, 3, 4);
    EXPECT_EQ(path.totalLength, 11.0);
    ExpectAt(path.position, 0, 0);

    // Flattening again rebuilds from the commands; currentPoint carries over.
    path.commands = {Line(3, 14)};
    path.Flatten(false);
    ASSERT_EQ(path.segments.size(), 1u);
    ExpectAt(path.segments[0].start, 3, 10);
    EXPECT_EQ(path.totalLength, 4.0);
}

TEST(PathFlatten, CubicWithControlsOnTheChordIsOneSegment) {
    PathParser path = Flattened({Move(0, 0), Cubic({30, 0}, {70, 0}, {100, 0})});
    ASSERT_EQ(path.segments.size(), 1u);
    ExpectAt(path.segments[0].end, 100, 0);
    EXPECT_EQ(path.totalLength, 100.0);
}

TEST(PathFlatten, CubicWithCoincidentEndsIsStraight) {
    auto points = SubdivideCubic({5, 5}, {100, -40}, {-60, 80}, {5, 5}, 0.5);
    ASSERT_EQ(points.size(), 2u);
    ExpectAt(points[1], 5, 5);
}

TEST(PathFlatten, CurvedCubicSplitsAtHalves) {
    auto points = SubdivideCubic({0, 0}, {0, 100}, {100, 100}, {100, 0}, 0.5);
    ASSERT_GT(points.size(), 8u);
    ExpectAt(points.front(), 0, 0);
    ExpectAt(points.back(), 100, 0);
    // The curve point at t = 1/2 is one of the points: (50, 75).
    bool hasMid = false;
    for (PathPoint p : points) hasMid |= p.x == 50.0 && p.y == 75.0;
    EXPECT_TRUE(hasMid);
    // Symmetric curve: a power-of-two number of pieces.
    size_t pieces = points.size() - 1;
    EXPECT_EQ(pieces & (pieces - 1), 0u);
}

TEST(PathFlatten, QuadraticLengthSlightlyBelowArc) {
    std::vector<LineSegment> segments;
    double sum = FlattenQuadratic(segments, {0, 0}, {50, 100}, {100, 0}, 0.5);
    // Arc length of B(t) = (100t, 200t(1 - t)): the integral over [0, 1] of
    // sqrt(100^2 + (200 - 400t)^2), about 147.89.
    const double arc = (200.0 * std::sqrt(5e4) + 1e4 * std::asinh(2.0)) / 400.0;
    EXPECT_LT(sum, arc);
    EXPECT_GT(sum, arc - 0.5);
    ASSERT_GT(segments.size(), 4u);
    double again = 0.0;
    for (const LineSegment& s : segments) again += s.length;
    EXPECT_EQ(sum, again);  // one running sum in append order
    ExpectAt(segments.front().start, 0, 0);
    ExpectAt(segments.back().end, 100, 0);
    for (size_t i = 1; i < segments.size(); ++i) {
        EXPECT_EQ(segments[i].start.x, segments[i - 1].end.x);
    }

    PathParser path = Flattened({Move(0, 0), Quad({50, 100}, {100, 0})});
    EXPECT_EQ(path.totalLength, sum);
}

TEST(PathFlatten, NonFiniteAndHugeCoordinatesFlattenWithoutFailing) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double big : {inf, -inf, nan, 1e308, 1e150}) {
        PathParser path = Flattened({Move(0, 0), Cubic({big, big}, {-big, big}, {big, 0}),
                                     Quad({big, -big}, {0, big}), Line(big, big)});
        EXPECT_GE(path.segments.size(), 3u) << big;
        EXPECT_LE(path.segments.size(), 200000u) << big;
        path.Advance(1);
        path.Advance(-5);
        EXPECT_TRUE(path.Advance(1e9).x == path.position.x || std::isnan(path.position.x));
    }
}

TEST(PathWalk, OpenLineForwardsAndPastTheEnd) {
    PathParser path = Flattened({Move(0, 0), Line(10, 0)});
    ASSERT_EQ(path.segments.size(), 1u);
    ExpectAt(path.Advance(0), 0, 0);
    ExpectAt(path.Advance(4), 4, 0);
    EXPECT_FALSE(path.ended);
    ExpectAt(path.Advance(10), 14, 0);
    EXPECT_TRUE(path.ended);
    EXPECT_EQ(path.walked, 14.0);
    // Back from beyond the end: along the extension, then the segment.
    ExpectAt(path.Retreat(6), 8, 0);
    EXPECT_EQ(path.walked, 8.0);
    EXPECT_TRUE(path.ended);  // never cleared by a backward walk
}

TEST(PathWalk, OpenLineBeforeTheStart) {
    PathParser path = Flattened({Move(0, 0), Line(10, 0)});
    ExpectAt(path.Advance(-3), -3, 0);
    EXPECT_EQ(path.walked, -3.0);
    ExpectAt(path.Advance(1), -2, 0);
    ExpectAt(path.Advance(2.5), 0.5, 0);
    EXPECT_EQ(path.walked, 0.5);
    EXPECT_FALSE(path.ended);
    ExpectAt(path.Retreat(-2), 2.5, 0);
}

TEST(PathWalk, BackFromBeforeTheStartEndingJustPastIt) {
    // A walk from a negative distance that ends within 1e-6 after the start
    // lands on the start, not where the extension left it.
    PathParser path = Flattened({Move(2, 1), Line(12, 1)});
    path.Advance(-3);
    ExpectAt(path.Advance(3 + 5e-7), 2, 1);
    EXPECT_NEAR(path.walked, 5e-7, 1e-12);
    // A walked distance that small counts as 0 for the next step.
    ExpectAt(path.Advance(1), 3, 1);
}

TEST(PathWalk, ClosedSquareWrapsAndWalksBack) {
    PathParser path = Square();
    ExpectAt(path.Advance(45), 5, 0);
    EXPECT_TRUE(path.ended);
    EXPECT_EQ(path.walked, 45.0);
    EXPECT_EQ(path.segmentIndex, 0);

    path.Rewind();
    ExpectAt(path.Retreat(3), 0, 3);  // the last segment, 3 before its end
    EXPECT_EQ(path.walked, -3.0);
    EXPECT_EQ(path.segmentIndex, 3);
    EXPECT_FALSE(path.ended);
    ExpectAt(path.Advance(8), 5, 0);
}

TEST(PathWalk, ZeroLengthSegmentsArePassedOver) {
    PathParser path = Flattened({Move(0, 0), Line(0, 0), Line(4, 0), Line(4, 0), Line(4, 3)});
    ExpectAt(path.Advance(6), 4, 2);
    EXPECT_EQ(path.segmentIndex, 3);
}

TEST(PathWalk, ClosedPathOfNoLengthEndsTheWalk) {
    PathParser ring = Flattened({Move(7, 7), Line(7, 7), Line(7, 7), Line(7, 7)}, true);
    ring.Advance(0.5);  // not yet gone round
    ExpectAt(ring.Advance(1), 7, 7);
    EXPECT_TRUE(ring.ended);
    EXPECT_EQ(ring.walked, 1.5);
    ExpectAt(ring.Retreat(2), 7, 7);
    EXPECT_EQ(ring.walked, -0.5);

    PathParser empty = Flattened({}, true);
    empty.Advance(1);
    EXPECT_TRUE(empty.ended);
}

TEST(PathWalk, TinyRingIsWalkedRoundInWholeLaps) {
    // A ring about 6e-9 long: a step of 100 passes ~1.6e10 laps.
    std::vector<PathCommand> commands{Move(1e-9, 0)};
    for (int i = 1; i <= 8; ++i) {
        double a = i * std::numbers::pi / 4;
        commands.push_back(Line(1e-9 * std::cos(a), 1e-9 * std::sin(a)));
    }
    PathParser ring = Flattened(commands, true);
    ring.Advance(100);
    EXPECT_TRUE(ring.ended);
    EXPECT_EQ(ring.walked, 100.0);
    EXPECT_NEAR(ring.position.x, 0.0, 2e-9);
}

TEST(PathWalk, EmptyOpenPathStaysAtOrigin) {
    PathParser path = Flattened({Move(5, 5)});
    ExpectAt(path.Advance(3), 0, 0);
    EXPECT_TRUE(path.ended);
    ExpectAt(path.Retreat(10), 0, 0);
    EXPECT_EQ(path.walked, -7.0);
}

TEST(PathWalk, SaveAndRestore) {
    PathParser path = Flattened({Move(0, 0), Line(10, 0), Line(10, 10)});
    path.Advance(12);
    WalkState saved = path.SaveWalk();
    path.Advance(30);
    path.RestoreWalk(saved);
    EXPECT_EQ(path.walked, 12.0);
    EXPECT_FALSE(path.ended);
    ExpectAt(path.Advance(1), 10, 3);
}

// The inline step of one pixel lands on the very bits of the walk's own
// Advance(1), wherever the walk stands: short and long segments, segment
// ends, before the start and past the end of open paths, round a ring.
TEST(PathWalk, InlineStepOfOneIsTheWalksStep) {
    const std::vector<PathParser> paths = {
        Flattened({Move(0.3, 0.7), Line(10.1, 0.2), Line(10.4, 0.9), Line(37.77, 21.5),
                   Quad({60, 80}, {90.25, 3.5}), Line(90.25, 3.5), Line(130, 3.5)}),
        Flattened({Move(0, 0), Cubic({40, 90}, {-30, 70}, {25.5, -3.25}), Line(0, 0)}, true),
        Square(),
    };
    for (const double start : {0.0, -7.3, 1e-7, 2.5}) {
        for (const PathParser& original : paths) {
            PathParser walk = original, inline_ = original;
            walk.Advance(start);
            inline_.Advance(start);
            for (int k = 0; k < 400; ++k) {
                const PathPoint a = walk.Advance(1);
                const PathPoint b = inline_.AdvanceOne();
                ASSERT_EQ(std::bit_cast<uint64_t>(a.x), std::bit_cast<uint64_t>(b.x)) << k;
                ASSERT_EQ(std::bit_cast<uint64_t>(a.y), std::bit_cast<uint64_t>(b.y)) << k;
                ASSERT_EQ(std::bit_cast<uint64_t>(walk.walked), std::bit_cast<uint64_t>(inline_.walked));
                ASSERT_EQ(walk.segmentIndex, inline_.segmentIndex) << k;
                ASSERT_EQ(std::bit_cast<uint64_t>(walk.segmentFraction),
                          std::bit_cast<uint64_t>(inline_.segmentFraction));
                ASSERT_EQ(walk.ended, inline_.ended) << k;
            }
        }
    }
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

PathParser Line(PathPoint a, PathPoint b, bool closed = false) {
    PathParser path;
    path.commands = {{kMoveTo, {a}}, {kLineTo, {b}}};
    if (closed) path.commands.push_back({kLineTo, {a}});
    path.Flatten(closed);
    return path;
}

// Steps taken in bulk land on the very bits of one-pixel steps: segments of
// awkward lengths (powers of two, where every step is a rounding tie, and
// lengths just beside them), from the start and from part way along.
TEST(PathWalk, StepsInBulkAreTheBitsOfOnePixelSteps) {
    const bool light = std::getenv("VELMORA_LIGHT_TESTS") != nullptr;
    const double lengths[] = {70000.0,           131072.0,        3.0 * 65536.0, 131072.0 * 1.5 + 0.25,
                              1048576.0 - 1e-7, 262144.0 + 1e-9, 200001.0,      1e6 / 3.0,
                              16777217.0 * 3.0};
    for (double length : lengths) {
        for (double from : {0.0, 777.0, std::min(length * 0.37, light ? 2e5 : 3e6)}) {
            const PathPoint a{-length * 0.6, 10.25};
            const PathPoint b{length * 0.4, 10.25 + length * 1e-6};
            PathParser bulk = Line(a, b);
            PathParser single = Line(a, b);
            for (double w = 0; w < std::floor(from); ++w) single.AdvanceOne();
            bulk.RestoreWalk(single.SaveWalk());
            const double limit = 0.9;
            const uint64_t most = light ? 200000 : 1500000;
            const uint64_t taken = bulk.StepAlongSegment(limit, most);
            ASSERT_GT(taken, 1000u) << length;
            for (uint64_t i = 0; i < taken; ++i) single.AdvanceOne();
            EXPECT_EQ(std::bit_cast<uint64_t>(bulk.segmentFraction),
                      std::bit_cast<uint64_t>(single.segmentFraction))
                << length << " from " << from;
            EXPECT_EQ(bulk.walked, single.walked);
            EXPECT_EQ(bulk.position.x, single.position.x);
            EXPECT_EQ(bulk.position.y, single.position.y);
            EXPECT_LE(bulk.segmentFraction, limit);
            // Unless the count ran out, the next plain step would have passed the limit.
            if (taken < most) {
                EXPECT_GT(single.segmentFraction + 1.0 / single.segments[0].length, limit - 8.0 / length);
            }
        }
    }
}

// Bulk steps keep short of the segment's last pixels, the end of an open
// path and the step count asked for; off a segment they take nothing.
TEST(PathWalk, StepsInBulkStopShortOfEnds) {
    PathParser path = Line({0, 0}, {100000, 0});
    const uint64_t all = path.StepAlongSegment(2.0, UINT64_MAX);
    EXPECT_LE(path.walked, 100000 - 2);
    EXPECT_GE(path.walked, 100000 - 6);
    EXPECT_FALSE(path.ended);
    EXPECT_EQ(static_cast<double>(all), path.walked);

    PathParser counted = Line({0, 0}, {100000, 0});
    EXPECT_EQ(counted.StepAlongSegment(1.0, 12345), 12345u);
    EXPECT_EQ(counted.walked, 12345);

    PathParser before = Line({0, 0}, {100000, 0});
    before.Advance(-5);
    EXPECT_EQ(before.StepAlongSegment(1.0, 100), 0u);

    PathParser empty;
    empty.Flatten(false);
    EXPECT_EQ(empty.StepAlongSegment(1.0, 100), 0u);
}

}  // namespace
}  // namespace velmora
