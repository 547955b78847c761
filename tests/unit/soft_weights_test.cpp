// The soft edge's weights made without the library's power, and the tile
// counts that let a dab pass full pixels by: each must hold for every
// input, since the stamp's bytes rest on them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <type_traits>
#include <vector>

#include "render/rasteriser.h"
#include "render/stamp_kernel.h"
#include "tests/unit/render_scene.h"

namespace velmora {
namespace {

using stamp::BuildPowerTable;
using stamp::ChordLanes;
using stamp::Pair;
using stamp::PowerTable;

// The library's power lies between the chord less its gap and the chord,
// for bases across the whole band (the ends and the binades below 1
// weighted in) and exponents 1 to 5 that are not whole.
TEST(SoftWeights, TableChordsBoundTheLibrarysPower) {
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    PowerTable table;
    for (int round = 0; round < 200; ++round) {
        double e = round == 0 ? 1.0000001 : round == 1 ? 4.9999999 : 1 + unit(random) * 4;
        if (e == std::floor(e)) e += 0.5;
        BuildPowerTable(e, table);
        for (int i = 0; i < 20000; ++i) {
            double base;
            switch (i % 5) {
                case 0: base = unit(random); break;
                case 1: base = std::ldexp(0.5 + unit(random) * 0.5, -static_cast<int>(unit(random) * 60)); break;
                case 2: base = 1 - std::ldexp(unit(random), -static_cast<int>(unit(random) * 52)); break;
                case 3: base = 1 + unit(random) * 0x1p-20; break;
                default: base = (static_cast<int>(unit(random) * 1024) + (i % 3) * 0.5) / 1024; break;
            }
            Pair chord, gap;
            ChordLanes(table, Pair{base, -base}, chord, gap);
            const double library = std::pow(base, e);
            ASSERT_GE(chord[0] + 1e-15, library) << "base " << base << " exponent " << e;
            ASSERT_LE(chord[0] - gap[0] - 1e-15, library) << "base " << base << " exponent " << e;
            // Below 0 the library's power is NaN, which weighs 0.
            ASSERT_TRUE(chord[1] - gap[1] <= 0 && chord[1] >= 0) << base;
        }
    }
    // Past the table, or NaN: no bounds.
    Pair chord, gap;
    ChordLanes(table, Pair{1 + 0x1p-19, __builtin_nan("")}, chord, gap);
    EXPECT_TRUE(std::isnan(chord[0]) && std::isnan(chord[1]));
}

// The bounds are tight enough to settle nearly every pixel: the widest gap
// past the first cell is a small share of a coverage step (1/255 of a
// sixteenth of a weight).
TEST(SoftWeights, TableGapsAreFarBelowACoverageStep) {
    PowerTable table;
    for (double e : {1.01, 1.2, 2.2, 3.7, 4.99}) {
        BuildPowerTable(e, table);
        EXPECT_LT(table.gap * 16, 0.05 * 16.0 / 255) << e;
    }
}

// A pixel's weight sum from its centre alone, and to the fourth order: the
// library's running sum of 16 powers lies within both bounds, for pens 4 to
// 100 pixels wide, every kind of soft edge the bounds serve, and pixels all
// over the band.
TEST(SoftWeights, CentreBoundsHoldTheLibrarysSum) {
    using stamp::Edge;
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int checked = 0, narrow = 0, close = 0, closeNarrow = 0;
    for (int round = 0; round < 400; ++round) {
        const double hardness =
            round % 5 == 0 ? (round / 5 % 4) * 0.25 : unit(random) * 0.99;
        const double diameter = 4 + unit(random) * 96;
        const double cx = unit(random) * 100, cy = unit(random) * 100;
        Edge edge;
        const stamp::Dab dab = stamp::DabOf(cx, cy, diameter, hardness, edge);
        const double r = diameter * 0.5;
        auto bounds = [&](auto kind, double d2, double& lower, double& upper, double& closeLower,
                          double& closeUpper, bool& hasClose) {
            constexpr Edge kEdge = decltype(kind)::value;
            hasClose = stamp::CloseSums<kEdge>(dab, d2, closeLower, closeUpper);
            return stamp::CentreSums<kEdge>(dab, d2, lower, upper);
        };
        for (int i = 0; i < 400; ++i) {
            const double dx = std::floor(cx + (unit(random) * 2 - 1) * (r + 1)) + 0.5 - cx;
            const double dy = std::floor(cy + (unit(random) * 2 - 1) * (r + 1)) + 0.5 - cy;
            const double d2 = dx * dx + dy * dy;
            double lower = 0, upper = 0, closeLower = 0, closeUpper = 0;
            bool held = false, hasClose = false;
            switch (edge) {
                case Edge::kWhole1: held = bounds(std::integral_constant<Edge, Edge::kWhole1>{}, d2, lower, upper, closeLower, closeUpper, hasClose); break;
                case Edge::kWhole2: held = bounds(std::integral_constant<Edge, Edge::kWhole2>{}, d2, lower, upper, closeLower, closeUpper, hasClose); break;
                case Edge::kWhole3: held = bounds(std::integral_constant<Edge, Edge::kWhole3>{}, d2, lower, upper, closeLower, closeUpper, hasClose); break;
                case Edge::kWhole4: held = bounds(std::integral_constant<Edge, Edge::kWhole4>{}, d2, lower, upper, closeLower, closeUpper, hasClose); break;
                case Edge::kFraction: held = bounds(std::integral_constant<Edge, Edge::kFraction>{}, d2, lower, upper, closeLower, closeUpper, hasClose); break;
                default: break;
            }
            if (!held && !hasClose) continue;
            double subX2[4], subY2[4];
            stamp::SubSquares(dx, subX2);
            stamp::SubSquares(dy, subY2);
            const double sum = stamp::SoftSum(dab, subX2, subY2);
            const auto where = [&] {
                return testing::Message() << "hardness " << hardness << " diameter " << diameter
                                          << " at " << dx << "," << dy;
            };
            if (held) {
                ASSERT_LE(lower - stamp::kSumSlack, sum) << where();
                ASSERT_GE(upper + stamp::kSumSlack, sum) << where();
                ++checked;
                if (dab.centred && upper - lower < 16.0 / 255) ++narrow;
            }
            if (hasClose) {
                ASSERT_LE(closeLower - stamp::kSumSlack, sum) << "close, " << where();
                ASSERT_GE(closeUpper + stamp::kSumSlack, sum) << "close, " << where();
                ++close;
                if (dab.centred && closeUpper - closeLower < 0.05 * 16.0 / 255) ++closeNarrow;
            }
        }
    }
    EXPECT_GT(checked, 50000);
    EXPECT_GT(narrow, checked / 4);  // within a coverage step for most wide pens
    EXPECT_GT(close, 30000);
    EXPECT_GT(closeNarrow, close / 4);  // within a twentieth of a step
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
