// b^e for a soft edge's weights, lane by lane, within a known distance of
// the true power: for 0 <= b <= 1 + 2^-20 and 1 <= e <= 5 the result lies
// within kNearPowerError of b^e. The stamp sums these to decide a pixel's
// byte without the library's power; a sum too near a step of the byte is
// made again with the library (stamp_kernel.h).
//
// How the bound holds, in plain double arithmetic (no fused operations):
// - b below 2^-40 gives 0; the true power is at most b there, as e >= 1.
// - Otherwise b = m 2^k with m in [sqrt(1/2), sqrt(2)), read from its bits,
//   and ln m = 2 atanh(t), t = (m - 1) / (m + 1), |t| < 0.1716, by its odd
//   series to t^23: the rest is below 1e-18 of it. ln b = k ln2 + ln m with
//   ln2 in two parts, so |ln b| <= 27.8 comes within 1e-14.
// - y = e ln b, |y| <= 139, within 1e-13 after its own rounding.
// - exp y = 2^j exp r, j the nearest whole number to y / ln2 and
//   r = y - j ln2 (|r| <= 0.35, j ln2 in two parts); exp r by its series to
//   r^12, whose rest is below 2e-16 of it.
// So the power is within a relative 2e-13 of b^e, and b^e <= 1 + 2^-18:
// kNearPowerError leaves a margin of more than 4 over both cases.
#pragma once

namespace velmora::stamp {

constexpr double kNearPowerError = 4e-12;

// Unsigned 64-bit lanes the size of a vector of doubles, for its bits.
template <int kBytes>
struct UnsignedLanes;
template <>
struct UnsignedLanes<16> {
    using Type = unsigned long long __attribute__((vector_size(16)));
};
template <>
struct UnsignedLanes<32> {
    using Type = unsigned long long __attribute__((vector_size(32)));
};

// V: a vector of doubles; U: the unsigned 64-bit integers of its size.
// Always inline, so that the four-wide form is compiled with the AVX2 loop
// that calls it.
template <typename V, typename U>
[[gnu::always_inline]] inline V NearPower(V b, V e) {
    constexpr double kLn2High = 6.93147180369123816490e-01;  // low 32 bits zero
    constexpr double kLn2Low = 1.90821492927058770002e-10;
    constexpr double kSqrt2 = 1.4142135623730951;
    constexpr double kTiny = 0x1p-40;
    constexpr double kTwo52 = 0x1p52;
    constexpr double kRound = 0x1.8p52;  // adding it rounds to a whole number
    const U bits = reinterpret_cast<U>(b);

    // b = m 2^k with m in [1, 2), then in [sqrt(1/2), sqrt(2)).
    const U biased = bits >> 52;
    V k = reinterpret_cast<V>(biased | 0x4330000000000000ull) - kTwo52 - 1023.0;
    V m = reinterpret_cast<V>((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    const auto high = m > kSqrt2;
    m = high ? m * 0.5 : m;
    k = high ? k + 1.0 : k;

    // ln m = 2 t (1 + s/3 + s^2/5 + ... + s^11/23), s = t^2.
    const V t = (m - 1.0) / (m + 1.0);
    const V s = t * t;
    V series = s * (1.0 / 23) + 1.0 / 21;
    series = series * s + 1.0 / 19;
    series = series * s + 1.0 / 17;
    series = series * s + 1.0 / 15;
    series = series * s + 1.0 / 13;
    series = series * s + 1.0 / 11;
    series = series * s + 1.0 / 9;
    series = series * s + 1.0 / 7;
    series = series * s + 1.0 / 5;
    series = series * s + 1.0 / 3;
    series = series * s + 1.0;
    const V lnM = (t + t) * series;
    const V y = e * (k * kLn2High + (k * kLn2Low + lnM));

    // exp y = 2^j exp r.
    const V rounded = y * 1.4426950408889634 + kRound;
    const V j = rounded - kRound;
    const V r = (y - j * kLn2High) - j * kLn2Low;
    V p = r * (1.0 / 479001600) + 1.0 / 39916800;
    p = p * r + 1.0 / 3628800;
    p = p * r + 1.0 / 362880;
    p = p * r + 1.0 / 40320;
    p = p * r + 1.0 / 5040;
    p = p * r + 1.0 / 720;
    p = p * r + 1.0 / 120;
    p = p * r + 1.0 / 24;
    p = p * r + 1.0 / 6;
    p = p * r + 0.5;
    p = p * r + 1.0;
    p = p * r + 1.0;
    // 2^j from its bits: j sits in the low bits of rounded.
    const U jBits = reinterpret_cast<U>(rounded) - reinterpret_cast<U>(V{} + kRound);
    const V scale = reinterpret_cast<V>((jBits + 1023ull) << 52);
    const V zero = V{};
    return b >= kTiny ? p * scale : zero;
}

}  // namespace velmora::stamp
