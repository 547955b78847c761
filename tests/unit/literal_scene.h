// Scenes rendered twice, once as the module renders them and once with
// every shortcut off (StrokeContext::literal): what a scene holds, how it is
// drawn, and the hand-made canvases the fixed cases start from.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controller/pass_bounds.h"
#include "controller/render_context.h"
#include "data/guide_file.h"
#include "layout/layouts.h"
#include "render/path_task.h"
#include "render/template_kind.h"

namespace velmora::test {

struct RandomScene {
    int32_t width = 1;
    int32_t height = 1;
    uint8_t layout = kLayoutRgba;
    std::array<uint8_t, 5> order{0, 1, 2, 3, 0};
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> mask;  // empty: no selection
    RenderSettings settings;
    Points3 points;
    std::string guide;  // ":S", ":C" or SVG text
    std::string about;  // what the scene was drawn from, for a failure
};

struct Picture {
    std::vector<uint8_t> coverage;
    std::array<int32_t, 4> dirty{};
    bool operator==(const Picture&) const = default;
};

// Lines drawn as the module's pass draws them: each with its share of the
// pass's work, or with no limit.
enum class Shares { kNone, kPass };


inline Picture Render(const RandomScene& scene, uint32_t literal, Shares shares = Shares::kNone) {
    PathParser guide;
    if (scene.guide == ":S") {
        MakeStraightGuide(guide);
    } else if (scene.guide == ":C") {
        MakeCurveGuide(guide);
    } else if (!ParseSvgGuide(guide, scene.guide)) {
        MakeStraightGuide(guide);
    }
    RenderContext context(1);
    context.literal = literal;
    context.UseSettings(scene.settings);
    context.guidePath = &guide;
    const Points3& p = scene.points;
    switch (scene.settings.type) {
        case kTemplateParallel: context.parallelPoints = std::make_unique<Points3>(p); break;
        case kTemplateConcentric: context.ring = std::make_unique<RingShape>(FitRing(p[0], p[1], p[2])); break;
        default: context.radialPoints = std::make_unique<Points3>(p); break;
    }
    PixelBlock& s = context.source;
    s.layout = scene.layout;
    for (int i = 0; i < 5; ++i) s.order[i] = scene.order[static_cast<size_t>(i)];
    s.pixelBytes = PixelBytesForLayout(scene.layout);
    s.width = scene.width;
    s.height = scene.height;
    s.rowBytes = scene.width * s.pixelBytes;
    s.pixels = scene.pixels.data();
    if (!scene.mask.empty()) {
        context.mask.pixels = scene.mask.data();
        context.mask.rowBytes = scene.width;
    }
    context.AllocateCoverage();
    switch (scene.settings.type) {
        case kTemplateConcentric: LayoutConcentric(context); break;
        case kTemplateParallel: LayoutParallel(context); break;
        default: LayoutRadial(context); break;
    }
    if (shares == Shares::kPass) {
        const LineLimits limits =
            LineLimitsFor(context.pool.PendingCount(), scene.width, scene.height);
        context.lineSegmentLimit = limits.segments;
        context.lineSampleLimit = limits.samples;
        context.lineStepLimit = limits.steps;
    }
    context.pool.Run();
    Picture picture;
    picture.coverage.assign(context.coverage.get(),
                            context.coverage.get() + static_cast<size_t>(scene.width) * scene.height);
    picture.dirty = {context.dirty.x0.load(), context.dirty.y0.load(), context.dirty.x1.load(),
                     context.dirty.y1.load()};
    return picture;
}

// A scene on an RGBA canvas, no ink; Ink paints [x0, x1) x [y0, y1) black.
inline RandomScene Canvas(int32_t width, int32_t height, int32_t type, Points3 points, std::string guide) {
    RandomScene scene;
    scene.width = width;
    scene.height = height;
    scene.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    scene.settings.type = type;
    scene.settings.size = 2;
    scene.settings.hardness = 1;
    scene.settings.in = 0.5;
    scene.settings.out = 0.5;
    scene.points = points;
    scene.guide = std::move(guide);
    return scene;
}

inline void Ink(RandomScene& scene, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) scene.pixels[(static_cast<size_t>(y) * scene.width + x) * 4 + 3] = 255;
}

// A ring of radius 60000 (75400 vertices) through a 300 x 300 canvas with
// an inked disc of radius 120 in its middle.
inline RandomScene HugeRingScene() {
    RandomScene scene = Canvas(300, 300, kTemplateConcentric,
                               {Point32{-59850, 60150}, {60150, 60150}, {150, 150}}, ":S");
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 300; ++x)
            if ((x - 150) * (x - 150) + (y - 150) * (y - 150) <= 120 * 120) Ink(scene, x, y, x + 1, y + 1);
    scene.settings.spacing = 1000;
    scene.settings.length = 20;
    return scene;
}

inline size_t Marked(const Picture& picture) {
    return picture.coverage.size() -
           static_cast<size_t>(std::count(picture.coverage.begin(), picture.coverage.end(), 0));
}

// Renders the scene with every step and with every shortcut: the literal
// picture marks more than `least` pixels and the fast one is the same bytes.
inline void ExpectShortcutsKeepTheBytes(const char* what, const RandomScene& scene, size_t least,
                                        Shares shares = Shares::kNone) {
    SCOPED_TRACE(what);
    const Picture literal = Render(scene, kLiteralAll);
    EXPECT_GT(Marked(literal), least);
    EXPECT_EQ(Render(scene, 0, shares), literal);
}

}  // namespace velmora::test
