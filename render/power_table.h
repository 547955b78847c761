// The soft edge's power b^e read from a table, with bounds that hold for
// every base: the stamp decides most pixels with them and leaves the
// library's power to the few whose byte they cannot settle.
//
// b^e is convex in b for e >= 1, so between two nodes of the table the
// chord lies above it, and below it by no more than the cell's width times
// the rise of the slope e b^(e-1) across it, over 4 (the chord less the
// tangents at both ends meets its largest at most there). `gap` is the
// largest such amount over the cells past the first; in the first, [0, h],
// the power lies between 0 and the chord, which is at most value[1].
#pragma once

#include <cstddef>

namespace velmora::stamp {

constexpr int kPowerCells = 1024;  // cells over [0, 1]; one more up to 1 + 1/1024

// Bases up to this lie within the table; a sub-point with a larger one (a
// pen nearly hard, where rounding lifts the base past 1) sends its pixel to
// the library's powers.
constexpr double kTableBaseLimit = 1 + 0x1p-20;

struct PowerTable {
    double exponent = -1;
    double gap = 0;                      // below the chord, cells past the first
    double value[kPowerCells + 2] = {};  // the library's (k / kPowerCells)^exponent
};

// Fills the table for an exponent of at least 1.
void BuildPowerTable(double exponent, PowerTable& table);

// For a base: the chord above its power, and how far below the
// chord the power may lie (a base at or below 0 weighs 0, as the library's
// NaN does). A base past kTableBaseLimit, or NaN, gives a NaN chord.
[[gnu::always_inline]] inline void ChordAt(const PowerTable& table, double b, double& chord,
                                           double& gap) {
    if (!(b <= kTableBaseLimit)) {
        chord = __builtin_nan("");
        gap = 0;
        return;
    }
    if (!(b > 0)) b = 0;
    const double t = b * kPowerCells;  // exact: a power of two
    const int k = static_cast<int>(t);
    const double* v = table.value + k;
    chord = v[0] + (v[1] - v[0]) * (t - k);
    gap = k == 0 ? v[1] : table.gap;
}

// ChordAt lane by lane.
template <typename V>
[[gnu::always_inline]] inline void ChordLanes(const PowerTable& table, V base, V& chord, V& gap) {
    for (size_t i = 0; i < sizeof(V) / sizeof(double); ++i) {
        double c, g;
        ChordAt(table, base[i], c, g);
        chord[i] = c;
        gap[i] = g;
    }
}

}  // namespace velmora::stamp
