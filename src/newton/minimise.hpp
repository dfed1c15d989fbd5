#pragma once
// A globally convergent Newton's method for the total potential, from any start: a line
// search on the energy, and a shifted stiffness where it is indefinite, so that every step
// goes downhill. It finds the first point of a path whose unloaded shape has no stiffness
// (a hanging cable, a net before its tension), and tells whether a structure has a stable
// equilibrium under its loads at all.
#include "newton/factor.hpp"
#include "newton/system.hpp"

namespace kalvane::newton {

struct minimise_settings {
  int max_steps = 200;
  double tolerance = 0.0;  // largest gradient component accepted; 0: its rounding level
};

struct minimise_result {
  bool converged = false;  // a stable equilibrium (positive definite stiffness) within the tolerance
  bool unbounded = false;  // the energy fell without bound: a mechanism under its loads
  bool singular = false;   // the stiffness was singular at every point reached
  int steps = 0;
  int factorisations = 0;
  double gradient = 0.0;   // largest gradient component at the end
  double rounding = 0.0;   // largest rounding level of a component there
  inertia last;            // of the stiffness at the last point factorised
};

// Minimises the total potential of `m` from x, which it leaves at the last point reached.
minimise_result minimise_energy(const model& m, vector& x, stiffness_pattern& pattern, factorisation& f,
                                const minimise_settings& settings = {});

}  // namespace kalvane::newton
