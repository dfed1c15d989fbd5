#pragma once
// A large matrix in elimination order, factorised on two cores. Nested dissection leaves
// at the top of its elimination tree a chain of rows (the first separator, eliminated
// last) above subtrees that share no entry; their rows fall into two halves A1 and A2, and
// with the chain C the matrix is
//     [A1 0 B1; 0 A2 B2; B1' B2' C],   M1 = [A1 B1; B1' C],   M2 = [A2 B2; B2' C].
// M1 and M2 are principal submatrices, positive definite when the whole is. CHOLMOD
// factorises them at once, one on each core: L(Mh) = [Lh 0; Wh Th] with Th Th' = C - Wh Wh'.
// The chain's Schur complement C - W1 W1' - W2 W2' is then T1 T1' + T2 T2' - C, dense, and
// its factor Ts completes the factor of the whole, [L1 0 0; 0 L2 0; W1 W2 Ts] (block
// elimination by Schur complements: the pivots of one factorisation, to rounding). A solve
// takes each half's passes through its own factor on its own core, the chain's between them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <Eigen/SparseCore>

namespace kalvane::newton {

// From this many rows on, a matrix whose elimination tree is known is factorised in halves.
inline constexpr std::size_t split_rows = 100000;

// Rows [0, first) and [first, first + second) are the halves, the last `chain` rows the
// chain above both. All zero: no split.
struct matrix_halves {
  int32_t first = 0, second = 0, chain = 0;
  bool split() const { return first > 0 && second > 0; }
};

// Where the matrix whose postordered elimination tree is `tree` (tree[r] the parent of row
// r, -1 at a root) splits into halves worth a core each: at least a quarter of the rows in
// each, and a chain short enough to be handled dense (its square at most twice the rows).
// A matrix of fewer than `least_rows` rows is not split.
matrix_halves halves_of(const std::vector<int32_t>& tree, std::size_t least_rows = split_rows);

struct split_factor;
struct split_factor_deleter {
  void operator()(split_factor* f) const;
};
using split_factor_ptr = std::unique_ptr<split_factor, split_factor_deleter>;

// The halves' patterns, taken from `lower` (a lower triangle by columns); analysed at the
// first factorisation. Null when an entry joins the two halves: they are not a split of
// this matrix.
split_factor_ptr split_factor_of(const Eigen::SparseMatrix<double>& lower, matrix_halves halves);

// L L^T of `lower`, the matrix the split was made from with new values; `squared_pivot` is
// given each pivot, L's diagonal entry squared. False, with no pivot given, when the matrix
// is not positive definite.
bool factorise_split(split_factor& f, const Eigen::SparseMatrix<double>& lower,
                     const std::function<void(double)>& squared_pivot);

// Frees the numbers of the factor and keeps the analysis.
void release_split_values(split_factor& f);

// Solves with the last factorisation for `count` right-hand sides stored one after another
// in `columns`, each as long as the matrix; the solutions replace them.
void solve_split(split_factor& f, double* columns, std::size_t count);

}  // namespace kalvane::newton
