#include "structure/printing_spread.hpp"

#include <algorithm>
#include <cmath>

namespace kalvane {

printing_spread spread_of_printing(const bar_record& bar, const material& mat, const member& mem, const double u[3],
                                   const member_state& at, const double half1[3], const double half2[3]) {
  const double axis_length = std::hypot(at.axis[0], at.axis[1], at.axis[2]);
  double reach = 0.0;
  for (int c = 0; c < 3; ++c)
    reach += (axis_length > 0.0 ? std::fabs(at.axis[c]) / axis_length : 1.0) * (half1[c] + half2[c]);
  printing_spread spread;
  for (double sign : {-1.0, 1.0}) {
    double moved[3];
    for (int c = 0; c < 3; ++c) moved[c] = u[c] + sign * reach * (axis_length > 0.0 ? at.axis[c] / axis_length : 0.0);
    const member_state there = member_at(bar, mat, mem, moved);
    spread.force = std::max(spread.force, std::fabs(there.force - at.force));
    spread.stress = std::max(spread.stress, std::fabs(there.stress - at.stress));
  }
  return spread;
}

}  // namespace kalvane
