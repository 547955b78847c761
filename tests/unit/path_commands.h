// Short names for the path commands tests build paths from.
#pragma once

#include "render/path_parser.h"

namespace velmora::test {

inline PathCommand Move(double x, double y) { return {kMoveTo, {{x, y}}}; }
inline PathCommand Line(double x, double y) { return {kLineTo, {{x, y}}}; }
inline PathCommand Cubic(PathPoint c1, PathPoint c2, PathPoint to) { return {kCubicTo, {c1, c2, to}}; }
inline PathCommand Quad(PathPoint c, PathPoint to) { return {kQuadTo, {c, to}}; }

}  // namespace velmora::test
