#include "newton/softest.hpp"

#include <algorithm>
#include <cmath>

#include "newton/slack.hpp"

namespace kalvane::newton {

std::size_t softest_free_component(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f,
                                   bool past_empty_rows) {
  if (x.empty()) return 0;
  evaluate(m, x, &pattern, !past_empty_rows);
  // A start with a share in every direction, each solve magnifying the softest one. An empty
  // row is its own eigenvector, apart from the rest: a start without its share keeps none.
  vector v(x.size(), 1.0);
  if (past_empty_rows) {
    const std::vector<std::size_t> empty = held_by_nothing(pattern);
    if (empty.size() < v.size())
      for (std::size_t p : empty) v[p] = 0.0;
  }
  for (double shift = 1e-10; shift <= 1.0; shift *= 100.0) {
    factorise(f, pattern, shift);
    if (f.ok) break;
  }
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
  return largest;
}

int32_t free_but_for_slack_cables(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f) {
  if (x.empty() || !has_cables(m)) return -1;
  std::vector<std::uint8_t> slack;
  slack_flags(m, x, slack);
  if (std::find(slack.begin(), slack.end(), 1) == slack.end()) return -1;
  evaluate(m, x, &pattern, false);
  if (factorise_holding_free(f, pattern).minimum()) return -1;
  return static_cast<int32_t>(softest_free_component(m, x, pattern, f, true));
}

}  // namespace kalvane::newton
