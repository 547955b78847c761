// Uniform doubles from a Mersenne Twister seeded by the random device.
#include "render/random_source.h"

#include <exception>
#include <stdexcept>

namespace velmora {

namespace {

uint32_t DeviceSeed() {
    try {
        std::random_device device;
        return static_cast<uint32_t>(device());
    } catch (const std::exception&) {
        throw std::runtime_error("invalid random_device value");
    }
}

}  // namespace

RandomSource::RandomSource(double lo, double hi) : RandomSource(lo, hi, DeviceSeed()) {}

RandomSource::RandomSource(double lo, double hi, uint32_t seed) : engine_(seed), lo_(lo), hi_(hi) {}

double RandomSource::Draw() {
    const uint32_t a = static_cast<uint32_t>(engine_());
    const uint32_t b = static_cast<uint32_t>(engine_());
    return (hi_ - lo_) * UnitFromWords(a, b) + lo_;
}

double UnitFromWords(uint32_t a, uint32_t b) {
    // b gives the upper 32 bits, the upper 21 bits of a the lower 21: a
    // 53-bit integer, exactly representable, scaled by 2^-53.
    const uint64_t k = (static_cast<uint64_t>(b) << 21) | (a >> 11);
    return static_cast<double>(k) * 0x1p-53;
}

}  // namespace velmora
