// Layers no host should hand over: empty and one-pixel-wide canvases,
// source, destination and selection of different sizes and kinds, channel
// kind 4, channel indices outside the pixel, a source without pixels.
// Outcome: the run answers 0; nothing outside the destination's own bytes
// is written (the sanitizers watch); nothing is left with the host.
#include "tests/e2e/hostile_scene.h"
#include "tests/item_keys.h"

namespace velmora::hostcore::hostile {
namespace {

using HostileLayers = HostileTest;

// Runs every template over the layers the host holds now.
void RunTemplates(HostCore& host, const std::string& what) {
    for (const int32_t type : {0, 1, 2}) {
        host.EditEnum(kItemTemplate, type);
        EXPECT_EQ(host.FilterRun(), 0) << what << " template " << type;
    }
}

TEST_F(HostileLayers, DegenerateCanvases) {
    // The radial pass at spacing 1 grows with the square of the long side:
    // about 3 s natively at 10000, a minute under a sanitizer.
    const int32_t tall = LightTests() ? 2500 : 10000;
    const std::pair<int32_t, int32_t> sizes[] = {{0, 0}, {1, 1}, {1, tall}, {tall, 1}, {0, 50},
                                                 {50, 0}, {2, 2}};
    for (const auto& [w, h] : sizes) {
        HostCore host;
        UseModule(host);
        InkedCanvas(host, w, h);
        if (w > 0 && h > 0) {
            // Ink everywhere: the one-pixel-wide canvases are all line.
            Offscreen* source = host.GetOffscreen(host.source());
            std::fill(source->pixels.begin(), source->pixels.end(), uint8_t(255));
        }
        Open(host);
        host.EditInt(kItemSpacing, 1);
        RunTemplates(host, std::to_string(w) + "x" + std::to_string(h));
        EXPECT_EQ(host.ModuleTerminate(), 0);
        ExpectNothingLeft(host);
    }
}

TEST_F(HostileLayers, LayersOfDifferentSizes) {
    const std::pair<int32_t, int32_t> destinations[] = {{10, 10}, {80, 5}, {5, 80}, {200, 200}, {0, 0}};
    for (const auto& [w, h] : destinations) {
        HostCore host;
        UseModule(host);
        InkedCanvas(host, 60, 40);
        host.SetDestination(host.CreateOffscreen(w, h, 3));
        Open(host);
        RunTemplates(host, "destination " + std::to_string(w) + "x" + std::to_string(h));
        EXPECT_EQ(host.ModuleTerminate(), 0);
        ExpectNothingLeft(host);
    }
    // A canvas size that is neither the source's nor the destination's.
    HostCore host;
    UseModule(host);
    InkedCanvas(host, 60, 40);
    host.SetCanvasSize(7, 900);
    Open(host);
    RunTemplates(host, "canvas 7x900");
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

TEST_F(HostileLayers, EveryPairOfChannelKinds) {
    for (const int32_t sourceKind : {1, 2, 3, 4, 5, 6, 0, 9, -1}) {
        for (const int32_t destinationKind : {1, 2, 3, 4, 5, 6, 0, 9, -1}) {
            HostCore host;
            UseModule(host);
            host.SetSource(host.CreateOffscreen(24, 16, sourceKind));
            Offscreen* source = host.GetOffscreen(host.source());
            for (size_t i = 0; i < source->pixels.size(); i += 3) source->pixels[i] = 255;
            host.SetDestination(host.CreateOffscreen(24, 16, destinationKind));
            host.SetDrawingColours(HostRgb{255, 255, 255});
            Open(host);
            host.EditInt(kItemSpacing, 2);
            const std::string what = "source kind " + std::to_string(sourceKind) +
                                     ", destination kind " + std::to_string(destinationKind);
            EXPECT_EQ(host.FilterRun(), 0) << what;
            EXPECT_EQ(host.ModuleTerminate(), 0) << what;
            ExpectNothingLeft(host);
        }
    }
}

TEST_F(HostileLayers, ChannelKindFourIsCopiedWithFiveChannels) {
    HostCore host;
    UseModule(host);
    host.SetSource(host.CreateOffscreen(30, 20, 4));
    Offscreen* source = host.GetOffscreen(host.source());
    std::fill(source->pixels.begin(), source->pixels.end(), uint8_t(255));
    host.SetDestination(host.CreateOffscreen(30, 20, 4));
    Open(host);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);  // the host saw five-byte pixels both ways
}

TEST_F(HostileLayers, ChannelIndicesOutsideThePixel) {
    for (const int32_t index : {-1, 4, 5, 255, 100000, -100000}) {
        // No row padding: an index past the pixel reads past the last row.
        HostOptions options;
        options.bitmapRowPadding = 0;
        HostCore host(options);
        UseModule(host);
        InkedCanvas(host, 20, 20);
        for (HostOffscreen o : {host.source(), host.destination()}) {
            Offscreen* layer = host.GetOffscreen(o);
            layer->colourIndices[0] = index;
            layer->colourIndices[2] = index;
            layer->fourIndices[1] = index;
        }
        Open(host);
        EXPECT_EQ(host.FilterRun(), 0) << index;
        EXPECT_EQ(host.ModuleTerminate(), 0);
        ExpectNothingLeft(host);
    }
}

TEST_F(HostileLayers, SelectionOfAnotherSizeOrKind) {
    const std::pair<int32_t, int32_t> sizes[] = {{5, 5}, {200, 3}, {3, 200}, {0, 0}, {1, 1}};
    for (const auto& [w, h] : sizes) {
        for (const int32_t kind : {1, 3, 2}) {
            HostCore host;
            UseModule(host);
            InkedCanvas(host, 50, 40);
            host.SetSelection(host.CreateOffscreen(w, h, kind));
            Offscreen* selection = host.GetOffscreen(host.selection());
            std::fill(selection->pixels.begin(), selection->pixels.end(), uint8_t(255));
            Open(host);
            RunTemplates(host, "selection " + std::to_string(w) + "x" + std::to_string(h));
            EXPECT_EQ(host.ModuleTerminate(), 0);
            ExpectNothingLeft(host);
        }
    }
}

TEST_F(HostileLayers, SourceWithoutAPixelAddress) {
    // An empty source bitmap has no pixel (0, 0): the host gives no address.
    HostCore host;
    UseModule(host);
    host.SetSource(host.CreateOffscreen(0, 40, 3));
    host.SetDestination(host.CreateOffscreen(40, 40, 3));
    Open(host);
    RunTemplates(host, "empty source");
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
    // A host whose pixel-address service is missing altogether.
    HostOptions options;
    options.omitSlots.insert({Service::kBitmap, 7});  // pixelAddress
    HostCore without(options);
    UseModule(without);
    InkedCanvas(without, 40, 40);
    Open(without);
    RunTemplates(without, "no pixel addresses");
    EXPECT_EQ(without.ModuleTerminate(), 0);
    EXPECT_EQ(without.liveBitmaps(), 0u);
}

TEST_F(HostileLayers, NoSourceOrNoDestination) {
    HostCore host;
    UseModule(host);
    host.SetDestination(host.CreateOffscreen(20, 20, 3));
    Open(host);
    EXPECT_EQ(host.FilterRun(), 0);
    host.SetDestination(nullptr);
    InkedCanvas(host, 20, 20);
    host.SetDestination(nullptr);
    EXPECT_EQ(host.FilterRun(), 0);
    EXPECT_EQ(host.ModuleTerminate(), 0);
    ExpectNothingLeft(host);
}

}  // namespace
}  // namespace velmora::hostcore::hostile
