#pragma once
// Newton's method on the total potential: each step solves K dx = -g with the sparse LDL^T
// and is cut back (halved) until the energy falls or the gradient shrinks, so that the
// iteration settles on the equilibrium nearest its start. A factorisation serves several
// steps while they converge fast (the chord, or modified Newton, method).
#include "newton/factor.hpp"
#include "newton/system.hpp"

namespace kalvane::newton {

struct newton_settings {
  int max_steps = 60;
  // Stop once no gradient component exceeds this, or its rounding level when that is larger.
  double tolerance = 0.0;
  // The same, relative to the largest term summed into any gradient component.
  double relative_tolerance = 0.0;
  // Give up as soon as an iterate's stiffness has a negative pivot: the path follower uses
  // this to notice that a step has left the stable branch.
  bool refuse_negative = false;
  // f already holds a stiffness factorised near x (a previous iteration's): its steps are
  // tried first, as the chord method's, before a fresh factorisation is paid for.
  bool start_with_held_factorisation = false;
  // Keep a factorisation for the next steps while they gain at least fourfold (the chord
  // method): fewer factorisations, at the price of linear convergence. Off: Newton's own.
  bool chord = true;
};

struct newton_result {
  bool converged = false;   // every component within the tolerance or its rounding level
  bool met_negative = false;
  // Cables flipped between slack and taut back and forth: the rest was left to a line
  // search on the energy (minimise.hpp), which the kink cannot trap.
  bool chattered = false;
  int steps = 0;
  int factorisations = 0;
  double gradient = 0.0;    // largest gradient component at the end
  double rounding = 0.0;    // largest rounding level of a component at the end
  inertia last;             // of the stiffness at the last point factorised
};

newton_result newton_solve(const structure& m, vector& x, stiffness_pattern& pattern, factorisation& f,
                     const newton_settings& settings);

// True when every component of the state is within `tolerance` or its rounding level.
bool within(const state& s, double tolerance);

}  // namespace kalvane::newton
