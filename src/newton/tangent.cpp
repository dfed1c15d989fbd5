#include "newton/tangent.hpp"

namespace kalvane::newton {

void tangent_block(const member_state& bar, double block[3][3]) {
  // n n^T = a a^T / lambda_D^2 with a the deformed bar per drawn length.
  const double* a = bar.axis;
  const double coefficient = bar.along - bar.across / bar.drawn_stretch2;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) block[i][j] = coefficient * a[i] * a[j] + (i == j ? bar.across : 0.0);
}

}  // namespace kalvane::newton
