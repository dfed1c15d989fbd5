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

location locate_event(path_work& w, const path_state& a, const path_state& b, const watched& f, path_state& found,
                      bool along_chord) {
  const bool bifurcation = f.kind == watch_kind::bifurcation, cable = f.kind == watch_kind::cable;
  const double tolerance = cable ? w.settings.cable_strain_tolerance : w.settings.event_tolerance;
  // The direction the corrections step along, from a: its tangent, or the unit chord to b.
  path_state from = a;
  if (along_chord) {
    const double dt = b.t - a.t;
    vector d(a.x.size());
    for (std::size_t q = 0; q < d.size(); ++q) d[q] = b.x[q] - a.x[q];
    const double size = std::sqrt(path_dot(w, d, dt, d, dt));
    if (!(size > 0.0)) return location::correction_failed;
    for (std::size_t q = 0; q < d.size(); ++q) from.tangent_x[q] = d[q] / size;
    from.tangent_t = dt / size;
  }
  double low = 0.0, high = along_tangent(w, from, b);
  double low_value = watched_value(w, f, a, a), high_value = watched_value(w, f, a, b);
  found = b;
  int kept_side = 0;  // Illinois: the side kept twice running has its value halved
  const double width = high - low;
  const int iterations = bifurcation ? w.settings.bifurcation_iterations : w.settings.event_iterations;
  // A cable's strain is smooth up to its kink, where it is zero, and far steeper past it (or
  // the other way round): regula falsi across the kink may creep toward it from the gentle
  // side, a little each correction. Along the chord, where the last two points found lie on
  // one side, the secant through them follows that side's own run to its zero; a correction
  // that fails there (crossing other cables' kinks) is taken at regula falsi's point instead.
  double last_sigma = low, last_value = low_value, before_sigma = high, before_value = high_value;
  path_state nearest_point;
  double nearest = INFINITY;  // a cable's least |strain| found
  for (int k = 0; k < iterations; ++k) {
    if (bifurcation && std::fabs(high - low) <= w.settings.bifurcation_width * std::fabs(width)) break;
    double sigma = (low * high_value - high * low_value) / (high_value - low_value);
    if (!std::isfinite(sigma) || !(std::fabs(sigma - low) < std::fabs(high - low))) sigma = 0.5 * (low + high);
    double secant = NAN;
    if (cable && along_chord && k > 0 && (last_value > 0.0) == (before_value > 0.0)) {
      const double at = (before_sigma * last_value - last_sigma * before_value) / (last_value - before_value);
      if (at > std::min(low, high) && at < std::max(low, high)) secant = at;
    }
    // Regula falsi may land on a bifurcation itself, where the arc's system is singular and
    // the correction fails: the bracket's middle, away from it, goes on shrinking it.
    const double middle = bifurcation ? 0.5 * (low + high) : NAN;
    path_state p;
    bool corrected = false;
    for (const double at : {secant, sigma, middle}) {
      if (std::isnan(at)) continue;
      p = path_state{};
      p.x = a.x;
      for (std::size_t q = 0; q < p.x.size(); ++q) p.x[q] += at * from.tangent_x[q];
      p.t = a.t + at * from.tangent_t;
      const corrector_outcome c = correct_on_arc(w, from, at, p.x, p.t);
      p.newton_steps = c.steps;
      if (c.converged && settle(w, p, &a.tangent_x, a.tangent_t)) {
        sigma = at, corrected = true;
        break;
      }
    }
    // A limit or bifurcation point is named by the nearest point found; a cable's point, which
    // must be where its strain is zero, is not found at all.
    if (!corrected) return k > 0 && !cable ? location::found : location::correction_failed;
    const double value = watched_value(w, f, a, p);
    before_sigma = last_sigma, before_value = last_value;
    last_sigma = sigma, last_value = value;
    if ((value > 0.0) == (low_value > 0.0)) {
      low = sigma, low_value = value;
      if (kept_side == 1) high_value *= 0.5;
      kept_side = 1;
    } else {
      high = sigma, high_value = value;
      if (!cable) found = p;
      if (kept_side == -1) low_value *= 0.5;
      kept_side = -1;
    }
    // A bifurcation is told by the side past it; a limit point by the last value, a cable by
    // the nearest.
    if (cable) {
      if (std::fabs(value) < nearest) nearest_point = p, nearest = std::fabs(value);
      if (nearest <= tolerance) break;
    } else if (!bifurcation) {
      found = p;
      if (std::fabs(value) <= tolerance) break;
    }
  }
  if (!cable) return location::found;
  if (nearest < INFINITY) found = std::move(nearest_point);
  return nearest <= w.settings.cable_strain_accepted ? location::found : location::short_of_tolerance;
}

}  // namespace kalvane::newton
