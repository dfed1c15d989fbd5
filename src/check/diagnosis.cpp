#include "check/diagnosis.hpp"

#include <algorithm>
#include <cmath>

#include "check/findings.hpp"
#include "newton/path.hpp"

namespace kalvane::check {

namespace {

std::string softest_text(const model& m, const vector& x, stiffness_pattern& pattern, factorisation& f) {
  return name_of(softest_component(m, x, pattern, f));
}

std::string mechanism_at(const std::string& component) {
  return "the structure is a mechanism under its loads (stiffness singular or not positive at " + component + ")";
}

}  // namespace

component_name softest_component(const model& m, const vector& x, stiffness_pattern& pattern, factorisation& f) {
  const std::vector<component_name> names = free_components(m);
  if (names.empty()) return {};
  evaluate(m, x, &pattern);
  for (double shift = 1e-10; shift <= 1.0; shift *= 100.0) {
    factorise(f, pattern, shift);
    if (f.ok) break;
  }
  // A start with a share in every direction; each solve magnifies the softest one.
  vector v(names.size(), 1.0);
  if (f.ok)
    for (int k = 0; k < 4; ++k) {
      v = solve(f, v);
      const double size = max_abs(v);
      if (!(size > 0.0) || !std::isfinite(size)) break;
      for (double& value : v) value /= size;
    }
  // Components that move alike (a bar sliding along itself moves both ends) are equal but
  // for rounding: the first of them is named, whichever factorisation ran.
  std::size_t largest = 0;
  for (std::size_t p = 1; p < v.size(); ++p)
    if (std::fabs(v[p]) > std::fabs(v[largest]) * (1.0 + 1e-9)) largest = p;
  return names[largest];
}

std::optional<component_name> free_at_zero_load(const model& m, stiffness_pattern& pattern, factorisation& f) {
  model unloaded = m;
  scale_model(unloaded, m, 0.0);
  const vector zero(static_cast<std::size_t>(m.free_count), 0.0);
  evaluate(unloaded, zero, &pattern);
  if (factorise(f, pattern).minimum()) return std::nullopt;
  return softest_component(unloaded, zero, pattern, f);
}

std::string diagnose_without_report(const model& m, loading how) {
  stiffness_pattern pattern = pattern_of(m);
  factorisation f;
  path_settings settings;
  settings.how = how;
  const path_finding path = follow_path(m, pattern, f, settings);
  if (!path.reached_full_load) {
    if (path.mechanism)
      if (const auto free = free_at_zero_load(m, pattern, f)) return mechanism_at(name_of(*free));
    return "the structure has no stable equilibrium on its loading path: it snaps through at load factor " +
           load_factor_text(snap_load_factor(path)) + " (stiffness singular at " + softest_text(m, path.x, pattern, f) + ")";
  }
  evaluate(m, path.x, &pattern);
  const inertia at_end = factorise(f, pattern);
  if (!at_end.minimum())
    return mechanism_at(softest_text(m, path.x, pattern, f));
  const state s = evaluate(m, path.x);
  double floor = max_abs(s.gradient);
  for (double scale : s.scale) floor = std::max(floor, rounding_of(scale));
  if (floor > m.allowable_gradient)
    return "the structure has a stable equilibrium; its gradient at rounding level is about " + sci(floor) +
           ", above the allowable " + sci(m.allowable_gradient) + ": the gradient tolerance is too small to be reached";
  return "the structure has a stable equilibrium; its gradient at rounding level is about " + sci(floor) +
         ", within the allowable " + sci(m.allowable_gradient) + ": the run did not find it";
}

}  // namespace kalvane::check
