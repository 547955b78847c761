// What one render pass may spend, shared out over its lines: a line whose
// path, scan or strokes would need more than its share is left out, like a
// line that cannot be drawn. Ordinary scenes stay far below every share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// Totals of a pass, shared out evenly over its lines and rings.
inline constexpr uint64_t kPassSegments = uint64_t{1} << 24;  // flattened segments
inline constexpr uint64_t kPassSamples = uint64_t{1} << 28;   // ink samples of the scans
inline constexpr uint64_t kPassSteps = uint64_t{1} << 29;     // pen steps of the runs

struct LineLimits {
    size_t segments = SIZE_MAX;
    uint64_t samples = UINT64_MAX;
    uint64_t steps = UINT64_MAX;
};

// Each line's share when a pass has `lines` lines on a width x height
// canvas. A share never falls below a floor, nor rises past what one worker
// may hold, or past what a line over this canvas can use: scanning twice
// round a ring through the canvas's far corners (about 4.5 (W + H) samples),
// and drawing that with the longest runs the panel allows. Ordinary scenes
// stay within every share; a guide of thousands of curves far across a
// small canvas does not.
LineLimits LineLimitsFor(size_t lines, int32_t width, int32_t height);

}  // namespace velmora
