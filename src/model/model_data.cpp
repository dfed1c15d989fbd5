#include "model/model_data.hpp"

#include <cmath>

namespace kalvane {

model model_of(const model_data& d) {
  model m;
  m.source_name = d.source;
  const auto n = static_cast<int32_t>(d.nodes.size() / 3);
  m.node_count = n;
  m.x0.allocate(1, n);
  m.y0.allocate(1, n);
  m.z0.allocate(1, n);
  for (int32_t k = 1; k <= n; ++k) {
    m.x0(k) = d.nodes[3 * (k - 1)];
    m.y0(k) = d.nodes[3 * (k - 1) + 1];
    m.z0(k) = d.nodes[3 * (k - 1) + 2];
  }
  const auto bars = static_cast<int32_t>(d.areas.size());
  m.bars.allocate(1, bars);
  m.bar_line.allocate(1, bars);
  for (int32_t b = 1; b <= bars; ++b) {
    bar_record& bar = m.bars(b);
    bar.node1 = d.bars[2 * (b - 1)];
    bar.node2 = d.bars[2 * (b - 1) + 1];
    bar.area = d.areas[b - 1];
  }
  m.material = d.law == 1 ? neo_hooke(d.c1) : mooney_rivlin(d.c1, d.c2);
  m.dof_map.allocate(1, n, 1, 3);
  m.prescribed.allocate(1, n, 1, 3);
  for (std::size_t i = 0; i < d.prescribed_values.size(); ++i) {
    const int32_t node = d.prescribed_at[2 * i], component = d.prescribed_at[2 * i + 1];
    m.prescribed(node, component) = d.prescribed_values[i];
    m.dof_map(node, component) = 1;
  }
  m.loads.allocate(1, n, 1, 3);
  for (std::size_t i = 0; i < d.load_values.size(); ++i)
    m.loads(d.loads_at[2 * i], d.loads_at[2 * i + 1]) = d.load_values[i];
  m.line_search_sigma = d.sigma;
  m.line_search_max_steps = d.line_search_steps;
  m.gradient_tolerance = d.tolerance <= 0.0 ? 0.001 : d.tolerance;
  m.gradient_reference = d.reference;
  m.max_iterations = d.max_iterations;
  m.memory_size = d.memory;
  return m;
}

model_data data_of(const model& m) {
  model_data d;
  d.source = m.source_name;
  for (int32_t k = 1; k <= m.node_count; ++k) d.nodes.insert(d.nodes.end(), {m.x0(k), m.y0(k), m.z0(k)});
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    d.bars.insert(d.bars.end(), {m.bars(b).node1, m.bars(b).node2});
    d.areas.push_back(m.bars(b).area);
  }
  const material_record& material = material_of(m);
  d.law = material.kind == material_law::neo_hooke ? 1 : 2;
  d.c1 = material.c1;
  d.c2 = d.law == 2 ? c2(material) : 0.0;
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int32_t c = 1; c <= 3; ++c) {
      if (m.dof_map(k, c) != 0) {
        d.prescribed_at.insert(d.prescribed_at.end(), {k, c});
        d.prescribed_values.push_back(m.prescribed(k, c));
      }
      if (m.loads(k, c) != 0.0 || std::signbit(m.loads(k, c))) {
        d.loads_at.insert(d.loads_at.end(), {k, c});
        d.load_values.push_back(m.loads(k, c));
      }
    }
  d.sigma = m.line_search_sigma;
  d.line_search_steps = m.line_search_max_steps;
  d.tolerance = m.gradient_tolerance;
  d.reference = m.gradient_reference;
  d.max_iterations = m.max_iterations;
  d.memory = m.memory_size;
  return d;
}

}  // namespace kalvane
