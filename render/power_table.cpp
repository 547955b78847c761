// The table of the soft edge's power and the bound of its chords.
#include "render/power_table.h"

#include <algorithm>
#include <cmath>

namespace velmora::stamp {

void BuildPowerTable(double exponent, PowerTable& table) {
    constexpr double kStep = 1.0 / kPowerCells;
    for (int k = 0; k <= kPowerCells + 1; ++k) table.value[k] = std::pow(k * kStep, exponent);
    // Largest (x1 - x0) (f'(x1) - f'(x0)) / 4 over the cells past the first,
    // widened far beyond the rounding of the library's powers and of the
    // chords.
    double gap = 0;
    double slope = exponent * std::pow(kStep, exponent - 1);
    for (int k = 1; k <= kPowerCells; ++k) {
        const double next = exponent * std::pow((k + 1) * kStep, exponent - 1);
        gap = std::max(gap, kStep * (next - slope) / 4);
        slope = next;
    }
    table.gap = gap * (1 + 1e-6) + 1e-13;
    table.exponent = exponent;
}

}  // namespace velmora::stamp
