#include "newton/step_control.hpp"

#include <algorithm>

#include "newton/loading.hpp"

namespace kalvane::newton {

bool crossed_unstable_ground(path_work& w, const path_state& a, const path_state& b) {
  if (a.at.negative != 0) return false;
  const bool b_stable = b.at.negative == 0;
  vector d(b.x.size()), x(b.x.size());
  for (std::size_t p = 0; p < d.size(); ++p) d[p] = b.x[p] - a.x[p];
  apply_stage(w.scaled, w.full, w.stage, b.t);
  auto curvature_at = [&](const vector& at) { return curvature_along(w.scaled, at, d); };
  const double at_a = curvature_at(a.x), at_b = curvature_at(b.x);
  if (!(at_a > 0.0)) return false;
  // Past a bifurcation the structure is unstable across its path, not along it.
  if (!b_stable) return at_b < -1e-6 * at_a;
  const double least_end = std::min(at_a, at_b);
  if (!(least_end > 0.0)) return false;
  for (int k = 1; k < chord_samples; ++k) {
    const double s = static_cast<double>(k) / chord_samples;
    for (std::size_t p = 0; p < x.size(); ++p) x[p] = a.x[p] + s * d[p];
    if (curvature_at(x) < -1e-6 * least_end) return true;
  }
  return false;
}

void predict(const path_state& a, double length, vector& x, double& t) {
  x = a.x;
  for (std::size_t p = 0; p < x.size(); ++p) x[p] += length * a.tangent_x[p];
  t = a.t + length * a.tangent_t;
}

double next_step(const path_settings& settings, double step, int newton_steps) {
  if (newton_steps == 0) return std::min(settings.largest_step, 4.0 * step);
  if (newton_steps <= settings.quick_steps) return std::min(settings.largest_step, 2.0 * step);
  if (newton_steps >= settings.slow_steps) return std::max(settings.smallest_step, 0.5 * step);
  return step;
}

double halved_step(const path_settings& settings, double step) {
  const double half = 0.5 * step;
  return half < settings.smallest_step ? 0.0 : half;
}

}  // namespace kalvane::newton
