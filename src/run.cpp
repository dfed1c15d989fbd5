#include "run.hpp"

#include <cmath>
#include <string>

#include "error.hpp"
#include "mechanics/batch.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "nlp/nlp.hpp"
#include "output/writers.hpp"

namespace kalvane {
namespace {

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

}  // namespace

void run() {
  model m;
  input(m);
  start(m);
  write_deck(m);
  const batch_objective objective(m);
  nlp::instance qn{[&objective](int32_t n, const terms::fmat1& x, terms::fmat1& g) { return objective(n, x, g); }};
  const nlp::lbfgs_result result = qn.lbfgs(m.memory_size, m.free_count, m.max_iterations, m.line_search_max_steps,
                                            m.allowable_gradient, m.line_search_sigma, m.unknowns, m.gradient);
  m.iteration_count = result.iterations;
  m.objective_value = result.value;
  check_solution(m);
  write_script(m);
  write_report(m);
}

}  // namespace kalvane
