// The hostile section of the benchmark: inputs that once froze or bloated a
// pass, timed and measured at a large canvas against the bounds of a pass.
#pragma once

#include <cstdint>

namespace velmora::bench {

// Runs every hostile case (or the one named `only`) on a size x size canvas
// and prints the table; non-zero when a case is out of bounds.
int RunHostile(int32_t size, const char* only);

}  // namespace velmora::bench
