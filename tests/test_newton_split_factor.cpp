// The factorisation in halves on two cores, against a dense factorisation of the same
// matrix: the same pivots and solutions, a matrix that is not positive definite told as
// such even where both halves are, and the split refused where it is not one.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <Eigen/SparseCore>

#include <cmath>
#include <numeric>

#include "newton/dissection.hpp"
#include "newton/factor.hpp"
#include "newton/split_factor.hpp"

namespace kalvane::newton {
namespace {

// A force density matrix of a side x side grid net held all round, its bars' densities
// varied, with its rows numbered in nested dissection order, postordered; `tree` receives
// its elimination tree.
Eigen::SparseMatrix<double> ordered_grid(int side, std::vector<int32_t>& tree) {
  const int n = side * side;
  std::vector<Eigen::Triplet<double, int>> entries;
  std::vector<double> diagonal(static_cast<std::size_t>(n), 0.0);
  auto bar = [&](int i, int j, double q) {
    entries.emplace_back(std::max(i, j), std::min(i, j), -q);
    diagonal[static_cast<std::size_t>(i)] += q;
    diagonal[static_cast<std::size_t>(j)] += q;
  };
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) {
      const int k = r * side + c;
      const double q = 1.0 + 0.5 * std::sin(0.7 * k);
      if (c + 1 < side) bar(k, k + 1, q);
      if (r + 1 < side) bar(k, k + side, 2.0 - q / 3.0);
      if (r == 0 || c == 0 || r + 1 == side || c + 1 == side) diagonal[static_cast<std::size_t>(k)] += 1.0;
    }
  for (int k = 0; k < n; ++k) entries.emplace_back(k, k, diagonal[static_cast<std::size_t>(k)]);
  Eigen::SparseMatrix<double> natural(n, n);
  natural.setFromTriplets(entries.begin(), entries.end());
  const std::vector<int32_t> order = postordered(adjacency_of(natural), nested_dissection(natural), &tree);
  Eigen::PermutationMatrix<Eigen::Dynamic, Eigen::Dynamic, int> p(n);
  for (int k = 0; k < n; ++k) p.indices()[order[static_cast<std::size_t>(k)]] = k;
  Eigen::SparseMatrix<double> full;
  full = natural.selfadjointView<Eigen::Lower>().twistedBy(p);
  Eigen::SparseMatrix<double> lower = full.triangularView<Eigen::Lower>();
  lower.makeCompressed();
  return lower;
}

Eigen::MatrixXd dense_of(const Eigen::SparseMatrix<double>& lower) {
  return Eigen::MatrixXd(Eigen::SparseMatrix<double>(lower.selfadjointView<Eigen::Lower>()));
}

TEST(NewtonSplitFactor, GivesTheDenseFactorsPivotsAndSolutions) {
  std::vector<int32_t> tree;
  const Eigen::SparseMatrix<double> lower = ordered_grid(36, tree);
  const matrix_halves halves = halves_of(tree, 0);
  ASSERT_TRUE(halves.split());
  EXPECT_EQ(halves.first + halves.second + halves.chain, 36 * 36);
  EXPECT_GT(halves.chain, 0);
  split_factor_ptr f = split_factor_of(lower, halves);
  ASSERT_TRUE(f);
  const Eigen::MatrixXd dense = dense_of(lower);
  const Eigen::LLT<Eigen::MatrixXd> reference(dense);
  for (double scale : {1.0, 3.0}) {  // the second time refactorises the same analysis
    Eigen::SparseMatrix<double> scaled = scale * lower;
    double log_determinant = 0.0;
    long pivots = 0;
    ASSERT_TRUE(factorise_split(*f, scaled, [&](double squared) {
      log_determinant += std::log(squared);
      ++pivots;
    }));
    EXPECT_EQ(pivots, 36 * 36);
    const double expected = 2.0 * reference.matrixLLT().diagonal().array().log().sum() + 36 * 36 * std::log(scale);
    EXPECT_NEAR(log_determinant, expected, 1e-9 * std::fabs(expected));

    Eigen::MatrixXd b(36 * 36, 3);
    for (Eigen::Index k = 0; k < b.size(); ++k) b.data()[k] = std::cos(0.37 * static_cast<double>(k));
    Eigen::MatrixXd x = b;
    solve_split(*f, x.data(), 3);
    const Eigen::MatrixXd expected_x = reference.solve(b) / scale;
    EXPECT_LT((x - expected_x).cwiseAbs().maxCoeff(), 1e-12 * expected_x.cwiseAbs().maxCoeff());
  }
}

TEST(NewtonSplitFactor, AMatrixBothOfWhoseHalvesAreDefiniteCanStillBeIndefinite) {
  // Shifted between its least eigenvalue and the halves' (which by interlacing are no
  // smaller), the matrix has one negative eigenvalue while each half with the chain is
  // positive definite: only the chain's Schur complement can tell.
  std::vector<int32_t> tree;
  const Eigen::SparseMatrix<double> lower = ordered_grid(20, tree);
  const matrix_halves h = halves_of(tree, 0);
  ASSERT_TRUE(h.split());
  const Eigen::MatrixXd dense = dense_of(lower);
  const int n = 400, chain_start = h.first + h.second;
  auto least_eigenvalue_of = [&](int offset, int rows) {
    std::vector<int> kept(static_cast<std::size_t>(rows));
    std::iota(kept.begin(), kept.end(), offset);
    for (int r = chain_start; r < n; ++r) kept.push_back(r);
    const Eigen::MatrixXd part = dense(kept, kept);
    return Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(part).eigenvalues()[0];
  };
  const double least = Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(dense).eigenvalues()[0];
  const double halves_least = std::min(least_eigenvalue_of(0, h.first), least_eigenvalue_of(h.first, h.second));
  ASSERT_GT(halves_least - least, 1e-3 * least);
  const double shift = 0.5 * (least + halves_least);
  Eigen::SparseMatrix<double> shifted = lower;
  for (int k = 0; k < n; ++k) shifted.coeffRef(k, k) -= shift;

  split_factor_ptr f = split_factor_of(shifted, h);
  ASSERT_TRUE(f);
  long pivots = 0;
  EXPECT_FALSE(factorise_split(*f, shifted, [&](double) { ++pivots; }));
  EXPECT_EQ(pivots, 0);
}

TEST(NewtonSplitFactor, SplitsOnlyWhereTwoBalancedHalvesShareNothing) {
  // A chain (a cable's tree): every row has one child, nothing to split.
  std::vector<int32_t> cable(1000);
  std::iota(cable.begin(), cable.end(), 1);
  cable.back() = -1;
  EXPECT_FALSE(halves_of(cable, 0).split());
  // Two trees side by side: halves with no chain.
  std::vector<int32_t> two(1000);
  for (int r = 0; r < 1000; ++r) two[static_cast<std::size_t>(r)] = r == 499 || r == 999 ? -1 : r + 1;
  const matrix_halves forest = halves_of(two, 0);
  EXPECT_EQ(forest.first, 500);
  EXPECT_EQ(forest.second, 500);
  EXPECT_EQ(forest.chain, 0);
  EXPECT_FALSE(halves_of(two, 1001).split());  // too small to be worth a thread
  // A tenth on one side: not worth a core.
  std::vector<int32_t> lopsided = two;
  lopsided[99] = -1;
  lopsided[499] = 500;
  EXPECT_FALSE(halves_of(lopsided, 0).split());
  // A chain as long as a quarter of the rows is too long to be handled dense.
  std::vector<int32_t> tall(1000);
  for (int r = 0; r < 1000; ++r) tall[static_cast<std::size_t>(r)] = r == 374 ? 750 : r == 999 ? -1 : r + 1;
  EXPECT_FALSE(halves_of(tall, 0).split());
  // An entry joining the halves: not a split of that matrix.
  std::vector<int32_t> tree;
  Eigen::SparseMatrix<double> lower = ordered_grid(20, tree);
  const matrix_halves h = halves_of(tree, 0);
  ASSERT_TRUE(split_factor_of(lower, h));
  lower.coeffRef(h.first, 0) = -0.1;
  lower.makeCompressed();
  EXPECT_FALSE(split_factor_of(lower, h));
}

TEST(NewtonSplitFactor, ALargeNetsFactorisationSplitsAndAgreesWithOneFactorisation) {
  // Large enough to be split, its first cut balanced for the two cores.
  std::vector<int32_t> tree;
  const int side = 330, n = side * side;
  ASSERT_GE(static_cast<std::size_t>(n), split_rows);
  stiffness_pattern split_pattern;
  split_pattern.matrix = ordered_grid(side, tree);
  const matrix_halves h = halves_of(tree);
  ASSERT_TRUE(h.split());
  EXPECT_GT(std::min(h.first, h.second), 2 * n / 5);
  for (int c = 0; c < n; ++c) split_pattern.diagonal.push_back(split_pattern.matrix.outerIndexPtr()[c]);
  stiffness_pattern whole_pattern = split_pattern;

  factorisation split, whole;
  split.in_elimination_order = whole.in_elimination_order = true;
  split.elimination_tree = tree;
  const inertia in_halves = factorise(split, split_pattern), at_once = factorise(whole, whole_pattern);
  ASSERT_TRUE(split.split);
  ASSERT_FALSE(whole.split);
  EXPECT_EQ(in_halves.positive, n);
  EXPECT_EQ(at_once.positive, n);
  EXPECT_NEAR(in_halves.smallest_pivot, at_once.smallest_pivot, 1e-12);
  vector b(static_cast<std::size_t>(2 * n)), x_halves, x_once;
  for (std::size_t k = 0; k < b.size(); ++k) b[k] = std::sin(0.01 * static_cast<double>(k));
  x_halves = x_once = b;
  solve_columns(split, x_halves, 2);
  solve_columns(whole, x_once, 2);
  double largest = 0.0, difference = 0.0;
  for (std::size_t k = 0; k < b.size(); ++k) {
    largest = std::max(largest, std::fabs(x_once[k]));
    difference = std::max(difference, std::fabs(x_halves[k] - x_once[k]));
  }
  EXPECT_LT(difference, 1e-12 * largest);
}

}  // namespace
}  // namespace kalvane::newton
