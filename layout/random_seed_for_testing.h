// Test-only seam: lets tests replace the random device by a fixed seed
// sequence. The module never calls it.
#pragma once

#include <cstdint>

namespace velmora::testing {

// When set, every new RandomSource is seeded with the next value of this
// function instead of the random device. Pass nullptr to restore the device.
using SeedFunction = uint32_t (*)();
void SetSeedFunctionForTesting(SeedFunction fn);

}  // namespace velmora::testing
