// The self-weight of a model's bars as point loads.
#include <cmath>

#include "core.hpp"

namespace kalvane::python {

std::vector<double> self_weight(const model& m, double density, const double gravity[3]) {
  std::vector<double> loads(static_cast<std::size_t>(3 * m.node_count), 0.0);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    const int32_t p = bar.node1, q = bar.node2;
    const double dx = m.x0(q) - m.x0(p), dy = m.y0(q) - m.y0(p), dz = m.z0(q) - m.z0(p);
    const double length = std::sqrt((dx * dx + dy * dy) + dz * dz);
    const double mass = density * bar.area * length;
    for (int c = 0; c < 3; ++c) {
      const double share = mass * gravity[c] / 2.0;
      loads[static_cast<std::size_t>(3 * (p - 1) + c)] += share;
      loads[static_cast<std::size_t>(3 * (q - 1) + c)] += share;
    }
  }
  return loads;
}

}  // namespace kalvane::python
