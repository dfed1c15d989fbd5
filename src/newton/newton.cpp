#include "newton/newton.hpp"

#include <algorithm>
#include <cmath>

#include "newton/minimise.hpp"
#include "newton/slack.hpp"

namespace kalvane::newton {

namespace {

// A singular stiffness is made solvable. A free component that no bar holds yet (an
// unstressed net across its plane) is held still for this step, so that the step moves the
// rest as Newton would, not that component by its load over a rounding-sized stiffness;
// other singularities (a mechanism) take the smallest diagonal shift that does it.
inertia factorise_solvable(factorisation& f, stiffness_pattern& pattern, inertia plain) {
  factorise_holding_free(f, pattern);
  for (double shift = 1e-12; !f.ok && shift <= 1.0; shift *= 100.0) plain = factorise(f, pattern, shift);
  return plain;
}

}  // namespace

bool within(const state& s, double tolerance) {
  for (std::size_t p = 0; p < s.gradient.size(); ++p)
    if (!(std::fabs(s.gradient[p]) <= std::max(tolerance, rounding_of(s, p)))) return false;
  return true;
}

newton_result newton_solve(const structure& m, vector& x, stiffness_pattern& pattern, factorisation& f,
                     const newton_settings& settings) {
  newton_result result;
  state s = evaluate(m, x, &pattern);
  vector trial(x.size());
  flip_counter flips(m);
  flips.observe(m, x);
  // A factorisation costs a hundred solves on a large net, so it is kept for the next steps
  // (the chord method) while they still shrink the gradient fast; once they do not, or a
  // step must be cut back, the stiffness is factorised afresh at the current point.
  bool fresh = false;  // f holds the stiffness at x
  bool reuse = settings.start_with_held_factorisation && f.ok;  // f holds the stiffness at an earlier iterate, and may serve again
  for (;;) {
    result.gradient = max_abs(s.gradient);
    result.rounding = largest_rounding(s);
    if (!s.finite) return result;
    if (within(s, std::max(settings.tolerance, settings.relative_tolerance * max_abs(s.scale)))) {
      result.converged = true;
      return result;
    }
    if (result.steps >= settings.max_steps) return result;
    if (!reuse) {
      result.last = factorise(f, pattern);
      ++result.factorisations;
      fresh = true;
      if (result.last.negative > 0 && settings.refuse_negative) {
        result.met_negative = true;
        return result;
      }
      if (!f.ok) factorise_solvable(f, pattern, result.last);
      if (!f.ok) return result;
    }
    vector step = solve(f, s.gradient);
    const double size = dot(s.gradient, s.gradient);
    bool accepted = false;
    double alpha = -1.0;
    state next;
    for (; std::fabs(alpha) > 1e-12; alpha *= 0.5) {
      for (std::size_t p = 0; p < x.size(); ++p) trial[p] = x[p] + alpha * step[p];
      next = evaluate(m, trial);
      accepted = next.finite && (next.energy < s.energy || dot(next.gradient, next.gradient) < size);
      if (accepted) break;
    }
    ++result.steps;
    if (!accepted) {
      if (fresh) return result;  // nothing along the step improves: rounding has the last word
      reuse = false;             // an older stiffness's step: try again with the current one
      continue;
    }
    x.swap(trial);
    if (flips.observe(m, x)) {
      // Newton's steps cross the kink of the same cables again and again: the energy, whose
      // first derivative is continuous there, is minimised by a line search instead.
      result.chattered = true;
      if (settings.refuse_negative) return result;
      minimise_settings fallback;
      fallback.tolerance = std::max(settings.tolerance, settings.relative_tolerance * max_abs(s.scale));
      const minimise_result r = minimise_energy(m, x, pattern, f, fallback);
      result.steps += r.steps;
      result.factorisations += r.factorisations;
      result.converged = r.converged;
      result.gradient = r.gradient;
      result.rounding = r.rounding;
      result.last = r.last;
      return result;
    }
    s = evaluate(m, x, &pattern);
    const double before = result.gradient, after = max_abs(s.gradient);
    fresh = false;
    reuse = settings.chord && alpha == -1.0 && after <= 0.25 * before;
    // Newton squares the error each step, and the chord method still gains a factor of four;
    // a step that gains less, this close to the rounding level, is rounding itself, and a
    // fresh factorisation would cost more than everything else the check does.
    if (settings.tolerance == 0.0 && settings.relative_tolerance == 0.0 && after > 0.25 * before &&
        after <= 16.0 * largest_rounding(s)) {
      result.gradient = after;
      result.rounding = largest_rounding(s);
      result.converged = true;
      return result;
    }
  }
}

}  // namespace kalvane::newton
