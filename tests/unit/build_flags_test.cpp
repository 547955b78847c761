// The build keeps floating point exact: no fused multiply-add contraction.
#include <gtest/gtest.h>

#include <cmath>

namespace {

double MulAdd(double a, double b, double c) { return a * b + c; }

TEST(BuildFlags, MultiplyAddIsRoundedTwice) {
    // (1 + e)(1 - e) = 1 - e^2 rounds to 1 in double, so the unfused result
    // is exactly 0; a fused multiply-add would give -e^2.
    volatile double a = 1.0 + std::ldexp(1.0, -30);
    volatile double b = 1.0 - std::ldexp(1.0, -30);
    volatile double c = -1.0;
    EXPECT_EQ(MulAdd(a, b, c), 0.0);
}

}  // namespace
