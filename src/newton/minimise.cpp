#include "newton/minimise.hpp"

#include <algorithm>
#include <cmath>

#include "newton/newton.hpp"

namespace kalvane::newton {

namespace {

// Factorises K + tau I (tau relative to the largest diagonal entry) with the least tau of a
// rising sequence that makes it positive definite: the modified Newton of Nocedal & Wright,
// Algorithm 3.3. The sequence starts well below the last point's tau, so that along a
// mechanism, where every tau serves, the steps lengthen; returns the tau used, or a negative
// value when none served.
double shift_until_definite(factorisation& f, stiffness_pattern& pattern, double last_shift,
                            const minimise_settings& settings, int& factorisations) {
  for (double tau = std::max(settings.smallest_shift, 0.01 * last_shift); tau <= settings.largest_shift; tau *= 10.0) {
    ++factorisations;
    if (factorise_if_definite(f, pattern, tau)) return tau;
  }
  return -1.0;
}

// A direction of negative curvature, by inverse iteration with the shifted factorisation:
// (K + tau I)^-1 magnifies most the eigenvector of K's least eigenvalue. Signed downhill.
vector negative_curvature(factorisation& f, const vector& gradient, int iterations) {
  vector v(gradient.size());
  for (std::size_t p = 0; p < v.size(); ++p) v[p] = std::sin(static_cast<double>(p) + 1.0);  // any start not orthogonal to it
  for (int k = 0; k < iterations; ++k) {
    v = solve(f, v);
    const double size = max_abs(v);
    if (!(size > 0.0) || !std::isfinite(size)) return {};
    for (double& value : v) value /= size;
  }
  if (dot(v, gradient) > 0.0)
    for (double& value : v) value = -value;
  return v;
}

// The step along `direction` where the energy stops falling: the root of its slope
// phi'(alpha) = g(x + alpha d) . d, bracketed by doubling up to `longest`, then by regula
// falsi with the Illinois modification, until the slope is a tenth of the first (the strong
// Wolfe curvature condition, Nocedal & Wright, section 3.1). Where a cable goes slack the
// slope stays continuous, and along a cable net's line the energy is convex, so a few
// evaluations find it. Returns the step of the least energy evaluated, its state in `next`.
double exact_step(const structure& m, const vector& x, const vector& direction, double slope, double longest,
                  const minimise_settings& settings, vector& trial, state& next) {
  double low = 0.0, low_slope = slope;
  double high = 0.0, high_slope = 0.0;  // high == 0: no bracket yet
  double alpha = std::min(1.0, longest);
  double best = 0.0, best_energy = INFINITY;
  int kept = 0;  // Illinois: the end kept twice running has its slope halved
  state here;
  for (int k = 0; k < settings.line_evaluations; ++k) {
    for (std::size_t p = 0; p < x.size(); ++p) trial[p] = x[p] + alpha * direction[p];
    here = evaluate(m, trial);
    const double s = here.finite ? dot(here.gradient, direction) : INFINITY;
    if (here.finite && here.energy < best_energy) best = alpha, best_energy = here.energy, next = here;
    if (std::fabs(s) <= 0.1 * std::fabs(slope)) break;
    if (s < 0.0) {
      low = alpha, low_slope = s;
      if (kept == 1) high_slope *= 0.5;
      kept = 1;
      if (high == 0.0) {
        if (alpha >= longest) break;
        alpha = std::min(2.0 * alpha, longest);
        continue;
      }
    } else {
      high = alpha, high_slope = s;
      if (kept == -1) low_slope *= 0.5;
      kept = -1;
    }
    alpha = std::isfinite(high_slope) ? (low * high_slope - high * low_slope) / (high_slope - low_slope) : 0.5 * (low + high);
    if (!(alpha > low && alpha < high)) alpha = 0.5 * (low + high);
  }
  return best;
}

}  // namespace

minimise_result minimise_energy(const structure& m, vector& x, stiffness_pattern& pattern, factorisation& f,
                                const minimise_settings& settings) {
  minimise_result result;
  const double extent = extent_of(m.base);
  double radius = settings.first_radius * extent;  // the longest step allowed, grown while steps reach it
  double shift = 0.0;                               // the last shift that made the stiffness definite
  bool singular_everywhere = true;
  state s = evaluate(m, x, &pattern);
  vector trial(x.size()), direction;
  for (;;) {
    result.gradient = max_abs(s.gradient);
    result.rounding = largest_rounding(s);
    if (!s.finite) break;
    if (max_abs(x) > settings.reach * extent) {
      result.unbounded = true;
      break;
    }
    if (result.steps >= settings.max_steps) break;
    result.last = factorise(f, pattern);
    ++result.factorisations;
    if (f.ok && result.last.zero == 0) singular_everywhere = false;
    const bool definite = f.ok && result.last.minimum();
    const bool stationary = within(s, settings.tolerance);
    if (stationary && (definite || result.last.negative == 0)) {
      // At a minimum; or, with only zero pivots, at a point where the energy is flat to
      // second order and nothing pulls: an equilibrium, not a stable one.
      result.converged = definite;
      break;
    }
    if (!definite) {
      shift = shift_until_definite(f, pattern, shift, settings, result.factorisations);
      if (shift < 0.0) break;
    }
    if (stationary) {
      // A saddle: the gradient vanishes, so the way down is along negative curvature.
      direction = negative_curvature(f, s.gradient, settings.curvature_iterations);
      if (direction.empty()) break;
    } else {
      direction = solve(f, s.gradient);
      for (double& value : direction) value = -value;
    }
    const double length = max_abs(direction);
    const bool capped = length > radius;
    if (capped)
      for (double& value : direction) value *= radius / length;
    // Backtracking on the energy with the sufficient decrease condition; each cut takes the
    // minimum of the quadratic through the energy, its slope at 0, and the trial's energy,
    // kept within [0.1, 0.5] of the step (Nocedal & Wright, section 3.5).
    const double slope = dot(s.gradient, direction);
    const double gradient_before = result.gradient;
    double alpha = 1.0;
    bool accepted = false;
    state next;
    if (settings.exact_line_search && slope < 0.0) {
      const double longest = capped ? 1.0 : radius / length;
      alpha = exact_step(m, x, direction, slope, longest, settings, trial, next);
      if (alpha > 0.0) {
        for (std::size_t p = 0; p < x.size(); ++p) trial[p] = x[p] + alpha * direction[p];
        accepted = next.energy - s.energy <= settings.sufficient_decrease * alpha * slope ||
                   (definite && alpha == 1.0 && !capped && max_abs(next.gradient) <= 0.5 * gradient_before);
      }
      if (!accepted) alpha = 1.0;
    }
    for (int cut = 0; cut < settings.max_cuts && !accepted; ++cut) {
      for (std::size_t p = 0; p < x.size(); ++p) trial[p] = x[p] + alpha * direction[p];
      next = evaluate(m, trial);
      if (next.finite) {
        const double rise = next.energy - s.energy;
        // Near the minimum the energy's change drowns in its rounding; a full Newton step
        // of an unshifted stiffness is then judged by the gradient it leaves.
        accepted = rise <= settings.sufficient_decrease * alpha * slope || (stationary && rise < 0.0) ||
                   (definite && alpha == 1.0 && !capped && max_abs(next.gradient) <= 0.5 * gradient_before);
        if (accepted) break;
        const double quadratic = -slope * alpha * alpha / (2.0 * (rise - slope * alpha));
        alpha = std::clamp(std::isfinite(quadratic) ? quadratic : 0.5 * alpha, 0.1 * alpha, 0.5 * alpha);
      } else {
        alpha *= 0.1;
      }
    }
    ++result.steps;
    if (!accepted) {
      // Nothing along the step lowers the energy: rounding has the last word at a minimum.
      // The gradient's rounding can lie far above the level its terms' sizes tell: a bar
      // that swings much further than it stretches forms its strain, and so its force, from
      // terms of the swing's size (a chain hanging from slack). A full Newton step of the
      // definite stiffness that did not halve the gradient, where the energy it promises
      // to gain, -slope / 2, is below the energy's own rounding, met that floor: x is the
      // minimum to the last digit. (Above the floor the step would have halved it.)
      const bool at_gradient_floor = !capped && -slope <= rounding_of(std::fabs(s.energy));
      result.converged = definite && (result.gradient <= 16.0 * result.rounding || at_gradient_floor);
      break;
    }
    if (capped && alpha == 1.0) radius *= 2.0;
    x.swap(trial);
    s = evaluate(m, x, &pattern);
    // Newton squares the error each step; a full step that gains less than a factor of four
    // this close to the rounding level is rounding itself.
    const double after = max_abs(s.gradient);
    if (settings.tolerance == 0.0 && definite && alpha == 1.0 && !capped && after > 0.25 * gradient_before &&
        after <= 16.0 * largest_rounding(s)) {
      result.gradient = after;
      result.rounding = largest_rounding(s);
      result.converged = true;
      break;
    }
  }
  result.singular = !result.converged && singular_everywhere;
  return result;
}

}  // namespace kalvane::newton
