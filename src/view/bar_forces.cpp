#include "view/bar_forces.hpp"

#include <cmath>

#include "mechanics/bar_law.hpp"

namespace kalvane::view {

std::vector<double> stretches(const scene& s) {
  std::vector<double> out;
  out.reserve(s.bars.size());
  for (const bar_ends& b : s.bars) {
    const vec3 &p = s.initial[static_cast<std::size_t>(b.first)], &q = s.initial[static_cast<std::size_t>(b.second)];
    const vec3 &u = s.displacement[static_cast<std::size_t>(b.first)], &v = s.displacement[static_cast<std::size_t>(b.second)];
    // The undeformed length and direction as the solver's start forms them.
    const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
    const double L = std::sqrt((dx * dx + dy * dy) + dz * dz);
    const bar_strain<double> strain = bar_stretch(v.x - u.x, v.y - u.y, v.z - u.z, L, dx / L, dy / L, dz / L);
    out.push_back(strain.lambda2 >= 0.0 ? std::sqrt(strain.lambda2) : NAN);
  }
  return out;
}

std::vector<double> axial_forces(const scene& s, const std::vector<double>& stretch) {
  std::vector<double> out(s.bars.size());
  for (std::size_t e = 0; e < out.size(); ++e) out[e] = s.stress[e] * s.area[e] / stretch[e];
  return out;
}

}  // namespace kalvane::view
