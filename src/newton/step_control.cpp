#include "newton/step_control.hpp"

#include <algorithm>

namespace kalvane::newton {

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
