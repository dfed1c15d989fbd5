#include "run.hpp"

#include "mechanics/batch.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "nlp/nlp.hpp"
#include "output/writers.hpp"

namespace kalvane {

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
  write_script(m);
  write_report(m);
}

}  // namespace kalvane
