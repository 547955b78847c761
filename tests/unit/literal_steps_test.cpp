// Hand-made scenes far across small canvases, rendered with every shortcut
// and with every step off: the coverage bytes and the dirty box agree.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "literal_scene.h"

namespace velmora {
namespace {

using namespace test;

// A guide that starts with a line starts every mapped path at the canvas
// origin: those lines cross the canvas however far their points lie.
TEST(LiteralSteps, PathsFromTheOriginAreDrawnWhereverTheLinesLie) {
    RandomScene radial = Canvas(100, 100, kTemplateRadial,
                                {Point32{300, 50}, {200, 50}, {150, 50}},
                                "<svg><path d=\"L 0 0 L 100 0\"/></svg>");
    Ink(radial, 0, 0, 100, 100);
    radial.settings.spacing = 250;
    ExpectShortcutsKeepTheBytes("radial", radial, 100);

    RandomScene parallel = Canvas(100, 100, kTemplateParallel,
                                  {Point32{5000, 300}, {5000, 200}, {5400, 300}},
                                  "<svg><path d=\"Q 50 -40 100 0 L 150 0\"/></svg>");
    Ink(parallel, 0, 0, 100, 100);
    parallel.settings.spacing = 100;
    ExpectShortcutsKeepTheBytes("parallel", parallel, 100);
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
    ExpectShortcutsKeepTheBytes("ring", HugeRingScene(), 100);
}

// Lines and rings far across a small canvas: the pass, with each line's
// share of its work, draws what the unlimited literal steps draw.
TEST(LiteralSteps, FarLinesAndRingsKeepTheirShareOfThePass) {
    // 377 radial lines from 5 to 60000 pixels round a 100 x 100 canvas.
    RandomScene radial = Canvas(100, 100, kTemplateRadial, {Point32{50, 50}, {50, 55}, {60050, 50}}, ":S");
    Ink(radial, 0, 0, 100, 100);
    radial.settings.spacing = 1000;
    ExpectShortcutsKeepTheBytes("radial", radial, 300, Shares::kPass);

    // The ring of radius 60000 through a 300 x 300 canvas with an inked disc.
    ExpectShortcutsKeepTheBytes("ring", HugeRingScene(), 100, Shares::kPass);
}

}  // namespace
}  // namespace velmora
