#include <algorithm>
#include <cmath>
#include <utility>

#include "check/findings.hpp"

namespace kalvane::check {

namespace {

// The largest error an entry may have, against its table's largest entry `largest`, to be
// right to `digits` digits: half a unit in that digit, as digits_right counts.
double allowed_error(double largest, int digits) {
  return 0.5 * std::pow(10.0, std::floor(std::log10(largest)) + 1.0 - digits);
}

}  // namespace

accuracy_finding accuracy_of(const findings& f, int wanted, double gradient_tolerance) {
  accuracy_finding a;
  a.wanted = wanted;
  a.tolerance = gradient_tolerance;
  if (wanted <= 0) return a;
  const std::pair<const char*, const digits_finding*> tables[] = {{"displacements", &f.refinement.displacements},
                                                                  {"reactions", &f.refinement.reactions},
                                                                  {"stresses", &f.refinement.stresses}};
  const double allowable = f.residual.allowable, residual = std::min(f.residual.largest, allowable);
  double estimate = INFINITY;
  bool not_from_a_run = false;
  for (const auto& [name, d] : tables) {
    if (d->entries == 0 || d->digits >= wanted) continue;
    if (!a.short_of || d->digits < a.worst.digits) a.table = name, a.worst = *d;
    a.short_of = true;
    // A table that does not follow from the report's own displacements was not written by a
    // run at any tolerance: no tolerance would give its digits.
    if ((d == &f.refinement.stresses && f.stress_table.mismatched > 0) ||
        (d == &f.refinement.reactions && f.reaction_table.mismatched > 0))
      not_from_a_run = true;
    // The next run may stop anywhere below its allowable gradient, so its error is bounded by
    // this one's scaled by the ratio of that allowable to the residual this run stopped at.
    const double error = d->error * d->largest;
    if (error > 0.0 && std::isfinite(error) && residual > 0.0)
      estimate = std::min(estimate, gradient_tolerance * residual / allowable * allowed_error(d->largest, wanted) / error);
  }
  // Nor does one to a state short of full load that kalvane-path wrote.
  if (!f.short_of_full_load.empty()) not_from_a_run = true;
  if (!a.short_of || not_from_a_run || !std::isfinite(estimate) || !(estimate > 0.0)) return a;
  a.estimate = std::pow(10.0, std::floor(std::log10(estimate)));
  // Below the rounding level of the gradient no run stops by its gradient test.
  a.reachable = a.estimate / gradient_tolerance * allowable > f.refinement.rounding;
  return a;
}

}  // namespace kalvane::check
