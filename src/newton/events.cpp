#include "newton/events.hpp"

#include <algorithm>
#include <cmath>

#include "structure/law.hpp"

namespace kalvane::newton {

namespace {

double cable_strain(const structure& s, const vector& x, int32_t b) {
  double u[3];
  bar_difference(s.base, s.base.bars(b), x, u);
  return member_at(s.base.bars(b), material_of(s, b), member_of(s, b), u).strain;
}

// Each cable's strain at p, the rest lengths at p's load factor; 0 for the other bars.
void cable_strains(path_work& w, const path_state& p, std::vector<double>& strains) {
  apply_stage(w.scaled, w.full, w.stage, p.t);
  const int32_t bars = bar_count(w.scaled.base);
  strains.assign(static_cast<std::size_t>(bars), 0.0);
  for (int32_t b = 1; b <= bars; ++b)
    if (member_of(w.scaled, b).behaviour == bar_behaviour::cable)
      strains[static_cast<std::size_t>(b - 1)] = cable_strain(w.scaled, p.x, b);
}

}  // namespace

double watched_value(path_work& w, const watched& f, const path_state& a, const path_state& p) {
  switch (f.kind) {
    case watch_kind::limit: return p.tangent_t;
    case watch_kind::bifurcation:
      // The pivot of least size passes through zero with the eigenvalue that crosses, nearly
      // in proportion, so regula falsi gains on it as on a smooth function.
      return (p.at.negative == a.at.negative ? 1.0 : -1.0) * std::max(p.at.smallest_pivot, 1e-300);
    case watch_kind::cable:
      apply_stage(w.scaled, w.full, w.stage, p.t);
      return cable_strain(w.scaled, p.x, f.bar);
  }
  return 0.0;
}

std::vector<cable_crossing> cables_crossed(path_work& w, const path_state& a, const path_state& b) {
  std::vector<cable_crossing> crossed;
  if (!w.cables) return crossed;
  std::vector<double> before, after;
  cable_strains(w, a, before);
  cable_strains(w, b, after);
  for (std::size_t i = 0; i < before.size(); ++i) {
    if ((before[i] < 0.0) == (after[i] < 0.0)) continue;
    cable_crossing c;
    c.bar = static_cast<int32_t>(i + 1);
    c.slack = after[i] < 0.0;
    c.fraction = before[i] / (before[i] - after[i]);
    crossed.push_back(c);
  }
  std::stable_sort(crossed.begin(), crossed.end(),
                   [](const cable_crossing& l, const cable_crossing& r) { return l.fraction < r.fraction; });
  return crossed;
}

point_kind event_between(const path_state& a, const path_state& b) {
  if ((a.tangent_t > 0.0) != (b.tangent_t > 0.0)) return point_kind::limit;
  if (a.at.negative != b.at.negative) return point_kind::bifurcation;
  return point_kind::regular;
}

double along_tangent(const path_work& w, const path_state& a, const path_state& p) {
  return path_dot(w, a.tangent_x, a.tangent_t, p.x, p.t) - path_dot(w, a.tangent_x, a.tangent_t, a.x, a.t);
}

bool locate_event(path_work& w, const path_state& a, const path_state& b, const watched& f, path_state& found) {
  const bool bifurcation = f.kind == watch_kind::bifurcation;
  const double tolerance = f.kind == watch_kind::cable ? w.settings.cable_strain_tolerance : w.settings.event_tolerance;
  double low = 0.0, high = along_tangent(w, a, b);
  double low_value = watched_value(w, f, a, a), high_value = watched_value(w, f, a, b);
  found = b;
  int kept_side = 0;  // Illinois: the side kept twice running has its value halved
  const double width = high - low;
  const int iterations = bifurcation ? w.settings.bifurcation_iterations : w.settings.event_iterations;
  for (int k = 0; k < iterations; ++k) {
    if (bifurcation && std::fabs(high - low) <= w.settings.bifurcation_width * std::fabs(width)) break;
    double sigma = (low * high_value - high * low_value) / (high_value - low_value);
    if (!std::isfinite(sigma) || !(std::fabs(sigma - low) < std::fabs(high - low))) sigma = 0.5 * (low + high);
    path_state p;
    p.x = a.x;
    for (std::size_t q = 0; q < p.x.size(); ++q) p.x[q] += sigma * a.tangent_x[q];
    p.t = a.t + sigma * a.tangent_t;
    const corrector_outcome c = correct_on_arc(w, a, sigma, p.x, p.t);
    // A limit or bifurcation point is named by the nearest point found; a cable's point, which
    // must be where its strain is zero, is not found at all.
    if (!c.converged || !settle(w, p, &a.tangent_x, a.tangent_t)) return k > 0 && f.kind != watch_kind::cable;
    p.newton_steps = c.steps;
    const double value = watched_value(w, f, a, p);
    if ((value > 0.0) == (low_value > 0.0)) {
      low = sigma, low_value = value;
      if (kept_side == 1) high_value *= 0.5;
      kept_side = 1;
    } else {
      high = sigma, high_value = value;
      found = p;
      if (kept_side == -1) low_value *= 0.5;
      kept_side = -1;
    }
    // A bifurcation is told by the side past it; a limit point or a cable by the nearest value.
    if (!bifurcation) {
      found = p;
      if (std::fabs(value) <= tolerance) break;
    }
  }
  return true;
}

}  // namespace kalvane::newton
