#include "newton/jump.hpp"

#include <cmath>

#include "newton/minimise.hpp"

namespace kalvane::newton {
namespace {

// A bar shortened past its largest compressive force, where its force falls off as it
// shortens further: a Mooney-Rivlin bar with c2 < 0 (dN/dlambda = 2A (c1 + 2 c1 / lambda^3 +
// 3 c2 / lambda^4) turns negative), whose energy falls without bound toward a point. The
// minimisation crushes it, a step at a time, rather than settling; no law of another kind
// softens so.
int32_t crushed_bar(const structure& s, const vector& x) {
  for (int32_t e = 1; e <= bar_count(s.base); ++e) {
    const member_state bar = bar_state_at(s, x, e);
    if (bar.lambda < 1.0 && !bar.slack && bar.slope < 0.0) return e;
  }
  return 0;
}

}  // namespace

jump_end jump_from(path_work& w, const path_state& p, const vector& mode, path_state& b, int32_t& crushed) {
  crushed = 0;
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
      // A larger disturbance only crushes the bar further.
      crushed = crushed_bar(w.scaled, b.x);
      if (crushed != 0) return jump_end::crushed;
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
