// The bar pass on four lanes (AVX2). This file alone is compiled for AVX2, without fused
// multiply-adds, and is called only on a processor that has AVX2. Everything in it that is
// not the one entry point has internal linkage, so no AVX2 code can stand in for a baseline
// copy of a shared inline function.
#include "mechanics/bar_pass.hpp"

#if defined(__AVX2__)
#include <immintrin.h>

namespace kalvane {
namespace {

struct pack4 {
  static constexpr int width = 4;
  __m256d v;
  pack4() = default;
  pack4(__m256d a) : v(a) {}
  pack4(double a) : v(_mm256_set1_pd(a)) {}
  static pack4 load(const double* p) { return _mm256_loadu_pd(p); }
  // Four plain loads: the gather instruction was slower than these where it was measured.
  static pack4 gather(const double* base, const int32_t* index) {
    return _mm256_set_pd(base[index[3]], base[index[2]], base[index[1]], base[index[0]]);
  }
  void store(double* p) const { _mm256_storeu_pd(p, v); }
  unsigned negative_lanes() const {
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_LT_OQ)));
  }
};
inline pack4 operator+(pack4 a, pack4 b) { return _mm256_add_pd(a.v, b.v); }
inline pack4 operator-(pack4 a, pack4 b) { return _mm256_sub_pd(a.v, b.v); }
inline pack4 operator*(pack4 a, pack4 b) { return _mm256_mul_pd(a.v, b.v); }
inline pack4 operator/(pack4 a, pack4 b) { return _mm256_div_pd(a.v, b.v); }
inline pack4 sqrt_of(pack4 a) { return _mm256_sqrt_pd(a.v); }

stretch_failure run(const bar_pass& pass, long long begin, long long end) { return bar_range<pack4>(pass, begin, end); }

}  // namespace

bar_range_fn bar_range_avx2() { return run; }

}  // namespace kalvane
#else
kalvane::bar_range_fn kalvane::bar_range_avx2() { return nullptr; }
#endif
