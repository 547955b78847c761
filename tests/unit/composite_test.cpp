// Compositing the coverage into the destination copy, and the colour bytes
// each destination kind gets.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controller/composite.h"
#include "controller/render_context.h"

namespace velmora {
namespace {

constexpr HostRgb kRed{255, 0, 0};
constexpr HostRgb kWhite{255, 255, 255};

LayerBlock BlockOfKind(int32_t kind) {
    LayerBlock block;
    block.kind = kind;
    return block;
}

TEST(ColourValue, GreyDestinationTakesTheLuma) {
    EXPECT_EQ(ColourValueFor(BlockOfKind(2), kRed)[0], 76);
    EXPECT_EQ(ColourValueFor(BlockOfKind(2), kWhite)[0], 255);
}

TEST(ColourValue, BinaryDestinationsThresholdTheLumaAt128) {
    for (int32_t kind : {5, 6}) {
        EXPECT_EQ(ColourValueFor(BlockOfKind(kind), kRed)[0], 0) << kind;
        EXPECT_EQ(ColourValueFor(BlockOfKind(kind), kWhite)[0], 255) << kind;
        EXPECT_EQ(ColourValueFor(BlockOfKind(kind), HostRgb{128, 128, 128})[0], 255) << kind;
        EXPECT_EQ(ColourValueFor(BlockOfKind(kind), HostRgb{127, 127, 127})[0], 0) << kind;
    }
}

TEST(ColourValue, ColourDestinationPlacesChannelsByTheirIndices) {
    LayerBlock block = BlockOfKind(3);
    block.channelIndex[0] = 2;
    block.channelIndex[1] = 1;
    block.channelIndex[2] = 0;
    const ColourValue value = ColourValueFor(block, HostRgb{10, 20, 30});
    EXPECT_EQ(value, (ColourValue{30, 20, 10, 0, 0}));
}

TEST(ColourValue, ChannelIndicesOutsideAPixelAreDropped) {
    LayerBlock block = BlockOfKind(3);
    block.channelIndex[0] = 7;
    block.channelIndex[1] = -1;
    block.channelIndex[2] = 1;
    EXPECT_EQ(ColourValueFor(block, HostRgb{10, 20, 30}), (ColourValue{0, 30, 0, 0, 0}));
}

TEST(ColourValue, OtherKindsStayZero) {
    for (int32_t kind : {0, 1, 4, 7}) {
        EXPECT_EQ(ColourValueFor(BlockOfKind(kind), kWhite), ColourValue{}) << kind;
    }
}

// A pass over a canvas of the given size whose coverage holds `value` in
// the box [x0, x1) x [y0, y1), which is also the dirty box.
struct Pass {
    RenderContext context{1};
    Pass(int32_t width, int32_t height, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
         uint8_t value) {
        context.source.width = width;
        context.source.height = height;
        context.coverage = std::make_unique<uint8_t[]>(static_cast<size_t>(width * height));
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                context.coverage[static_cast<size_t>(y * width + x)] = value;
        context.dirty.x0 = x0;
        context.dirty.y0 = y0;
        context.dirty.x1 = x1;
        context.dirty.y1 = y1;
    }
};

// A destination copy with guard bytes after its rows.
struct Destination {
    std::vector<uint8_t> bytes;
    LayerBlock block;
    static constexpr size_t kGuard = 64;
    Destination(int32_t kind, int32_t width, int32_t height, int32_t rowBytes, uint8_t fill) {
        bytes.assign(static_cast<size_t>(rowBytes * height) + kGuard, fill);
        block.kind = kind;
        block.width = width;
        block.height = height;
        block.rowBytes = rowBytes;
        block.pixels = bytes.data();
    }
    uint8_t* Pixel(int32_t x, int32_t y, int32_t stride) {
        return bytes.data() + y * block.rowBytes + x * stride;
    }
    bool GuardIntact(uint8_t fill) const {
        for (size_t i = bytes.size() - kGuard; i < bytes.size(); ++i)
            if (bytes[i] != fill) return false;
        return true;
    }
};

TEST(Composite, ColourPixelsInTheBoxTakeColourAndCoverageEverythingElseIsCleared) {
    Pass pass(4, 3, 1, 1, 3, 2, 200);
    Destination dest(3, 4, 3, 16, 0xAA);
    const ColourValue colour{30, 20, 10, 0, 0};
    Composite(pass.context, colour, dest.block);

    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            const uint8_t* p = dest.Pixel(x, y, 4);
            const bool inside = y == 1 && (x == 1 || x == 2);
            const std::vector<uint8_t> got(p, p + 4);
            const std::vector<uint8_t> want =
                inside ? std::vector<uint8_t>{30, 20, 10, 200} : std::vector<uint8_t>{0, 0, 0, 0};
            EXPECT_EQ(got, want) << x << "," << y;
        }
    }
    EXPECT_TRUE(dest.GuardIntact(0xAA));
}

TEST(Composite, GreyDestinationGetsValueAndAlphaPairs) {
    Pass pass(3, 1, 0, 0, 3, 1, 9);
    Destination dest(2, 3, 1, 6, 0xAA);
    Composite(pass.context, ColourValue{76, 0, 0, 0, 0}, dest.block);
    EXPECT_EQ(std::vector<uint8_t>(dest.bytes.begin(), dest.bytes.begin() + 6),
              (std::vector<uint8_t>{76, 9, 76, 9, 76, 9}));
}

TEST(Composite, RowPaddingIsClearedButNeverDrawn) {
    Pass pass(2, 2, 0, 0, 2, 2, 50);
    Destination dest(2, 2, 2, 8, 0xAA);  // 4 bytes of pixels, 4 of padding per row
    Composite(pass.context, ColourValue{1, 0, 0, 0, 0}, dest.block);
    EXPECT_EQ(std::vector<uint8_t>(dest.bytes.begin(), dest.bytes.begin() + 16),
              (std::vector<uint8_t>{1, 50, 1, 50, 0, 0, 0, 0, 1, 50, 1, 50, 0, 0, 0, 0}));
}

TEST(Composite, EmptyBoxLeavesTheWholeDestinationZero) {
    Pass pass(4, 4, 0, 0, 0, 0, 0);
    pass.context.dirty.Reset(4, 4);
    Destination dest(3, 4, 4, 16, 0xAA);
    Composite(pass.context, ColourValue{255, 255, 255, 0, 0}, dest.block);
    for (size_t i = 0; i < 64; ++i) ASSERT_EQ(dest.bytes[i], 0) << i;
    EXPECT_TRUE(dest.GuardIntact(0xAA));
}

TEST(Composite, DestinationSmallerThanTheCanvasIsWrittenOnlyInsideItself) {
    Pass pass(8, 8, 0, 0, 8, 8, 255);
    Destination dest(3, 3, 2, 12, 0xAA);
    Composite(pass.context, ColourValue{5, 6, 7, 0, 0}, dest.block);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(dest.Pixel(x, y, 4)[3], 255) << x << "," << y;
    EXPECT_TRUE(dest.GuardIntact(0xAA));
}

TEST(Composite, DestinationWiderThanTheCanvasReadsCoverageByCanvasRows) {
    // Coverage row 1 is marked; the destination's wider rows must not shear it.
    Pass pass(2, 2, 0, 1, 2, 2, 77);
    pass.context.dirty.y0 = 0;
    Destination dest(2, 5, 2, 10, 0xAA);
    Composite(pass.context, ColourValue{3, 0, 0, 0, 0}, dest.block);
    EXPECT_EQ(std::vector<uint8_t>(dest.bytes.begin(), dest.bytes.begin() + 20),
              (std::vector<uint8_t>{3, 0, 3, 0, 0, 0, 0, 0, 0, 0, 3, 77, 3, 77, 0, 0, 0, 0, 0, 0}));
}

TEST(Composite, RowsTooShortForTheirWidthStayInsideTheirBytes) {
    Pass pass(4, 2, 0, 0, 4, 2, 9);
    Destination dest(3, 4, 2, 10, 0xAA);  // room for two whole pixels and a part
    Composite(pass.context, ColourValue{1, 2, 3, 0, 0}, dest.block);
    EXPECT_EQ(std::vector<uint8_t>(dest.bytes.begin(), dest.bytes.begin() + 10),
              (std::vector<uint8_t>{1, 2, 3, 9, 1, 2, 3, 9, 0, 0}));
    EXPECT_TRUE(dest.GuardIntact(0xAA));
}

TEST(Composite, DestinationKindDecidesThePixelShape) {
    // Grey canvas, colour destination: four bytes per destination pixel.
    Pass pass(2, 1, 0, 0, 2, 1, 40);
    pass.context.source.layout = kLayoutGrey;
    Destination dest(3, 2, 1, 8, 0xAA);
    Composite(pass.context, ColourValue{7, 8, 9, 0, 0}, dest.block);
    EXPECT_EQ(std::vector<uint8_t>(dest.bytes.begin(), dest.bytes.begin() + 8),
              (std::vector<uint8_t>{7, 8, 9, 40, 7, 8, 9, 40}));
}

TEST(Composite, FiveChannelDestinationIsTreatedAsOneBytePerPixel) {
    Pass pass(3, 1, 0, 0, 3, 1, 60);
    Destination dest(4, 3, 1, 15, 0xAA);
    Composite(pass.context, ColourValue{}, dest.block);
    EXPECT_EQ(std::vector<uint8_t>(dest.bytes.begin(), dest.bytes.begin() + 5),
              (std::vector<uint8_t>{60, 60, 60, 0, 0}));
}

TEST(Composite, WithoutCoverageTheDestinationIsOnlyCleared) {
    RenderContext context(1);
    Destination dest(3, 2, 2, 8, 0xAA);
    Composite(context, ColourValue{1, 2, 3, 0, 0}, dest.block);
    for (size_t i = 0; i < 16; ++i) ASSERT_EQ(dest.bytes[i], 0) << i;
}

TEST(Composite, WithoutDestinationPixelsNothingHappens) {
    Pass pass(2, 2, 0, 0, 2, 2, 1);
    LayerBlock block = BlockOfKind(3);
    block.width = 2;
    block.height = 2;
    block.rowBytes = 8;
    Composite(pass.context, ColourValue{}, block);  // must not touch memory
}

}  // namespace
}  // namespace velmora
