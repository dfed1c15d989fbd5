#include "newton/jump.hpp"

#include <cmath>

#include "newton/minimise.hpp"

namespace kalvane::newton {

jump_end jump_from(path_work& w, const path_state& p, const vector& mode, path_state& b) {
  const double extent = extent_of(w.full.base);
  const double size = max_abs(mode);
  if (!(size > 0.0) || !std::isfinite(size)) return jump_end::unsettled;
  jump_end end = jump_end::unsettled;
  for (double kick = w.settings.jump_kick; kick <= 0.1; kick *= 10.0) {
    apply_stage(w.scaled, w.full, w.stage, p.t);
    b.x = p.x;
    for (std::size_t q = 0; q < b.x.size(); ++q) b.x[q] += kick * extent * mode[q] / size;
    const minimise_result r = minimise_energy(w.scaled, b.x, w.pattern, w.f);
    w.newton_steps += r.steps;
    w.factorisations += r.factorisations;
    if (r.unbounded) return jump_end::unbounded;
    if (!r.converged) {
      end = jump_end::unsettled;
      continue;
    }
    // Back where it started (the disturbance fell short of the instability's reach): more.
    vector apart = b.x;
    for (std::size_t q = 0; q < apart.size(); ++q) apart[q] -= p.x[q];
    if (max_abs(apart) < 2.0 * kick * extent) {
      end = jump_end::fell_back;
      continue;
    }
    b.t = p.t;
    b.newton_steps = r.steps;
    if (settle(w, b) && b.at.minimum()) return jump_end::landed;
    end = jump_end::unsettled;
  }
  return end;
}

}  // namespace kalvane::newton
