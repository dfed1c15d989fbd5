#pragma once
// The sparse LDL^T factorisation of the tangent stiffness (Eigen's simplicial LDL^T with
// the approximate minimum degree order) and the inertia read from its pivots D: by
// Sylvester's law of inertia, K has as many negative eigenvalues as D has negative entries.
#include <Eigen/SparseCholesky>

#include "check/system.hpp"

namespace kalvane::check {

struct inertia {
  long positive = 0, negative = 0, zero = 0;
  double smallest_pivot = 0.0;  // the pivot of least absolute value, relative to the largest diagonal entry
  bool minimum() const { return negative == 0 && zero == 0; }
};

struct factorisation {
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::AMDOrdering<int>> ldlt;
  bool analysed = false;
  bool ok = false;  // the last factorisation met no exact zero pivot
  long count = 0;   // factorisations so far: what the time of a check goes into
};

// Factorises pattern.matrix with `shift` times its largest diagonal entry added to every
// diagonal entry (0 for K itself), and reads the inertia of what was factorised.
inertia factorise(factorisation& f, stiffness_pattern& pattern, double shift = 0.0);

// Solves with the last factorisation: K dx = rhs.
vector solve(const factorisation& f, const vector& rhs);

}  // namespace kalvane::check
