#include "structure/law.hpp"

#include <cmath>

namespace kalvane {

namespace {

// s(lambda) / A's factor (lambda - 1/lambda^2), written as (lambda - 1)(lambda^2 + lambda + 1)
// / lambda^2 so that it stays proportional to lambda - 1 near the unstressed state.
double rubber_stretch_term(double lambda, double less_one) {
  return less_one * (lambda * lambda + lambda + 1.0) / (lambda * lambda);
}

double nominal_stress(const material& mat, double lambda, double less_one) {
  switch (mat.law) {
    case axial_law::neo_hooke: return mat.c1 * rubber_stretch_term(lambda, less_one);
    case axial_law::mooney_rivlin: return 2.0 * rubber_stretch_term(lambda, less_one) * (mat.c1 + mat.c2 / lambda);
    case axial_law::linear_elastic: return mat.E * less_one;
  }
  return 0.0;
}

double nominal_slope(const material& mat, double lambda) {
  const double inv = 1.0 / lambda;
  const double inv2 = inv * inv;
  switch (mat.law) {
    case axial_law::neo_hooke: return mat.c1 * (1.0 + 2.0 * inv2 * inv);
    case axial_law::mooney_rivlin: {
      const double along = 2.0 * (1.0 + 2.0 * inv2 * inv);
      return along * (mat.c1 + mat.c2 * inv) + 2.0 * (lambda - inv2) * (-mat.c2 * inv2);
    }
    case axial_law::linear_elastic: return mat.E;
  }
  return 0.0;
}

// W(lambda) - W(1) per unit unstressed volume; for the rubber laws I1 - 3 = (lambda - 1)^2
// (lambda + 2) / lambda and I2 - 3 = (lambda - 1)^2 (2 lambda + 1) / lambda^2.
double energy_density(const material& mat, double lambda, double less_one) {
  const double s2 = less_one * less_one;
  switch (mat.law) {
    case axial_law::neo_hooke: return 0.5 * mat.c1 * (s2 * (lambda + 2.0) / lambda);
    case axial_law::mooney_rivlin:
      return mat.c1 * (s2 * (lambda + 2.0) / lambda) + mat.c2 * (s2 * (2.0 * lambda + 1.0) / (lambda * lambda));
    case axial_law::linear_elastic: return 0.5 * mat.E * s2;
  }
  return 0.0;
}

}  // namespace

axial_response respond(const material& mat, bar_behaviour behaviour, double area, double rest, double lambda,
                       double lambda_less_one) {
  axial_response r;
  if (behaviour == bar_behaviour::cable && lambda_less_one < 0.0) {
    r.slack = true;
    return r;
  }
  const double s = nominal_stress(mat, lambda, lambda_less_one);
  r.force = area * s;
  r.slope = area * nominal_slope(mat, lambda);
  r.energy = energy_density(mat, lambda, lambda_less_one) * area * rest;
  r.stress = mat.law == axial_law::linear_elastic ? s : s * lambda;
  return r;
}

std::optional<double> stretch_for_force(const material& mat, bar_behaviour behaviour, double area, double force) {
  if (!std::isfinite(force) || !(area > 0.0)) return std::nullopt;
  if (force == 0.0) return 1.0;
  if (behaviour == bar_behaviour::cable && force < 0.0) return std::nullopt;
  const double target = force / area;  // the nominal stress wanted
  if (mat.law == axial_law::linear_elastic) {
    const double lambda = 1.0 + target / mat.E;
    if (!(lambda > 0.0) || !std::isfinite(lambda)) return std::nullopt;
    return lambda;
  }
  // Newton on s(lambda) = target inside a bracket [low, high] that always holds the root:
  // a step leaving the bracket is replaced by bisection (safeguarded Newton). The root is the
  // one on the branch that leaves the unstressed state, where s rises with lambda: a
  // Mooney-Rivlin law with c1 < 0 turns at a largest tension, one with c2 < 0 at a largest
  // push, and a force beyond the turn is carried at no stretch. The search outward from 1
  // stops at the turn (the slope's change of sign, found by bisection).
  auto residual = [&](double lambda) { return nominal_stress(mat, lambda, lambda - 1.0) - target; };
  auto turn_between = [&](double rising, double turned) {
    for (int i = 0; i < 200; ++i) {
      const double middle = 0.5 * (rising + turned);
      if (middle == rising || middle == turned) break;
      (nominal_slope(mat, middle) > 0.0 ? rising : turned) = middle;
    }
    return rising;
  };
  double low = 1.0, high = 1.0;
  if (target > 0.0) {
    while (residual(high) < 0.0) {
      low = high;
      high *= 2.0;
      if (high > 1e12) return std::nullopt;
      if (!(nominal_slope(mat, high) > 0.0)) {
        const double turn = turn_between(low, high);
        if (residual(turn) < 0.0) return std::nullopt;
        high = turn;
      }
    }
  } else {
    while (residual(low) > 0.0) {
      high = low;
      low *= 0.5;
      if (low < 1e-12) return std::nullopt;
      if (!(nominal_slope(mat, low) > 0.0)) {
        const double turn = turn_between(high, low);
        if (residual(turn) > 0.0) return std::nullopt;
        low = turn;
      }
    }
  }
  double lambda = 0.5 * (low + high);
  for (int i = 0; i < 200; ++i) {
    const double f = residual(lambda);
    if (f == 0.0) return lambda;
    (f < 0.0 ? low : high) = lambda;
    const double slope = nominal_slope(mat, lambda);
    double next = slope > 0.0 ? lambda - f / slope : 0.5 * (low + high);
    if (!(next > low && next < high)) next = 0.5 * (low + high);
    if (std::fabs(next - lambda) <= 4.0 * 2.220446049250313e-16 * lambda) return next;
    lambda = next;
  }
  return lambda;
}

const char* law_name(axial_law law) {
  switch (law) {
    case axial_law::neo_hooke: return "Neo-Hooke";
    case axial_law::mooney_rivlin: return "Mooney-Rivlin";
    case axial_law::linear_elastic: return "linear elastic";
  }
  return "";
}

}  // namespace kalvane

#include "mechanics/bar_law.hpp"

namespace kalvane {

member_state member_at(const bar_record& bar, const material& mat, const member& mem, const double u[3]) {
  member_state r;
  const bar_strain<double> s = bar_stretch(u[0], u[1], u[2], bar.length0, bar.cx, bar.cy, bar.cz);
  r.axis[0] = bar.cx + s.dx;
  r.axis[1] = bar.cy + s.dy;
  r.axis[2] = bar.cz + s.dz;
  const double drawn = std::sqrt(s.lambda2);
  r.drawn_stretch = drawn;
  r.drawn_stretch2 = s.lambda2;
  const double drawn_less_one = s.e / (drawn + 1.0);
  const bool at_drawn = mem.rest == bar.length0;
  if (at_drawn && mat.law != axial_law::linear_elastic &&
      !(mem.behaviour == bar_behaviour::cable && drawn_less_one < 0.0)) {
    // kalvane's element, so that a structure read from input.txt gives kalvane's bits.
    const law_constants law{mat.law == axial_law::neo_hooke, mat.c1, mat.c2};
    const bar_response<double> f = bar_law(s, bar.cx, bar.cy, bar.cz, bar.area, bar.length0, law);
    r.lambda = drawn;
    r.strain = drawn_less_one;
    r.stress = f.stress;
    r.force = f.stress * bar.area / drawn;
    r.end_force[0] = f.fx;
    r.end_force[1] = f.fy;
    r.end_force[2] = f.fz;
    const axial_response a = respond(mat, mem.behaviour, bar.area, mem.rest, drawn, drawn_less_one);
    r.slope = a.slope;
    r.across = bar.area / s.lambda2 * f.stress / bar.length0;
    r.along = a.slope / bar.length0 / s.lambda2;
    r.energy = a.energy;
    return r;
  }
  // lambda = r lambda_D with r = D / L0; lambda - 1 = r (lambda_D - 1) + (r - 1).
  const double ratio = bar.length0 / mem.rest;
  r.lambda = ratio * drawn;
  const double less_one = at_drawn ? drawn_less_one : ratio * drawn_less_one + (ratio - 1.0);
  r.strain = less_one;
  const axial_response a = respond(mat, mem.behaviour, bar.area, mem.rest, r.lambda, less_one);
  r.slack = a.slack;
  r.force = a.force;
  r.slope = a.slope;
  r.across = a.force / (drawn * bar.length0);
  r.along = a.slope / mem.rest / s.lambda2;
  r.energy = a.energy;
  r.stress = a.stress;
  const double per_axis = a.force / drawn;  // N n = N axis / lambda_D
  for (int j = 0; j < 3; ++j) r.end_force[j] = r.axis[j] * per_axis;
  return r;
}

}  // namespace kalvane
