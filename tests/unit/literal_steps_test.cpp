// Random scenes rendered twice, once as the module renders them and once
// with every shortcut off (StrokeContext::literal): every coverage byte and
// the dirty box must agree. The fixed seed runs in the suite; for a longer
// hunt set VELMORA_LITERAL_SEED (any number) and VELMORA_LITERAL_SCENES.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "controller/pass_bounds.h"
#include "controller/render_context.h"
#include "data/guide_file.h"
#include "layout/layouts.h"
#include "render/path_task.h"
#include "render/template_kind.h"

namespace velmora {
namespace {

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

Picture Render(const RandomScene& scene, uint32_t literal, Shares shares = Shares::kNone) {
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

// Draws scenes across the panel and past the canvas: near, far, coincident
// and collinear points, long segments and huge rings kept within what the
// literal steps walk in a moment.
class SceneMaker {
public:
    explicit SceneMaker(uint64_t seed) : random_(seed) {}

    RandomScene Make() {
        RandomScene scene;
        RenderSettings& s = scene.settings;
        const int kind = Pick(10);
        constexpr int32_t kTemplates[] = {kTemplateRadial, kTemplateParallel, kTemplateConcentric};
        s.type = kind < 9 ? kTemplates[kind / 3] : 3 + Pick(4);  // past the templates: radial
        scene.width = Chance(0.1) ? 1 + Pick(3) : 4 + Pick(90);
        scene.height = Chance(0.1) ? 1 + Pick(3) : 4 + Pick(90);
        if (Chance(0.5)) std::swap(scene.width, scene.height);
        Source(scene);
        Settings(s);
        const int reach = Pick(10);  // 0-5 near, 6-7 far, 8 huge rings or lines, 9 odd
        Points(scene, reach);
        // Nearly flat ellipses through ordinary points can have 10^8
        // vertices, past what streamed rings take exactly (and past what
        // the literal steps store): such points are drawn again.
        while (s.type == kTemplateConcentric && !RingWithinReach(FitRing(scene.points[0], scene.points[1], scene.points[2])))
            Points(scene, reach);
        Guide(scene);
        char about[160];
        std::snprintf(about, sizeof about, "type %d, %dx%d, points (%d,%d) (%d,%d) (%d,%d), spacing %d",
                      s.type, scene.width, scene.height, scene.points[0].x, scene.points[0].y,
                      scene.points[1].x, scene.points[1].y, scene.points[2].x, scene.points[2].y,
                      s.spacing);
        scene.about = about;
        return scene;
    }

private:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<uint64_t>(n)); }
    double Uniform(double lo, double hi) {
        return lo + (hi - lo) * std::uniform_real_distribution<double>(0.0, 1.0)(random_);
    }
    bool Chance(double p) { return Uniform(0, 1) < p; }

    // Every layer kind the module reads, in a random channel order, with
    // blocks, discs and noise of ink; a selection now and then.
    void Source(RandomScene& scene) {
        const int layouts[4] = {kLayoutRgba, kLayoutRgba, kLayoutGrey, kLayoutSingle};
        scene.layout = static_cast<uint8_t>(layouts[Pick(Chance(0.05) ? 4 : 3)]);
        const int bytes = PixelBytesForLayout(scene.layout);
        if (scene.layout == kLayoutRgba) {
            std::array<uint8_t, 3> colours{0, 1, 2};
            std::shuffle(colours.begin(), colours.end(), random_);
            scene.order = {colours[0], colours[1], colours[2], 3, 0};
        } else if (scene.layout == kLayoutGrey) {
            scene.order = {0, 1, 0, 0, 0};
        } else {
            scene.order = {0, 0, 0, 0, 0};
        }
        const size_t count = static_cast<size_t>(scene.width) * scene.height;
        scene.pixels.assign(count * bytes, 255);
        for (size_t i = 0; i < count; ++i) scene.pixels[i * bytes + bytes - 1] = 0;  // clear
        auto ink = [&](int32_t x, int32_t y, uint8_t dark, uint8_t alpha) {
            uint8_t* p = &scene.pixels[(static_cast<size_t>(y) * scene.width + x) * bytes];
            for (int c = 0; c + 1 < bytes; ++c) p[c] = static_cast<uint8_t>(255 - dark);
            p[bytes - 1] = alpha;
        };
        const int style = Pick(4);
        if (style == 0) {  // everything inked
            for (int32_t y = 0; y < scene.height; ++y)
                for (int32_t x = 0; x < scene.width; ++x) ink(x, y, 255, 255);
        } else if (style == 1) {  // noise
            const double density = Uniform(0.05, 0.9);
            for (int32_t y = 0; y < scene.height; ++y)
                for (int32_t x = 0; x < scene.width; ++x)
                    if (Chance(density)) ink(x, y, static_cast<uint8_t>(Pick(256)), static_cast<uint8_t>(Pick(256)));
        } else {  // blocks and discs
            for (int n = 1 + Pick(4); n > 0; --n) {
                const int32_t x0 = Pick(scene.width), y0 = Pick(scene.height);
                const int32_t x1 = x0 + 1 + Pick(scene.width), y1 = y0 + 1 + Pick(scene.height);
                const bool disc = style == 3;
                const uint8_t alpha = Chance(0.7) ? 255 : static_cast<uint8_t>(Pick(256));
                for (int32_t y = y0; y < std::min(y1, scene.height); ++y)
                    for (int32_t x = x0; x < std::min(x1, scene.width); ++x) {
                        const double dx = (x - x0) - (x1 - x0) * 0.5, dy = (y - y0) - (y1 - y0) * 0.5;
                        if (!disc || dx * dx + dy * dy <= (x1 - x0) * (y1 - y0) * 0.25)
                            ink(x, y, 255, alpha);
                    }
            }
        }
        if (Chance(0.25)) {
            scene.mask.assign(count, 0);
            const int32_t x0 = Pick(scene.width), y0 = Pick(scene.height);
            for (int32_t y = 0; y < scene.height; ++y)
                for (int32_t x = 0; x < scene.width; ++x)
                    scene.mask[static_cast<size_t>(y) * scene.width + x] =
                        x >= x0 || y >= y0 ? static_cast<uint8_t>(Chance(0.8) ? 255 : Pick(256)) : 0;
        }
    }

    // The pen and line settings within the panel's ranges, no jitter.
    void Settings(RenderSettings& s) {
        s.spacing = Chance(0.2) ? 1 + Pick(5) : Chance(0.2) ? 1000 : 1 + Pick(300);
        s.spcgain = Chance(0.5) ? 0.0 : Chance(0.5) ? Uniform(-100, 100) : Uniform(-2, 2);
        s.curvature = Chance(0.2) ? 0.0 : Chance(0.2) ? Uniform(-10, 10) : Uniform(-3, 3);
        s.size = Chance(0.1) ? Uniform(0.01, 1) : Chance(0.05) ? 50.0 : Uniform(1, 12);
        if (s.spacing < 5) s.size = std::min(s.size, 6.0);
        s.hardness = Uniform(0, 1);
        s.asdist = Chance(0.5);
        s.in = s.asdist ? Pick(Chance(0.2) ? 1001 : 200) : Uniform(0, 1);
        s.out = s.asdist ? Pick(Chance(0.2) ? 1001 : 200) : Uniform(0, 1);
        if (Chance(0.2)) s.in = 0;
        if (Chance(0.2)) s.out = 0;
        s.easing = Chance(0.5);
        s.position = Chance(0.5) ? 0 : Chance(0.2) ? Pick(2001) - 1000 : Pick(401) - 200;
        s.length = Chance(0.2) ? 0 : Chance(0.1) ? Pick(1001) : Pick(300);
        s.lengain = Chance(0.5) ? 0.0 : Uniform(-100, 100);
        s.connect = Chance(0.5);
    }

    static bool RingWithinReach(const RingShape& ring) {
        return RingVertexCount(std::abs(ring.radiusA) + 1e5, std::abs(ring.radiusB) + 1e5) <= 400000;
    }

    Point32 Near(const RandomScene& scene) {
        return {Pick(scene.width * 3 + 1) - scene.width, Pick(scene.height * 3 + 1) - scene.height};
    }
    // Beyond 65536 pixels to one side, level with the canvas or nearly.
    Point32 Far(const RandomScene& scene, int32_t reach) {
        const int32_t r = 65536 + Pick(reach);
        const Point32 level = Chance(0.7) ? Point32{Pick(scene.width), Pick(scene.height)} : Near(scene);
        Point32 p{Chance(0.5) ? r : -r, level.y};
        if (Chance(0.3)) p = {level.x, p.x};
        return p;
    }

    void Points(RandomScene& scene, int reach) {
        RenderSettings& s = scene.settings;
        Points3& p = scene.points;
        p = {Near(scene), Near(scene), Near(scene)};
        if (reach == 9) {
            // Coincident and collinear points; radial points at nearly the
            // same distance from the centre (lines a fraction of a pixel
            // long, whose length gain is huge).
            const int form = Pick(4);
            if (form == 3) {
                const int32_t x = 5 + Pick(3000);
                p[1] = {p[0].x + x, p[0].y};
                p[2] = {p[0].x + (Chance(0.5) ? x : -x), p[0].y + (Chance(0.5) ? 1 : -1)};
                if (Chance(0.5)) std::swap(p[1], p[2]);
                s.spacing = std::max(s.spacing, 200 + Pick(801));
            }
            if (form == 0) p[1] = p[0];
            if (form == 1) p[2] = p[0];
            if (form == 2) {
                const int32_t t = Pick(5) - 2;
                p[2] = {p[0].x + t * (p[1].x - p[0].x), p[0].y + t * (p[1].y - p[0].y)};
            }
        } else if (reach >= 6) {
            if (s.type == kTemplateConcentric) {
                // A ring far larger than the canvas, through it: over 65536
                // vertices when its radius passes about 52000.
                const int32_t r = reach == 8 ? 52000 + Pick(30000) : 2000 + Pick(20000);
                const int32_t cx = scene.width / 2, cy = scene.height / 2 + (Chance(0.5) ? r : -r);
                const int32_t ry = Chance(0.5) ? 0 : Pick(20) - 10;
                p = {Point32{cx - r, cy + ry}, Point32{cx + r, cy - ry}, Point32{cx + Pick(9) - 4, cy - r}};
                s.spacing = std::max(s.spacing, 200 + Pick(800));
                s.lengain = std::clamp(s.lengain, -0.05, 0.05);
                s.spcgain = s.spcgain * 0.01;
            } else if (s.type == kTemplateParallel) {
                // Lines over 65536 pixels long crossing the canvas.
                p[0] = Far(scene, reach == 8 ? 200000 : 20000);
                const bool alongX = std::abs(p[0].x) > 65535;
                const int32_t tilt = Chance(0.7) ? 0 : Pick(41) - 20;
                p[1] = alongX ? Point32{-p[0].x, p[0].y + tilt} : Point32{p[0].x + tilt, -p[0].y};
                if (Chance(0.3)) std::swap(p[0], p[1]);
                const int32_t across = 1 + Pick(reach == 8 ? 3 : 30);
                p[2] = alongX ? Point32{p[0].x + Pick(5) - 2, p[0].y + across}
                              : Point32{p[0].x + across, p[0].y + Pick(5) - 2};
                s.spacing = std::max(s.spacing, 1 + Pick(20));
            } else {
                // Rays from a centre on or near the canvas out to far points.
                p[Chance(0.5) ? 1 : 2] = Far(scene, reach == 8 ? 150000 : 20000);
                s.spacing = std::max(s.spacing, 400 + Pick(601));
                if (Chance(0.3)) std::swap(p[0], p[1]);  // the centre far away
            }
        }
    }

    std::string Number(double lo, double hi) {
        char text[32];
        std::snprintf(text, sizeof text, Chance(0.5) ? "%.0f" : "%.3f", Uniform(lo, hi));
        return text;
    }

    // Built-in guides and SVG guides that start with a move, a line, a
    // cubic or a quadratic, absolute or relative, with or without a transform.
    void Guide(RandomScene& scene) {
        const int form = Pick(10);
        if (form < 2) {
            scene.guide = ":S";
            return;
        }
        if (form < 4) {
            scene.guide = ":C";
            return;
        }
        static const char kKinds[] = "MLCQ";
        std::string d;
        const int count = 1 + Pick(5);
        for (int i = 0; i < count; ++i) {
            const char kind = kKinds[Pick(4)];
            const bool relative = Chance(0.3);
            d += static_cast<char>(relative ? kind - 'A' + 'a' : kind);
            const int points = kind == 'C' ? 3 : kind == 'Q' ? 2 : 1;
            for (int k = 0; k < points; ++k) d += " " + Number(-50, 150) + " " + Number(-60, 60);
            d += " ";
        }
        std::string transform;
        if (Chance(0.2)) transform = " transform=\"translate(" + Number(-30, 30) + " " + Number(-30, 30) + ")\"";
        if (Chance(0.15))
            transform = " transform=\"matrix(" + Number(-2, 2) + " " + Number(-2, 2) + " " +
                        Number(-2, 2) + " " + Number(-2, 2) + " " + Number(-20, 20) + " " +
                        Number(-20, 20) + ")\"";
        scene.guide = "<svg><path d=\"" + d + "\"" + transform + "/></svg>";
    }

    std::mt19937_64 random_;
};

// A scene on an RGBA canvas, no ink; Ink paints [x0, x1) x [y0, y1) black.
RandomScene Canvas(int32_t width, int32_t height, int32_t type, Points3 points, std::string guide) {
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

void Ink(RandomScene& scene, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) scene.pixels[(static_cast<size_t>(y) * scene.width + x) * 4 + 3] = 255;
}

// A ring of radius 60000 (75400 vertices) through a 300 x 300 canvas with
// an inked disc of radius 120 in its middle.
RandomScene HugeRingScene() {
    RandomScene scene = Canvas(300, 300, kTemplateConcentric,
                               {Point32{-59850, 60150}, {60150, 60150}, {150, 150}}, ":S");
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 300; ++x)
            if ((x - 150) * (x - 150) + (y - 150) * (y - 150) <= 120 * 120) Ink(scene, x, y, x + 1, y + 1);
    scene.settings.spacing = 1000;
    scene.settings.length = 20;
    return scene;
}

size_t Marked(const Picture& picture) {
    return picture.coverage.size() -
           static_cast<size_t>(std::count(picture.coverage.begin(), picture.coverage.end(), 0));
}

// A guide that starts with a line starts every mapped path at the canvas
// origin: those lines cross the canvas however far their points lie.
TEST(LiteralSteps, PathsFromTheOriginAreDrawnWhereverTheLinesLie) {
    RandomScene radial = Canvas(100, 100, kTemplateRadial,
                                {Point32{300, 50}, {200, 50}, {150, 50}},
                                "<svg><path d=\"L 0 0 L 100 0\"/></svg>");
    Ink(radial, 0, 0, 100, 100);
    radial.settings.spacing = 250;
    const Picture literal = Render(radial, kLiteralAll);
    EXPECT_GT(Marked(literal), 100u);
    EXPECT_EQ(Render(radial, 0), literal);

    RandomScene parallel = Canvas(100, 100, kTemplateParallel,
                                  {Point32{5000, 300}, {5000, 200}, {5400, 300}},
                                  "<svg><path d=\"Q 50 -40 100 0 L 150 0\"/></svg>");
    Ink(parallel, 0, 0, 100, 100);
    parallel.settings.spacing = 100;
    const Picture lines = Render(parallel, kLiteralAll);
    EXPECT_GT(Marked(lines), 100u);
    EXPECT_EQ(Render(parallel, 0), lines);
}

// Lines 200000 pixels long over a 20 x 20 canvas inked in columns 5 to 14:
// the scan comes in from far off the canvas and finds the stretch the
// one-pixel steps find.
TEST(LiteralSteps, LongLinesFindTheInkOfOnePixelSteps) {
    RandomScene scene = Canvas(20, 20, kTemplateParallel,
                               {Point32{-100000, 10}, {100000, 10}, {-100000, 11}}, ":S");
    Ink(scene, 5, 0, 15, 20);
    scene.settings.length = 0;
    scene.settings.spacing = 50;
    EXPECT_EQ(Render(scene, 0), Render(scene, kLiteralAll));

    RenderContext context(1);
    PathParser guide;
    MakeStraightGuide(guide);
    context.guidePath = &guide;
    context.UseSettings(scene.settings);
    context.parallelPoints = std::make_unique<Points3>(scene.points);
    context.source.layout = kLayoutRgba;
    context.source.order[3] = 3;
    context.source.pixels = scene.pixels.data();
    context.source.width = context.source.height = 20;
    context.source.rowBytes = 80;
    context.source.pixelBytes = 4;
    context.AllocateCoverage();
    LayoutParallel(context);
    const auto tasks = context.pool.Pending();
    ASSERT_FALSE(tasks.empty());
    auto& task = dynamic_cast<PathTask&>(*tasks.front());
    task.path.Flatten(false);
    std::vector<StrokeRun> runs;
    task.ScanInk(runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].start, 100006);
    EXPECT_EQ(runs[0].end, 100016);
}

// A ring of radius 60000 (75400 vertices) through a 300 x 300 canvas with an
// inked disc: built whole, walked whole.
TEST(LiteralSteps, HugeRingsAreTheRingsOfEveryVertex) {
    const RandomScene scene = HugeRingScene();
    const Picture literal = Render(scene, kLiteralAll);
    EXPECT_GT(Marked(literal), 100u);
    EXPECT_EQ(Render(scene, 0), literal);
}

// Lines and rings far across a small canvas: the pass, with each line's
// share of its work, draws what the unlimited literal steps draw.
TEST(LiteralSteps, FarLinesAndRingsKeepTheirShareOfThePass) {
    // 377 radial lines from 5 to 60000 pixels round a 100 x 100 canvas.
    RandomScene radial = Canvas(100, 100, kTemplateRadial, {Point32{50, 50}, {50, 55}, {60050, 50}}, ":S");
    Ink(radial, 0, 0, 100, 100);
    radial.settings.spacing = 1000;
    const Picture lines = Render(radial, kLiteralAll);
    EXPECT_GT(Marked(lines), 300u);
    EXPECT_EQ(Render(radial, 0, Shares::kPass), lines);

    // The ring of radius 60000 through a 300 x 300 canvas with an inked disc.
    const RandomScene ring = HugeRingScene();
    const Picture rings = Render(ring, kLiteralAll);
    EXPECT_GT(Marked(rings), 100u);
    EXPECT_EQ(Render(ring, 0, Shares::kPass), rings);
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return fallback;
    return std::strtoull(value, nullptr, 10);
}

// Which shortcut alone, when taken literally, brings a scene's bytes back.
const char* Culprit(const RandomScene& scene, const Picture& literal) {
    static const std::pair<uint32_t, const char*> kSteps[] = {
        {kLiteralLayout, "layout cull or jump"}, {kLiteralScan, "ink scan jump"},
        {kLiteralRings, "ring building"},        {kLiteralDraw, "stroke steps"},
        {kLiteralLaps, "ring laps"},
    };
    for (const auto& [bit, name] : kSteps)
        if (Render(scene, bit) == literal) return name;
    return "several";
}

TEST(LiteralSteps, RandomScenesGiveTheBytesOfEveryStep) {
    const bool light = std::getenv("VELMORA_LIGHT_TESTS") != nullptr;
    const uint64_t seed = EnvNumber("VELMORA_LITERAL_SEED", 20261209);
    const uint64_t scenes = EnvNumber("VELMORA_LITERAL_SCENES", light ? 60 : 400);
    SceneMaker maker(seed);
    uint64_t differing = 0;
    double slowest = 0;
    uint64_t slowestScene = 0;
    // VELMORA_LITERAL_SCENE=i renders scene i of the seed alone.
    const uint64_t only = EnvNumber("VELMORA_LITERAL_SCENE", UINT64_MAX);
    // VELMORA_LITERAL_TRACE=1 names each scene before it is drawn.
    const bool trace = EnvNumber("VELMORA_LITERAL_TRACE", 0) != 0;
    for (uint64_t i = 0; i < scenes; ++i) {
        const RandomScene scene = maker.Make();
        if (only != UINT64_MAX && i != only) continue;
        if (trace) std::fprintf(stderr, "scene %" PRIu64 ": %s\n", i, scene.about.c_str());
        const auto start = std::chrono::steady_clock::now();
        const Picture literal = Render(scene, kLiteralAll);
        const Picture fast = Render(scene, 0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > slowest) {
            slowest = seconds;
            slowestScene = i;
        }
        if (fast == literal) continue;
        ++differing;
        ADD_FAILURE() << "scene " << i << " of seed " << seed << " (" << scene.about << ", guide "
                      << scene.guide << "): " << Culprit(scene, literal);
    }
    std::printf("literal steps: %" PRIu64 " of %" PRIu64 " scenes differ (seed %" PRIu64
                "); slowest scene %" PRIu64 ", %.2f s\n",
                differing, scenes, seed, slowestScene, slowest);
}

}  // namespace
}  // namespace velmora
