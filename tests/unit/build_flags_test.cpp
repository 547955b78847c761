// The build keeps floating point exact: no fused multiply-add contraction.
#include <gtest/gtest.h>

#include <cmath>

namespace {

double MulAdd(volatile double a, volatile double b, volatile double c) { return a * b + c; }

TEST(BuildFlags, MultiplyAddIsNotFused) {
    // With contraction a * b + c would be computed exactly and give a
    // different last bit for these operands.
    const double a = 1.0 + std::ldexp(1.0, -30);
    const double b = 1.0 - std::ldexp(1.0, -30);
    const double c = -1.0;
    EXPECT_EQ(MulAdd(a, b, c), a * b + c);
    EXPECT_EQ(MulAdd(a, b, c), 0.0 - std::ldexp(1.0, -60) + std::ldexp(1.0, -60) * 0.0 - 0.0 + (a * b - 1.0));
}

}  // namespace
