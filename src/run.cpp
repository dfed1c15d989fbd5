#include "run.hpp"

#include <chrono>
#include <cmath>
#include <string>

#include "error.hpp"
#include "mechanics/batch.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "nlp/nlp.hpp"
#include "output/writers.hpp"
#include "progress.hpp"

namespace kalvane {
namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point t0) {
  return std::chrono::duration<double>(clock_type::now() - t0).count();
}

int32_t capped(int32_t setting, int32_t cap) { return cap > 0 && setting > cap ? cap : setting; }

void minimise(model& m, const run_plan& plan, run_stats& stats) {
  const batch_objective total_potential(m, plan.threads);
  long long evaluations = 0;
  double objective_seconds = 0.0;
  const bool timed = plan.time_objective;
  nlp::instance qn{[&](int32_t n, const terms::fmat1& x, terms::fmat1& g) {
    ++evaluations;
    if (!timed) return total_potential(n, x, g);
    const auto t0 = clock_type::now();
    const double value = total_potential(n, x, g);
    objective_seconds += seconds_since(t0);
    return value;
  }};
  progress_line progress(plan.progress, m.allowable_gradient);
  auto monitor = [&](int32_t iteration, double largest_gradient) {
    progress(iteration, largest_gradient);
    if (plan.watch) plan.watch(iteration, largest_gradient);
  };
  const nlp::lbfgs_result result =
      qn.lbfgs(capped(m.memory_size, plan.memory_cap), m.free_count, capped(m.max_iterations, plan.iteration_cap),
               capped(m.line_search_max_steps, plan.line_search_cap), m.allowable_gradient, m.line_search_sigma,
               m.unknowns, m.gradient, monitor);
  m.iteration_count = result.iterations;
  m.objective_value = result.value;
  stats.evaluations += evaluations;
  stats.objective_seconds += objective_seconds;
}

// A minimum that is not a number is no equilibrium: writing it as one would report a
// failure as success, so the run stops before the script and the report.
void check_solution(const model& m) {
  bool finite = std::isfinite(m.objective_value);
  for (int32_t p = 1; finite && p <= m.free_count; ++p) finite = std::isfinite(m.unknowns(p));
  if (finite) return;
  fail(model_error, m.source_name + ": after " + std::to_string(m.iteration_count) +
                        " iterations the displacements or the total potential are no longer finite numbers: the "
                        "structure has no equilibrium under its loads (a mechanism, or a loaded node that no bar "
                        "holds), or the gradient tolerance is too small to be reached");
}

bool writes_a_file(stage s) { return s == stage::deck || s == stage::script || s == stage::report; }

void run_stage(stage s, model& m, const run_plan& plan, run_stats& stats) {
  if (!plan.write_files && writes_a_file(s)) return;
  switch (s) {
    case stage::input:
      if (plan.input_text) input_text(m, *plan.input_text, "input.txt");
      else input(m, path_in(plan, "input.txt"));
      return;
    case stage::start: start(m); return;
    case stage::deck: write_deck(m, path_in(plan, "abaqusfile.inp")); return;
    case stage::minimise: minimise(m, plan, stats); return;
    case stage::check: check_solution(m); return;
    case stage::script: write_script(m, path_in(plan, "autocad.scr")); return;
    case stage::report: write_report(m, path_in(plan, "output.txt")); return;
  }
}

}  // namespace

const char* stage_name(stage s) {
  static const char* const names[stage_count] = {"input", "start", "deck", "minimise", "check", "script", "report"};
  return names[static_cast<int>(s)];
}

std::string path_in(const run_plan& plan, const std::string& name) {
  return plan.folder.empty() ? name : plan.folder + "/" + name;
}

run_stats run(model& m, const run_plan& plan) {
  run_stats stats;
  for (int k = static_cast<int>(plan.first); k <= static_cast<int>(plan.last); ++k) {
    const auto t0 = clock_type::now();
    run_stage(static_cast<stage>(k), m, plan, stats);
    stats.seconds[k] = seconds_since(t0);
  }
  return stats;
}

}  // namespace kalvane
