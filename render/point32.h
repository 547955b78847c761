// A whole-pixel point: the templates' base points and the ring centre.
#pragma once

#include <cstdint>

namespace velmora {

struct Point32 {
    int32_t x = 0;
    int32_t y = 0;
};

inline bool operator==(Point32 a, Point32 b) { return a.x == b.x && a.y == b.y; }

}  // namespace velmora
