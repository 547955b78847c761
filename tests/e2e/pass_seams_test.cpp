// The seams the controller hands every pass: a stamp of the test's own sees
// every disc, and the portable pixel loops, one worker or a recording stamp
// give the very bytes of an ordinary pass.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "controller/item_keys.h"
#include "controller/render_context.h"
#include "controller_fixture.h"
#include "render/rasteriser.h"
#include "render/template_kind.h"

namespace velmora::e2e {
namespace {

std::atomic<int> g_discs{0};
void CountingStamp(StrokeContext& context, double cx, double cy, double diameter) {
    g_discs.fetch_add(1, std::memory_order_relaxed);
    Stamp(context, cx, cy, diameter);
}

int g_composites = 0;
void NoComposite(const RenderContext&, const ColourValue&, const LayerBlock&) { ++g_composites; }

class PassSeamsTest : public ControllerTest {
protected:
    void SetUp() override {
        g_discs = 0;
        g_composites = 0;
        // Dark rings and a soft pen: the strokes cross ink of every kind.
        const int32_t w = 90, h = 70;
        std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4), 0);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const int32_t d2 = (x - 45) * (x - 45) + (y - 35) * (y - 35);
                if ((d2 / 90) % 3 == 1) rgba[static_cast<size_t>((y * w + x) * 4 + 3)] = 255;
            }
        }
        host.SetSource(host.OffscreenFromRgba(w, h, rgba.data()));
        destination = host.CreateOffscreen(w, h, 3);
        host.SetDestination(destination);
        host.SetDrawingColours(HostRgb{10, 20, 30});
        Start();
        host.EditEnum(kItemTemplate, kTemplateParallel);  // base points on this canvas
        host.EditDouble(kItemSize, 7.5);
        host.EditDouble(kItemHardness, 0.4);
        host.EditInt(kItemSpacing, 20);
    }

    std::vector<uint8_t> Pass() {
        EXPECT_EQ(host.FilterRun(), 0);
        return host.GetOffscreen(destination)->pixels;
    }

    HostOffscreen destination = nullptr;
};

TEST_F(PassSeamsTest, EverySeamGivesTheBytesOfAnOrdinaryPass) {
    const std::vector<uint8_t> ordinary = Pass();
    size_t drawn = 0;
    for (size_t i = 3; i < ordinary.size(); i += 4) drawn += ordinary[i] != 0;
    ASSERT_GT(drawn, 100u);

    manager().seams.portableStamp = true;
    EXPECT_EQ(Pass(), ordinary);
    manager().seams.portableStamp = false;

    manager().seams.workers = 1;
    EXPECT_EQ(Pass(), ordinary);
    manager().seams.workers = 0;

    manager().seams.stamp = CountingStamp;
    EXPECT_EQ(Pass(), ordinary);
    EXPECT_GT(g_discs.load(), 100);
    manager().seams.stamp = nullptr;
    g_discs = 0;
    EXPECT_EQ(Pass(), ordinary);
    EXPECT_EQ(g_discs.load(), 0);  // handed back: the module's own Stamp again
}

TEST_F(PassSeamsTest, ACompositeSeamReplacesTheWritingOfTheLayer) {
    const std::vector<uint8_t> before = host.GetOffscreen(destination)->pixels;
    manager().seams.composite = NoComposite;
    EXPECT_EQ(Pass(), before);
    EXPECT_EQ(g_composites, 1);
}

}  // namespace
}  // namespace velmora::e2e
