// Filter runs as the host drives them, for the layers: the colour bytes of
// each destination kind, destinations and selections of other sizes, and
// bitmaps the host gives without pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/e2e/run_cycle_scene.h"

namespace velmora::e2e {
namespace {

struct ColourCase {
    int32_t kind;
    HostRgb colour;
    uint8_t value;
};

TEST_F(RunCycle, OneChannelDestinationsTakeTheLumaOrItsThreshold) {
    manager().seams.layout = CoverTwoPixels;
    for (const ColourCase& c : std::vector<ColourCase>{{2, {255, 0, 0}, 76},
                                                       {6, {255, 0, 0}, 0},
                                                       {2, {255, 255, 255}, 255},
                                                       {6, {255, 255, 255}, 255},
                                                       {5, {255, 255, 255}, 255}}) {
        SCOPED_TRACE(c.kind);
        host.SetSource(Filled(4, 3, 0));
        const HostOffscreen dest = host.CreateOffscreen(4, 3, c.kind);
        host.SetDestination(dest);
        host.SetDrawingColours(c.colour);
        ASSERT_EQ(host.FilterRun(), 0);
        const std::vector<uint8_t>& bytes = Bytes(dest);
        const size_t stride = bytes.size() / 12;
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                const uint8_t* p = bytes.data() + (y * 4 + x) * stride;
                const bool drawn = y == 1 && (x == 1 || x == 2);
                if (stride == 2) {
                    EXPECT_EQ(p[0], drawn ? c.value : 0) << x << "," << y;
                    EXPECT_EQ(p[1], drawn ? 200 : 0) << x << "," << y;
                } else {
                    EXPECT_EQ(p[0], drawn ? 200 : 0) << x << "," << y;  // one byte: coverage alone
                }
            }
        }
    }
    ExpectCleanHost();
}

TEST_F(RunCycle, ColourDestinationStoresTheColourByItsChannelIndices) {
    manager().seams.layout = CoverTwoPixels;
    const int32_t reversed[3] = {2, 1, 0};
    host.SetSource(Filled(4, 3, 0, reversed));
    const HostOffscreen dest = Filled(4, 3, 0, reversed);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{10, 20, 30});
    ASSERT_EQ(host.FilterRun(), 0);
    const std::vector<uint8_t>& bytes = Bytes(dest);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.begin() + 28),
              (std::vector<uint8_t>{30, 20, 10, 200, 30, 20, 10, 200}));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 48 - 8);
    ASSERT_EQ(host.areasChanged().size(), 1u);
    EXPECT_EQ(host.areasChanged()[0].right, 4);
    EXPECT_EQ(host.areasChanged()[0].bottom, 3);
    ExpectCleanHost();
}

TEST_F(RunCycle, DestinationOfAnotherKindThanTheSourceGetsItsOwnPixelShape) {
    manager().seams.layout = CoverTwoPixels;
    std::vector<uint8_t> grey(12, 0);
    host.SetSource(host.OffscreenFromGrey(4, 3, 2, grey.data()));
    const HostOffscreen dest = host.CreateOffscreen(4, 3, 3);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{10, 20, 30});
    ASSERT_EQ(host.FilterRun(), 0);
    const std::vector<uint8_t>& bytes = Bytes(dest);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.begin() + 28),
              (std::vector<uint8_t>{10, 20, 30, 200, 10, 20, 30, 200}));
    ExpectCleanHost();
}

TEST_F(RunCycle, DestinationSmallerThanTheSourceIsWrittenOnlyInsideItself) {
    manager().seams.layout = CoverEverything;
    host.SetSource(Filled(16, 12, 0));
    const HostOffscreen dest = host.CreateOffscreen(5, 4, 2);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{255, 255, 255});
    ASSERT_EQ(host.FilterRun(), 0);
    const std::vector<uint8_t>& bytes = Bytes(dest);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i], 255) << i;
        EXPECT_EQ(bytes[i + 1], 90) << i;
    }
    ExpectCleanHost();
}

TEST_F(RunCycle, ASelectionOfAnotherSizeThanTheSourceCountsAsNone) {
    manager().seams.layout = NoTasks;
    ClearLayers(8, 8);
    std::vector<uint8_t> everything(64, 255);
    host.SetSelection(host.OffscreenFromGrey(8, 8, 1, everything.data()));
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_NE(g_seen.mask.pixels, nullptr);

    host.SetSelection(host.OffscreenFromGrey(4, 4, 1, everything.data()));
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(g_seen.mask.pixels, nullptr);
    EXPECT_EQ(g_seen.mask.rowBytes, 0);
    ExpectCleanHost();
}

TEST_F(RunCycle, BitmapsWithoutPixelAddressesDrawNothingButTheRunCompletes) {
    manager().seams.layout = CoverEverything;
    const HostOffscreen dest = Layers(8, 8, 7);
    host.OmitSlot(hostcore::Service::kBitmap, 7);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_FALSE(g_seen.called);
    EXPECT_EQ(host.areasChanged().size(), 1u);
    EXPECT_EQ(Bytes(dest), std::vector<uint8_t>(256, 7));
    ExpectCleanHost();
}

TEST_F(RunCycle, FiveChannelLayersAreReadAndWrittenOneBytePerPixel) {
    manager().seams.layout = CoverTwoPixels;
    host.SetSource(host.CreateOffscreen(4, 3, 4));
    const HostOffscreen dest = host.CreateOffscreen(4, 3, 4);
    host.SetDestination(dest);
    host.SetDrawingColours(HostRgb{255, 255, 255});
    ASSERT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(g_seen.source.layout, kLayoutSingle);
    EXPECT_EQ(g_seen.source.pixelBytes, 1);
    // Coverage lands in the first bytes of the row, the colour stays zero.
    std::vector<uint8_t> want(60, 0);
    want[20 + 1] = 200;
    want[20 + 2] = 200;
    EXPECT_EQ(Bytes(dest), want);
    ExpectCleanHost();
}

}  // namespace
}  // namespace velmora::e2e
