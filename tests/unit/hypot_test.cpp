// The module's hypot gives the same bits on every platform: glibc's bits,
// checked directly where glibc is the C library and through a digest of
// those bits everywhere else.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/hypot.h"

namespace velmora::platform {
namespace {

uint64_t Bits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

// Deterministic inputs on every platform: canvas-sized deltas, unit-sized
// ones, integer-and-fraction pairs as segment ends give, and any magnitude.
class Inputs {
public:
    double Next(int kind) {
        const uint64_t r = Mix();
        const double unit = static_cast<double>(r >> 11) * 0x1p-53;  // [0, 1)
        switch (kind) {
            case 0: return (unit - 0.5) * 10000;
            case 1: return (unit - 0.5) * 6;
            case 2: return std::floor((unit - 0.5) * 10000) + 0.5 * static_cast<double>(r & 1);
            default: return std::ldexp(unit - 0.5, static_cast<int>(r % 2090) - 1070);
        }
    }

private:
    uint64_t Mix() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    uint64_t state_ = 1;
};

constexpr int kSamples = 1 << 20;

TEST(Hypot, SameBitsOnEveryPlatform) {
    Inputs inputs;
    uint64_t digest = 0xcbf29ce484222325u;
    int mismatches = 0;
    for (int i = 0; i < kSamples; ++i) {
        const double x = inputs.Next(i % 4);
        const double y = inputs.Next(i % 4);
        const uint64_t bits = Bits(Hypot(x, y));
        digest = (digest ^ bits) * 0x100000001b3u;
#ifdef __GLIBC__
        if (bits != Bits(std::hypot(x, y)) && ++mismatches <= 5) {
            ADD_FAILURE() << std::hexfloat << x << ", " << y << ": " << Hypot(x, y)
                          << " against the C library's " << std::hypot(x, y);
        }
#endif
    }
    EXPECT_EQ(mismatches, 0);
    // glibc's bits for these inputs.
    EXPECT_EQ(digest, 14793263704959899999u);
}

TEST(Hypot, EdgesOfTheRange) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Hypot(3, 4), 5);
    EXPECT_EQ(Hypot(-3, 4), 5);
    EXPECT_EQ(Hypot(0, 0), 0);
    EXPECT_EQ(Hypot(0, -7), 7);
    EXPECT_EQ(Hypot(inf, nan), inf);
    EXPECT_EQ(Hypot(nan, -inf), inf);
    EXPECT_TRUE(std::isnan(Hypot(nan, 1)));
    EXPECT_EQ(Hypot(1e308, 1e308), 1e308 * std::sqrt(2.0));
    EXPECT_EQ(Hypot(3e-320, 4e-320), 5e-320);
    EXPECT_EQ(Hypot(1e300, 1e-300), 1e300);
}

}  // namespace
}  // namespace velmora::platform
