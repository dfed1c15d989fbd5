#pragma once
// The arithmetic of the hyperelastic bar, written once for any value type V: double for one
// bar (element1), or a pack of doubles for several independent bars at once (the batched
// total potential). Every operation is element-wise and correctly rounded, and the
// expressions keep one order, so a pack lane gives the same bits as the scalar form.
#include <cmath>

#include "model/model.hpp"

namespace kalvane {

// The material constants as the law uses them, fetched once per evaluation.
struct law_constants {
  bool neo_hooke = true;
  double c1 = 0.0;
  double c2 = 0.0;  // Mooney-Rivlin only
};

inline law_constants constants_of(const material_record& material) {
  if (material.model == material_law::neo_hooke) return {true, material.c1, 0.0};
  return {false, material.c1, c2(material)};
}

template <class V>
struct bar_strain {
  V dx, dy, dz;  // relative displacement per unit undeformed length
  V e;           // lambda^2 - 1
  V lambda2;
};

template <class V>
struct bar_response {
  V energy, stress;
  V fx, fy, fz;  // node2 end forces; node1's are their negations
};

inline double sqrt_of(double v) { return std::sqrt(v); }

// From the end displacements' difference (node2 - node1) and the undeformed geometry.
template <class V>
inline bar_strain<V> bar_stretch(V ux, V uy, V uz, V L, V cx, V cy, V cz) {
  bar_strain<V> s;
  s.dx = ux / L;
  s.dy = uy / L;
  s.dz = uz / L;
  // e = lambda^2 - 1 formed from the displacements, so it stays exact for small strains.
  s.e = (s.dx * (s.dx + 2.0 * cx) + s.dy * (s.dy + 2.0 * cy)) + s.dz * (s.dz + 2.0 * cz);
  s.lambda2 = s.e + 1.0;
  return s;
}

// The law itself; s.lambda2 must not be negative (the caller reports that).
template <class V>
inline bar_response<V> bar_law(const bar_strain<V>& s, V cx, V cy, V cz, V area, V L, const law_constants& c) {
  const V lambda = sqrt_of(s.lambda2);
  const V I1 = s.lambda2 + 2.0 / lambda;
  V W, k;
  if (c.neo_hooke) {
    const double half_c1 = 0.5 * c.c1;
    W = half_c1 * I1;
    k = V(half_c1);
  } else {
    const V I2 = 0.5 * (I1 * I1 - (s.lambda2 * s.lambda2 + 2.0 / s.lambda2));
    W = c.c1 * I1 + c.c2 * I2;
    k = c.c1 + c.c2 * I1 - c.c2 * (s.lambda2 + 1.0 / lambda);
  }
  bar_response<V> r;
  // Factored so that the stress stays proportional to e near lambda = 1.
  r.stress = 2.0 * s.e * (lambda + 1.0 / (lambda + 1.0)) / lambda * k;
  r.energy = W * area * L;
  const V q = area / s.lambda2 * r.stress;
  r.fx = (cx + s.dx) * q;
  r.fy = (cy + s.dy) * q;
  r.fz = (cz + s.dz) * q;
  return r;
}

}  // namespace kalvane
