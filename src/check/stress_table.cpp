#include "check/stress_table.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "check/residual.hpp"
#include "structure/printing_spread.hpp"

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
    double half1[3], half2[3];
    for (int c = 0; c < 3; ++c) {
      half1[c] = half_unit_at(m, printed_x, bar.node1, c + 1);
      half2[c] = half_unit_at(m, printed_x, bar.node2, c + 1);
    }
    const double spread = spread_of_printing(bar, material_of(s, b), member_of(s, b), u, at, half1, half2).stress;
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
