#include "newton/step_control.hpp"

#include <algorithm>
#include <cmath>

#include "newton/loading.hpp"

namespace kalvane::newton {

namespace {

// The energy's least curvature along the cubic through a and b with their tangents (Hermite,
// the tangents scaled by the chord's length in the path's norm), against the least at its
// ends, at `samples` points between them; the load factor follows the same cubic.
bool curve_turns_down(path_work& w, const path_state& a, const path_state& b, const vector& d, int samples) {
  const std::size_t n = d.size();
  const double dt = b.t - a.t, length = std::sqrt(path_dot(w, d, dt, d, dt));
  vector x(n), direction(n);
  auto curvature_at = [&](double s) {
    const double s2 = s * s, s3 = s2 * s;
    const double h00 = 2 * s3 - 3 * s2 + 1, h10 = (s3 - 2 * s2 + s) * length, h01 = 3 * s2 - 2 * s3,
                 h11 = (s3 - s2) * length;
    const double g00 = 6 * s2 - 6 * s, g10 = (3 * s2 - 4 * s + 1) * length, g01 = -g00,
                 g11 = (3 * s2 - 2 * s) * length;
    for (std::size_t p = 0; p < n; ++p) {
      x[p] = h00 * a.x[p] + h10 * a.tangent_x[p] + h01 * b.x[p] + h11 * b.tangent_x[p];
      direction[p] = g00 * a.x[p] + g10 * a.tangent_x[p] + g01 * b.x[p] + g11 * b.tangent_x[p];
    }
    apply_stage(w.scaled, w.full, w.stage, h00 * a.t + h10 * a.tangent_t + h01 * b.t + h11 * b.tangent_t);
    return curvature_along(w.scaled, x, direction);
  };
  const double least_end = std::min(curvature_at(0.0), curvature_at(1.0));
  if (!(least_end > 0.0)) return false;
  for (int k = 1; k < samples; ++k)
    if (curvature_at(static_cast<double>(k) / samples) < -1e-6 * least_end) return true;
  return false;
}

}  // namespace

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
  bool dips = false;
  for (int k = 1; k < chord_samples && !dips; ++k) {
    const double s = static_cast<double>(k) / chord_samples;
    for (std::size_t p = 0; p < x.size(); ++p) x[p] = a.x[p] + s * d[p];
    dips = curvature_at(x) < -1e-6 * least_end;
  }
  // A straight chord cuts inside the arc its bars swing through, shortening them: where the
  // path turns, that alone turns the chord down between two points of one stable branch. The
  // cubic that follows the turn tells the two apart: it stays on stable ground along a
  // branch, and crosses the unstable ground between two branches as the chord does.
  return dips && curve_turns_down(w, a, b, d, curve_samples);
}

int32_t bar_squeezed_through_a_point(path_work& w, const path_state& a, const path_state& b) {
  apply_stage(w.scaled, w.full, w.stage, b.t);
  const model& m = w.scaled.base;
  for (int32_t e = 1; e <= bar_count(m); ++e) {
    const member& bar = member_of(w.scaled, e);
    if (bar.behaviour == bar_behaviour::cable) continue;
    double start[3], end[3], along[3], start_along = 0.0, along_along = 0.0;
    bar_vector(m, m.bars(e), a.x, start);
    bar_vector(m, m.bars(e), b.x, end);
    for (int c = 0; c < 3; ++c) {
      along[c] = end[c] - start[c];
      start_along += start[c] * along[c];
      along_along += along[c] * along[c];
    }
    if (!(along_along > 0.0)) continue;
    const double s = -start_along / along_along;
    if (!(s > 0.0 && s < 1.0)) continue;
    double closest = 0.0;
    for (int c = 0; c < 3; ++c) closest += (start[c] + s * along[c]) * (start[c] + s * along[c]);
    if (std::sqrt(closest) < 0.01 * bar.rest) return e;
  }
  return 0;
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
