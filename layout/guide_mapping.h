// Maps a guide path onto one line: start S, direction phi, along scale k,
// cross scale c.
#pragma once

#include "render/path_parser.h"

namespace velmora {

// Appends one command per guide command, each point p becoming
// S + u (cos phi, sin phi) + v (-sin phi, cos phi) with
// u = (p.x - g0.x) k, v = (p.y - g0.y) c, g0 the guide's first point.
void MapGuide(const PathParser& guide, PathParser& taskPath, PathPoint start, double phi,
              double k, double c);

// Whether a guide has a defined mapping (a first point, a finite non-zero width).
bool GuideIsMappable(const PathParser& guide);

}  // namespace velmora
