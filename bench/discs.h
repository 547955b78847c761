// The discs of a pass, recorded and drawn again by our stamp, the
// baseline's and a general 2-D library, one thread each.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/cairo_peer.h"
#include "bench/session.h"

namespace velmora::bench {

// The discs of one pass on one worker, in `discs`; our stamp again afterwards.
void RecordDiscs(Session& s, std::vector<Disc>& discs);

// Our stamp, the baseline's and the library's on the same discs, printed;
// false when our coverage differs from the baseline's.
bool CompareDiscs(const char* name, int32_t width, int32_t height, double hardness,
                  const std::vector<Disc>& discs);

}  // namespace velmora::bench
