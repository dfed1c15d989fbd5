#pragma once
// Hand-built models in the prepared or solved state for the output writers' tests.
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "model/model.hpp"

namespace solved_models {

inline void set_nodes(kalvane::model& m, const std::vector<std::array<double, 3>>& points) {
  const auto n = static_cast<int32_t>(points.size());
  m.node_count = n;
  m.x0.allocate(1, n);
  m.y0.allocate(1, n);
  m.z0.allocate(1, n);
  m.dof_map.allocate(1, n, 1, 3);
  m.prescribed.allocate(1, n, 1, 3);
  m.loads.allocate(1, n, 1, 3);
  for (int32_t i = 1; i <= n; ++i) {
    m.x0(i) = points[i - 1][0];
    m.y0(i) = points[i - 1][1];
    m.z0(i) = points[i - 1][2];
  }
}

// Bars with their undeformed geometry completed.
inline void set_bars(kalvane::model& m, const std::vector<std::pair<int32_t, int32_t>>& ends, double area) {
  const auto count = static_cast<int32_t>(ends.size());
  m.bars.allocate(1, count);
  for (int32_t e = 1; e <= count; ++e) {
    kalvane::bar_record& bar = m.bars(e);
    bar.node1 = ends[e - 1].first;
    bar.node2 = ends[e - 1].second;
    bar.area = area;
    const double dx = m.x0(bar.node2) - m.x0(bar.node1);
    const double dy = m.y0(bar.node2) - m.y0(bar.node1);
    const double dz = m.z0(bar.node2) - m.z0(bar.node1);
    bar.length0 = std::sqrt(dx * dx + dy * dy + dz * dz);
    bar.cx = dx / bar.length0;
    bar.cy = dy / bar.length0;
    bar.cz = dz / bar.length0;
  }
}

// Marks the given (node, component) pairs prescribed with the given values, then numbers
// all components free first, as the starting stage does; the unknowns start at zero.
inline void set_supports(kalvane::model& m, const std::vector<std::array<double, 3>>& supports) {
  for (const auto& s : supports) {
    const auto node = static_cast<int32_t>(s[0]), component = static_cast<int32_t>(s[1]);
    m.dof_map(node, component) = 1;
    m.prescribed(node, component) = s[2];
  }
  int32_t free = 0, fixed = 0;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int32_t j = 1; j <= 3; ++j) (m.dof_map(i, j) == 0 ? free : fixed)++;
  m.free_count = free;
  int32_t next_free = 1, next_fixed = free + 1;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int32_t j = 1; j <= 3; ++j) m.dof_map(i, j) = m.dof_map(i, j) == 0 ? next_free++ : next_fixed++;
  m.unknowns.allocate(1, free);
  m.gradient.allocate(1, free);
}

}  // namespace solved_models
