// Pen dabs, ink sampling and the render context's pixel views.
#include "render/rasteriser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>

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
    scene.context->stroke.hardness = 0.0;
    Stamp(*scene.context, 10.5, 10.5, 10.0);

    EXPECT_EQ(scene.At(10, 10), 236);
    EXPECT_EQ(scene.At(12, 10), 152);
    EXPECT_EQ(scene.At(13, 10), 101);
    EXPECT_EQ(scene.At(10, 13), 101);  // the profile is round
}

TEST(Stamp, KeepsTheLargerValue) {
    Scene scene(24, 24);
    scene.context->stroke.hardness = 0.0;
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
            scene.context->stroke.hardness = hardness;
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

// The pen model as worded, one pixel at a time with the library's power for
// every band sub-point: each shortcut of Stamp must give these bytes.
void ReferenceStamp(std::vector<uint8_t>& coverage, int32_t width, int32_t height,
                    double hardness, double cx, double cy, double diameter) {
    const double r = diameter * 0.5, ri = hardness * r, band = r - ri;
    const double invBand = band > 1e-12 ? 1 / band : 0, e = 4 * hardness + 1;
    const int32_t x0 = static_cast<int32_t>(std::max(0.0, std::floor(cx - r)));
    const int32_t x1 = static_cast<int32_t>(std::min<double>(width, std::ceil(cx + r)));
    const int32_t y0 = static_cast<int32_t>(std::max(0.0, std::floor(cy - r)));
    const int32_t y1 = static_cast<int32_t>(std::min<double>(height, std::ceil(cy + r)));
    const double offsets[4] = {-0.375, -0.125, 0.125, 0.375};
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            uint8_t& byte = coverage[static_cast<size_t>(y) * width + x];
            if (byte == 255) continue;
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d2 = dx * dx + dy * dy;
            if (ri * ri - 1 > d2) {
                byte = 255;
                continue;
            }
            bool allIn = true, allOut = true;
            for (double oy : {-0.375, 0.375})
                for (double ox : {-0.375, 0.375}) {
                    const double q2 = (dx + ox) * (dx + ox) + (dy + oy) * (dy + oy);
                    allIn = allIn && q2 <= ri * ri + 1e-12;
                    allOut = allOut && q2 >= r * r - 1e-12;
                }
            if (allIn && !allOut) {
                byte = 255;
                continue;
            }
            if (allOut && (!allIn || d2 >= r * r)) continue;
            double sum = 0;
            for (double oy : offsets)
                for (double ox : offsets) {
                    const double s2 = (dx + ox) * (dx + ox) + (dy + oy) * (dy + oy);
                    double w = 0;
                    if (s2 <= ri * ri + 1e-12) {
                        w = 1;
                    } else if (s2 < r * r - 1e-12) {
                        w = std::pow(1 - (std::sqrt(s2) - ri) * invBand, e);
                        if (std::isnan(w)) w = 0;
                    }
                    sum += w;
                }
            const double v = sum * 0.0625 * 255 + 0.5;
            const uint8_t value = v >= 255 ? 255 : v > 0 ? static_cast<uint8_t>(v) : 0;
            if (value > byte) byte = value;
        }
    }
}

// Chains of overlapping dabs, as a stroke lays them, so that most pixels
// are met again with a value already there; every hardness family (hard,
// whole exponents, others) and tapering diameters up to the widest pen.
TEST(Stamp, AgreesWithThePenModelOnOverlappingDabs) {
    const int32_t width = 96, height = 64;
    // Four sub-points at a time (where the processor can) and two.
    for (const bool wide : {true, false}) {
        std::mt19937 random(20240601);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (double hardness : {1.0, 0.0, 0.25, 0.5, 0.75, 0.3, 0.9, 0.999999, 0.05, 0.37, 0.6}) {
            Scene scene(width, height);
            scene.context->portableStamp = !wide;
            scene.context->stroke.hardness = hardness;
            std::vector<uint8_t> expected(static_cast<size_t>(width) * height, 0);
            for (int chain = 0; chain < 12; ++chain) {
                double x = unit(random) * width, y = unit(random) * height;
                const double angle = unit(random) * 6.283185307179586;
                const double size = 0.1 + unit(random) * 49.9;
                const double spacing = unit(random) < 0.5 ? 1.0 : 0.1 + unit(random) * 0.9;
                for (int k = 0; k < 40; ++k) {
                    const double diameter = size * std::min(1.0, (k + 1) / 10.0);
                    Stamp(*scene.context, x, y, diameter);
                    ReferenceStamp(expected, width, height, hardness, x, y, diameter);
                    x += std::cos(angle) * spacing;
                    y += std::sin(angle) * spacing;
                }
            }
            // Dabs centred on pixel corners and centres, where sub-points
            // meet the limits exactly.
            for (double c : {8.0, 8.5, 20.0, 20.25}) {
                for (double diameter : {1.0, 2.0, 3.0, 4.0, 7.5}) {
                    Stamp(*scene.context, c, c + 20, diameter);
                    ReferenceStamp(expected, width, height, hardness, c, c + 20, diameter);
                }
            }
            EXPECT_EQ(scene.Coverage(), expected)
                << "hardness " << hardness << (wide ? "" : ", two at a time");
        }
    }
}

// Strokes through a trail, each disc stamped between its neighbours: the
// bytes of every disc stamped whole, whatever the turns, the gaps (none,
// tiny, wider than a pixel), the widths rising and falling, and pens along
// an axis or coincident discs.
TEST(StampBetween, StrokesGiveTheBytesOfEveryDiscWhole) {
    const int32_t width = 96, height = 64;
    for (const bool wide : {true, false}) {
        std::mt19937 random(20261210);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (double hardness : {1.0, 0.0, 0.3, 0.5, 0.8, 0.37}) {
            Scene scene(width, height), whole(width, height);
            for (Scene* s : {&scene, &whole}) {
                s->context->portableStamp = !wide;
                s->context->stroke.hardness = hardness;
            }
            std::vector<uint8_t> expected(static_cast<size_t>(width) * height, 0);
            for (int stroke = 0; stroke < 16; ++stroke) {
                DiscTrail trail;
                double x = unit(random) * width, y = unit(random) * height;
                double angle = stroke % 4 == 0 ? (stroke / 4) * 1.5707963267948966
                                               : unit(random) * 6.283185307179586;
                double size = 0.1 + unit(random) * 59.9;
                const double grow = (unit(random) - 0.5) * 2;
                for (int k = 0; k < 60; ++k) {
                    const double pick = unit(random);
                    const double step = pick < 0.05 ? 0.0 : pick < 0.1 ? 1e-9 : pick < 0.2 ? 1.7
                                                    : pick < 0.6 ? 1.0 : unit(random);
                    if (stroke % 4 != 0 && unit(random) < 0.1) angle += (unit(random) - 0.5) * 3;
                    x += std::cos(angle) * step;
                    y += std::sin(angle) * step;
                    size = std::clamp(size + grow + (unit(random) < 0.1 ? unit(random) - 0.5 : 0),
                                      0.1, 60.0);
                    trail.Place(*scene.context, Disc{x, y, size});
                    Stamp(*whole.context, x, y, size);
                    ReferenceStamp(expected, width, height, hardness, x, y, size);
                }
                trail.Flush(*scene.context);
            }
            EXPECT_EQ(scene.Coverage(), expected)
                << "hardness " << hardness << (wide ? "" : ", two at a time");
            EXPECT_EQ(scene.Dirty(), whole.Dirty()) << hardness;
        }
    }
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
