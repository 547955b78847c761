// Streamed rings against the same rings built and stored whole: every walk
// lands on the same bits, and the memory held stays the same however many
// vertices the ring has.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

#include "data/guide_file.h"
#include "layout/layouts.h"
#include "render/ring_stream.h"
#include "layout_test_support.h"

namespace velmora {
namespace {

void ExpectSameWalk(const PathParser& stored, const RingStream& streamed, const char* after) {
    EXPECT_EQ(std::bit_cast<uint64_t>(stored.walked), std::bit_cast<uint64_t>(streamed.walked)) << after;
    EXPECT_EQ(stored.segmentIndex, streamed.segmentIndex) << after;
    EXPECT_EQ(std::bit_cast<uint64_t>(stored.segmentFraction),
              std::bit_cast<uint64_t>(streamed.segmentFraction))
        << after;
    EXPECT_EQ(stored.ended, streamed.ended) << after;
    EXPECT_EQ(std::bit_cast<uint64_t>(stored.position.x), std::bit_cast<uint64_t>(streamed.position.x))
        << after;
    EXPECT_EQ(std::bit_cast<uint64_t>(stored.position.y), std::bit_cast<uint64_t>(streamed.position.y))
        << after;
}

// A ring of about 75000 vertices with a guide that starts with a line (so
// its flattening depends on where the last one ended), walked forwards in
// steps and jumps, backwards across the start and round more than a lap.
TEST(RingStream, WalksTheBitsOfTheStoredRing) {
    testing::Scene scene(300, 300);
    ASSERT_TRUE(ParseSvgGuide(scene.guide, "<svg><path d=\"L 30 20 Q 60 -40 100 10 l 20 5\"/></svg>"));
    scene.context.settings.curvature = 3.5;
    const RingShape shape = FitRing({-59850, 60150}, {60150, 60150}, {150, 150});
    scene.context.ring = std::make_unique<RingShape>(shape);
    const PathPoint c{static_cast<double>(shape.centre.x), static_cast<double>(shape.centre.y)};

    scene.guide.Flatten(false);  // a first flattening moves the guide's current point
    scene.context.literal = kLiteralRings;
    AddRing(scene.context, c, shape.angle, shape.startAngle, shape.radiusA, shape.radiusB);
    scene.context.literal = 0;
    AddRing(scene.context, c, shape.angle, shape.startAngle, shape.radiusA, shape.radiusB);
    const auto tasks = scene.Tasks();
    ASSERT_EQ(tasks.size(), 2u);
    ASSERT_EQ(tasks[0]->streamedRing, nullptr);
    ASSERT_NE(tasks[1]->streamedRing, nullptr);
    ASSERT_GT(tasks[1]->streamedRing->geometry.n, 65536);

    PathParser stored = tasks[0]->path;
    stored.Flatten(true);
    RingStream streamed;
    ASSERT_TRUE(streamed.Open(*tasks[1]->streamedRing));
    ASSERT_EQ(stored.segments.size(), static_cast<size_t>(streamed.Count()));
    EXPECT_EQ(std::bit_cast<uint64_t>(stored.totalLength), std::bit_cast<uint64_t>(streamed.totalLength));
    ExpectSameWalk(stored, streamed, "open");

    for (int i = 0; i < 30000; ++i) {
        stored.AdvanceOne();
        streamed.AdvanceOne();
    }
    ExpectSameWalk(stored, streamed, "steps");
    const double total = stored.totalLength;
    const double moves[] = {total * 0.7, -1234.5, -total * 0.9, 3.25, total * 1.6, -total * 2.3, 0.5};
    for (double x : moves) {
        stored.Advance(x);
        streamed.Advance(x);
        ExpectSameWalk(stored, streamed, "a move");
    }
    stored.Rewind();
    streamed.Rewind();
    stored.Retreat(17.25);
    streamed.Retreat(17.25);
    ExpectSameWalk(stored, streamed, "back from the start");
    for (int i = 0; i < 5000; ++i) {
        stored.AdvanceOne();
        streamed.AdvanceOne();
    }
    ExpectSameWalk(stored, streamed, "over the start");

    // A walk saved in one window of segments and taken up again after the
    // stream has made others goes on as a walk that never left.
    const PathParser stayed = stored;
    const WalkState saved = streamed.SaveWalk();
    streamed.Advance(total * 0.5);
    streamed.RestoreWalk(saved);
    ExpectSameWalk(stayed, streamed, "restored");
    for (int i = 0; i < 5000; ++i) {
        stored.AdvanceOne();
        streamed.AdvanceOne();
    }
    ExpectSameWalk(stored, streamed, "on from the restored walk");
}

// Ten million vertices: the segments are the vertex formula's, and the
// stream holds no more than for a ring a hundred times smaller.
TEST(RingStream, TenMillionVerticesInFixedMemory) {
    const bool light = std::getenv("VELMORA_LIGHT_TESTS") != nullptr;
    PathParser guide;
    MakeCurveGuide(guide);
    auto measure = [&](double radius) {
        RingPlan plan;
        plan.geometry.centre = {150, 150 + radius};
        plan.geometry.ra = radius;
        plan.geometry.rb = radius;
        plan.geometry.startAngle = -std::numbers::pi / 2;
        plan.geometry.curvature = 1;
        plan.geometry.n = RingVertexCount(radius, radius);
        plan.guide = &guide;
        RingStream stream;
        EXPECT_TRUE(stream.Open(plan));
        EXPECT_EQ(stream.Count(), plan.geometry.n);
        // Vertex 0 lies where the guide starts, at the top of the ring.
        EXPECT_NEAR(stream.Segment(0).start.x, 150, 1e-6);
        EXPECT_NEAR(stream.Segment(0).start.y, 150, 1e-6);
        const int32_t last = stream.Count() - 1;
        EXPECT_NEAR(stream.Segment(last).end.x, 150, 1e-6);
        const LineSegment middle = stream.Segment(last / 2);
        EXPECT_NEAR(std::hypot(middle.start.x - 150, middle.start.y - 150 - radius), radius - 25, 0.5);
        stream.Advance(stream.totalLength * 0.75);
        stream.Retreat(stream.totalLength * 0.5);
        EXPECT_NEAR(stream.walked, stream.totalLength * 0.25, 1e-3);
        return stream.MemoryHeld();
    };
    const size_t small = measure(8e4 * (light ? 0.1 : 1.0));
    const size_t large = measure(8e6 * (light ? 0.1 : 1.0));  // about 10^7 vertices
    EXPECT_LE(large, small * 2);
    EXPECT_LT(large, size_t{1} << 20);
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// A ring longer than its budget stops being measured part way; within it the
// length is the one measured without a budget.
TEST(RingStream, MeasuringStopsPastTheLengthBudget) {
    RingPlan plan;
    plan.geometry.centre = {150, 150};
    plan.geometry.ra = 2e5;
    plan.geometry.rb = 2e5;
    plan.geometry.n = RingVertexCount(2e5, 2e5);
    RingStream whole;
    ASSERT_TRUE(whole.Open(plan));
    RingStream within;
    EXPECT_TRUE(within.Open(plan, nullptr, whole.totalLength));
    EXPECT_EQ(within.totalLength, whole.totalLength);
    RingStream past;
    EXPECT_FALSE(past.Open(plan, nullptr, whole.totalLength / 2));
}

// Rings of few vertices are built by their tasks, not by the layout: a
// pass of thousands of rings holds no vertex until a ring runs, and none
// once it has run. Built, a ring has the bits the layout would give it, and
// a ring longer than its budget is not built at all.
TEST(PlannedRing, VerticesLiveOnlyWhileTheRingRuns) {
    testing::Scene scene(400, 400);
    scene.guide = testing::CurveGuide();
    scene.context.settings.spacing = 2;
    scene.context.ring = std::make_unique<RingShape>(FitRing({-3000, 200}, {-2000, 200}, {-2500, 700}));
    LayoutConcentric(scene.context);
    const auto tasks = scene.Tasks();
    ASSERT_GT(tasks.size(), 100u);
    for (const PathTask* task : tasks) {
        ASSERT_TRUE(task->streamedRing && task->streamedRing->stored);
        EXPECT_EQ(task->path.commands.capacity(), 0u);
    }

    // The first ring walks a copy of the guide, the others the pass's guide
    // itself; each has the bits the layout would build.
    EXPECT_FALSE(tasks[0]->streamedRing->sharesGuide);
    EXPECT_TRUE(tasks[1]->streamedRing->sharesGuide);
    testing::Scene literal(400, 400);
    literal.guide = scene.guide;
    literal.context.literal = kLiteralRings;
    for (size_t t = 0; t < 3; ++t) {
        const RingGeometry& g = tasks[t]->streamedRing->geometry;
        AddRing(literal.context, g.centre, std::atan2(g.sinA, g.cosA), g.startAngle, g.ra, g.rb);
        PathParser planned;
        ASSERT_TRUE(BuildPlannedRing(*tasks[t]->streamedRing, planned));
        const auto& built = literal.Tasks()[t]->path.commands;
        ASSERT_EQ(planned.commands.size(), built.size());
        for (size_t i = 0; i < built.size(); ++i) {
            EXPECT_EQ(std::bit_cast<uint64_t>(planned.commands[i].points[0].x),
                      std::bit_cast<uint64_t>(built[i].points[0].x));
            EXPECT_EQ(std::bit_cast<uint64_t>(planned.commands[i].points[0].y),
                      std::bit_cast<uint64_t>(built[i].points[0].y));
        }
    }
    PathParser tooLong;
    EXPECT_FALSE(BuildPlannedRing(*tasks.front()->streamedRing, tooLong, 100));

    const auto held = scene.context.pool.Pending();  // kept past the run
    scene.context.pool.Run();
    for (const auto& task : held)
        EXPECT_EQ(dynamic_cast<const PathTask&>(*task).path.commands.capacity(), 0u);
}

}  // namespace
}  // namespace velmora
