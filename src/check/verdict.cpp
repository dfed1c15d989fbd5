#include <cmath>
#include <cstdio>
#include <string>

#include "check/findings.hpp"

namespace kalvane::check {

namespace {

}  // namespace

// The first failed test, in the report's order, decides.
void decide(findings& f, bool strict) {
  if (strict && !f.warnings.empty()) {
    f.status = 1;
    f.verdict = "not certified: " + std::to_string(f.warnings.size()) + " warning" +
                (f.warnings.size() == 1 ? "" : "s") + " about " + f.input_name + " (--strict)";
    return;
  }
  if (!f.residual.within()) {
    f.status = 2;
    f.verdict = "not certified: not an equilibrium within the tolerance (" + std::to_string(f.residual.outside) +
                " of " + std::to_string(f.unknowns) + " components beyond their allowance)";
    if (f.at_iteration_limit)
      f.verdict += "; the run stopped at its iteration limit of " + std::to_string(f.max_iterations);
    return;
  }
  if (f.at_iteration_limit) {
    f.status = 2;
    f.verdict = "not certified: the run stopped at its iteration limit of " + std::to_string(f.max_iterations) +
                " (max_iterations), not by the gradient test";
    return;
  }
  if (!f.stability.minimum()) {
    f.status = 3;
    f.verdict = "not certified: not a minimum (" + std::to_string(f.stability.negative) + " negative and " +
                std::to_string(f.stability.zero) + " zero pivots): a saddle or a mechanism";
    return;
  }
  if (f.path_followed && f.path_cannot_start) {
    f.status = 3;
    f.verdict = "not certified: the loading path cannot start: the structure is a mechanism (or unstable) at zero load, at " +
                name_of(f.path_soft);
    return;
  }
  if (f.path_followed && (!f.path.reached_full_load || f.path.snapped)) {
    f.status = 3;
    f.verdict = "not certified: the loading path snaps through at load factor " + load_factor_text(snap_load_factor(f.path)) +
                "; the run's equilibrium lies beyond that limit point";
    return;
  }
  if (f.path_followed && f.comparison.differs) {
    f.status = 3;
    f.verdict = "not certified: the run found a different equilibrium than gradual loading reaches";
    return;
  }
  // A disagreement of the finite-element cross-check is another equilibrium than the one
  // certified; a cross-check that could not run leaves the verdict to the tests above.
  if (f.calculix == crosscheck::disagree) {
    const calculix_finding& c = f.calculix_result;
    std::string worst = "displacements";
    double largest = c.displacement;
    // A value that is not a number is the worst there is.
    auto worse = [&](double v) { return !std::isnan(largest) && !(v <= largest); };
    if (worse(c.reaction)) largest = c.reaction, worst = "reactions";
    if (worse(c.force)) largest = c.force, worst = "axial forces";
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.1E", largest);
    char bound[32];
    std::snprintf(bound, sizeof bound, "%.1E", c.tolerance);
    f.status = 3;
    f.verdict = std::string("not certified: CalculiX disagrees (") + worst + " differ by " + figure +
                " of the largest, beyond " + bound + ")";
    return;
  }
  f.status = 0;
  f.verdict = f.path_followed ? "certified: a stable equilibrium on the loading path, within the tolerance"
                              : "certified: a stable equilibrium within the tolerance (loading path not followed)";
}

}  // namespace kalvane::check
