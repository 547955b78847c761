// Uniform doubles from a Mersenne Twister seeded by the random device.
#include "layout/random_source.h"

#include <atomic>
#include <exception>
#include <stdexcept>

#include "layout/random_seed_for_testing.h"

namespace velmora {

namespace {

// The test seam's seed function; null in the module.
std::atomic<testing::SeedFunction>& SeedFunctionSlot() {
    static std::atomic<testing::SeedFunction> slot{nullptr};
    return slot;
}

uint32_t NextSeed() {
    if (testing::SeedFunction fn = SeedFunctionSlot().load(std::memory_order_acquire)) {
        return fn();
    }
    try {
        std::random_device device;
        return static_cast<uint32_t>(device());
    } catch (const std::exception&) {
        throw std::runtime_error("invalid random_device value");
    }
}

}  // namespace

namespace testing {
void SetSeedFunctionForTesting(SeedFunction fn) {
    SeedFunctionSlot().store(fn, std::memory_order_release);
}
}  // namespace testing

RandomSource::RandomSource(double lo, double hi) : engine_(NextSeed()), lo_(lo), hi_(hi) {}

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
