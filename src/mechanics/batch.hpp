#pragma once
// The total potential for the minimiser: the bar arithmetic runs on two bars at once (one
// SSE2 instruction per operation for both), with the checks done once up front instead of
// per access. The energies are summed and the end forces added into the gradient one bar
// at a time, in the order of the plain per-bar loop, so the result has the bits of
// `objective`.
#include <cstdint>

#include "model/model.hpp"

namespace kalvane {

class batch_objective {
 public:
  // Checks the bar nodes and position numbers of the prepared model once, so that no
  // evaluation needs a check per bar or per component. The model must not change while
  // this object is in use.
  explicit batch_objective(const model& m);

  // As `objective`(m, n, x, g). A model or vectors that fail the checks are handed to the
  // plain loop, which reports the error where it always has.
  double operator()(int32_t n, const terms::fmat1& x, terms::fmat1& g) const;

 private:
  const model& m_;
  bool checked_ = false;
};

}  // namespace kalvane
