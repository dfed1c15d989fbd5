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
