#pragma once
// The tangent stiffness of one bar, derived from the same energy W(lambda) * area * length0
// that element1 differentiates once. With n the deformed unit vector, N = sigma * area /
// lambda the axial force and l = lambda * length0 the current length, the node2-node2 block
// is K = k_m n n^T + (N / l) (I - n n^T): the material term along the bar and the geometric
// term across it, k_m = dN/dl. The other blocks are -K (node1-node2) and K (node1-node1).
#include "mechanics/bar_law.hpp"
#include "model/model.hpp"

namespace kalvane::newton {

struct bar_tangent {
  double block[3][3];  // node2-node2 block, symmetric
  double energy;       // W - W(1), times area * length0: the energy without its constant
  double stress;
  double force[3];     // node2 end forces, as element1 gives them
};

// d(nominal stress)/d(lambda), from sigma = 2 (lambda^2 - 1/lambda) k(lambda):
// nominal stress s = sigma / lambda = 2 (lambda - 1/lambda^2) k.
double nominal_stress_slope(double lambda, const law_constants& law);

// W(lambda) - W(1) per unit undeformed volume, formed from e = lambda^2 - 1 so that it
// stays accurate (and never negative by cancellation) near lambda = 1.
double energy_above_unstrained(double lambda, double e, const law_constants& law);

// The bar at the end displacement difference u = u(node2) - u(node1).
bar_tangent tangent_of(const bar_record& bar, const law_constants& law, double ux, double uy, double uz);

}  // namespace kalvane::newton
