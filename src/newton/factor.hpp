#pragma once
// The sparse factorisation of the tangent stiffness and the inertia read from its pivots.
// A stiffness that is positive definite (every check's usual case) is factorised as L L^T
// by CHOLMOD's supernodal Cholesky, whose dense blocks run several times faster than a
// simplicial factorisation; its pivots are the squares of L's diagonal. Any other stiffness
// is factorised by Eigen's simplicial LDL^T with the approximate minimum degree order. By
// Sylvester's law of inertia, K has as many negative eigenvalues as D has negative entries.
#include <Eigen/SparseCholesky>

#include <cstdint>
#include <memory>
#include <vector>

#include "newton/split_factor.hpp"
#include "newton/system.hpp"

namespace kalvane::newton {

struct inertia {
  long positive = 0, negative = 0, zero = 0;
  double smallest_pivot = 0.0;  // the pivot of least absolute value, relative to the largest diagonal entry
  bool minimum() const { return negative == 0 && zero == 0; }
};

// CHOLMOD's workspace and its factor of one pattern, freed together; defined where CHOLMOD
// is called, so that no other source sees its header.
struct supernodal_cholesky;
struct supernodal_cholesky_deleter {
  void operator()(supernodal_cholesky* c) const;
};

using simplicial_ldlt = Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::AMDOrdering<int>>;

// The order the Cholesky factor's rows are eliminated in: CHOLMOD's own choice (its
// minimum degree order), the caller's (given, or the matrix's own), or nested dissection
// where that takes fewer flops.
enum class cholesky_order { cholmod, given, dissection };

// At most one numeric factor is held at a time: on a large net each takes as much memory as
// everything else the check holds, and a stiffness that turns positive definite and back
// would otherwise keep both.
struct factorisation {
  std::unique_ptr<supernodal_cholesky, supernodal_cholesky_deleter> cholesky;  // made at the first factorisation
  std::unique_ptr<simplicial_ldlt> ldlt;  // the last factorisation's, when it is not the Cholesky one
  bool positive_definite = false;  // the last factorisation is the Cholesky one
  bool ok = false;                 // the last factorisation met no exact zero pivot
  long count = 0;                  // factorisations so far: what the time of a check goes into
  // A fill-reducing order for the Cholesky factor (ordering[k] is the row eliminated k-th),
  // set before the first factorisation; empty: CHOLMOD's own minimum degree order, or for a
  // matrix of 20 000 rows or more, nested dissection where it takes fewer flops.
  std::vector<int32_t> ordering;
  // Set before the first factorisation instead: the matrix's rows are already in a
  // fill-reducing order whose elimination tree is postordered, and are factorised as they
  // stand, with no permuted copy of the matrix.
  bool in_elimination_order = false;
  // With it, the elimination tree of the rows as they stand (postordered; -1 at a root): a
  // large matrix whose tree splits into two halves is factorised a half on each core.
  std::vector<int32_t> elimination_tree;
  split_factor_ptr split;  // made at the first factorisation, when it splits
  cholesky_order order = cholesky_order::cholmod;  // the order of the Cholesky factor's analysis
};

// Factorises pattern.matrix with `shift` times its largest diagonal entry added to every
// diagonal entry (0 for K itself), and reads the inertia of what was factorised.
inertia factorise(factorisation& f, stiffness_pattern& pattern, double shift = 0.0);

// The same, when the shifted matrix is positive definite (with no pivot zero to rounding);
// false, and f holding no factorisation, otherwise.
bool factorise_if_definite(factorisation& f, stiffness_pattern& pattern, double shift);

// Factorises pattern.matrix with every diagonal entry that is zero to rounding replaced by
// the largest: a component that nothing holds yet is held, for one step, as the stiffest is.
inertia factorise_holding_free(factorisation& f, stiffness_pattern& pattern);

// The free components whose diagonal entry is zero to rounding: nothing holds them yet.
std::vector<std::size_t> held_by_nothing(const stiffness_pattern& pattern);

// Solves with the last factorisation: K dx = rhs.
vector solve(factorisation& f, const vector& rhs);

// Solves with the last factorisation for `count` right-hand sides together, stored one after
// another in `columns` (each as long as K); the solutions replace them. One pass through the
// factor serves them all.
void solve_columns(factorisation& f, vector& columns, std::size_t count);

}  // namespace kalvane::newton
