#pragma once
#include <cmath>
#include <cstdint>

#include "nlp/vectors.hpp"

namespace nlp {

// The maximum norm of v(1..n): its largest absolute component. Components that are not
// numbers are passed over, since no comparison with them holds.
inline double norm(int32_t n, const terms::fmat1& v) {
  double largest = 0.0;
  const double* values = elements(v, n);
  for (int32_t i = 0; i < n; ++i) {
    double a = std::fabs(values[i]);
    if (a > largest) largest = a;
  }
  return largest;
}

}  // namespace nlp
