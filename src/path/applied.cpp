#include "path/applied.hpp"

#include <cmath>

namespace kalvane::path {

applied applied_at(const std::vector<newton::load_stage>& stages, const newton::path_point& p) {
  for (const newton::load_stage& s : stages)
    if (s.number == p.stage)
      return {s.loads_base + p.load_factor * s.loads_rise, s.prescribed_base + p.load_factor * s.prescribed_rise,
              s.weight_base + p.load_factor * s.weight_rise};
  return full_load;  // the path names only its own stages
}

void apply(structure& scaled, const structure& full, applied a) {
  // A stage that stands at these fractions.
  newton::apply_stage(scaled, full, newton::load_stage{0, a.prescribed, 0.0, a.weight, 0.0, a.loads, 0.0}, 0.0);
}

double displacement_at(const model& full, applied a, const newton::vector& x, int32_t node, int c) {
  const int32_t p = full.dof_map(node, c);
  return p <= full.free_count ? x[static_cast<std::size_t>(p - 1)] : a.prescribed * full.prescribed(node, c);
}

std::vector<double> node_displacements(const model& full, applied a, const newton::vector& x) {
  std::vector<double> u;
  u.reserve(static_cast<std::size_t>(full.node_count) * 3);
  for (int32_t k = 1; k <= full.node_count; ++k)
    for (int c = 1; c <= 3; ++c) u.push_back(displacement_at(full, a, x, k, c));
  return u;
}

double largest_displacement(const model& full, applied a, const newton::vector& x) {
  double largest = 0.0;
  for (int32_t k = 1; k <= full.node_count; ++k) {
    double squared = 0.0;
    for (int c = 1; c <= 3; ++c) {
      const double u = displacement_at(full, a, x, k, c);
      squared += u * u;
    }
    largest = std::max(largest, std::sqrt(squared));
  }
  return largest;
}

}  // namespace kalvane::path
