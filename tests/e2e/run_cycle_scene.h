// The scene of the run-cycle tests: passes queue tasks of the test's own
// through the layout seam, so each scene states exactly which coverage the
// pass produces, and the context the layout saw is kept for the checks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

#include "controller/render_context.h"
#include "tests/e2e/controller_fixture.h"

namespace velmora::e2e {

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
inline SeenContext g_seen;

inline void Remember(RenderContext& context) {
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
inline void CoverTwoPixels(RenderContext& context) {
    Remember(context);
    context.pool.AddTask(std::make_shared<CoverTask>(context, 1, 1, 3, 2, 200));
    context.dirty.x0 = 1;
    context.dirty.y0 = 1;
    context.dirty.x1 = 3;
    context.dirty.y1 = 2;
}

inline void CoverEverything(RenderContext& context) {
    Remember(context);
    context.pool.AddTask(std::make_shared<CoverTask>(context, 0, 0, context.source.width,
                                                     context.source.height, 90));
    context.dirty.x0 = 0;
    context.dirty.y0 = 0;
    context.dirty.x1 = context.source.width;
    context.dirty.y1 = context.source.height;
}

inline void SevenTasks(RenderContext& context) {
    Remember(context);
    for (int i = 0; i < 7; ++i) context.pool.AddTask(std::make_shared<NothingTask>());
}

inline void SevenCoveringTasks(RenderContext& context) {
    CoverEverything(context);
    for (int i = 0; i < 6; ++i) context.pool.AddTask(std::make_shared<NothingTask>());
}

inline void NoTasks(RenderContext& context) { Remember(context); }

inline void CoverThenFail(RenderContext& context) {
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

}  // namespace velmora::e2e
