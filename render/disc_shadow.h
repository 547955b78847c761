// The pixels of a disc that a neighbouring disc of the same stroke covers
// as well, row by row (see StampBetween in rasteriser.h for why they may be
// passed by). Each shadow is a convex region of the plane; a pixel lies in
// it when its four corners do, as its 16 sub-points and its centre lie
// between them.
#pragma once

#include <algorithm>
#include <utility>
#include <cmath>
#include <cstdint>

namespace velmora::stamp {

// Corner points of a pixel, from its centre.
constexpr double kCorner = 0.375;

// In offsets q from this disc's centre, v the neighbour's centre less this
// one's.
// - A neighbour no narrower: the half-plane q.x' + q.y' >= limit (x', y' = v).
// - A narrower neighbour (radius r, this disc's R): the disc of the q with
//   |q|^2 r^2 - |q - v|^2 R^2 >= margin, where every sub-point is farther
//   from this centre, in radii, than from the neighbour's: with
//   a = R^2 / (R^2 - r^2), |q - a v|^2 <= a (a - 1) |v|^2 - margin a / R^2.
struct Shadow {
    bool round;
    double x;
    double y;
    double limit;
    // Half-plane, x != 0: the bound at = cx - 0.5 + (limit - dy y) / x of
    // the row at dy is atBase + atSlope dy.
    double atBase;
    double atSlope;
    double centreX;  // of the disc, in q
    double centreY;
    double radius2;
};

// Pixels from <= x < to.
struct Stretch {
    int32_t from;
    int32_t to;
};

// Narrows [from, to) by a half-plane shadow in the row at offset dy from
// the centre: the shadow holds every x >= at, or every x <= at, with at
// where dx x + dy y = limit for dx = x + 0.5 - cx, moved away from the
// shadow by far more than its rounding. (Rounding of at, times |x|, is the
// rounding of dx x + dy y, far inside the shadow's margin.)
inline void HalfPlaneNarrow(const Shadow& s, double dy, int32_t& from, int32_t& to) {
    if (s.x == 0) {
        if (s.limit - dy * s.y < -1e-9 * (1 + std::fabs(s.limit))) to = from;  // the whole row
        return;
    }
    const double at = s.atBase + s.atSlope * dy;
    const double safety = 1e-6 + 1e-12 * std::fabs(at);
    if (s.x > 0) {  // x >= at
        const double first = at + safety;
        if (first < to) to = first <= from ? from : static_cast<int32_t>(std::ceil(first));
    } else {  // x <= at
        const double last = at - safety;
        if (last >= from) from = last >= to - 1 ? to : static_cast<int32_t>(std::floor(last)) + 1;
    }
}

// The pixels of the row at dy whose four corners lie in a round shadow:
// those whose corners' x lie within the disc's chord at both corner rows.
// The disc's centre and radius are made from v, R and r with rounding of
// 1e-16 of a |v| (a at most 1e6, see AddShadow); the chord's, where it is
// at least a hundredth of the radius, of 1e-14 of the radius: all far below
// the 1e-6 pixel the stretch is drawn in by. False when there are none, or
// the chord is shorter.
inline bool RoundStretch(const Shadow& s, double cx, double dy, int32_t x0, int32_t x1,
                         Stretch& out) {
    double half = INFINITY;
    for (const double oy : {-kCorner, kCorner}) {
        const double ry = dy + oy - s.centreY;
        const double w2 = s.radius2 - ry * ry;
        if (!(w2 >= 1e-4 * s.radius2)) return false;
        half = std::min(half, std::sqrt(w2));
    }
    const double lo = cx - 0.5 + s.centreX - half + kCorner + 1e-6;
    const double hi = cx - 0.5 + s.centreX + half - kCorner - 1e-6;
    if (!(lo < x1 && hi >= x0)) return false;
    const int32_t a = lo <= x0 ? x0 : static_cast<int32_t>(std::ceil(lo));
    const int32_t b = hi >= x1 - 1 ? x1 - 1 : static_cast<int32_t>(std::floor(hi));
    if (a > b) return false;
    out = {a, b + 1};
    return true;
}

// Up to this many stretches of a row are stamped.
constexpr int kMostStretches = 5;

// The stretches of [x0, x1) in the row at dy to stamp (into kept, returning
// their count): the row less every shadow. The half-planes leave one
// stretch; a narrower neighbour's disc may cut it in two or three. It never
// shadows a pixel that may be deep in this disc (centre nearer than
// sqrt(deep)): the pen model fills those whole, the neighbour may not.
inline int KeptStretches(const Shadow* shadows, int count, double cx, double dy, double deep,
                         int32_t x0, int32_t x1, Stretch kept[kMostStretches]) {
    int32_t from = x0, to = x1;
    bool round = false;
    for (int i = 0; i < count; ++i) {
        if (shadows[i].round)
            round = true;
        else
            HalfPlaneNarrow(shadows[i], dy, from, to);
    }
    if (from >= to) return 0;
    kept[0] = {from, to};
    if (!round) return 1;

    Stretch cut[4];
    int cuts = 0;
    for (int i = 0; i < count; ++i) {
        Stretch s;
        if (!shadows[i].round || !RoundStretch(shadows[i], cx, dy, from, to, s)) continue;
        const double reach2 = deep - dy * dy;
        if (reach2 > 0) {
            const double reach = std::sqrt(reach2) + 1e-6;
            const double lo = std::floor(cx - 0.5 - reach), hi = std::ceil(cx - 0.5 + reach);
            // Pixels lo <= x <= hi may be deep: the shadow keeps what lies outside.
            if (lo > s.from) cut[cuts++] = {s.from, static_cast<int32_t>(std::min<double>(lo, s.to))};
            if (hi + 1 < s.to)
                cut[cuts++] = {static_cast<int32_t>(std::max<double>(hi + 1, s.from)), s.to};
        } else {
            cut[cuts++] = s;
        }
    }
    // The cuts in order, then the gaps between them.
    for (int i = 1; i < cuts; ++i)
        for (int j = i; j > 0 && cut[j].from < cut[j - 1].from; --j) std::swap(cut[j], cut[j - 1]);
    int n = 0;
    int32_t x = from;
    for (int i = 0; i < cuts; ++i) {
        if (cut[i].from > x) kept[n++] = {x, cut[i].from};
        x = std::max(x, cut[i].to);
    }
    if (x < to) kept[n++] = {x, to};
    return n;
}

}  // namespace velmora::stamp
