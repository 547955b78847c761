// Bytes allocated through operator new, now and at the peak since the last
// reset: measures what one pass allocates.
#pragma once

#include <cstddef>

namespace velmora::bench {

size_t AllocatedBytes();
size_t PeakAllocatedBytes();
// The peak starts again from the bytes allocated now.
void ResetPeak();
// Resident set peak of the process (getrusage), in bytes.
size_t MaxResidentBytes();

}  // namespace velmora::bench
