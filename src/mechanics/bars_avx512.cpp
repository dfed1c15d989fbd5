// The bar pass on eight lanes (AVX-512 F, DQ, VL). This file alone is compiled for that
// target, without fused multiply-adds, and is called only on a processor that has it.
// Everything in it but the one entry point has internal linkage (see bars_avx2.cpp).
#include "mechanics/bar_pass.hpp"

#if defined(__AVX512F__) && defined(__AVX512DQ__) && defined(__AVX512VL__)
#include <immintrin.h>

namespace kalvane {
namespace {

struct pack8 {
  static constexpr int width = 8;
  __m512d v;
  pack8() = default;
  pack8(__m512d a) : v(a) {}
  pack8(double a) : v(_mm512_set1_pd(a)) {}
  static pack8 load(const double* p) { return _mm512_loadu_pd(p); }
  // Eight plain loads: the gather instruction was slower than these where it was measured.
  static pack8 gather(const double* base, const int32_t* index) {
    return _mm512_set_pd(base[index[7]], base[index[6]], base[index[5]], base[index[4]], base[index[3]],
                         base[index[2]], base[index[1]], base[index[0]]);
  }
  void store(double* p) const { _mm512_storeu_pd(p, v); }
  // Lane l of a, b, c, d to out[4 * l] .. out[4 * l + 3]: a 4 x 4 transpose in each
  // 128-bit pair of lanes' unpacking, then whole 256-bit quarters chosen into place.
  static void store_quads(double* out, pack8 a, pack8 b, pack8 c, pack8 d) {
    const __m512d ab_even = _mm512_unpacklo_pd(a.v, b.v), ab_odd = _mm512_unpackhi_pd(a.v, b.v);
    const __m512d cd_even = _mm512_unpacklo_pd(c.v, d.v), cd_odd = _mm512_unpackhi_pd(c.v, d.v);
    // ab_even holds (a0 b0)(a2 b2)(a4 b4)(a6 b6) by 128-bit pairs, cd_even the same of c, d.
    const __m512d even_low = _mm512_shuffle_f64x2(ab_even, cd_even, 0x44);   // (a0b0)(a2b2)(c0d0)(c2d2)
    const __m512d even_high = _mm512_shuffle_f64x2(ab_even, cd_even, 0xEE);  // (a4b4)(a6b6)(c4d4)(c6d6)
    const __m512d odd_low = _mm512_shuffle_f64x2(ab_odd, cd_odd, 0x44);
    const __m512d odd_high = _mm512_shuffle_f64x2(ab_odd, cd_odd, 0xEE);
    // (a0b0)(c0d0)(a2b2)(c2d2): bars 0 and 2, and so on.
    const __m512d bars02 = _mm512_shuffle_f64x2(even_low, even_low, 0xD8);
    const __m512d bars13 = _mm512_shuffle_f64x2(odd_low, odd_low, 0xD8);
    const __m512d bars46 = _mm512_shuffle_f64x2(even_high, even_high, 0xD8);
    const __m512d bars57 = _mm512_shuffle_f64x2(odd_high, odd_high, 0xD8);
    _mm256_store_pd(out, _mm512_castpd512_pd256(bars02));
    _mm256_store_pd(out + 4, _mm512_castpd512_pd256(bars13));
    _mm256_store_pd(out + 8, _mm512_extractf64x4_pd(bars02, 1));
    _mm256_store_pd(out + 12, _mm512_extractf64x4_pd(bars13, 1));
    _mm256_store_pd(out + 16, _mm512_castpd512_pd256(bars46));
    _mm256_store_pd(out + 20, _mm512_castpd512_pd256(bars57));
    _mm256_store_pd(out + 24, _mm512_extractf64x4_pd(bars46, 1));
    _mm256_store_pd(out + 28, _mm512_extractf64x4_pd(bars57, 1));
  }
  unsigned negative_lanes() const {
    return static_cast<unsigned>(_mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_LT_OQ));
  }
};
inline pack8 operator+(pack8 a, pack8 b) { return _mm512_add_pd(a.v, b.v); }
inline pack8 operator-(pack8 a, pack8 b) { return _mm512_sub_pd(a.v, b.v); }
inline pack8 operator*(pack8 a, pack8 b) { return _mm512_mul_pd(a.v, b.v); }
inline pack8 operator/(pack8 a, pack8 b) { return _mm512_div_pd(a.v, b.v); }
inline pack8 sqrt_of(pack8 a) { return _mm512_sqrt_pd(a.v); }

stretch_failure run(const bar_pass& pass, long long begin, long long end) { return bar_range<pack8>(pass, begin, end); }

}  // namespace

bar_range_fn bar_range_avx512() { return run; }

}  // namespace kalvane
#else
kalvane::bar_range_fn kalvane::bar_range_avx512() { return nullptr; }
#endif
