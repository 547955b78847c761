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
#include <utility>

#include "literal_scene.h"

namespace velmora {
namespace {

using namespace test;

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
