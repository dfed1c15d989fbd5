#include "newton/path.hpp"

#include <algorithm>
#include <cmath>

#include "newton/newton.hpp"

namespace kalvane::newton {

namespace {

// Intermediate equilibria need not be exact; the last one is polished to rounding level.
constexpr double step_tolerance = 1e-9;

double largest_difference(const vector& a, const vector& b) {
  double largest = 0.0;
  for (std::size_t p = 0; p < a.size(); ++p) largest = std::max(largest, std::fabs(a[p] - b[p]));
  return largest;
}

// The first step has no earlier equilibria to extrapolate, and a Newton started from the
// unloaded shape itself stretches only the bars at prescribed components, overshoots, and
// crushes the bars next to them. So it starts along the path's tangent at the unloaded
// shape, dx/dt = -K0^-1 dg/dt, with dg/dt by a central difference (g is smooth in t and odd
// in it to first order). Components that nothing holds yet are held, and get no rate; when
// K0 is still not positive definite (near a mechanism) there is no tangent to follow.
vector tangent_at_start(const model& m, stiffness_pattern& pattern, factorisation& f) {
  constexpr double dt = 1e-4;
  model scaled = m;
  const vector zero(static_cast<std::size_t>(m.free_count), 0.0);
  scale_model(scaled, m, dt);
  const vector ahead = evaluate(scaled, zero).gradient;
  scale_model(scaled, m, -dt);
  const vector behind = evaluate(scaled, zero).gradient;
  scale_model(scaled, m, 0.0);
  evaluate(scaled, zero, &pattern);
  inertia at_zero = factorise(f, pattern);
  if (!at_zero.minimum()) at_zero = factorise_holding_free(f, pattern);
  if (!f.ok || !at_zero.minimum()) return {};
  vector rate(zero.size());
  for (std::size_t p = 0; p < rate.size(); ++p) rate[p] = -(ahead[p] - behind[p]) / (2.0 * dt);
  return solve(f, rate);
}

}  // namespace

void scale_model(model& scaled, const model& full, double t) {
  for (std::size_t i = 0; i < full.loads.data.size(); ++i) scaled.loads.data[i] = t * full.loads.data[i];
  for (std::size_t i = 0; i < full.prescribed.data.size(); ++i) scaled.prescribed.data[i] = t * full.prescribed.data[i];
}

path_finding follow_path(const model& m, stiffness_pattern& pattern, factorisation& f,
                         const path_settings& settings, const path_observer& observer) {
  model scaled = m;
  path_finding path;
  const std::size_t n = static_cast<std::size_t>(m.free_count);
  vector current(n, 0.0), previous(n, 0.0), trial;
  const vector tangent = n > 0 ? tangent_at_start(m, pattern, f) : vector{};
  double t = 0.0, last_step = 0.0, step = settings.first_step;
  double rate = 0.0;  // how fast the displacements moved per unit load factor on the last step
  newton_settings corrector;
  corrector.max_steps = 8;
  corrector.relative_tolerance = step_tolerance;
  corrector.refuse_negative = true;
  while (t < 1.0 && path.steps + path.halvings < settings.max_steps) {
    const double next_t = std::min(1.0, t + step);
    const double taken = next_t - t;
    trial = current;
    if (last_step > 0.0)
      for (std::size_t p = 0; p < n; ++p) trial[p] += (current[p] - previous[p]) * (taken / last_step);
    else if (!tangent.empty())
      for (std::size_t p = 0; p < n; ++p) trial[p] = taken * tangent[p];
    scale_model(scaled, m, next_t);
    // The unloaded shape of a flat net or a cable has no stiffness across it, so the first
    // step's Newton starts from a singular stiffness and needs more iterations than any later one.
    corrector.max_steps = path.steps == 0 ? 40 : 12;
    const newton_result r = newton_solve(scaled, trial, pattern, f, corrector);
    path.newton_steps += r.steps;
    const double new_rate = largest_difference(trial, current) / taken;
    // A corrector that lands far from where the path was heading has jumped to another
    // branch, even when the branch is stable.
    const bool jumped = rate > 0.0 && new_rate > 10.0 * rate;
    if (!r.converged || jumped) {
      ++path.halvings;
      step = taken * 0.5;
      if (step < settings.smallest_step) break;
      continue;
    }
    previous.swap(current);
    current = trial;
    last_step = taken;
    t = next_t;
    rate = std::max(new_rate, rate * 0.5);
    ++path.steps;
    path.smallest_pivot = r.last.smallest_pivot;
    path_point point;
    point.stage = 1;
    point.load_factor = t;
    point.energy = evaluate(scaled, current).energy;
    point.smallest_pivot = r.last.smallest_pivot;
    point.negative_pivots = r.last.negative;
    point.newton_steps = r.steps;
    path.points.push_back(point);
    if (observer) observer(point, current);
    step = r.factorisations <= settings.quick ? std::min(settings.largest_step, taken * 2.0) : taken;
  }
  path.load_factor = t;
  path.reached_full_load = t >= 1.0;
  if (path.reached_full_load) {
    newton_settings polish;
    polish.refuse_negative = true;
    polish.start_with_held_factorisation = true;  // the last corrector's, at full load
    path.newton_steps += newton_solve(m, current, pattern, f, polish).steps;
  }
  path.x = current;
  return path;
}

}  // namespace kalvane::newton
