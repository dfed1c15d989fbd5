#pragma once
// Prepares a model as read for the minimiser: numbers the unknowns, completes the bar
// geometry, evaluates the starting point and fixes the stopping threshold.
#include "model/model.hpp"

namespace kalvane {

void start(model& m);

}  // namespace kalvane
