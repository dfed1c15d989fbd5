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
  // The longest first step, relative to the structure's extent (its largest span along an
  // axis): a shifted stiffness of a slack structure can ask for any length. A step that
  // reaches the limit and is taken whole doubles it, as a trust region grows.
  double first_radius = 0.25;
  // A displacement this many times the extent is no structure's: the energy falls without
  // bound (the doubling limit gets there in a dozen steps along a mechanism).
  double reach = 1e3;
  // The shifts tried on an indefinite or singular stiffness, relative to its largest
  // diagonal entry, rising tenfold: the least is ten times the pivots counted as zero.
  double smallest_shift = 1e-10;
  double largest_shift = 1e4;
  // Inverse iterations for a direction of negative curvature at a saddle: each gains the
  // ratio of the two least shifted eigenvalues, and any downhill direction serves.
  int curvature_iterations = 6;
  // Cuts of one step in the line search before it gives up (each cuts to at most half).
  int max_cuts = 60;
  // The sufficient decrease constant of the line search (Nocedal & Wright's c1).
  double sufficient_decrease = 1e-4;
  // Each step goes where the energy stops falling along it, rather than back from the full
  // Newton step by cuts: across the kinks of many cables going slack or taut at once, the
  // full step lands far off, and a cut takes a small part of the way down.
  bool exact_line_search = false;
  int line_evaluations = 30;  // energy evaluations of one exact line search
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
minimise_result minimise_energy(const structure& m, vector& x, stiffness_pattern& pattern, factorisation& f,
                                const minimise_settings& settings = {});

}  // namespace kalvane::newton
