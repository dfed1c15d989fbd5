#pragma once
// The minimiser package: limited-memory BFGS with a bracketing line search, generic over
// the objective, an operation (n, x, g) -> value that fills g with the gradient at x.
#include <cstdint>

#include "nlp/lbfgs.hpp"
#include "nlp/linesearch.hpp"
#include "nlp/norm.hpp"

namespace nlp {

// The package bound to one objective.
template <class Objective>
struct instance {
  Objective objective;

  double linesearch(int32_t n, int32_t max_steps, double sigma, double f0, terms::fmat1& x, terms::fmat1& g,
                    const terms::fmat1& p) {
    return nlp::linesearch(objective, n, max_steps, sigma, f0, x, g, p);
  }
  lbfgs_result lbfgs(int32_t memory, int32_t n, int32_t max_iter, int32_t max_steps, double tolerance, double sigma,
                     terms::fmat1& x, terms::fmat1& g) {
    return nlp::lbfgs(objective, memory, n, max_iter, max_steps, tolerance, sigma, x, g);
  }
  template <class Monitor>
  lbfgs_result lbfgs(int32_t memory, int32_t n, int32_t max_iter, int32_t max_steps, double tolerance, double sigma,
                     terms::fmat1& x, terms::fmat1& g, Monitor& monitor) {
    return nlp::lbfgs(objective, memory, n, max_iter, max_steps, tolerance, sigma, x, g, monitor);
  }
};

template <class Objective>
instance(Objective) -> instance<Objective>;

}  // namespace nlp
