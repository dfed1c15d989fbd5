#include "check/stress_table.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "check/residual.hpp"
#include "mechanics/objective.hpp"
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

reaction_table_finding reactions_against_displacements(const structure& s, const newton::vector& printed_x,
                                                       const std::vector<view::reaction_entry>& printed_reactions) {
  const model& m = s.base;
  const std::size_t n = 3 * static_cast<std::size_t>(m.node_count);
  // At each node: what printing spreads of the end forces summed there (a bar's force, and
  // its direction turned by the half units across it), and their sizes, for rounding.
  std::vector<double> spread(n, 0.0), size(n, 0.0);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    double u[3];
    newton::bar_difference(m, bar, printed_x, u);
    const member_state at = member_at(bar, material_of(s, b), member_of(s, b), u);
    double half1[3], half2[3], reach = 0.0, length2 = 0.0, deformed[3];
    newton::bar_vector(m, bar, printed_x, deformed);
    for (int c = 0; c < 3; ++c) {
      half1[c] = half_unit_at(m, printed_x, bar.node1, c + 1);
      half2[c] = half_unit_at(m, printed_x, bar.node2, c + 1);
      reach += half1[c] + half2[c];
      length2 += deformed[c] * deformed[c];
    }
    const double turned = length2 > 0.0 ? std::fabs(at.force) * reach / std::sqrt(length2) : INFINITY;
    const double along = spread_of_printing(bar, material_of(s, b), member_of(s, b), u, at, half1, half2).force;
    for (int32_t node : {bar.node1, bar.node2})
      for (std::size_t c = 0; c < 3; ++c) {
        const std::size_t i = 3 * static_cast<std::size_t>(node - 1) + c;
        spread[i] += along + turned;
        size[i] += std::fabs(at.force);
      }
  }
  const std::vector<double> reaction = newton::results_at(s, printed_x).reaction;
  double largest = 0.0;
  for (const view::reaction_entry& e : printed_reactions) largest = std::max(largest, std::fabs(e.value));
  reaction_table_finding found;
  double worst_ratio = 1.0;
  for (const view::reaction_entry& e : printed_reactions) {
    const std::size_t i = 3 * static_cast<std::size_t>(e.node - 1) + static_cast<std::size_t>(e.component - 1);
    const double from = reaction[i];
    // Four times what printing explains, and rounding far below the table's last digit.
    const double allowed = 4.0 * (spread[i] + half_printed_unit(e.value) + half_printed_unit(from)) +
                           1e3 * std::numeric_limits<double>::epsilon() * (largest + size[i] + std::fabs(m.loads(e.node, e.component)));
    const double off = std::fabs(e.value - from);
    if (!(off > allowed)) continue;
    ++found.mismatched;
    const double ratio = allowed > 0.0 ? off / allowed : INFINITY;
    if (found.worst.node == 0 || ratio > worst_ratio) {
      worst_ratio = ratio;
      found.worst = {e.node, e.component};
      found.printed = e.value;
      found.from_displacements = from;
    }
  }
  return found;
}

objective_finding objective_against_displacements(const structure& s, const newton::vector& printed_x,
                                                  double printed_objective) {
  objective_finding found;
  found.printed = printed_objective;
  const model& m = s.base;
  const newton::state at = newton::evaluate(s, printed_x);
  if (kalvane_can_hold(s)) {
    terms::fmat1 x, g;
    x.allocate(1, m.free_count);
    g.allocate(1, m.free_count);
    for (int32_t p = 1; p <= m.free_count; ++p) x(p) = printed_x[static_cast<std::size_t>(p - 1)];
    found.from_displacements = objective(m, m.free_count, x, g);
  } else {
    found.from_displacements = at.energy;
  }
  double spread = 0.0, size = std::fabs(found.from_displacements);
  for (std::size_t p = 0; p < printed_x.size(); ++p) {
    spread += at.scale[p] * half_printed_unit(printed_x[p]);
    size += at.scale[p] * std::fabs(printed_x[p]);
  }
  // Four times what printing explains, as the tables are allowed, and rounding far below it.
  const double allowed = 4.0 * (spread + half_printed_unit(printed_objective) +
                                half_printed_unit(found.from_displacements)) +
                         1e3 * std::numeric_limits<double>::epsilon() * size;
  found.mismatched = !(std::fabs(printed_objective - found.from_displacements) <= allowed);
  return found;
}

}  // namespace kalvane::check
