// Filter runs as the host drives them, for the pass: progress and stop
// requests, failing tasks, what the layout is given, and presets saved at
// the end of a run.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "tests/e2e/run_cycle_scene.h"

namespace velmora::e2e {
namespace {

TEST_F(RunCycle, ProgressRisesOnAScaleOf500OncePerFinishedTask) {
    manager().seams.layout = SevenTasks;
    ClearLayers(8, 8);
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.progressRanges(), std::vector<int32_t>{500});
    EXPECT_EQ(host.progressValues(), (std::vector<int32_t>{71, 142, 214, 285, 357, 428, 500}));
    const std::vector<int32_t> requests = host.processRequests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), 258), 7);
    ExpectCleanHost();
}

TEST_F(RunCycle, ProgressThatDoesNotRiseCallsNoHostService) {
    VelmoraManager& m = manager();
    m.lastProgress = 0;
    EXPECT_TRUE(m.ReportProgress(7, 1));
    EXPECT_TRUE(m.ReportProgress(7, 2));
    EXPECT_TRUE(m.ReportProgress(7, 2));
    EXPECT_TRUE(m.ReportProgress(7, 3));
    EXPECT_EQ(host.progressValues(), (std::vector<int32_t>{71, 142, 214}));
    EXPECT_EQ(host.processRequests(), (std::vector<int32_t>{258, 258, 258}));

    EXPECT_TRUE(m.ReportProgress(1000, 1));  // 0: not a rise
    EXPECT_EQ(host.progressValues().size(), 3u);

    host.QueueReplies(258, {259});
    EXPECT_FALSE(m.ReportProgress(7, 4));
    EXPECT_EQ(m.lastReply, 259);
    EXPECT_TRUE(m.ReportProgress(0, 0));  // no tasks: nothing to scale
}

TEST_F(RunCycle, AStopRequestDuringAPassLeavesTheDestinationAsItWas) {
    manager().seams.layout = SevenCoveringTasks;
    const HostOffscreen dest = Layers(8, 8, 7);
    host.QueueReplies(258, {259});
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(Bytes(dest), std::vector<uint8_t>(256, 7));
    EXPECT_TRUE(host.areasChanged().empty());
    EXPECT_EQ(host.progressValues().size(), 1u);  // cancelled: no more host calls
    ExpectCleanHost();

    // The next run draws again.
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(Bytes(dest)[3], 90);
    EXPECT_EQ(host.areasChanged().size(), 1u);
}

TEST_F(RunCycle, APassWithoutTasksClearsTheDestinationAndStillReportsIt) {
    manager().seams.layout = NoTasks;
    const HostOffscreen dest = Layers(6, 5, 7);
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_TRUE(g_seen.called);
    EXPECT_EQ(Bytes(dest), std::vector<uint8_t>(120, 0));
    ASSERT_EQ(host.areasChanged().size(), 1u);
    const HostRect r = host.areasChanged()[0];
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 5);
    EXPECT_TRUE(host.progressValues().empty());
    ExpectCleanHost();
}

TEST_F(RunCycle, AFailingTaskDropsThePassAndTheRunStillEnds) {
    manager().seams.layout = CoverThenFail;
    const HostOffscreen dest = Layers(8, 8, 7);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(Bytes(dest), std::vector<uint8_t>(256, 7));
    EXPECT_TRUE(host.areasChanged().empty());
    ExpectCleanHost();  // the layers went back: the run ended normally

    manager().seams.layout = CoverEverything;
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(Bytes(dest)[3], 90);
}

TEST_F(RunCycle, PenStartAndEndReachTheLayoutAsFractionsOrPixels) {
    manager().seams.layout = NoTasks;
    ClearLayers(4, 4);
    host.EditInt(kItemIn, 1000);
    host.EditInt(kItemOut, 250);
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(g_seen.stroke.in, 1.0);
    EXPECT_EQ(g_seen.stroke.out, 0.25);

    host.EditBool(kItemAsdist, true);
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(g_seen.stroke.in, 1000.0);
    EXPECT_EQ(g_seen.stroke.out, 250.0);
}

TEST_F(RunCycle, TheTemplateDecidesWhichGeometryThePassHolds) {
    manager().seams.layout = NoTasks;
    ClearLayers(100, 80);
    struct Case {
        int32_t type;
        bool ring, parallel, radial;
    };
    for (const Case& c : std::vector<Case>{{0, false, false, true},
                                           {1, false, true, false},
                                           {2, true, false, false},
                                           {7, false, false, true}}) {
        SCOPED_TRACE(c.type);
        manager().settings.type = c.type;
        manager().settings.p1 = Point32{10, 20};
        manager().settings.p2 = Point32{30, 40};
        manager().settings.p3 = Point32{50, 60};
        g_seen = SeenContext{};
        ASSERT_EQ(host.FilterRun(), 0);
        EXPECT_EQ(g_seen.ring, c.ring);
        EXPECT_EQ(g_seen.parallel, c.parallel);
        EXPECT_EQ(g_seen.radial, c.radial);
        if (!c.ring) {
            EXPECT_EQ(g_seen.points[0], (Point32{10, 20}));
            EXPECT_EQ(g_seen.points[2], (Point32{50, 60}));
        }
        EXPECT_EQ(g_seen.source.width, 100);
        EXPECT_EQ(g_seen.source.height, 80);
    }
}

TEST_F(RunCycle, TheGuideIsParsedOnFirstUseAndKept) {
    manager().seams.layout = NoTasks;
    ClearLayers(4, 4);
    host.EditEnum(kItemGuide, 1);
    ASSERT_EQ(host.FilterRun(), 0);
    ASSERT_NE(manager().guides[1].path, nullptr);
    EXPECT_EQ(manager().guides[0].path, nullptr);
    PathParser* curve = manager().guides[1].path.get();
    EXPECT_EQ(g_seen.guide, curve);
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(manager().guides[1].path.get(), curve);

    manager().settings.guide = 99;  // no such entry: the straight guide
    ASSERT_EQ(host.FilterRun(), 0);
    ASSERT_NE(manager().guides[0].path, nullptr);
    EXPECT_EQ(g_seen.guide, manager().guides[0].path.get());
}

TEST_F(RunCycle, SavePresetWritesAPresetAtTheEndOfEveryRunWhileChecked) {
    manager().seams.layout = NoTasks;
    ClearLayers(4, 4);
    host.EditBool(kItemSavePreset, true);
    ASSERT_EQ(host.FilterRun(), 0);
    ASSERT_EQ(host.FilterRun(), 0);
    ASSERT_EQ(manager().presets.size(), 3u);
    EXPECT_EQ(host.Item(kItemPreset)->enumStrings.size(), 3u);
    EXPECT_EQ(host.Item(kItemPreset)->enumStrings.at(2), manager().presets[2].name);
    EXPECT_TRUE(std::filesystem::exists(config.PresetDir() /
                                        (std::filesystem::path(manager().presets[2].name).string() +
                                         ".ini")));

    host.EditBool(kItemSavePreset, false);
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(manager().presets.size(), 3u);
    ExpectCleanHost();
}

}  // namespace
}  // namespace velmora::e2e
