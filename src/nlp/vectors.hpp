#pragma once
// The vector operations of the minimiser, on plain arrays of n reals. Sums run from the
// first component to the last.
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "terms.hpp"

namespace nlp {

// Elements 1..n of v as a plain array; the bounds are checked once here, not per element.
inline double* elements(terms::fmat1& v, int32_t n) {
  if (n <= 0) return v.data.data();
  terms::check_index(1, v.first, v.last);
  terms::check_index(n, v.first, v.last);
  return &v(1);
}
inline const double* elements(const terms::fmat1& v, int32_t n) {
  return elements(const_cast<terms::fmat1&>(v), n);
}

inline double dot(int32_t n, const double* a, const double* b) {
  double sum = 0.0;
  for (int32_t i = 0; i < n; ++i) sum = sum + a[i] * b[i];
  return sum;
}

// x := start + a * p, each component on its own, so two at a time give the same bits.
// Written out because the compiler at -O2 leaves this loop scalar, and the line search
// runs it once per trial.
inline void step_to(int32_t n, double* x, const double* start, double a, const double* p) {
  int32_t i = 0;
#ifdef __SSE2__
  const __m128d step = _mm_set1_pd(a);
  for (; i + 2 <= n; i += 2)
    _mm_storeu_pd(x + i, _mm_add_pd(_mm_loadu_pd(start + i), _mm_mul_pd(step, _mm_loadu_pd(p + i))));
#endif
  for (; i < n; ++i) x[i] = start[i] + a * p[i];
}

// out := a - b
inline void difference(int32_t n, double* out, const double* a, const double* b) {
  for (int32_t i = 0; i < n; ++i) out[i] = a[i] - b[i];
}

inline void copy(int32_t n, double* out, const double* in) {
  if (n > 0) std::memmove(out, in, static_cast<std::size_t>(n) * sizeof(double));
}

}  // namespace nlp
