// The concentric template's base ellipse.
#pragma once

#include "render/point32.h"

namespace velmora {

struct RingShape {
    Point32 centre;
    double radiusA = 0.0;     // semi-axis along angle
    double radiusB = 0.0;     // semi-axis across angle
    double angle = 0.0;       // direction from p1 to p2
    double startAngle = 0.0;  // direction of p3 seen from the centre
};

}  // namespace velmora
