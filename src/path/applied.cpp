#include "path/applied.hpp"

#include <cmath>

namespace kalvane::path {

applied applied_at(newton::loading how, const newton::path_point& p) {
  if (how == newton::loading::together) return {p.load_factor, p.load_factor};
  return p.stage == 1 ? applied{0.0, p.load_factor} : applied{p.load_factor, 1.0};
}

void apply(model& scaled, const model& full, applied a) {
  for (std::size_t i = 0; i < full.loads.data.size(); ++i) scaled.loads.data[i] = a.loads * full.loads.data[i];
  for (std::size_t i = 0; i < full.prescribed.data.size(); ++i)
    scaled.prescribed.data[i] = a.prescribed * full.prescribed.data[i];
}

double displacement_at(const model& full, applied a, const newton::vector& x, int32_t node, int c) {
  const int32_t p = full.dof_map(node, c);
  return p <= full.free_count ? x[static_cast<std::size_t>(p - 1)] : a.prescribed * full.prescribed(node, c);
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
