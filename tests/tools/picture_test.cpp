// What a user looks at: the effect laid over the source, over white where
// the source is transparent; and how a mask picture becomes a selection.
#include <gtest/gtest.h>

#include "tools/velmora-host/picture.h"

namespace velmora::cli {
namespace {

Picture OnePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return Picture{1, 1, {r, g, b, a}}; }

TEST(Composite, TheEffectBlendsOverTheSourceAndTheSourceOverWhite) {
    // Opaque source, no effect: the source itself.
    EXPECT_EQ(CompositeOver(OnePixel(0, 0, 0, 0), OnePixel(10, 20, 30, 255)).rgba,
              (std::vector<uint8_t>{10, 20, 30, 255}));
    // Transparent source: white, whatever its colour bytes hold.
    EXPECT_EQ(CompositeOver(OnePixel(0, 0, 0, 0), OnePixel(10, 20, 30, 0)).rgba,
              (std::vector<uint8_t>{255, 255, 255, 255}));
    // Half-covered red line over a transparent source: pink on white.
    EXPECT_EQ(CompositeOver(OnePixel(255, 0, 0, 128), OnePixel(0, 0, 0, 0)).rgba,
              (std::vector<uint8_t>{255, 127, 127, 255}));
    // Full coverage hides the source.
    EXPECT_EQ(CompositeOver(OnePixel(1, 2, 3, 255), OnePixel(200, 200, 200, 255)).rgba,
              (std::vector<uint8_t>{1, 2, 3, 255}));
}

TEST(Selection, AnOpaqueMaskGivesItsGreyLevelAndATranslucentOneItsAlpha) {
    const Picture opaque{2, 1, {255, 255, 255, 255, 255, 0, 0, 255}};
    EXPECT_EQ(MaskValues(opaque), (std::vector<uint8_t>{255, 76}));
    const Picture translucent{2, 1, {0, 0, 0, 255, 0, 0, 0, 64}};
    EXPECT_EQ(MaskValues(translucent), (std::vector<uint8_t>{255, 64}));
}

}  // namespace
}  // namespace velmora::cli
