// The soft edge's weights made without the library's power, and the tile
// counts that let a dab pass full pixels by: each must hold for every
// input, since the stamp's bytes rest on them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "render/rasteriser.h"
#include "render/stamp_kernel.h"
#include "tests/unit/render_scene.h"

namespace velmora {
namespace {

using stamp::kNearPowerError;
using stamp::NearPowerOf;
using stamp::Pair;
using stamp::PowerBound;

double NearOne(double base, double e) { return NearPowerOf{e}(Pair{base, base})[0]; }
double BoundOne(double base, double e) {
    const int n = static_cast<int>(e);
    return PowerBound{n, e - n}(Pair{base, base})[0];
}

// Bases across the whole band, with the ends and the binades below 1
// weighted in; exponents 1 to 5 that are not whole.
TEST(SoftWeights, NearPowerStaysWithinItsBoundOfTheLibrary) {
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double worst = 0;
    for (int i = 0; i < 2000000; ++i) {
        double base;
        switch (i % 4) {
            case 0: base = unit(random); break;
            case 1: base = std::ldexp(0.5 + unit(random) * 0.5, -static_cast<int>(unit(random) * 45)); break;
            case 2: base = 1 - std::ldexp(unit(random), -static_cast<int>(unit(random) * 52)); break;
            default: base = 1 + unit(random) * 0x1p-20; break;
        }
        double e = 1 + unit(random) * 4;
        if (e == std::floor(e)) e += 0.5;
        const double error = std::fabs(NearOne(base, e) - std::pow(base, e));
        worst = std::max(worst, error);
        ASSERT_LE(error, kNearPowerError) << "base " << base << " exponent " << e;
    }
    // The stated bound keeps a real margin over what is seen.
    EXPECT_LT(worst, kNearPowerError / 4);
    // Bases at the bound's corners.
    for (double e : {1.0000001, 2.2, 3.5, 4.9999999})
        for (double base : {0.0, 0x1p-40, 0x1p-41, 0.5, std::sqrt(0.5), 1.0, 1 + 0x1p-20})
            EXPECT_LE(std::fabs(NearOne(base, e) - std::pow(base, e)), kNearPowerError)
                << base << " " << e;
}

TEST(SoftWeights, PowerBoundNeverFallsBelowTheLibrary) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 1000000; ++i) {
        const double base = i % 2 ? unit(random) : 1 + (unit(random) - 0.5) * 1e-6;
        double e = 1 + unit(random) * 4;
        if (e == std::floor(e)) e += 0.5;
        const double library = std::pow(base, e);
        ASSERT_GE(BoundOne(base, e), library * (1 - 1e-15) - 1e-300) << base << " " << e;
    }
    // Below 0 the library's weight is NaN, which the stamp takes as 0.
    EXPECT_EQ(BoundOne(-1e-17, 2.2), 0.0);
}

// Every tile marked full is full, along the clipped right and bottom edges
// too; and wide dabs over one another do mark tiles.
TEST(SoftWeights, TilesMarkedFullAreFull) {
    for (double hardness : {1.0, 0.3, 0.5, 0.75}) {
        test::Scene scene(77, 61);
        StrokeContext& context = *scene.context;
        context.stroke.hardness = hardness;
        std::mt19937 random(11);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 600; ++i)
            Stamp(context, unit(random) * 85 - 4, unit(random) * 69 - 4, 1 + unit(random) * 49);
        const std::vector<uint8_t> coverage = scene.Coverage();
        int marked = 0;
        for (int32_t ty = 0; ty * kTileSide < 61; ++ty) {
            for (int32_t tx = 0; tx * kTileSide < 77; ++tx) {
                if (context.fullTiles[ty * context.tileColumns + tx] == 0) continue;
                ++marked;
                for (int32_t y = ty * kTileSide; y < std::min(61, (ty + 1) * kTileSide); ++y)
                    for (int32_t x = tx * kTileSide; x < std::min(77, (tx + 1) * kTileSide); ++x)
                        ASSERT_EQ(coverage[static_cast<size_t>(y) * 77 + x], 255)
                            << "tile " << tx << "," << ty << " hardness " << hardness;
            }
        }
        EXPECT_GT(marked, 0) << hardness;
    }
}

}  // namespace
}  // namespace velmora
