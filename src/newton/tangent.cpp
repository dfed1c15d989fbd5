#include "newton/tangent.hpp"

#include <cmath>

namespace kalvane::newton {

double nominal_stress_slope(double lambda, const law_constants& law) {
  const double inv = 1.0 / lambda;
  const double inv2 = inv * inv;
  const double along = 2.0 * (1.0 + 2.0 * inv2 * inv);  // d/dlambda of 2 (lambda - 1/lambda^2)
  if (law.neo_hooke) return along * (0.5 * law.c1);
  const double k = law.c1 + law.c2 * inv;
  const double k_slope = -law.c2 * inv2;
  return along * k + 2.0 * (lambda - inv2) * k_slope;
}

double energy_above_unstrained(double lambda, double e, const law_constants& law) {
  const double stretch = e / (lambda + 1.0);  // lambda - 1 without cancellation
  const double s2 = stretch * stretch;
  const double first = s2 * (lambda + 2.0) / lambda;                  // I1 - 3
  if (law.neo_hooke) return 0.5 * law.c1 * first;
  const double second = s2 * (2.0 * lambda + 1.0) / (lambda * lambda);  // I2 - 3
  return law.c1 * first + law.c2 * second;
}

bar_tangent tangent_of(const bar_record& bar, const law_constants& law, double ux, double uy, double uz) {
  const bar_strain<double> s = bar_stretch(ux, uy, uz, bar.length0, bar.cx, bar.cy, bar.cz);
  const bar_response<double> r = bar_law(s, bar.cx, bar.cy, bar.cz, bar.area, bar.length0, law);
  const double lambda = std::sqrt(s.lambda2);
  // With a = c + d = lambda n and q = area sigma / lambda^2: N / l = q / length0, and
  // k_m n n^T = (area s'(lambda) / length0) a a^T / lambda^2.
  const double a[3] = {bar.cx + s.dx, bar.cy + s.dy, bar.cz + s.dz};
  const double q = bar.area / s.lambda2 * r.stress;
  const double geometric = q / bar.length0;
  const double material = bar.area * nominal_stress_slope(lambda, law) / bar.length0 / s.lambda2;
  bar_tangent t{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t.block[i][j] = (material - geometric / s.lambda2) * a[i] * a[j] + (i == j ? geometric : 0.0);
  t.energy = energy_above_unstrained(lambda, s.e, law) * bar.area * bar.length0;
  t.stress = r.stress;
  t.force[0] = r.fx;
  t.force[1] = r.fy;
  t.force[2] = r.fz;
  return t;
}

}  // namespace kalvane::newton
