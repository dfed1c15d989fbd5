#pragma once
#include <cmath>
#include <cstdint>

#include "nlp/vectors.hpp"

namespace nlp {

// The maximum norm of v(1..n): its largest absolute component. Components that are not
// numbers are passed over, since no comparison with them holds. The largest of a set is
// the same whichever order it is sought in (the magnitudes carry no sign), so four
// running maxima over interleaved components give the one of a single pass, without a
// single pass's chain of dependent comparisons.
inline double norm(int32_t n, const terms::fmat1& v) {
  const double* values = elements(v, n);
  double largest[4] = {0.0, 0.0, 0.0, 0.0};
  int32_t i = 0;
  for (; i + 4 <= n; i += 4)
    for (int lane = 0; lane < 4; ++lane) {
      const double a = std::fabs(values[i + lane]);
      largest[lane] = a > largest[lane] ? a : largest[lane];
    }
  for (; i < n; ++i) {
    const double a = std::fabs(values[i]);
    largest[0] = a > largest[0] ? a : largest[0];
  }
  double result = largest[0];
  for (int lane = 1; lane < 4; ++lane) result = largest[lane] > result ? largest[lane] : result;
  return result;
}

}  // namespace nlp
