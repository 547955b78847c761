#include "platform/hypot.h"

#include <cmath>
#include <limits>

namespace velmora::platform {
namespace {

constexpr double kScale = 0x1p-600;
constexpr double kLarge = 0x1p+511;
constexpr double kTiny = 0x1p-511;
constexpr double kEps = 0x1p-54;

// ax >= ay, both finite and in a range where the squares neither overflow
// nor lose their low bits. The first square root is corrected once by the
// rounding error of the sum of squares, recovered without fused operations.
double Kernel(double ax, double ay) {
    double h = std::sqrt(ax * ax + ay * ay);
    double t1;
    double t2;
    if (h <= 2.0 * ay) {
        const double delta = h - ay;
        t1 = ax * (2.0 * delta - ax);
        t2 = (delta - 2.0 * (ax - ay)) * delta;
    } else {
        const double delta = h - ax;
        t1 = 2.0 * delta * (ax - 2.0 * ay);
        t2 = (4.0 * delta - ay) * ay + delta * delta;
    }
    h -= (t1 + t2) / (2.0 * h);
    return h;
}

}  // namespace

double Hypot(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
        if (std::isinf(x) || std::isinf(y)) return std::numeric_limits<double>::infinity();
        return x + y;
    }
    x = std::fabs(x);
    y = std::fabs(y);
    double ax = x < y ? y : x;
    const double ay = x < y ? x : y;
    if (ax > kLarge) {
        if (ay <= ax * kEps) return ax + ay;
        return Kernel(ax * kScale, ay * kScale) / kScale;
    }
    if (ay < kTiny) {
        if (ax >= ay / kEps) return ax + ay;
        ax = Kernel(ax / kScale, ay / kScale) * kScale;
        return ax;
    }
    if (ay <= ax * kEps) return ax + ay;
    return Kernel(ax, ay);
}

}  // namespace velmora::platform
