// Pen dabs, ink sampling and the render context's pixel views.
#include "render/rasteriser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render_scene.h"

namespace velmora {
namespace {

using test::Scene;
using Box = std::vector<int32_t>;

TEST(Stamp, HardDiameterTwoCoversItsPixelAndFeathersTheRing) {
    Scene scene(24, 24);
    Stamp(*scene.context, 10.5, 10.5, 2.0);

    EXPECT_EQ(scene.At(10, 10), 255);
    EXPECT_EQ(scene.At(9, 10), 128);
    EXPECT_EQ(scene.At(11, 10), 128);
    EXPECT_EQ(scene.At(10, 9), 128);
    EXPECT_EQ(scene.At(10, 11), 128);
    EXPECT_EQ(scene.At(9, 9), 16);
    EXPECT_EQ(scene.At(11, 9), 16);
    EXPECT_EQ(scene.At(9, 11), 16);
    EXPECT_EQ(scene.At(11, 11), 16);
    EXPECT_EQ(scene.CountNonZero(), 9);
    EXPECT_EQ(scene.Dirty(), (Box{9, 9, 12, 12}));
}

TEST(Stamp, SoftDiameterTenFallsOffAsACone) {
    Scene scene(24, 24);
    scene.context->settings.hardness = 0.0;
    Stamp(*scene.context, 10.5, 10.5, 10.0);

    EXPECT_EQ(scene.At(10, 10), 236);
    EXPECT_EQ(scene.At(12, 10), 152);
    EXPECT_EQ(scene.At(13, 10), 101);
    EXPECT_EQ(scene.At(10, 13), 101);  // the profile is round
}

TEST(Stamp, KeepsTheLargerValue) {
    Scene scene(24, 24);
    scene.context->settings.hardness = 0.0;
    scene.context->coverage[10 * 24 + 13] = 200;  // above the dab's 101
    scene.context->coverage[10 * 24 + 12] = 50;   // below the dab's 152
    Stamp(*scene.context, 10.5, 10.5, 10.0);

    EXPECT_EQ(scene.At(13, 10), 200);
    EXPECT_EQ(scene.At(12, 10), 152);
}

TEST(Stamp, OffCanvasDabGrowsTheBoxOnly) {
    Scene scene(20, 20);
    Stamp(*scene.context, -10.0, 10.0, 4.0);

    EXPECT_EQ(scene.CountNonZero(), 0);
    EXPECT_EQ(scene.Dirty(), (Box{0, 8, 0, 12}));  // x1 keeps its value
}

TEST(Stamp, WithoutCoverageLeavesTheBoxAlone) {
    Scene scene(20, 20);
    scene.context->coverage.reset();
    Stamp(*scene.context, 5.0, 5.0, 4.0);
    EXPECT_EQ(scene.Dirty(), (Box{20, 20, 0, 0}));
}

TEST(Stamp, NanDiameterOrCentrePlacesNoDisc) {
    Scene scene(20, 20);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Stamp(*scene.context, 5.0, 5.0, nan);
    Stamp(*scene.context, nan, 5.0, 4.0);
    Stamp(*scene.context, 5.0, nan, 4.0);
    EXPECT_EQ(scene.CountNonZero(), 0);
    EXPECT_EQ(scene.Dirty(), (Box{20, 20, 0, 0}));
}

TEST(Stamp, HugeOrInfiniteDiscsAreClampedToTheCanvas) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double hardness : {0.0, 0.5, 1.0}) {
        for (double diameter : {1e300, inf}) {
            Scene scene(16, 12);
            scene.context->settings.hardness = hardness;
            Stamp(*scene.context, 3.0, 4.0, diameter);
            EXPECT_EQ(scene.Dirty(), (Box{0, 0, 16, 12})) << hardness << " " << diameter;
            if (hardness > 0) {
                EXPECT_EQ(scene.At(15, 11), 255);
            }
        }
    }
}

TEST(Stamp, FarAwayCentresTouchNoPixel) {
    const double inf = std::numeric_limits<double>::infinity();
    Scene scene(16, 12);
    Stamp(*scene.context, 1e300, 1e300, 4.0);
    Stamp(*scene.context, inf, 5.0, 4.0);
    Stamp(*scene.context, 3e9, -3e9, 4.0);
    EXPECT_EQ(scene.CountNonZero(), 0);
    // Every box lay beyond the right edge; the top one also above the canvas.
    EXPECT_EQ(scene.Dirty(), (Box{16, 0, 16, 12}));
}

TEST(SampleInk, ReadsDarknessTimesOpacity) {
    Scene scene(8, 4);
    scene.Paint(0, 0, 1, 1, 0, 0, 0, 255);        // opaque black
    scene.Paint(1, 0, 2, 1, 0, 0, 0, 0);          // transparent
    scene.Paint(2, 0, 3, 1, 127, 127, 127, 128);  // L 127, A 128
    scene.Paint(3, 0, 4, 1, 255, 255, 255, 255);  // opaque white
    scene.Paint(4, 0, 5, 1, 0, 0, 0, 1);          // q = 255: below one step

    EXPECT_EQ(SampleInk(*scene.context, 0, 0), 255);
    EXPECT_EQ(SampleInk(*scene.context, 1, 0), 0);
    EXPECT_EQ(SampleInk(*scene.context, 2, 0), 64);
    EXPECT_EQ(SampleInk(*scene.context, 3, 0), 0);
    EXPECT_EQ(SampleInk(*scene.context, 4, 0), 0);
}

TEST(SampleInk, OutsideTheCanvasIsMinusOne) {
    Scene scene(8, 4);
    scene.InkAll();
    const int32_t lo = std::numeric_limits<int32_t>::min();
    const int32_t hi = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(SampleInk(*scene.context, 8, 0), -1);
    EXPECT_EQ(SampleInk(*scene.context, 0, 4), -1);
    EXPECT_EQ(SampleInk(*scene.context, -1, 0), -1);
    EXPECT_EQ(SampleInk(*scene.context, lo, lo), -1);
    EXPECT_EQ(SampleInk(*scene.context, hi, hi), -1);
    EXPECT_EQ(SampleInk(*scene.context, 7, 3), 255);
}

TEST(SampleInk, SelectionScalesOpacity) {
    Scene scene(4, 2);
    scene.InkAll();
    std::vector<uint8_t> mask = {0, 255, 128, 1, 0, 0, 0, 0};
    scene.context->mask.pixels = mask.data();
    scene.context->mask.rowBytes = 4;

    EXPECT_EQ(SampleInk(*scene.context, 0, 0), 0);    // unselected
    EXPECT_EQ(SampleInk(*scene.context, 1, 0), 255);  // fully selected
    EXPECT_EQ(SampleInk(*scene.context, 2, 0), 127);  // O = 128: q = 32640
    EXPECT_EQ(SampleInk(*scene.context, 3, 0), 0);
}

TEST(SampleInk, ChannelOrderAndLayouts) {
    Scene scene(2, 1);
    // Alpha first, then blue, green, red.
    PixelBlock& s = scene.context->source;
    s.order[0] = 3;
    s.order[1] = 2;
    s.order[2] = 1;
    s.order[3] = 0;
    scene.Paint(0, 0, 1, 1, 255, 0, 0, 0);  // alpha 255, black
    EXPECT_EQ(SampleInk(*scene.context, 0, 0), 255);

    std::vector<uint8_t> grey = {40, 255, 200, 255};  // value, alpha per pixel
    s.layout = kLayoutGrey;
    s.order[0] = 0;
    s.order[1] = 1;
    s.pixels = grey.data();
    s.rowBytes = 4;
    s.pixelBytes = 2;
    EXPECT_EQ(SampleInk(*scene.context, 0, 0), 215);
    EXPECT_EQ(SampleInk(*scene.context, 1, 0), 55);

    std::vector<uint8_t> single = {255, 255};
    s.layout = kLayoutSingle;
    s.pixels = single.data();
    s.rowBytes = 2;
    s.pixelBytes = 1;
    EXPECT_EQ(SampleInk(*scene.context, 0, 0), 0);  // one channel never holds ink
}

TEST(RenderContext, PixelBlockFromLayer) {
    LayerBlock layer;
    layer.kind = 3;
    layer.channelIndex[0] = 2;
    layer.channelIndex[1] = 1;
    layer.channelIndex[2] = 0x100;  // only the low byte counts
    layer.channelIndex[3] = 9;      // replaced: alpha is the last byte
    layer.pixelBytes = 4;
    layer.width = 7;
    layer.height = 5;
    layer.rowBytes = 28;
    PixelBlock block = MakePixelBlock(layer);
    EXPECT_EQ(block.layout, kLayoutRgba);
    EXPECT_EQ(block.pixelBytes, 4);
    EXPECT_EQ((std::vector<int>(block.order, block.order + 5)), (std::vector<int>{2, 1, 0, 3, 0}));
    EXPECT_EQ(block.width, 7);
    EXPECT_EQ(block.rowBytes, 28);

    layer.kind = 6;
    layer.channelIndex[0] = 0;
    layer.pixelBytes = 2;
    block = MakePixelBlock(layer);
    EXPECT_EQ(block.layout, kLayoutGrey);
    EXPECT_EQ(block.pixelBytes, 2);
    EXPECT_EQ(block.order[1], 1);

    layer.kind = 4;  // five channels are read as one byte
    layer.pixelBytes = 5;
    block = MakePixelBlock(layer);
    EXPECT_EQ(block.layout, kLayoutSingle);
    EXPECT_EQ(block.pixelBytes, 1);
    EXPECT_EQ(block.order[4], 4);

    for (int32_t bytes : {0, -3, 6, 1000}) {
        layer.pixelBytes = bytes;
        block = MakePixelBlock(layer);
        EXPECT_EQ((std::vector<int>(block.order, block.order + 5)), (std::vector<int>(5, 0)));
    }
}

TEST(RenderContext, FreshCoverageIsZeroAndTheBoxEmpty) {
    Scene scene(6, 3);
    EXPECT_EQ(scene.Coverage(), std::vector<uint8_t>(18, 0));
    EXPECT_EQ(scene.Dirty(), (Box{6, 3, 0, 0}));
    EXPECT_TRUE(scene.context->dirty.Empty());
}

struct Replies {
    int calls = 0;
    bool answer = true;
};

bool Reply(int, int, void* data) {
    auto* replies = static_cast<Replies*>(data);
    ++replies->calls;
    return replies->answer;
}

TEST(RenderContext, ProgressRelayLatchesAStop) {
    RenderContext context(1);
    EXPECT_TRUE(progressRelay(3, 1, &context));  // no function: go on

    Replies replies;
    context.progressFn = Reply;
    context.progressData = &replies;
    EXPECT_TRUE(progressRelay(3, 1, &context));
    EXPECT_FALSE(context.cancelled.load());

    replies.answer = false;
    EXPECT_FALSE(progressRelay(3, 2, &context));
    EXPECT_TRUE(context.cancelled.load());

    replies.answer = true;
    EXPECT_FALSE(progressRelay(3, 3, &context));  // stays stopped, host not asked
    EXPECT_EQ(replies.calls, 2);
}

}  // namespace
}  // namespace velmora
