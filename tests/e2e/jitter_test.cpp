// Jitter settings draw from the random device, so their pictures are checked
// by what must always hold (bounds) and by what must not (every run alike).
// The scene: horizontal lines from x 10 to 50 across an ink band at x 20..30,
// each stroke covering the band plus half the length on either side.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "controller_fixture.h"
#include "image_support.h"

namespace velmora::e2e {
namespace {

constexpr int32_t kWidth = 64;
constexpr int kRuns = 8;

struct Extent {
    int32_t minX = kWidth, maxX = -1, minY = 1 << 20, maxY = -1;
    uint8_t peak = 0;
    bool operator<(const Extent& o) const {
        return std::tie(minX, maxX, minY, maxY, peak) < std::tie(o.minX, o.maxX, o.minY, o.maxY, o.peak);
    }
};

class Jitter : public ControllerTest {
protected:
    // Lines at y = 16 (one line) or at y = 4, 14, ..., 44 (five lines).
    void Scene(int32_t height, int32_t y, HostPoint repeatTo) {
        Start();
        height_ = height;
        Image ink(kWidth, height);
        FillRect(ink, 20, 0, 30, height, Rgba{0, 0, 0, 255});
        host.SetSource(host.OffscreenFromRgba(kWidth, height, ink.rgba.data()));
        destination_ = host.CreateOffscreen(kWidth, height, 3);
        host.SetDestination(destination_);
        host.EditEnum(kItemTemplate, kTemplateParallel);
        host.EditPoint(kItemPoint1, HostPoint{10, y});
        host.EditPoint(kItemPoint2, HostPoint{50, y});
        host.EditPoint(kItemPoint3, repeatTo);
        host.EditInt(kItemIn, 0);
        host.EditInt(kItemOut, 0);
    }
    void OneLine() { Scene(32, 16, HostPoint{10, 17}); }
    void FiveLines() { Scene(64, 4, HostPoint{10, 44}); }

    std::vector<uint8_t> RenderAlpha() {
        EXPECT_EQ(host.FilterRun(), 0);
        const std::vector<uint8_t> rgba = host.ReadRgba(destination_);
        std::vector<uint8_t> alpha(rgba.size() / 4);
        for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = rgba[i * 4 + 3];
        return alpha;
    }
    Extent Measure(const std::vector<uint8_t>& alpha) const {
        Extent e;
        for (int32_t y = 0; y < height_; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                const uint8_t a = alpha[static_cast<size_t>(y * kWidth + x)];
                if (a == 0) continue;
                e.minX = std::min(e.minX, x);
                e.maxX = std::max(e.maxX, x);
                e.minY = std::min(e.minY, y);
                e.maxY = std::max(e.maxY, y);
                e.peak = std::max(e.peak, a);
            }
        }
        return e;
    }
    std::vector<Extent> RunMany() {
        std::vector<Extent> out;
        for (int i = 0; i < kRuns; ++i) out.push_back(Measure(RenderAlpha()));
        return out;
    }
    static size_t Distinct(const std::vector<Extent>& extents) {
        return std::set<Extent>(extents.begin(), extents.end()).size();
    }
    // Every run's stroke stays on the one line's rows (15 and 16) with its
    // ends in these ranges of x, and the runs are not all alike.
    struct Span {
        int32_t lo, hi;
    };
    static void ExpectVaryingStrokes(const std::vector<Extent>& extents, Span start, Span end) {
        for (const Extent& e : extents) {
            EXPECT_GE(e.minX, start.lo);
            EXPECT_LE(e.minX, start.hi);
            EXPECT_GE(e.maxX, end.lo);
            EXPECT_LE(e.maxX, end.hi);
            EXPECT_EQ(e.minY, 15);
            EXPECT_EQ(e.maxY, 16);
        }
        EXPECT_GT(Distinct(extents), 1u);
    }

    int32_t height_ = 0;
    HostOffscreen destination_ = nullptr;
};

TEST_F(Jitter, WithoutJitterEveryRunIsTheSame) {
    OneLine();
    const std::vector<uint8_t> first = RenderAlpha();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(RenderAlpha(), first);
    const Extent e = Measure(first);
    // Half of length 10 beyond the band on each side: walked 5 to 25.
    EXPECT_EQ(e.minX, 16);
    EXPECT_EQ(e.maxX, 37);
    EXPECT_EQ(e.minY, 15);
    EXPECT_EQ(e.maxY, 16);
}

TEST_F(Jitter, LengthJitterOnlyLengthensWithinItsShare) {
    OneLine();
    host.EditDouble(kItemLenfluct, 1.0);  // the overshoot grows by up to all of itself
    // Overshoot b in [5, 10): the stroke spans x 20 - b to 30 + b.
    ExpectVaryingStrokes(RunMany(), {10, 16}, {37, 42});
}

TEST_F(Jitter, PositionJitterShiftsTheWholeStrokeByUpToHalfItsLength) {
    OneLine();
    host.EditDouble(kItemPosfluct, 1.0);
    // The stroke of length 20 moves by [-10, 10).
    ExpectVaryingStrokes(RunMany(), {5, 26}, {26, 48});
}

TEST_F(Jitter, PressureJitterOnlyThinsTheStroke) {
    OneLine();
    const Extent plain = Measure(RenderAlpha());
    host.EditDouble(kItemFluction, 1.0);
    std::set<uint8_t> peaks;
    for (int i = 0; i < kRuns; ++i) {
        const Extent e = Measure(RenderAlpha());
        if (e.maxX < 0) continue;  // pressure jittered down to no disc at all
        EXPECT_GE(e.minX, plain.minX);
        EXPECT_LE(e.maxX, plain.maxX);
        EXPECT_GE(e.minY, plain.minY);
        EXPECT_LE(e.maxY, plain.maxY);
        EXPECT_LE(e.peak, plain.peak);
        peaks.insert(e.peak);
    }
    EXPECT_GT(peaks.size(), 1u);
}

TEST_F(Jitter, SpacingJitterMovesLinesForwardByLessThanItsShare) {
    FiveLines();
    host.EditInt(kItemSpacing, 10);
    const std::vector<uint8_t> plain = RenderAlpha();
    const Extent plainExtent = Measure(plain);
    EXPECT_EQ(plainExtent.minY, 3);   // first line on y = 4
    EXPECT_EQ(plainExtent.maxY, 44);  // last line on y = 44
    host.EditDouble(kItemSpcfluct, 1.0);
    std::set<std::vector<uint8_t>> pictures;
    for (int i = 0; i < kRuns; ++i) {
        const std::vector<uint8_t> alpha = RenderAlpha();
        const Extent e = Measure(alpha);
        // Each line moves down by less than one spacing.
        EXPECT_GE(e.minY, 3);
        EXPECT_LE(e.maxY, 54);
        // Off the pixel rows, the faint start of a stroke may miss a pixel.
        EXPECT_GE(e.minX, plainExtent.minX);
        EXPECT_LE(e.minX, plainExtent.minX + 1);
        EXPECT_EQ(e.maxX, plainExtent.maxX);
        pictures.insert(alpha);
    }
    EXPECT_GT(pictures.size(), 1u);
}

}  // namespace
}  // namespace velmora::e2e
