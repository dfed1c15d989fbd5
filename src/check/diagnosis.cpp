#include "check/diagnosis.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "check/findings.hpp"
#include "newton/minimise.hpp"
#include "newton/path.hpp"
#include "newton/slack.hpp"
#include "newton/softest.hpp"
#include "error.hpp"
#include "run.hpp"

namespace kalvane::check {

namespace {

std::string softest_text(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f) {
  return name_of(softest_component(m, x, pattern, f));
}

// Standard output sent nowhere while it lives: the line search's "Line Search Failure"
// belongs to kalvane's own runs, not to the check's report.
struct quiet_standard_output {
  int saved = -1;
  quiet_standard_output() {
    std::fflush(stdout);
    saved = ::dup(STDOUT_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY);
    if (nowhere >= 0) ::dup2(nowhere, STDOUT_FILENO), ::close(nowhere);
  }
  ~quiet_standard_output() {
    std::fflush(stdout);
    if (saved >= 0) ::dup2(saved, STDOUT_FILENO), ::close(saved);
  }
  quiet_standard_output(const quiet_standard_output&) = delete;
  quiet_standard_output& operator=(const quiet_standard_output&) = delete;
};

// kalvane's own minimiser on the model from its start, through the one run path, so that
// its iterates are those of the run that failed: the least largest gradient component it
// reached and at which iteration, and how it ended.
struct replay_finding {
  double least = INFINITY;
  int32_t at = 0, iterations = 0;
  bool converged = false;
  std::string failure;  // the error's name, when it ended in one
};

replay_finding replay(const model& prepared, const std::function<void(const std::string&)>& tell) {
  replay_finding r;
  model m = prepared;
  run_plan plan;
  plan.first = stage::minimise;
  plan.last = stage::check;
  auto last_told = std::chrono::steady_clock::now();
  plan.watch = [&](int32_t iteration, double largest) {
    r.iterations = iteration;
    // A gradient gone to values that are not numbers has a largest component of 0: the run
    // fails on it, and it is no figure reached.
    if (largest > 0.0 && largest < r.least) r.least = largest, r.at = iteration;
    if (tell && std::chrono::steady_clock::now() - last_told > std::chrono::milliseconds(100)) {
      last_told = std::chrono::steady_clock::now();
      tell("no report: kalvane's minimiser again, iteration " + std::to_string(iteration) + ", largest gradient " +
           sci(largest));
    }
  };
  try {
    const quiet_standard_output quiet;
    run(m, plan);
    r.converged = r.least <= m.allowable_gradient;
  } catch (const error& e) {
    r.failure = e.name;
  }
  return r;
}

// The node displaced farthest at x.
int32_t farthest_node(const model& m, const vector& x) {
  int32_t farthest = 0;
  double largest = -1.0;
  for (int32_t k = 1; k <= m.node_count; ++k) {
    double squared = 0.0;
    for (int c = 1; c <= 3; ++c) {
      const int32_t p = m.dof_map(k, c);
      const double u = p <= m.free_count ? x[static_cast<std::size_t>(p - 1)] : m.prescribed(k, c);
      squared += u * u;
    }
    if (squared > largest) largest = squared, farthest = k;
  }
  return farthest;
}

}  // namespace

component_name softest_component(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f) {
  const std::vector<component_name> names = free_components(m.base);
  if (names.empty()) return {};
  return names[softest_free_component(m, x, pattern, f)];
}

std::optional<component_name> free_at_zero_load(const structure& m, stiffness_pattern& pattern, factorisation& f) {
  structure unloaded = m;
  scale_model(unloaded, m, 0.0);
  const vector zero(static_cast<std::size_t>(m.base.free_count), 0.0);
  evaluate(unloaded, zero, &pattern);
  if (factorise(f, pattern).minimum()) return std::nullopt;
  return softest_component(unloaded, zero, pattern, f);
}

std::string diagnose_without_report(const model& m, const std::function<void(const std::string&)>& tell) {
  structure st = structure_of(m);
  prepare(st);
  stiffness_pattern pattern = pattern_of(m);
  factorisation f;
  vector x(static_cast<std::size_t>(m.free_count), 0.0);
  // A loaded node that no bar reaches is the mechanism, whatever the minimiser meets first.
  std::vector<int32_t> lone;
  for (const slack_group& g : slack_groups(st, x))
    if (g.on_no_bar && g.loaded) lone.insert(lone.end(), g.nodes.begin(), g.nodes.end());
  if (!lone.empty())
    return "the structure is a mechanism under its loads: " + nodes_text(lone) +
           (lone.size() == 1 ? " is on no bar and carries a load" : " are on no bar and carry a load");
  if (tell) tell("no report: minimising the energy from the unloaded shape");
  const minimise_result r = minimise_energy(st, x, pattern, f);
  const std::string steps = std::to_string(r.steps) + " Newton step" + (r.steps == 1 ? "" : "s");
  if (r.unbounded)
    return "the structure is a mechanism under its loads: its energy falls without bound (" + steps +
           " from the unloaded shape carry node " + std::to_string(farthest_node(m, x)) + " away)";
  if (r.singular)
    return "the structure is a mechanism under its loads: its stiffness is singular at every point " + steps +
           " from the unloaded shape reached (free to move at " + softest_text(st, x, pattern, f) + ")";
  if (!r.converged)
    return "no stable equilibrium found: " + steps + " from the unloaded shape end with a largest gradient component of " +
           sci(r.gradient) + ", the stiffness softest at " + softest_text(st, x, pattern, f);
  const std::string found = "the structure has a stable equilibrium under its loads (" + steps +
                            " from the unloaded shape find it); ";
  // With every component prescribed the gradient has no component at all, however the
  // prescribed displacements strain the bars.
  if (m.free_count == 0)
    return found + "every displacement component is prescribed, so the run has no unknowns and its minimiser "
                   "cannot start";
  if (!(m.allowable_gradient > 0.0))
    return found + "nothing loads the structure at the start, so its allowable gradient is 0, which no run reaches";
  // The least gradient any run can stop at is the rounding level of the sums it is made of.
  const state s = evaluate(st, x);
  double floor = max_abs(s.gradient);
  for (double scale : s.scale) floor = std::max(floor, rounding_of(scale));
  const std::string rounding = "at the equilibrium, rounding leaves a gradient of about " + sci(floor);
  if (tell) tell("no report: kalvane's minimiser again");
  const replay_finding run = replay(m, tell);
  if (run.converged)
    return found + "kalvane's minimiser, run again here, stops by its gradient test after " +
           std::to_string(run.iterations) + " iterations";
  if (!(run.least < INFINITY)) return found + rounding + "; kalvane's minimiser fails before its first test (" + run.failure + ")";
  // A run at another tolerance takes the same steps (the tolerance only stops them), so it
  // stops by its test at the first iteration whose gradient is within its allowable. The
  // allowable gradient is the tolerance times a reference that does not depend on it.
  const double reachable = std::pow(10.0, std::ceil(std::log10(m.gradient_tolerance * run.least / m.allowable_gradient)));
  return found + "the gradient tolerance is too small to be reached: kalvane's minimiser, run again here, gets no "
                 "lower than a largest gradient component of " +
         sci(run.least) + " (iteration " + std::to_string(run.at) + ") against the allowable " +
         sci(m.allowable_gradient) + ", then " +
         (run.failure.empty() ? "stops at its iteration limit" : "fails (" + run.failure + ")") +
         "; a gradient tolerance of " + power_of_ten(reachable) + " can be reached (" + rounding + ")";
}

}  // namespace kalvane::check
