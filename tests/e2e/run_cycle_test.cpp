// Filter runs as the host drives them: layers in and out, progress and stop
// requests, the colour bytes of each destination kind, presets saved at the
// end of a run. Passes queue tasks of the test's own through the layout seam,
// so each scene states exactly which coverage the pass produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <new>
#include <vector>

#include "controller/render_context.h"
#include "controller_fixture.h"

namespace velmora::e2e {
namespace {

// Writes one coverage value into a box of the pass's buffer.
class CoverTask : public ThreadPoolTask {
public:
    CoverTask(RenderContext& context, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t value)
        : context_(context), x0_(x0), y0_(y0), x1_(x1), y1_(y1), value_(value) {}
    void Execute() override {
        for (int32_t y = y0_; y < y1_; ++y)
            for (int32_t x = x0_; x < x1_; ++x)
                context_.coverage[static_cast<size_t>(y * context_.source.width + x)] = value_;
    }

private:
    RenderContext& context_;
    int32_t x0_, y0_, x1_, y1_;
    uint8_t value_;
};

class NothingTask : public ThreadPoolTask {
public:
    void Execute() override {}
};

class FailingTask : public ThreadPoolTask {
public:
    void Execute() override { throw std::bad_alloc(); }
};

// What the last pass's context held when the layout ran.
struct SeenContext {
    bool called = false;
    StrokeSettings stroke;
    bool ring = false, parallel = false, radial = false;
    Points3 points{};
    PathParser* guide = nullptr;
    PixelBlock source;
    MaskBlock mask;
};
SeenContext g_seen;

void Remember(RenderContext& context) {
    g_seen.called = true;
    g_seen.stroke = context.stroke;
    g_seen.ring = context.ring != nullptr;
    g_seen.parallel = context.parallelPoints != nullptr;
    g_seen.radial = context.radialPoints != nullptr;
    if (context.parallelPoints) g_seen.points = *context.parallelPoints;
    if (context.radialPoints) g_seen.points = *context.radialPoints;
    g_seen.guide = context.guidePath;
    g_seen.source = context.source;
    g_seen.mask = context.mask;
}

// The box (1, 1)-(3, 2) at coverage 200.
void CoverTwoPixels(RenderContext& context) {
    Remember(context);
    context.pool.AddTask(std::make_shared<CoverTask>(context, 1, 1, 3, 2, 200));
    context.dirty.x0 = 1;
    context.dirty.y0 = 1;
    context.dirty.x1 = 3;
    context.dirty.y1 = 2;
}

void CoverEverything(RenderContext& context) {
    Remember(context);
    context.pool.AddTask(std::make_shared<CoverTask>(context, 0, 0, context.source.width,
                                                     context.source.height, 90));
    context.dirty.x0 = 0;
    context.dirty.y0 = 0;
    context.dirty.x1 = context.source.width;
    context.dirty.y1 = context.source.height;
}

void SevenTasks(RenderContext& context) {
    Remember(context);
    for (int i = 0; i < 7; ++i) context.pool.AddTask(std::make_shared<NothingTask>());
}

void SevenCoveringTasks(RenderContext& context) {
    CoverEverything(context);
    for (int i = 0; i < 6; ++i) context.pool.AddTask(std::make_shared<NothingTask>());
}

void NoTasks(RenderContext& context) { Remember(context); }

void CoverThenFail(RenderContext& context) {
    CoverEverything(context);
    context.pool.AddTask(std::make_shared<FailingTask>());
}

class RunCycle : public ControllerTest {
protected:
    void SetUp() override {
        g_seen = SeenContext{};
        Start();
    }

    // A kind-3 layer of that size with every byte `fill`.
    HostOffscreen Filled(int32_t width, int32_t height, uint8_t fill,
                         const int32_t indices[3] = nullptr) {
        std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4), fill);
        return host.OffscreenFromRgba(width, height, rgba.data(), indices);
    }
    // A clear source and a destination whose every byte is `fill`, both
    // of that size, given to the host; the destination.
    HostOffscreen Layers(int32_t width, int32_t height, uint8_t fill) {
        host.SetSource(Filled(width, height, 0));
        const HostOffscreen dest = Filled(width, height, fill);
        host.SetDestination(dest);
        return dest;
    }
    // A clear source and a new kind-3 destination of that size.
    void ClearLayers(int32_t width, int32_t height) {
        host.SetSource(Filled(width, height, 0));
        host.SetDestination(host.CreateOffscreen(width, height, 3));
    }
    std::vector<uint8_t>& Bytes(HostOffscreen o) { return host.GetOffscreen(o)->pixels; }

    void ExpectCleanHost() {
        EXPECT_TRUE(host.errors().empty()) << host.errors().front();
        EXPECT_EQ(host.liveBitmaps(), 0u);
        EXPECT_EQ(host.liveStrings(), 0u);
    }
};

struct ColourCase {
    int32_t kind;
    HostRgb colour;
    uint8_t value;
};

TEST_F(RunCycle, OneChannelDestinationsTakeTheLumaOrItsThreshold) {
    manager().seams.layout = CoverTwoPixels;
    for (const ColourCase& c : std::vector<ColourCase>{{2, {255, 0, 0}, 76},
                                                       {6, {255, 0, 0}, 0},
                                                       {2, {255, 255, 255}, 255},
                                                       {6, {255, 255, 255}, 255},
                                                       {5, {255, 255, 255}, 255}}) {
        SCOPED_TRACE(c.kind);
        host.SetSource(Filled(4, 3, 0));
        const HostOffscreen dest = host.CreateOffscreen(4, 3, c.kind);
        host.SetDestination(dest);
        host.SetDrawingColours(c.colour);
        ASSERT_EQ(host.FilterRun(), 0);
        const std::vector<uint8_t>& bytes = Bytes(dest);
        const size_t stride = bytes.size() / 12;
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                const uint8_t* p = bytes.data() + (y * 4 + x) * stride;
                const bool drawn = y == 1 && (x == 1 || x == 2);
                if (stride == 2) {
                    EXPECT_EQ(p[0], drawn ? c.value : 0) << x << "," << y;
                    EXPECT_EQ(p[1], drawn ? 200 : 0) << x << "," << y;
                } else {
                    EXPECT_EQ(p[0], drawn ? 200 : 0) << x << "," << y;  // one byte: coverage alone
                }
            }
        }
    }
    ExpectCleanHost();
}

TEST_F(RunCycle, ColourDestinationStoresTheColourByItsChannelIndices) {
    manager().seams.layout = CoverTwoPixels;
    const int32_t reversed[3] = {2, 1, 0};
    host.SetSource(Filled(4, 3, 0, reversed));
    const HostOffscreen dest = Filled(4, 3, 0, reversed);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{10, 20, 30});
    ASSERT_EQ(host.FilterRun(), 0);
    const std::vector<uint8_t>& bytes = Bytes(dest);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.begin() + 28),
              (std::vector<uint8_t>{30, 20, 10, 200, 30, 20, 10, 200}));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 48 - 8);
    ASSERT_EQ(host.areasChanged().size(), 1u);
    EXPECT_EQ(host.areasChanged()[0].right, 4);
    EXPECT_EQ(host.areasChanged()[0].bottom, 3);
    ExpectCleanHost();
}

TEST_F(RunCycle, DestinationOfAnotherKindThanTheSourceGetsItsOwnPixelShape) {
    manager().seams.layout = CoverTwoPixels;
    std::vector<uint8_t> grey(12, 0);
    host.SetSource(host.OffscreenFromGrey(4, 3, 2, grey.data()));
    const HostOffscreen dest = host.CreateOffscreen(4, 3, 3);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{10, 20, 30});
    ASSERT_EQ(host.FilterRun(), 0);
    const std::vector<uint8_t>& bytes = Bytes(dest);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.begin() + 28),
              (std::vector<uint8_t>{10, 20, 30, 200, 10, 20, 30, 200}));
    ExpectCleanHost();
}

TEST_F(RunCycle, DestinationSmallerThanTheSourceIsWrittenOnlyInsideItself) {
    manager().seams.layout = CoverEverything;
    host.SetSource(Filled(16, 12, 0));
    const HostOffscreen dest = host.CreateOffscreen(5, 4, 2);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{255, 255, 255});
    ASSERT_EQ(host.FilterRun(), 0);
    const std::vector<uint8_t>& bytes = Bytes(dest);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i], 255) << i;
        EXPECT_EQ(bytes[i + 1], 90) << i;
    }
    ExpectCleanHost();
}

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

TEST_F(RunCycle, ASelectionOfAnotherSizeThanTheSourceCountsAsNone) {
    manager().seams.layout = NoTasks;
    ClearLayers(8, 8);
    std::vector<uint8_t> everything(64, 255);
    host.SetSelection(host.OffscreenFromGrey(8, 8, 1, everything.data()));
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_NE(g_seen.mask.pixels, nullptr);

    host.SetSelection(host.OffscreenFromGrey(4, 4, 1, everything.data()));
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(g_seen.mask.pixels, nullptr);
    EXPECT_EQ(g_seen.mask.rowBytes, 0);
    ExpectCleanHost();
}

TEST_F(RunCycle, BitmapsWithoutPixelAddressesDrawNothingButTheRunCompletes) {
    manager().seams.layout = CoverEverything;
    const HostOffscreen dest = Layers(8, 8, 7);
    host.OmitSlot(hostcore::Service::kBitmap, 7);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_FALSE(g_seen.called);
    EXPECT_EQ(host.areasChanged().size(), 1u);
    EXPECT_EQ(Bytes(dest), std::vector<uint8_t>(256, 7));
    ExpectCleanHost();
}

TEST_F(RunCycle, FiveChannelLayersAreReadAndWrittenOneBytePerPixel) {
    manager().seams.layout = CoverTwoPixels;
    host.SetSource(host.CreateOffscreen(4, 3, 4));
    const HostOffscreen dest = host.CreateOffscreen(4, 3, 4);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{255, 255, 255});
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(g_seen.source.layout, kLayoutSingle);
    EXPECT_EQ(g_seen.source.pixelBytes, 1);
    // Coverage lands in the first bytes of the row, the colour stays zero.
    std::vector<uint8_t> want(60, 0);
    want[20 + 1] = 200;
    want[20 + 2] = 200;
    EXPECT_EQ(Bytes(dest), want);
    ExpectCleanHost();
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
