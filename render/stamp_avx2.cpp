// The AVX2 stamp: four sub-points at a time, chosen when the module runs on
// a processor that has AVX2. Only the functions marked for AVX2 use it, so
// the rest of the module runs anywhere. Its portable twin is
// stamp_portable.cpp; both give the same bytes.
#include "render/stamp_kernel.h"

#if defined(__x86_64__) && defined(__GNUC__)

#include <immintrin.h>

#define VELMORA_AVX2 __attribute__((target("avx2")))

namespace velmora::stamp {
namespace {

// A sub-row of four sub-points: the same operations lane by lane.
using Quad = double __attribute__((vector_size(32)));
using QuadMask = long long __attribute__((vector_size(32)));  // lanes all ones or zero

VELMORA_AVX2 inline Quad SqrtQuad(Quad v) {
    return reinterpret_cast<Quad>(_mm256_sqrt_pd(reinterpret_cast<__m256d>(v)));
}

struct FourLanes {
    // Sub-points of weight 1 under a hard edge: within the inner limit, or
    // short of the outer one.
    VELMORA_AVX2 static int HardCount(const Dab& dab, const PixelX& px, const double subY2[4]) {
        const Quad x = {px.low[0], px.low[1], px.high[0], px.high[1]};
        const Quad in = {dab.inLimit, dab.inLimit, dab.inLimit, dab.inLimit};
        const Quad out = {dab.outLimit, dab.outLimit, dab.outLimit, dab.outLimit};
        QuadMask count = {0, 0, 0, 0};
        for (int iy = 0; iy < 4; ++iy) {
            const Quad s2 = x + Quad{subY2[iy], subY2[iy], subY2[iy], subY2[iy]};
            count -= (s2 <= in) | (s2 < out);  // a true lane is -1
        }
        return static_cast<int>((count[0] + count[1]) + (count[2] + count[3]));
    }

    // The soft sum with the power as N - 1 products.
    template <int N>
    VELMORA_AVX2 static double ProductSum(const Dab& dab, const PixelX& px,
                                          const double subY2[4]) {
        const Quad x = {px.low[0], px.low[1], px.high[0], px.high[1]};
        const Quad in = {dab.inLimit, dab.inLimit, dab.inLimit, dab.inLimit};
        const Quad out = {dab.outLimit, dab.outLimit, dab.outLimit, dab.outLimit};
        const Quad one = {1.0, 1.0, 1.0, 1.0}, zero = {0.0, 0.0, 0.0, 0.0};
        const Quad ri = {dab.ri, dab.ri, dab.ri, dab.ri};
        const Quad invBand = {dab.invBand, dab.invBand, dab.invBand, dab.invBand};
        Quad sum = zero;
        for (int iy = 0; iy < 4; ++iy) {
            const Quad s2 = x + Quad{subY2[iy], subY2[iy], subY2[iy], subY2[iy]};
            const Quad base = one - (SqrtQuad(s2) - ri) * invBand;
            Quad w = base;
            for (int i = 1; i < N; ++i) w *= base;
            sum += s2 <= in ? one : (s2 < out ? w : zero);
        }
        return (sum[0] + sum[1]) + (sum[2] + sum[3]);
    }


    // ChordLanes for four bases at once: the table read with gathers.
    VELMORA_AVX2 static void ChordQuad(const PowerTable& table, Quad base, Quad& chord,
                                       Quad& gap) {
        const __m256d b = reinterpret_cast<__m256d>(base);
        const __m256d inTable = _mm256_cmp_pd(b, _mm256_set1_pd(kTableBaseLimit), _CMP_LE_OQ);
        // Bases at or below 0 read node 0; past the table (or NaN), node 0 too.
        const __m256d clamped = _mm256_and_pd(_mm256_max_pd(b, _mm256_setzero_pd()), inTable);
        const __m256d t = _mm256_mul_pd(clamped, _mm256_set1_pd(kPowerCells));
        const __m128i k = _mm256_cvttpd_epi32(t);
        // The masked form, every lane on: the plain one starts from an
        // undefined register, which GCC warns of.
        const __m256d zero = _mm256_setzero_pd(), all = _mm256_cmp_pd(zero, zero, _CMP_EQ_OQ);
        const __m256d low = _mm256_mask_i32gather_pd(zero, table.value, k, all, 8);
        const __m256d high = _mm256_mask_i32gather_pd(zero, table.value + 1, k, all, 8);
        const __m256d frac = _mm256_sub_pd(t, _mm256_cvtepi32_pd(k));
        const __m256d c = _mm256_add_pd(low, _mm256_mul_pd(_mm256_sub_pd(high, low), frac));
        chord = reinterpret_cast<Quad>(
            _mm256_blendv_pd(_mm256_set1_pd(__builtin_nan("")), c, inTable));
        const __m256d firstCell = _mm256_cmp_pd(t, _mm256_set1_pd(1.0), _CMP_LT_OQ);
        gap = reinterpret_cast<Quad>(_mm256_blendv_pd(
            _mm256_set1_pd(table.gap), _mm256_set1_pd(table.value[1]), firstCell));
    }

    // The sums of the table's chords (upper) and of the chords less their
    // gaps (lower), four sub-points at a time.
    VELMORA_AVX2 static void ChordSums(const Dab& dab, const PixelX& px, const double subY2[4],
                                       double& lower, double& upper) {
        const Quad x = {px.low[0], px.low[1], px.high[0], px.high[1]};
        const Quad zero = {0.0, 0.0, 0.0, 0.0}, one = {1.0, 1.0, 1.0, 1.0};
        const Quad in = {dab.inLimit, dab.inLimit, dab.inLimit, dab.inLimit};
        const Quad out = {dab.outLimit, dab.outLimit, dab.outLimit, dab.outLimit};
        const Quad ri = {dab.ri, dab.ri, dab.ri, dab.ri};
        const Quad invBand = {dab.invBand, dab.invBand, dab.invBand, dab.invBand};
        Quad high = zero, low = zero;
        for (int iy = 0; iy < 4; ++iy) {
            const Quad s2 = x + Quad{subY2[iy], subY2[iy], subY2[iy], subY2[iy]};
            Quad chord, gap;
            ChordQuad(*dab.table, one - (SqrtQuad(s2) - ri) * invBand, chord, gap);
            high += s2 <= in ? one : (s2 < out ? chord : zero);
            low += s2 <= in ? one : (s2 < out ? chord - gap : zero);
        }
        lower = (low[0] + low[1]) + (low[2] + low[3]);
        upper = (high[0] + high[1]) + (high[2] + high[3]);
    }

    // Everything it calls is made inline here, so the four-wide weights are
    // compiled for AVX2 along with the loops around them.
    template <Edge kEdge, bool kShadowed>
    VELMORA_AVX2 __attribute__((flatten)) static void Box(uint8_t* coverage, ptrdiff_t stride,
                                                          const Dab& dab, int32_t x0,
                                                          int32_t y0, int32_t x1, int32_t y1) {
        StampRows<kEdge, FourLanes, kShadowed>(coverage, stride, dab, x0, y0, x1, y1);
    }
    template <Edge kEdge>
    VELMORA_AVX2 __attribute__((flatten)) static void Tiled(const Target& target, const Dab& dab,
                                                            int32_t x0, int32_t y0, int32_t x1,
                                                            int32_t y1) {
        StampTiles<kEdge, FourLanes>(target, dab, x0, y0, x1, y1);
    }
};

}  // namespace

const StampBoxes* Avx2StampBoxes() {
    // Soft edges outside 1 to 5 need the library's power at every band
    // sub-point: they stay with the portable stamp.
    static const StampBoxes boxes = [] {
        StampBoxes b = BoxesOf<FourLanes>();
        constexpr int kSoft = static_cast<int>(Edge::kSoft);
        b.box[kSoft] = PortableStampBoxes().box[kSoft];
        b.shaded[kSoft] = PortableStampBoxes().shaded[kSoft];
        b.tiled[kSoft] = PortableStampBoxes().tiled[kSoft];
        return b;
    }();
    static const bool has = __builtin_cpu_supports("avx2");
    return has ? &boxes : nullptr;
}

}  // namespace velmora::stamp

#else

namespace velmora::stamp {

const StampBoxes* Avx2StampBoxes() { return nullptr; }

}  // namespace velmora::stamp

#endif
