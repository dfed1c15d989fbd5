#include "newton/continuation.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "newton/minimise.hpp"
#include "newton/newton.hpp"
#include "newton/slack.hpp"

namespace kalvane::newton {

namespace {

// <tangent of `from`, (x, t) - from> - length: how far x, t lies off the corrector's plane.
double off_plane(const path_work& w, const path_state& from, const vector& x, double t, double length) {
  double along = 0.0;
  for (std::size_t p = 0; p < x.size(); ++p) along += from.tangent_x[p] * (x[p] - from.x[p]);
  return w.theta * along + from.tangent_t * (t - from.t) - length;
}

// The bordered system's block elimination: given y = K^-1 f and b = K^-1 rate, the
// solution of K u + rate v = f, <tangent, (u, v)> = h is v, returned, and u = y - b v,
// left in y.
double eliminate(const path_work& w, const path_state& from, const vector& b, vector& y, double h) {
  const double v = (h - w.theta * dot(from.tangent_x, y)) / (from.tangent_t - w.theta * dot(from.tangent_x, b));
  for (std::size_t p = 0; p < y.size(); ++p) y[p] -= b[p] * v;
  return v;
}

// Newton's steps on the arc flip the same cables slack and taut again and again, or fail
// while cables cross their rest lengths (a cascade of hogging cables losing their tension
// together, met with the stiffness of the wrong side for most): the tangent of one side
// overshoots the other's equilibrium, however short the step. Under rising load the point
// is found at the predicted load factor instead, as the minimum of the energy there, whose
// first derivative is continuous through every cable's kink, by steps that each go as far
// down as the energy falls.
corrector_outcome settle_at_load(path_work& w, const path_state& from, const vector& predicted_x, double predicted_t,
                                 vector& x, double& t, corrector_outcome outcome) {
  if (!(from.tangent_t > 0.0) || from.at.negative > 0) return outcome;
  x = predicted_x;
  t = predicted_t;
  apply_stage(w.scaled, w.full, w.stage, t);
  minimise_settings settings;
  settings.exact_line_search = true;
  settings.max_steps = 4 * w.settings.corrector_steps;
  settings.tolerance = w.settings.corrector_tolerance * max_abs(evaluate(w.scaled, x).scale);
  const minimise_result r = minimise_energy(w.scaled, x, w.pattern, w.f, settings);
  outcome.steps += r.steps;
  w.newton_steps += r.steps;
  w.factorisations += r.factorisations;
  w.near_factorisation = false;
  outcome.converged = r.converged;
  outcome.at_load = true;
  return outcome;
}

// Whether the factorisation held, made an iterate or two before the point p, still tells p's
// inertia. v = K^-1 rate is dominated, near a limit point, by the mode of K's least
// eigenvalue mu, and v.K v is then about (mode . rate)^2 / mu: the curvature along v at p
// (central differences of the gradient, no factorisation), against the held stiffness's
// own v.rate, is the ratio of the two mu. Where it changed by half or changed sign, an
// eigenvalue is nearing or crossing zero on the way (a limit point), and p needs its own.
bool curvature_holds(path_work& w, const path_state& p) {
  const vector v = solve(w.f, w.rate);
  const double held = dot(v, w.rate);
  const double size = max_abs(v);
  if (!(size > 0.0) || !std::isfinite(held)) return false;
  const double h = 1e-7 * std::max(extent_of(w.full.base), max_abs(p.x)) / size;
  vector ahead = p.x, behind = p.x;
  for (std::size_t i = 0; i < v.size(); ++i) ahead[i] += h * v[i], behind[i] -= h * v[i];
  const state forward = evaluate(w.scaled, ahead), backward = evaluate(w.scaled, behind);
  if (!forward.finite || !backward.finite) return false;
  double here = 0.0;
  for (std::size_t i = 0; i < v.size(); ++i) here += v[i] * (forward.gradient[i] - backward.gradient[i]);
  here /= 2.0 * h;
  return (here > 0.0) == (held > 0.0) && std::fabs(here - held) <= 0.5 * std::fabs(held);
}

}  // namespace

void weigh_by_start(path_work& w, double speed) {
  const double extent = extent_of(w.full.base);
  // A stage that barely moves the structure (its supports' own prestress, its weight on a
  // taut net) would otherwise weigh a drift of micrometres like the whole load, and step
  // through it as if it were sharply curved.
  const double slowest = w.settings.slowest_start * extent;
  if (!(speed > 0.0) || !std::isfinite(speed)) w.theta = 1.0 / (extent * extent);
  else w.theta = 1.0 / (std::max(speed, slowest) * std::max(speed, slowest));
}

double path_dot(const path_work& w, const vector& ax, double at, const vector& bx, double bt) {
  return w.theta * dot(ax, bx) + at * bt;
}

bool settle(path_work& w, path_state& p, const vector* along_x, double along_t, bool reuse) {
  apply_stage(w.scaled, w.full, w.stage, p.t);
  residual_rate(w.scaled, w.full, w.stage, p.t, p.x, w.rate);  // p's, whichever factorisation serves
  if (reuse && w.near_factorisation && curvature_holds(w, p)) {
    p.energy = evaluate(w.scaled, p.x).energy;
    p.at = w.near_inertia;
  } else {
    p.energy = evaluate(w.scaled, p.x, &w.pattern).energy;
    p.at = factorise(w.f, w.pattern);
    ++w.factorisations;
  }
  w.near_factorisation = false;
  if (!w.f.ok) return false;
  return tangent_from(w, p, along_x, along_t);
}

bool tangent_from(path_work& w, path_state& p, const vector* along_x, double along_t) {
  // K dx/dt = -d(gradient)/dt along the path; the tangent is (dx/dt, 1), normalised.
  p.tangent_x = solve(w.f, w.rate);
  p.speed = std::sqrt(dot(p.tangent_x, p.tangent_x));
  const double length = std::sqrt(w.theta * p.speed * p.speed + 1.0);
  if (!std::isfinite(length)) return false;
  for (double& value : p.tangent_x) value = -value / length;
  p.tangent_t = 1.0 / length;
  // The way the path was going, not the way the load rises: that is what turns at a limit point.
  if (along_x && path_dot(w, p.tangent_x, p.tangent_t, *along_x, along_t) < 0.0) {
    for (double& value : p.tangent_x) value = -value;
    p.tangent_t = -p.tangent_t;
  }
  return true;
}

// Sixteen roundings of a number of unit size.
constexpr double rounding_steps = 16.0 * std::numeric_limits<double>::epsilon();

corrector_outcome correct_on_arc(path_work& w, const path_state& from, double length, vector& x, double& t,
                                 bool at_load_on_kinks) {
  corrector_outcome outcome;
  const path_settings& settings = w.settings;
  double before = INFINITY;
  bool held = true;    // w.f holds a stiffness from an earlier point, not the one at x
  int since = -1;      // iterations since this corrector's last factorisation (-1: none)
  int cuts = 0;
  vector dx;           // the last step
  double dt = 0.0;
  bool step_fresh = false;  // the last step came from a stiffness factorised where it started
  w.near_factorisation = false;
  flip_counter flips(w.full);
  const vector predicted_x = x;
  const double predicted_t = t;
  // A failure while cables crossed their kinks (a cascade of them going slack together,
  // which Newton on the arc meets with the wrong stiffness for most) is, as chattering is,
  // found at the load, for the path's own steps; an event's location fails fast instead.
  auto give_up = [&] {
    return at_load_on_kinks && flips.flipped ? settle_at_load(w, from, predicted_x, predicted_t, x, t, outcome)
                                             : outcome;
  };
  for (;;) {
    apply_stage(w.scaled, w.full, w.stage, t);
    if (flips.observe(w.scaled, x)) return settle_at_load(w, from, predicted_x, predicted_t, x, t, outcome);
    state s = evaluate(w.scaled, x);
    const double size = s.finite ? max_abs(s.gradient) : INFINITY;
    // A fresh Newton step below the coordinates' rounding met the gradient's floor: bars that
    // swing unstressed (a sagging string drawn tight by its rest lengths) form their strains,
    // and so their forces, from lengths far larger than the forces' own terms tell.
    if (outcome.steps > 0 && step_fresh && s.finite && max_abs(dx) <= rounding_steps * extent_of(w.full.base) &&
        std::fabs(off_plane(w, from, x, t, length)) <= settings.corrector_tolerance * std::fabs(length)) {
      outcome.converged = true;
      w.near_factorisation = since >= 0 && since <= 2 && w.near_inertia.smallest_pivot > settings.near_pivot;
      return outcome;
    }
    // A step that left larger out-of-balance forces (or crushed a bar) was too long for the
    // curvature, as Newton's first steps on a net that is nearly slack are: back along it by
    // halves, judged by the residual itself, not by the energy. A step of an older
    // stiffness's (the chord's) is undone instead, and taken again with the stiffness here.
    if (outcome.steps > 0 && !(size <= before)) {
      const double back = step_fresh ? 0.5 : 1.0;
      if (step_fresh && cuts++ >= settings.corrector_cuts) return give_up();
      for (std::size_t p = 0; p < x.size(); ++p) dx[p] *= back, x[p] -= dx[p];
      dt *= back;
      t -= dt;
      if (!step_fresh) held = false, step_fresh = true, cuts = 0, before = INFINITY;
      continue;
    }
    cuts = 0;
    if (within(s, settings.corrector_tolerance * max_abs(s.scale)) &&
        std::fabs(off_plane(w, from, x, t, length)) <= settings.corrector_tolerance * std::fabs(length)) {
      outcome.converged = true;
      // Newton from there converged within two steps: the iterate was as close to the point
      // as the point's own inertia can tell, unless the stiffness is nearly singular.
      w.near_factorisation = since >= 0 && since <= 2 && w.near_inertia.smallest_pivot > settings.near_pivot;
      return outcome;
    }
    if (outcome.steps >= settings.corrector_steps) return give_up();
    // The chord method while it gains fourfold; Newton's own otherwise.
    if (held && !(size <= 0.25 * before) && outcome.steps > 0) held = false;
    step_fresh = !held;
    if (!held) {
      s = evaluate(w.scaled, x, &w.pattern);
      w.near_inertia = factorise(w.f, w.pattern);
      ++w.factorisations;
      since = 0;
      if (!w.f.ok) return give_up();
    }
    residual_rate(w.scaled, w.full, w.stage, t, x, w.rate);
    // K dx + rate dt = -g and <tangent, (dx, dt)> = -off, by block elimination: dx = y - b dt
    // with K y = -g and K b = rate. Near a limit point K is nearly singular and y and b
    // nearly parallel, so one step of refinement on the bordered system's own residual
    // (Govaerts, Numerical Methods for Bifurcations of Dynamical Equilibria, 2000, 3.6)
    // restores the digits the elimination lost.
    const vector b = solve(w.f, w.rate);
    dx = solve(w.f, s.gradient);
    for (double& value : dx) value = -value;
    const double off = off_plane(w, from, x, t, length);
    dt = eliminate(w, from, b, dx, -off);
    const vector product = multiply(w.pattern, dx);
    vector residual(x.size());
    for (std::size_t p = 0; p < x.size(); ++p) residual[p] = -s.gradient[p] - product[p] - w.rate[p] * dt;
    vector refinement = solve(w.f, residual);
    dt += eliminate(w, from, b, refinement, -off - w.theta * dot(from.tangent_x, dx) - from.tangent_t * dt);
    for (std::size_t p = 0; p < x.size(); ++p) dx[p] += refinement[p];
    if (!std::isfinite(dt)) return give_up();
    for (std::size_t p = 0; p < x.size(); ++p) x[p] += dx[p];
    t += dt;
    before = size;
    held = true;
    if (since >= 0) ++since;
    ++outcome.steps;
    ++w.newton_steps;
  }
}

}  // namespace kalvane::newton
