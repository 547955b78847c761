// Maps a guide path onto one line: start S, direction phi, along scale k,
// cross scale c.
#pragma once

#include <cstdint>

#include "render/path_parser.h"

namespace velmora {

// Appends one command per guide command, each point p becoming
// S + u (cos phi, sin phi) + v (-sin phi, cos phi) with
// u = (p.x - g0.x) k, v = (p.y - g0.y) c, g0 the guide's first point.
void MapGuide(const PathParser& guide, PathParser& taskPath, PathPoint start, double phi,
              double k, double c);

// Whether a guide has a defined mapping (a first point, a finite non-zero width).
bool GuideIsMappable(const PathParser& guide);

// Guide commands a pass may copy into its lines' paths, all lines together:
// they are held until the lines are drawn (about 100 bytes each), and each
// is mapped, flattened and walked.
inline constexpr int64_t kMaxMappedCommands = int64_t{1} << 21;

// Whether one more line fits with `mapped` commands copied so far; counts
// the line's commands when it does. Lines that would pass the bound are
// left out.
bool RoomToMap(const PathParser& guide, int64_t& mapped);

}  // namespace velmora
