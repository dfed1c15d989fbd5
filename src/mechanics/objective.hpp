#pragma once
// Total potential energy of the structure and its gradient over the unknowns.
#include "model/model.hpp"

namespace kalvane {

// Returns the potential at x(1..n) and overwrites g(1..n) with its gradient; the model is
// only read.
double objective(const model& m, int32_t n, const terms::fmat1& x, terms::fmat1& g);

}  // namespace kalvane
