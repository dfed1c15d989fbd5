#pragma once
// One hyperelastic bar: strain energy, true stress and the six end forces at a state of
// the unknowns. The law's arithmetic is in bar_law.hpp, shared with the batched total
// potential so that both give the same bits.
#include <cmath>

#include "mechanics/bar_law.hpp"
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
  const law_constants law = constants_of(material_of(m));
  const double ux = displacement(m, x, bar.node2, 1) - displacement(m, x, bar.node1, 1);
  const double uy = displacement(m, x, bar.node2, 2) - displacement(m, x, bar.node1, 2);
  const double uz = displacement(m, x, bar.node2, 3) - displacement(m, x, bar.node1, 3);
  const bar_strain<double> s = bar_stretch(ux, uy, uz, bar.length0, bar.cx, bar.cy, bar.cz);
  if (s.lambda2 < 0.0) negative_stretch_failure(m, bar, s.lambda2);
  const bar_response<double> r = bar_law(s, bar.cx, bar.cy, bar.cz, bar.area, bar.length0, law);
  end_forces[0] = -r.fx;
  end_forces[1] = -r.fy;
  end_forces[2] = -r.fz;
  end_forces[3] = r.fx;
  end_forces[4] = r.fy;
  end_forces[5] = r.fz;
  return {r.energy, r.stress};
}

}  // namespace kalvane
