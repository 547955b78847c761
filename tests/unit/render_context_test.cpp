// The pass's settings as the layout and the strokes receive them, and the
// pool a pass gets.
#include <gtest/gtest.h>

#include "controller/render_context.h"
#include "render/thread_pool.h"

namespace velmora {
namespace {

TEST(RenderContext, EverySettingReachesTheRecordThatReadsIt) {
    RenderSettings s;
    s.type = 2;
    s.curvature = -1.5;
    s.size = 7.25;
    s.hardness = 0.375;
    s.fluction = 0.5;
    s.in = 0.125;
    s.out = 0.875;
    s.asdist = true;
    s.easing = true;
    s.position = -17;
    s.posfluct = 0.25;
    s.length = 33;
    s.lenfluct = 0.75;
    s.spacing = 41;
    s.spcfluct = 0.0625;
    s.lengain = 3.5;
    s.spcgain = -2.25;
    s.connect = true;

    RenderContext context(1);
    context.UseSettings(s);
    const StrokeSettings& pen = context.stroke;
    EXPECT_EQ(pen.type, 2);
    EXPECT_EQ(pen.size, 7.25);
    EXPECT_EQ(pen.hardness, 0.375);
    EXPECT_EQ(pen.fluction, 0.5);
    EXPECT_EQ(pen.in, 0.125);
    EXPECT_EQ(pen.out, 0.875);
    EXPECT_TRUE(pen.asdist);
    EXPECT_TRUE(pen.easing);
    EXPECT_EQ(pen.position, -17);
    EXPECT_EQ(pen.posfluct, 0.25);
    EXPECT_EQ(pen.length, 33);
    EXPECT_EQ(pen.lenfluct, 0.75);
    EXPECT_EQ(pen.lengain, 3.5);
    EXPECT_TRUE(pen.connect);
    const LayoutSettings& lines = context.settings;
    EXPECT_EQ(lines.curvature, -1.5);
    EXPECT_EQ(lines.spacing, 41);
    EXPECT_EQ(lines.spcfluct, 0.0625);
    EXPECT_EQ(lines.spcgain, -2.25);
}

TEST(RenderContext, WorkersAsAskedOrOnePerProcessor) {
    EXPECT_EQ(RenderContext(3).pool.WorkerCount(), 3u);
    EXPECT_EQ(RenderContext().pool.WorkerCount(), DefaultWorkerCount());
    EXPECT_EQ(RenderContext(0).pool.WorkerCount(), DefaultWorkerCount());
}

}  // namespace
}  // namespace velmora
