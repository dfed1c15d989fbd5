#pragma once
// Branch switching at a bifurcation point located on the path: the buckling modes (the null
// vectors of the tangent stiffness there), and the first point of the bifurcated branch,
// predicted along a mode and corrected on the arc normal to it. The method of E. Riks,
// "Bifurcation and stability, a numerical approach" (1984), and of P. Wriggers and J. C.
// Simo, "A general procedure for the direct computation of turning and bifurcation points"
// (Int. J. Numer. Meth. Eng. 30, 1990); the predictor is Keller's, made orthogonal to the
// branch followed so that the corrector cannot fall back onto it.
#include "newton/continuation.hpp"

namespace kalvane::newton {

// The modes of the `count` eigenvalues of the stiffness nearest zero at p (1 or 2: a double
// bifurcation, as a symmetric dome meets), each of unit largest component, the first of
// least absolute eigenvalue.
struct buckling_modes {
  vector first, second;  // `second` empty for a simple bifurcation
  int count = 0;         // 0: no mode found
  // The sign of `first`: the way whose energy at the point's load is lower; where both ways
  // are equal (a symmetric bifurcation, its two branches mirror images) the way whose
  // largest component is positive.
  bool symmetric = false;
};

// Factorises the stiffness at p and finds its modes by subspace inverse iteration with that
// factorisation (the stiffness there is singular to the location's accuracy, so each solve
// magnifies the modes by the ratio of the eigenvalues).
buckling_modes modes_at(path_work& w, const path_state& p, int count);

// The first point b of the branch that leaves the bifurcation point p along `mode`, at most
// `step` from p: Newton on the arc normal to the mode's part orthogonal to p's tangent,
// with the step halved while the corrector fails. False when none converged.
bool switch_branch(path_work& w, const path_state& p, const vector& mode, double step, path_state& b);

}  // namespace kalvane::newton
