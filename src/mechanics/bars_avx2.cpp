// The bar pass on four lanes, and the gradient gather on quads (AVX2). This file alone is
// compiled for AVX2, without fused multiply-adds, and is called only on a processor that
// has AVX2. Everything in it but its two entry points has internal linkage, so no AVX2 code
// can stand in for a baseline copy of a shared inline function.
#include "mechanics/bar_pass.hpp"
#include "mechanics/node_pass.hpp"

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
  // A 4 x 4 transpose: lane l of a, b, c, d to out[4 * l] .. out[4 * l + 3].
  static void store_quads(double* out, pack4 a, pack4 b, pack4 c, pack4 d) {
    const __m256d ab_even = _mm256_unpacklo_pd(a.v, b.v), ab_odd = _mm256_unpackhi_pd(a.v, b.v);
    const __m256d cd_even = _mm256_unpacklo_pd(c.v, d.v), cd_odd = _mm256_unpackhi_pd(c.v, d.v);
    _mm256_store_pd(out, _mm256_permute2f128_pd(ab_even, cd_even, 0x20));
    _mm256_store_pd(out + 4, _mm256_permute2f128_pd(ab_odd, cd_odd, 0x20));
    _mm256_store_pd(out + 8, _mm256_permute2f128_pd(ab_even, cd_even, 0x31));
    _mm256_store_pd(out + 12, _mm256_permute2f128_pd(ab_odd, cd_odd, 0x31));
  }
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

struct quad4 {
  __m256d v;
  quad4(__m256d a) : v(a) {}
  quad4(double x, double y, double z) : v(_mm256_set_pd(0.0, z, y, x)) {}
  static quad4 load(const double* p) { return _mm256_load_pd(p); }
  quad4 flip(const std::uint64_t* signs) const {
    return _mm256_xor_pd(v, _mm256_load_pd(reinterpret_cast<const double*>(signs)));
  }
  void store(double* p) const { _mm256_store_pd(p, v); }
};
inline quad4 operator+(quad4 a, quad4 b) { return _mm256_add_pd(a.v, b.v); }

void gather(const node_pass& pass, long long begin, long long end) { node_range<quad4>(pass, begin, end); }

}  // namespace

bar_range_fn bar_range_avx2() { return run; }
node_range_fn node_range_avx2() { return gather; }

}  // namespace kalvane
#else
kalvane::bar_range_fn kalvane::bar_range_avx2() { return nullptr; }
kalvane::node_range_fn kalvane::node_range_avx2() { return nullptr; }
#endif
