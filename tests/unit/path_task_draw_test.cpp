// Pen strokes: stamping discs and drawing whole tasks, alone, far off the
// canvas and across workers.
#include "render/path_task.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "render/rasteriser.h"
#include "render_scene.h"

namespace velmora {
namespace {

using test::Scene;

TEST(StampSegment, DiscsAreAPixelApart) {
    Scene scene(40, 10);
    StampSegment(*scene.context, {5, 5.5}, {25, 5.5}, 1, 1, 2);
    for (int x = 6; x < 26; ++x) EXPECT_EQ(scene.At(x, 5), 255) << x;
    EXPECT_EQ(scene.Dirty(), (std::vector<int32_t>{5, 4, 27, 7}));

    Scene empty(40, 10);
    StampSegment(*empty.context, {5, 5}, {5, 5}, 1, 1, 2);  // no length
    StampSegment(*empty.context, {5, 5}, {25, 5}, 1, 1, 0.09);  // below 0.1
    EXPECT_EQ(empty.CountNonZero(), 0);
    EXPECT_TRUE(empty.context->dirty.Empty());
}

TEST(Execute, DrawsTheInkedStretch) {
    Scene scene(60, 20);
    scene.Paint(20, 0, 40, 20);
    scene.context->stroke.in = 0;
    scene.context->stroke.out = 0;
    auto task = scene.Task({{0.5, 10}, {55.5, 10}});
    task->Execute();
    // Run [20, 40] at x = 0.5 + walked; its first step rises from pressure 0.
    EXPECT_EQ(scene.At(21, 9), 0);
    EXPECT_EQ(scene.At(22, 9), 80);
    for (int x = 23; x < 43; ++x) EXPECT_EQ(scene.At(x, 9), 255) << x;
    EXPECT_EQ(scene.At(43, 9), 80);
    EXPECT_EQ(scene.At(44, 9), 0);
    EXPECT_EQ(task->path.walked, 0.0);  // the walker is left rewound
}

TEST(Execute, SizeBelowATenthDrawsNothing) {
    Scene scene(40, 20);
    scene.InkAll();
    scene.context->stroke.size = 0.09;
    scene.Task({{2, 10}, {38, 10}})->Execute();
    EXPECT_EQ(scene.CountNonZero(), 0);
    EXPECT_TRUE(scene.context->dirty.Empty());
}

TEST(Execute, CancelledTaskDrawsNothing) {
    Scene scene(40, 20);
    scene.InkAll();
    auto task = scene.Task({{2, 10}, {38, 10}});
    task->Cancel();
    task->Execute();
    EXPECT_EQ(scene.CountNonZero(), 0);
}

// A huge gain makes runs far longer than any canvas; what they draw, and the
// box they grow, must equal a run that merely spans the canvas.
void ExpectSameAsModestGain(std::vector<PathPoint> line) {
    auto render = [&](double lengain) {
        auto scene = std::make_unique<Scene>(100, 80);
        scene->InkAll();
        StrokeSettings& s = scene->context->stroke;
        s.length = 0;
        s.in = 0;
        s.out = 0;
        s.size = 3;
        s.hardness = 0.5;
        s.lengain = lengain;
        scene->Task(line)->Execute();
        return scene;
    };
    const auto start = std::chrono::steady_clock::now();
    auto huge = render(1e12);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    auto modest = render(1000);
    EXPECT_EQ(huge->Coverage(), modest->Coverage());
    EXPECT_EQ(huge->Dirty(), modest->Dirty());
    EXPECT_GT(huge->CountNonZero(), 0);
}

TEST(Execute, HugeGainOnAnAxisLineDrawsLikeAModestOne) {
    ExpectSameAsModestGain({{40, 30.5}, {60, 30.5}});  // 20 long: gain = lengain
    ExpectSameAsModestGain({{50.5, 30}, {50.5, 50}});
}

TEST(Execute, HugeGainOnADiagonalDrawsLikeAModestOne) {
    ExpectSameAsModestGain({{40, 30}, {52, 46}});  // 20 long
    ExpectSameAsModestGain({{52, 30}, {40, 46}});
}

// Runs of hundreds of thousands of pixels with tapers: jumping over the far start,
// measuring discs off the canvas and stopping early beyond the end give the bytes
// and box of every step.
TEST(Execute, SkippingFarStepsChangesNoByte) {
    const bool light = std::getenv("VELMORA_LIGHT_TESTS") != nullptr;
    struct Case {
        std::vector<PathPoint> line;
        bool asdist;
        double in, out;
        double lengain;
    };
    const std::vector<Case> cases = {
        {{{40, 30.5}, {60, 30.5}}, false, 0.9, 0.3, 2e5},    // along x, taper over the canvas
        {{{50.5, 50}, {50.5, 30}}, true, 1000, 400, 2e5},    // along y, short tapers
        {{{40, 30}, {52, 46}}, false, 1.0, 1.0, 2e5},        // diagonal
        {{{52, 30}, {40, 46}}, true, 4e5, 2e5, 2e5},         // diagonal, taper far out
        {{{10, 0.5}, {30, 0.5}}, false, 0.2, 0.0, 2e5},      // along the top edge
        {{{30, 20}, {49.99, 20.6}}, false, 0.5, 0.5, 2e5},   // nearly along x
        {{{20, 10}, {20.3, 30}}, false, 0.0, 0.0, 4e5},      // nearly along y
        // Beside the canvas for over 2^20 steps at each end, drifting across
        // its rows: every disc there adds its own rows to the box.
        {{{40, 30}, {60, 30.0002}}, false, 0.5, 0.5, 1.5e6},
        {{{60, 30}, {40, 30.0002}}, true, 3e5, 0.0, 1.5e6},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        auto render = [&](bool skipping) {
            auto scene = std::make_unique<Scene>(90, 70);
            scene->context->literal = skipping ? 0u : uint32_t{kLiteralDraw};
            scene->InkAll();
            StrokeSettings& s = scene->context->stroke;
            s.length = 0;
            s.asdist = cases[i].asdist;
            s.in = cases[i].in;
            s.out = cases[i].out;
            s.easing = i % 2 == 0;
            s.size = 1.0 + static_cast<double>(i);
            s.hardness = 0.5;
            // Sanitizer builds take the long runs a fifth as long.
            s.lengain = light && cases[i].lengain > 1e6 ? cases[i].lengain / 5 : cases[i].lengain;
            scene->Task(cases[i].line)->Execute();
            return scene;
        };
        auto skipped = render(true);
        auto stepped = render(false);
        EXPECT_EQ(skipped->Coverage(), stepped->Coverage()) << i;
        EXPECT_EQ(skipped->Dirty(), stepped->Dirty()) << i;
    }
}

// A run shifted wholly before the start of its path, beside the canvas on a
// line along an axis: none of its discs touch a pixel, but each grows the
// box by the rows it spans, and the jump over the far start must not take
// them all.
TEST(Execute, ARunWhollyBesideTheCanvasStillGrowsTheBox) {
    for (const double in : {0.0, 1.0}) {
        auto render = [&](uint32_t literal) {
            auto scene = std::make_unique<Scene>(90, 70);
            scene->context->literal = literal;
            scene->InkAll();
            StrokeSettings& s = scene->context->stroke;
            s.length = 0;
            s.in = in;  // rising over the whole run, or none
            s.out = 0;
            s.size = 6;
            s.hardness = 0.5;
            s.position = -200;
            scene->Task({{40, 30.5}, {60, 30.5}})->Execute();
            return scene;
        };
        auto skipped = render(0);
        auto stepped = render(kLiteralDraw);
        EXPECT_EQ(stepped->CountNonZero(), 0) << in;
        EXPECT_EQ(skipped->Dirty(), stepped->Dirty()) << in;
        EXPECT_EQ(stepped->Dirty(), (std::vector<int32_t>{0, 27, 0, 34})) << in;
    }
}

// A run whose last step crosses the gap between two sub-paths 17 million
// pixels apart, drifting from row 40 to row 60 beside the canvas: the discs
// that cannot reach the canvas still grow the box, down to row 62.
TEST(Execute, AStepAcrossAHugeGapGrowsTheBoxAsEveryDisc) {
    auto render = [](uint32_t literal) {
        auto scene = std::make_unique<Scene>(90, 70);
        scene->context->literal = literal;
        StrokeSettings& s = scene->context->stroke;
        s.size = 3;
        s.in = 0;
        s.out = 0;
        auto task = scene->Task({{50, 40}, {60, 40}});
        task->path.commands.push_back({kMoveTo, {{-1.7e7, 60}}});
        task->path.commands.push_back({kLineTo, {{-1.7e7 - 10, 60}}});
        task->path.Flatten(false);
        task->DrawRuns({{0.0, 10.5, 0, 0}});
        return scene;
    };
    auto measured = render(0);
    EXPECT_EQ(measured->Dirty()[3], 62);
    // 17 million stamps one by one: not in sanitizer builds.
    if (std::getenv("VELMORA_LIGHT_TESTS") != nullptr) return;
    auto stepped = render(kLiteralDraw);
    EXPECT_EQ(measured->Coverage(), stepped->Coverage());
    EXPECT_EQ(measured->Dirty(), stepped->Dirty());
}

TEST(Execute, StopRequestEndsAnEndlessRing) {
    Scene scene(64, 64);
    scene.Paint(0, 0, 64, 32);
    StrokeSettings& s = scene.context->stroke;
    s.type = kTemplateConcentric;
    s.length = 10;
    s.lengain = 1e12;  // a run of trillions of laps
    const Point32 centre{32, 32};
    auto task = scene.Task({{52, 32}, {32, 52}, {12, 32}, {32, 12}, {52, 32}}, &centre);

    std::thread stopper([task] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        task->Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    task->Execute();
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_GT(scene.CountNonZero(), 0);
}

// Many overlapping soft strokes on a ink pattern.
void AddStrokes(Scene& scene, std::vector<std::shared_ptr<PathTask>>& tasks) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coordinate(-20, 148);
    for (int i = 0; i < 300; ++i) {
        PathPoint a{coordinate(rng), coordinate(rng)}, b{coordinate(rng), coordinate(rng)};
        PathPoint m{(a.x + b.x) / 2 + 9, (a.y + b.y) / 2 - 5};
        tasks.push_back(scene.Task({a, m, b}));
    }
}

Scene& InkPattern(Scene& scene) {
    for (int y = 0; y < scene.Height(); y += 16)
        for (int x = (y / 16 % 2) * 16; x < scene.Width(); x += 32) scene.Paint(x, y, x + 16, y + 16);
    StrokeSettings& s = scene.context->stroke;
    s.size = 7;
    s.hardness = 0.3;
    s.length = 30;
    s.in = 0.4;
    s.out = 0.6;
    s.easing = true;
    s.connect = true;
    return s.type = kTemplateRadial, scene;
}

TEST(Execute, AllWorkersGiveTheSameBytesAsOne) {
    Scene pooled(128, 128, 4);
    std::vector<std::shared_ptr<PathTask>> tasks;
    AddStrokes(InkPattern(pooled), tasks);
    for (auto& task : tasks) pooled.context->pool.AddTask(task);
    pooled.context->pool.Run();

    Scene single(128, 128, 1);
    std::vector<std::shared_ptr<PathTask>> serial;
    AddStrokes(InkPattern(single), serial);
    for (auto& task : serial) task->Execute();

    EXPECT_EQ(pooled.Coverage(), single.Coverage());
    EXPECT_EQ(pooled.Dirty(), single.Dirty());
    EXPECT_GT(single.CountNonZero(), 2000);
}

}  // namespace
}  // namespace velmora
