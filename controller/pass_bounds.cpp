#include "controller/pass_bounds.h"

#include <algorithm>

namespace velmora {

namespace {

// Floors: a path of this many segments, samples or steps is always allowed.
constexpr uint64_t kSegmentFloor = 256;
constexpr uint64_t kSampleFloor = 4096;
constexpr uint64_t kStepFloor = 4096;
// Ceilings: what one worker may hold (segments of 40 bytes: 2.5 MiB, so 64
// workers stay far below the memory bound) or walk for one line.
constexpr uint64_t kSegmentCeiling = uint64_t{1} << 16;
constexpr uint64_t kSampleCeiling = kPassSamples;  // one ring of 10^7 vertices scans 5e7
constexpr uint64_t kStepCeiling = uint64_t{1} << 26;

uint64_t Share(uint64_t total, size_t lines, uint64_t floor, uint64_t ceiling) {
    const uint64_t share = lines == 0 ? ceiling : total / static_cast<uint64_t>(lines);
    return std::clamp(share, floor, std::max(floor, ceiling));
}

}  // namespace

LineLimits LineLimitsFor(size_t lines, int32_t width, int32_t height) {
    // Width plus height of the canvas, each at least 0.
    const uint64_t around = static_cast<uint64_t>(std::max(width, 0)) +
                            static_cast<uint64_t>(std::max(height, 0));
    LineLimits limits;
    limits.segments = static_cast<size_t>(Share(kPassSegments, lines, kSegmentFloor, kSegmentCeiling));
    limits.samples = Share(kPassSamples, lines, kSampleFloor, kSampleCeiling);
    limits.steps = Share(kPassSteps, lines, kStepFloor,
                         std::min(kStepCeiling, 16 * around + 2 * kStepFloor));
    return limits;
}

}  // namespace velmora
