// Work a pass may spend: a path flattened within a bound is exactly the
// unbounded one or none at all; each line's share of the pass; a line past
// its share is left out whole; guides too large to use become the straight
// guide; the context asks the host to go on while its own thread works.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controller/pass_bounds.h"
#include "data/data_folders.h"
#include "data/guide_file.h"
#include "render/path_parser.h"
#include "tests/scratch_config_home.h"
#include "tests/unit/path_commands.h"
#include "tests/unit/render_scene.h"

namespace velmora {
namespace {

using test::Move, test::Line, test::Cubic, test::Quad;

bool SameSegments(const PathParser& a, const PathParser& b) {
    if (a.segments.size() != b.segments.size() || a.totalLength != b.totalLength) return false;
    for (size_t i = 0; i < a.segments.size(); ++i) {
        const LineSegment& s = a.segments[i];
        const LineSegment& t = b.segments[i];
        if (s.start.x != t.start.x || s.start.y != t.start.y || s.end.x != t.end.x ||
            s.end.y != t.end.y || s.length != t.length)
            return false;
    }
    return true;
}

// Lines, a gentle and a wild cubic, a quadratic: some dozens of segments.
std::vector<PathCommand> MixedPath() {
    return {Move(0, 0),   Line(10, 0),  Cubic({20, 40}, {40, -40}, {60, 0}), Quad({80, 90}, {100, 0}),
            Line(120, 5), Cubic({130, 0}, {140, 0}, {150, 0})};
}

TEST(FlattenWithin, WithinTheBoundTheSegmentsAreExactlyFlattens) {
    PathParser full;
    full.commands = MixedPath();
    full.Flatten(false);
    const size_t needed = full.segments.size();
    ASSERT_GT(needed, 20u);
    for (const size_t limit : {needed, needed + 1, size_t{1} << 20}) {
        PathParser bounded;
        bounded.commands = MixedPath();
        EXPECT_TRUE(bounded.FlattenWithin(false, limit)) << limit;
        EXPECT_TRUE(SameSegments(bounded, full)) << limit;
    }
    // One segment short, or none allowed: no segments at all, length 0,
    // the walker at the origin.
    for (const size_t limit : {needed - 1, size_t{1}, size_t{0}}) {
        PathParser bounded;
        bounded.commands = MixedPath();
        EXPECT_FALSE(bounded.FlattenWithin(true, limit)) << limit;
        EXPECT_TRUE(bounded.segments.empty());
        EXPECT_EQ(bounded.totalLength, 0.0);
        EXPECT_EQ(bounded.position.x, 0.0);
        EXPECT_EQ(bounded.walked, 0.0);
    }
}

TEST(FlattenWithin, FarControlPointsStopAtTheBoundNotAtTheirMillions) {
    // Each curve alone splits into the per-curve maximum (65537 pieces);
    // a thousand of them would need tens of millions of segments.
    std::vector<PathCommand> commands{Move(0, 0)};
    for (int i = 0; i < 1000; ++i)
        commands.push_back(Cubic({i * 10.0 + 3, 1e10}, {i * 10.0 + 7, -1e10}, {i * 10.0 + 10, 0}));
    PathParser path;
    path.commands = commands;
    EXPECT_FALSE(path.FlattenWithin(false, 1000));
    EXPECT_TRUE(path.segments.empty());
    EXPECT_LE(path.segments.capacity(), 2048u);  // nothing near the unbounded size was held

    // A curve that needs exactly its per-curve maximum still fits a bound that
    // leaves room for it.
    PathParser one;
    one.commands = {Move(0, 0), Quad({50, 1e12}, {100, 0})};
    PathParser unbounded = one;
    unbounded.Flatten(false);
    EXPECT_TRUE(one.FlattenWithin(false, unbounded.segments.size()));
    EXPECT_TRUE(SameSegments(one, unbounded));
}

TEST(LineLimits, ThePassIsSharedOutWithinFloorsAndCeilings) {
    // One line on a big canvas may take the ceiling of everything.
    const LineLimits one = LineLimitsFor(1, 4000000, 4000000);
    EXPECT_EQ(one.segments, size_t{1} << 16);
    EXPECT_EQ(one.samples, kPassSamples);
    EXPECT_EQ(one.steps, uint64_t{1} << 26);
    // A radial pass at spacing 1 on 4000 x 4000: the totals shared out.
    const LineLimits radial = LineLimitsFor(4001, 4000, 4000);
    EXPECT_EQ(radial.segments, kPassSegments / 4001);
    EXPECT_EQ(radial.samples, kPassSamples / 4001);
    EXPECT_EQ(radial.steps, kPassSteps / 4001);
    // A ring through the corners of a 4000 x 4000 canvas is 17772 pixels
    // round; every share covers two laps of it, with runs the longest the
    // panel allows, for the most rings such a canvas gets at spacing 1.
    const LineLimits dense = LineLimitsFor(5700, 4000, 4000);
    EXPECT_GT(dense.samples, 2 * 17772u);
    EXPECT_GT(dense.steps, 2 * 17772u + 2 * (500 + 2 * 5657));
    // On a small canvas a line's runs can use few steps: that is all they
    // get. Its scan may still sample far past the canvas.
    const LineLimits small = LineLimitsFor(10, 32, 24);
    EXPECT_EQ(small.samples, kPassSamples / 10);
    EXPECT_EQ(small.steps, 16u * 56 + 8192);
    // Many lines still get the floors.
    const LineLimits many = LineLimitsFor(size_t{1} << 17, 4000, 4000);
    EXPECT_EQ(many.segments, 256u);
    EXPECT_EQ(many.samples, 4096u);
    EXPECT_EQ(many.steps, 4096u);
    EXPECT_EQ(LineLimitsFor(0, 0, 0).segments, size_t{1} << 16);
}

TEST(LineLimits, ALinePastItsShareIsLeftOutWhole) {
    using test::Scene;
    auto draw = [](auto limit) {
        auto scene = std::make_unique<Scene>(60, 20);
        scene->InkAll();
        limit(*scene->context);
        scene->Task({{2, 10}, {30, 10}, {40, 12}, {58, 10}})->Execute();
        return scene->CountNonZero();
    };
    const int whole = draw([](RenderContext&) {});
    ASSERT_GT(whole, 50);
    // Its share exactly: drawn as before.
    EXPECT_EQ(draw([](RenderContext& c) { c.lineSegmentLimit = 3; }), whole);
    EXPECT_EQ(draw([](RenderContext& c) { c.lineSampleLimit = 60; }), whole);
    EXPECT_EQ(draw([](RenderContext& c) { c.lineStepLimit = 80; }), whole);
    // One short of it: nothing at all, not a part.
    EXPECT_EQ(draw([](RenderContext& c) { c.lineSegmentLimit = 2; }), 0);
    EXPECT_EQ(draw([](RenderContext& c) { c.lineSampleLimit = 40; }), 0);
    EXPECT_EQ(draw([](RenderContext& c) { c.lineStepLimit = 40; }), 0);
}

TEST(Heartbeat, AsksTheHostOnlyThroughItsContactAndLatchesAStop) {
    test::Scene scene(8, 8);
    RenderContext& context = *scene.context;
    EXPECT_FALSE(context.Heartbeat());  // no contact: nothing to ask
    struct Host {
        int asked = 0;
        int stopAt = 3;
        static bool Ask(void* data) {
            auto* host = static_cast<Host*>(data);
            return ++host->asked < host->stopAt;
        }
    } host;
    context.contactFn = &Host::Ask;
    context.contactData = &host;
    EXPECT_FALSE(context.Heartbeat());
    EXPECT_FALSE(context.Heartbeat());
    EXPECT_TRUE(context.Heartbeat());  // the third answer is a stop
    EXPECT_TRUE(context.cancelled.load());
    EXPECT_TRUE(context.Heartbeat());  // latched, the host is not asked again
    EXPECT_EQ(host.asked, 3);
}

void WriteGuide(const testing::ScratchConfigHome& home, const char* name, const std::string& text) {
    std::ofstream(home.vmplugin() / "guide" / name, std::ios::binary) << text;
}

bool IsStraight(const PathParser& p) {
    return p.commands.size() == 2 && p.commands[1].kind == kLineTo &&
           p.commands[1].points[0].x == 100 && p.width == 100;
}

TEST(GuideBounds, GuidesTooLargeToUseBecomeTheStraightGuide) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    ASSERT_TRUE(EnsureDirectory(GuideFolder()));
    std::string far = "<path d=\"M 0 0";
    for (int i = 0; i < 2565; ++i)
        far += " C " + std::to_string(i * 10 + 3) + " 1e10 " + std::to_string(i * 10 + 7) +
               " -1e10 " + std::to_string(i * 10 + 10) + " 0";
    WriteGuide(home, "far.svg", far + "\"/>");
    // Just within: as many commands as a guide may have, each a segment.
    std::string most = "<path d=\"M 0 0";
    for (size_t i = 1; i < kMaxGuideCommands; ++i) most += i % 2 ? " L 2 0" : " L 1 1";
    // Few commands, but past the segments a guide may have.
    WriteGuide(home, "split.svg", "<path d=\"M 0 0 Q 50 1e9 100 0 Q 150 -1e9 200 0\"/>");
    WriteGuide(home, "most.svg", most + "\"/>");
    WriteGuide(home, "oversized.svg", "<path d=\"M 0 0 L 5 5\"/>" + std::string(kMaxGuideFileBytes, ' '));

    PathParser p;
    EXPECT_TRUE(LoadGuide(p, u"far"));
    EXPECT_TRUE(IsStraight(p));
    EXPECT_TRUE(LoadGuide(p, u"oversized"));
    EXPECT_TRUE(IsStraight(p));
    EXPECT_TRUE(LoadGuide(p, u"split"));
    EXPECT_TRUE(IsStraight(p));
    EXPECT_TRUE(LoadGuide(p, u"most"));
    EXPECT_EQ(p.commands.size(), kMaxGuideCommands);
    // Checked but not kept flattened: segments, walker and pen as read.
    EXPECT_TRUE(p.segments.empty());
    EXPECT_EQ(p.currentPoint.x, 0.0);
    EXPECT_EQ(p.currentPoint.y, 0.0);
}

TEST(GuideBounds, AGuideStartingWithALineStillStartsAtTheOrigin) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    ASSERT_TRUE(EnsureDirectory(GuideFolder()));
    WriteGuide(home, "line.svg", "<path d=\"L 10 0 L 20 5\"/>");
    PathParser p;
    ASSERT_TRUE(LoadGuide(p, u"line"));
    p.Flatten(false);
    ASSERT_EQ(p.segments.size(), 2u);
    EXPECT_EQ(p.segments[0].start.x, 0.0);  // not the guide's end from a check
    EXPECT_EQ(p.segments[0].start.y, 0.0);
}

TEST(GuideBounds, AWatchThatSaysStopAbandonsTheRead) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    ASSERT_TRUE(EnsureDirectory(GuideFolder()));
    std::string big = "<path d=\"M 0 0";
    while (big.size() < (1u << 20)) big += " L 1 2 L 3 0";
    WriteGuide(home, "big.svg", big + "\"/>");
    struct Watch {
        int asked = 0;
        bool answer = true;
        static bool Ask(void* data) {
            auto* w = static_cast<Watch*>(data);
            ++w->asked;
            return w->answer;
        }
    };
    Watch going;
    PathParser p;
    EXPECT_TRUE(LoadGuide(p, u"big", LoadWatch{&Watch::Ask, &going}));
    EXPECT_TRUE(IsStraight(p));  // past kMaxGuideCommands
    EXPECT_GT(going.asked, 0);
    Watch stopping;
    stopping.answer = false;
    EXPECT_FALSE(LoadGuide(p, u"big", LoadWatch{&Watch::Ask, &stopping}));
    EXPECT_EQ(stopping.asked, 1);
    EXPECT_TRUE(IsStraight(p));
}

}  // namespace
}  // namespace velmora
