#include "mechanics/objective.hpp"

#include "mechanics/element.hpp"

namespace kalvane {

double objective(const model& m, int32_t n, const terms::fmat1& x, terms::fmat1& g) {
  double total = 0.0;
  // Loads first: every position 1..n occurs once in dof_map, so this assigns all of g.
  for (int32_t i = 1; i <= m.node_count; ++i) {
    for (int j = 1; j <= 3; ++j) {
      int32_t p = m.dof_map(i, j);
      if (p <= n) {
        total = total - x(p) * m.loads(i, j);
        g(p) = -m.loads(i, j);
      }
    }
  }
  double end_forces[6];
  for (int32_t b = m.bars.first; b <= m.bars.last; ++b) {
    const bar_record& bar = m.bars(b);
    total = total + element1(m, bar, x, end_forces).energy;
    for (int j = 1; j <= 3; ++j) {
      int32_t p = m.dof_map(bar.node1, j);
      if (p <= n) g(p) = g(p) + end_forces[j - 1];
    }
    for (int j = 1; j <= 3; ++j) {
      int32_t p = m.dof_map(bar.node2, j);
      if (p <= n) g(p) = g(p) + end_forces[j + 2];
    }
  }
  return total;
}

}  // namespace kalvane
