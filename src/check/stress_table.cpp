#include "check/stress_table.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "check/residual.hpp"
#include "structure/law.hpp"

namespace kalvane::check {

namespace {

// Half a printed unit of each end's displacement components, from the report's seven digits
// (prescribed components are the model's own, exact).
double half_unit_at(const model& m, const newton::vector& x, int32_t node, int c) {
  const int32_t p = m.dof_map(node, c);
  return p <= m.free_count ? half_printed_unit(x[static_cast<std::size_t>(p - 1)]) : 0.0;
}

}  // namespace

stress_table_finding stresses_against_displacements(const structure& s, const newton::vector& printed_x,
                                                    const std::vector<double>& printed_stress) {
  const model& m = s.base;
  stress_table_finding found;
  double largest = 0.0;
  for (double v : printed_stress) largest = std::max(largest, std::fabs(v));
  double worst_ratio = 1.0;
  for (int32_t b = 1; b <= bar_count(m) && static_cast<std::size_t>(b) <= printed_stress.size(); ++b) {
    const bar_record& bar = m.bars(b);
    double u[3];
    newton::bar_difference(m, bar, printed_x, u);
    const member_state at = member_at(bar, material_of(s, b), member_of(s, b), u);
    // The longest the printing of both ends' displacements can make or take from the bar,
    // along its deformed axis, and the stresses at either end of that reach.
    const double axis_length = std::hypot(at.axis[0], at.axis[1], at.axis[2]);
    double reach = 0.0;
    for (int c = 0; c < 3; ++c) {
      const double along = axis_length > 0.0 ? std::fabs(at.axis[c]) / axis_length : 1.0;
      reach += along * (half_unit_at(m, printed_x, bar.node1, c + 1) + half_unit_at(m, printed_x, bar.node2, c + 1));
    }
    double spread = 0.0;
    for (double sign : {-1.0, 1.0}) {
      double moved[3];
      for (int c = 0; c < 3; ++c)
        moved[c] = u[c] + sign * reach * (axis_length > 0.0 ? at.axis[c] / axis_length : 0.0);
      spread = std::max(spread, std::fabs(member_at(bar, material_of(s, b), member_of(s, b), moved).stress - at.stress));
    }
    const double printed = printed_stress[static_cast<std::size_t>(b - 1)];
    // Four times what printing explains, and rounding far below the table's last digit.
    const double allowed = 4.0 * (spread + half_printed_unit(printed) + half_printed_unit(at.stress)) +
                           1e3 * std::numeric_limits<double>::epsilon() * largest;
    const double off = std::fabs(printed - at.stress);
    if (!(off > allowed)) continue;
    ++found.mismatched;
    const double ratio = allowed > 0.0 ? off / allowed : INFINITY;
    if (found.worst_bar == 0 || ratio > worst_ratio) {
      worst_ratio = ratio;
      found.worst_bar = b;
      found.printed = printed;
      found.from_displacements = at.stress;
    }
  }
  return found;
}

}  // namespace kalvane::check
