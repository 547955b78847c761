// The portable stamp: two sub-points at a time, with the compiler's vector
// extension, on every processor. Its AVX2 twin is stamp_avx2.cpp.
#include "render/stamp_kernel.h"

namespace velmora::stamp {
namespace {

struct TwoLanes {
    // Sub-points of weight 1 under a hard edge: within the inner limit, or
    // short of the outer one.
    static int HardCount(const Dab& dab, const PixelX& px, const double subY2[4]) {
        const Pair in = Splat(dab.inLimit), out = Splat(dab.outLimit);
        PairMask count = {0, 0};
        for (int iy = 0; iy < 4; ++iy) {
            const Pair t = Splat(subY2[iy]);
            const Pair a = px.low + t, b = px.high + t;
            count -= (a <= in) | (a < out);  // a true lane is -1
            count -= (b <= in) | (b < out);
        }
        return static_cast<int>(count[0] + count[1]);
    }

    // The soft sum with the power as N - 1 products.
    template <int N>
    static double ProductSum(const Dab& dab, const PixelX& px, const double subY2[4]) {
        const Pair in = Splat(dab.inLimit), out = Splat(dab.outLimit);
        const Pair one = Splat(1.0), zero = Splat(0.0);
        const Pair ri = Splat(dab.ri), invBand = Splat(dab.invBand);
        Pair sum = zero;
        for (int iy = 0; iy < 4; ++iy) {
            const Pair t = Splat(subY2[iy]);
            for (const Pair x : {px.low, px.high}) {
                const Pair s2 = x + t;
                const Pair base = one - (SqrtPair(s2) - ri) * invBand;
                Pair w = base;
                for (int i = 1; i < N; ++i) w *= base;
                sum += s2 <= in ? one : (s2 < out ? w : zero);
            }
        }
        return sum[0] + sum[1];
    }


    // The sums of the table's chords (upper) and of the chords less their
    // gaps (lower), two sub-points at a time.
    static void ChordSums(const Dab& dab, const PixelX& px, const double subY2[4], double& lower,
                          double& upper) {
        const Pair in = Splat(dab.inLimit), out = Splat(dab.outLimit);
        const Pair one = Splat(1.0), zero = Splat(0.0);
        const Pair ri = Splat(dab.ri), invBand = Splat(dab.invBand);
        Pair high = zero, low = zero;
        for (int iy = 0; iy < 4; ++iy) {
            const Pair t = Splat(subY2[iy]);
            for (const Pair x : {px.low, px.high}) {
                const Pair s2 = x + t;
                Pair chord, gap;
                ChordLanes(*dab.table, one - (SqrtPair(s2) - ri) * invBand, chord, gap);
                high += s2 <= in ? one : (s2 < out ? chord : zero);
                low += s2 <= in ? one : (s2 < out ? chord - gap : zero);
            }
        }
        lower = low[0] + low[1];
        upper = high[0] + high[1];
    }

    // The rows of a dab's box, whole or through the tiles.
    template <Edge kEdge, bool kShadowed>
    static void Box(uint8_t* coverage, ptrdiff_t stride, const Dab& dab, int32_t x0,
                    int32_t y0, int32_t x1, int32_t y1) {
        StampRows<kEdge, TwoLanes, kShadowed>(coverage, stride, dab, x0, y0, x1, y1);
    }
    template <Edge kEdge>
    static void Tiled(const Target& target, const Dab& dab, int32_t x0, int32_t y0, int32_t x1,
                      int32_t y1) {
        StampTiles<kEdge, TwoLanes>(target, dab, x0, y0, x1, y1);
    }
};

}  // namespace

const StampBoxes& PortableStampBoxes() {
    static constexpr StampBoxes kBoxes = BoxesOf<TwoLanes>();
    return kBoxes;
}

}  // namespace velmora::stamp
