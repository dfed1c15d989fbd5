#include "model/start.hpp"

#include <cmath>
#include <limits>
#include <string>

#include "error.hpp"
#include "mechanics/objective.hpp"
#include "nlp/norm.hpp"

namespace kalvane {
namespace {

void count_unknowns(model& m) {
  // A negative count is beyond the range too when its triple is: cast down, it would wrap
  // to an arbitrary positive number of unknowns.
  const long long components = 3LL * m.node_count;
  if (components > std::numeric_limits<int32_t>::max() || components < std::numeric_limits<int32_t>::min())
    fail(overflow_error,
         m.source_name + ": 3 x node count " + std::to_string(m.node_count) + " is beyond the 32-bit range");
  int32_t free_count = static_cast<int32_t>(components);
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j)
      if (m.dof_map(i, j) == 1) free_count = free_count - 1;
  m.free_count = free_count;
}

// Free components take the positions 1..free_count, prescribed ones those after them,
// each group node by node.
void number_components(model& m) {
  int32_t f = 0, r = m.free_count;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j)
      m.dof_map(i, j) = m.dof_map(i, j) == 0 ? ++f : ++r;
}

void check_bar_nodes(const model& m, int32_t b, const bar_record& bar) {
  for (int32_t node : {bar.node1, bar.node2})
    if (node < 1 || node > m.node_count)
      fail(index_error, bar_place(m, b) + "bar " + std::to_string(b) + " names node " + std::to_string(node) +
                            ", which is outside 1.." + std::to_string(m.node_count));
}

void bar_geometry(model& m) {
  for (int32_t b = m.bars.first; b <= m.bars.last; ++b) {
    bar_record& bar = m.bars(b);
    check_bar_nodes(m, b, bar);
    const int32_t p = bar.node1, q = bar.node2;
    const double dx = m.x0(q) - m.x0(p), dy = m.y0(q) - m.y0(p), dz = m.z0(q) - m.z0(p);
    const double L = std::sqrt((dx * dx + dy * dy) + dz * dz);
    // A bar without a length has no direction: every result computed from it would be
    // not a number, so it is refused here rather than reported as an equilibrium.
    if (L == 0.0) {
      const bool coincide = dx == 0.0 && dy == 0.0 && dz == 0.0;
      fail(model_error, bar_place(m, b) + "bar " + std::to_string(b) + " has zero length: nodes " + std::to_string(p) +
                            " and " + std::to_string(q) + (coincide ? " coincide" : " are too close to tell apart"));
    }
    if (!std::isfinite(L))
      fail(model_error, bar_place(m, b) + "bar " + std::to_string(b) + " from node " + std::to_string(p) + " to node " +
                            std::to_string(q) + " has a length that is not a finite number");
    bar.cx = dx / L;
    bar.cy = dy / L;
    bar.cz = dz / L;
    bar.length0 = L;
  }
}

}  // namespace

void start(model& m) {
  count_unknowns(m);
  number_components(m);
  bar_geometry(m);
  m.unknowns.allocate(1, m.free_count);
  m.gradient.allocate(1, m.free_count);
  m.objective_value = objective(m, m.free_count, m.unknowns, m.gradient);
  if (m.gradient_reference > 0.0)
    m.allowable_gradient = m.gradient_reference * m.gradient_tolerance;
  else
    m.allowable_gradient = nlp::norm(m.free_count, m.gradient) * m.gradient_tolerance;
}

}  // namespace kalvane
