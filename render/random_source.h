// Uniform doubles in [lo, hi) from a Mersenne Twister seeded by the
// operating system's random device. Every user owns its own source.
#pragma once

#include <cstdint>
#include <random>

namespace velmora {

class RandomSource {
public:
    // Seeded by the random device.
    RandomSource(double lo, double hi);
    // Seeded by the given value: the same seed, the same draws.
    RandomSource(double lo, double hi, uint32_t seed);

    // Two engine words a then b: k = b * 2^21 + (a >> 11), u = k * 2^-53,
    // result (hi - lo) * u + lo.
    double Draw();

    double lo() const { return lo_; }
    double hi() const { return hi_; }

private:
    std::mt19937 engine_;
    double lo_;
    double hi_;
};

// Unit value of Draw() for the two engine words a (first) and b (second).
double UnitFromWords(uint32_t a, uint32_t b);

}  // namespace velmora
