#pragma once
// One hyperelastic bar: strain energy, true stress and the six end forces at a state of
// the unknowns. This is the one place where the material law lives.
#include <cmath>

#include "model/model.hpp"

namespace kalvane {

struct element_result {
  double energy;
  double stress;
};

[[noreturn]] void negative_stretch_failure(const model& m, const bar_record& bar, double lambda_squared);

// Displacement of component j of `node`: the unknown when its position number is free,
// the prescribed value otherwise.
inline double displacement(const model& m, const terms::fmat1& x, int32_t node, int j) {
  int32_t p = m.dof_map(node, j);
  return p <= m.free_count ? x(p) : m.prescribed(node, j);
}

// The six end forces are node1 X, Y, Z then node2 X, Y, Z, each the derivative of the
// bar's energy with respect to that displacement component.
inline element_result element1(const model& m, const bar_record& bar, const terms::fmat1& x,
                               double end_forces[6]) {
  const material_record& material = material_of(m);
  const double L = bar.length0;
  // Relative displacement per unit undeformed length.
  const double dx = (displacement(m, x, bar.node2, 1) - displacement(m, x, bar.node1, 1)) / L;
  const double dy = (displacement(m, x, bar.node2, 2) - displacement(m, x, bar.node1, 2)) / L;
  const double dz = (displacement(m, x, bar.node2, 3) - displacement(m, x, bar.node1, 3)) / L;

  // e = lambda^2 - 1 formed from the displacements, so it stays exact for small strains.
  const double e = (dx * (dx + 2.0 * bar.cx) + dy * (dy + 2.0 * bar.cy)) + dz * (dz + 2.0 * bar.cz);
  const double lambda2 = e + 1.0;
  if (lambda2 < 0.0) negative_stretch_failure(m, bar, lambda2);
  const double lambda = std::sqrt(lambda2);
  const double I1 = lambda2 + 2.0 / lambda;

  double W, k;
  if (material.model == material_law::neo_hooke) {
    W = 0.5 * material.c1 * I1;
    k = 0.5 * material.c1;
  } else {
    const double C2 = c2(material);
    const double I2 = 0.5 * (I1 * I1 - (lambda2 * lambda2 + 2.0 / lambda2));
    W = material.c1 * I1 + C2 * I2;
    k = material.c1 + C2 * I1 - C2 * (lambda2 + 1.0 / lambda);
  }

  // Factored so that the stress stays proportional to e near lambda = 1.
  const double stress = 2.0 * e * (lambda + 1.0 / (lambda + 1.0)) / lambda * k;
  const double energy = W * bar.area * L;

  const double q = bar.area / lambda2 * stress;
  const double fx = (bar.cx + dx) * q, fy = (bar.cy + dy) * q, fz = (bar.cz + dz) * q;
  end_forces[0] = -fx;
  end_forces[1] = -fy;
  end_forces[2] = -fz;
  end_forces[3] = fx;
  end_forces[4] = fy;
  end_forces[5] = fz;
  return {energy, stress};
}

}  // namespace kalvane
