#include <cmath>
#include <cstdio>
#include <string>

#include "check/findings.hpp"
#include "newton/slack.hpp"

namespace kalvane::check {

namespace {

// "the run's gradient tolerance leaves the displacements right to 0 digits (node 2104 Y:
// 1.2e-03 of the largest); a tolerance of about 1e-7 would give 3 digits, ..."
std::string short_of_digits(const accuracy_finding& a) {
  std::string v = "not certified: the run's gradient tolerance leaves the " + a.table + " right to " +
                  std::to_string(a.worst.digits) + " digit" + (a.worst.digits == 1 ? "" : "s") + " (" + a.worst.worst +
                  ": " + short_sci(a.worst.error) + " of the largest); ";
  const std::string wanted = std::to_string(a.wanted) + " digit" + (a.wanted == 1 ? "" : "s");
  if (a.estimate > 0.0 && a.reachable)
    return v + "a tolerance of about " + power_of_ten(a.estimate) + " would give " + wanted +
           ", or kalvane-path gives the exact equilibrium";
  if (a.estimate > 0.0)
    return v + "the tolerance that would give " + wanted + ", about " + power_of_ten(a.estimate) +
           ", lies below the rounding level of the gradient: kalvane-path gives the exact equilibrium";
  return v + "kalvane-path gives the exact equilibrium";
}

// "printed 5.9869e+00, its displacements give 5.9868e+00": two figures to as few digits as
// tell them apart (two at least), or the message would show one number twice.
std::string printed_against(double printed, double from) {
  char a[32], b[32];
  for (int decimals = 1;; ++decimals) {
    std::snprintf(a, sizeof a, "%.*e", decimals, printed);
    std::snprintf(b, sizeof b, "%.*e", decimals, from);
    if (decimals >= 16 || std::string(a) != b) break;
  }
  return std::string("printed ") + a + ", its displacements give " + b;
}

// A report kalvane-path wrote of a state short of full load holds that state's tables, not
// the full load's: a table that disagrees with the full load says so, and this says why.
std::string whose_state(const findings& f) {
  if (f.short_of_full_load.empty()) return "";
  return "; kalvane-path wrote there the state it reached short of full load (" + f.short_of_full_load +
         ", path.csv): its summary says why the path stopped";
}

}  // namespace

std::string cannot_start_text(const findings& f) {
  return f.path_unheld.empty() ? "free to move at " + name_of(f.path_soft) : f.path_unheld;
}

// The first failed test, in the report's order, decides.
void decide(findings& f, bool strict) {
  if (strict && !f.warnings.empty()) {
    f.status = 1;
    f.verdict = "not certified: " + std::to_string(f.warnings.size()) + " warning" +
                (f.warnings.size() == 1 ? "" : "s") + " about " + f.input_name + " (--strict)";
    return;
  }
  // A result that pushes a cable answers a structure that does not exist, whatever its balance.
  if (!f.cables.pushed.empty()) {
    f.status = 2;
    f.verdict = "not certified: " + pushed_text(f.cables);
    return;
  }
  if (!f.residual.within()) {
    f.status = 2;
    f.verdict = "not certified: not an equilibrium within the tolerance (" + std::to_string(f.residual.outside) +
                " of " + std::to_string(f.unknowns) + " components beyond their allowance)";
    if (f.at_iteration_limit)
      f.verdict += "; the run stopped at its iteration limit of " + std::to_string(f.max_iterations);
    // Loads that a mechanism cannot carry leave no equilibrium to reach: that is the cause.
    const bool mechanism = f.path_followed && f.path_cannot_start;
    if (mechanism) f.verdict += "; the structure is a mechanism under its loads (" + cannot_start_text(f) + ")";
    if (!f.short_of_full_load.empty())
      f.verdict += "; kalvane-path wrote there the state it reached short of full load (" + f.short_of_full_load +
                   ", path.csv)" + (mechanism ? "" : ": its summary says why the path stopped");
    return;
  }
  if (!f.refinement.unlisted_reactions.empty()) {
    const auto& lost = f.refinement.unlisted_reactions;
    f.status = 2;
    f.verdict = "not certified: the reaction table of " + f.report_name + " leaves out " + name_of(lost.front()) +
                (lost.size() > 1 ? " and " + std::to_string(lost.size() - 1) + " more" : std::string()) +
                ", which the equilibrium has (" + (lost.size() > 1 ? "the largest " : "") +
                short_sci(f.refinement.largest_unlisted) + "), though the table lists every reaction above the "
                "allowable gradient" + whose_state(f);
    return;
  }
  if (f.at_iteration_limit) {
    f.status = 2;
    f.verdict = "not certified: the run stopped at its iteration limit of " + std::to_string(f.max_iterations) +
                " (max_iterations), not by the gradient test";
    return;
  }
  // A stress no printed displacements give was not written from them: no tolerance explains it.
  if (f.stress_table.mismatched > 0) {
    const stress_table_finding& t = f.stress_table;
    f.status = 2;
    f.verdict = "not certified: the stresses of " + f.report_name + " do not follow from its own displacements (bar " +
                std::to_string(t.worst_bar) + ": " + printed_against(t.printed, t.from_displacements) +
                (t.mismatched > 1 ? "; " + std::to_string(t.mismatched - 1) + (t.mismatched == 2 ? " more bar so" : " more bars so")
                                   : std::string()) +
                "): the table was changed after the run, or written from another state" + whose_state(f);
    return;
  }
  if (f.reaction_table.mismatched > 0) {
    const reaction_table_finding& t = f.reaction_table;
    f.status = 2;
    f.verdict = "not certified: the reactions of " + f.report_name + " do not follow from its own displacements (" +
                name_of(t.worst) + ": " + printed_against(t.printed, t.from_displacements) +
                (t.mismatched > 1 ? "; " + std::to_string(t.mismatched - 1) + " more so" : std::string()) +
                "): the table was changed after the run, or written from another state" + whose_state(f);
    return;
  }
  if (f.objective.mismatched) {
    f.status = 2;
    f.verdict = "not certified: the Objective of " + f.report_name + " does not follow from its own displacements (" +
                printed_against(f.objective.printed, f.objective.from_displacements) +
                "): the report was changed after the run, or written from another state";
    return;
  }
  // Where gradual loading reaches another equilibrium than the one refined from the report,
  // no tolerance gives the structure's answer: that is told below, not the digits.
  const bool elsewhere = f.path_followed && f.refinement.converged && f.comparison.differs;
  if (f.accuracy.short_of && f.refinement.converged && !elsewhere) {
    f.status = 2;
    f.verdict = short_of_digits(f.accuracy);
    return;
  }
  if (!f.stability.minimum()) {
    f.status = 3;
    f.verdict = "not certified: not a minimum (" + std::to_string(f.stability.negative) + " negative and " +
                std::to_string(f.stability.zero) + " zero pivots): a saddle or a mechanism";
    if (!f.cables.held_by_slack.empty())
      f.verdict += "; nothing holds " + newton::nodes_text(f.cables.held_by_slack) + " but slack cables";
    else if (f.cables.free_but_for_slack.node > 0)
      f.verdict += "; free to move at " + name_of(f.cables.free_but_for_slack) + ", where every cable across that motion is slack";
    return;
  }
  // A refinement that reached no equilibrium leaves the report's digits unknown.
  if (f.accuracy.wanted > 0 && !f.refinement.converged) {
    f.status = 2;
    f.verdict = "not certified: the refinement from the report's displacements reached no equilibrium, so the "
                "digits right in the report are not known";
    return;
  }
  if (!f.path_followed && f.displacements.large()) {
    f.status = 3;
    f.verdict = "not certified: large displacements: a mechanism may have folded, or the run may be on another "
                "branch; follow the path to know (node " + std::to_string(f.displacements.node) + " moves " +
                percent_text(f.displacements.largest / f.displacements.diagonal) +
                " of the bounding-box diagonal)";
    return;
  }
  if (f.path_followed && f.path_cannot_start) {
    f.status = 3;
    f.verdict = f.path_unheld.empty()
                    ? "not certified: the loading path cannot start: the structure is a mechanism (or unstable) at zero load, at " +
                          name_of(f.path_soft)
                    : "not certified: the loading path cannot start: the structure is a mechanism under its loads: " +
                          f.path_unheld;
    return;
  }
  if (f.path_followed && f.path.outcome == path_outcome::stalled) {
    f.status = 3;
    f.verdict = "not certified: the loading path stalls at load factor " + load_factor_text(f.path.load_factor) +
                ", short of full load: gradual loading does not confirm the run's equilibrium";
    if (f.prestress_needs_loads)
      f.verdict += ". The drawn shape is in equilibrium with the rest lengths only together with the loads (as a "
                   "net form-found under them is), so the prestress stage, raised before any load, cannot start; "
                   "--loading together checks the path that raises them with the prestress";
    return;
  }
  // Past a limit point the structure jumps; where the path lands at full load is the state it
  // settles in. The run's equilibrium is the structure's answer only when it is that state.
  const bool jumped = f.path_followed && snapped(f.path);
  std::string jump_text;
  if (jumped) {
    bool from_bifurcation = false;
    for (const path_event& e : f.path.events)
      if (e.kind == event_kind::jump) {
        from_bifurcation = e.from == point_kind::bifurcation;
        break;
      }
    jump_text = std::string(from_bifurcation ? "jumps from a bifurcation point" : "snaps through") + " at load factor " +
                load_factor_text(snap_load_factor(f.path));
  }
  if (f.path_followed && !reached_full_load(f.path)) {
    f.status = 3;
    f.verdict = "not certified: the loading path " + (jumped ? jump_text : "snaps through at load factor " +
                                                                             load_factor_text(snap_load_factor(f.path))) +
                "; the run's equilibrium lies beyond that limit point";
    return;
  }
  if (jumped && f.comparison.differs) {
    f.status = 3;
    f.verdict = "not certified: the loading path " + jump_text +
                ", and lands at full load on another equilibrium than the run's; kalvane-path writes that one, in "
                "kalvane's files, into path/";
    return;
  }
  if (f.path_followed && f.comparison.differs) {
    f.status = 3;
    f.verdict = "not certified: the run found a different equilibrium than gradual loading reaches; "
                "kalvane-path writes that one, in kalvane's files, into path/";
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
  if (jumped) {
    f.verdict = "certified: a stable equilibrium, the one the structure reaches: its loading path " + jump_text +
                " and lands at full load on the run's equilibrium, within the tolerance";
    return;
  }
  f.verdict = f.path_followed ? "certified: a stable equilibrium on the loading path, within the tolerance"
                              : "certified: a stable equilibrium within the tolerance (loading path not followed)";
}

}  // namespace kalvane::check
