// The nested dissection order: a permutation whatever the graph (components, hubs, no
// edges at all), and on a net's graph a factorisation of far less work than in the natural
// order and no more than in the minimum degree order.
#include <gtest/gtest.h>

#include <Eigen/SparseCholesky>

#include <algorithm>
#include <numeric>

#include "newton/dissection.hpp"

namespace kalvane::newton {
namespace {

using triplets = std::vector<Eigen::Triplet<double, int>>;

Eigen::SparseMatrix<double> lower_of(int n, const triplets& lower) {
  Eigen::SparseMatrix<double> m(n, n);
  m.setFromTriplets(lower.begin(), lower.end());
  m.makeCompressed();
  return m;
}

// The force density matrix of a rows x columns grid net held all round: 4 on the diagonal,
// -1 between neighbours; a second grid beside it when `twice`.
Eigen::SparseMatrix<double> grid(int rows, int columns, bool twice = false) {
  const int one = rows * columns, n = twice ? 2 * one : one;
  triplets lower;
  for (int g = 0; g < n; g += one)
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c) {
        const int k = g + r * columns + c;
        lower.emplace_back(k, k, 4.0);
        if (c + 1 < columns) lower.emplace_back(k + 1, k, -1.0);
        if (r + 1 < rows) lower.emplace_back(k + columns, k, -1.0);
      }
  return lower_of(n, lower);
}

void expect_permutation(const std::vector<int32_t>& order, int n) {
  ASSERT_EQ(order.size(), static_cast<std::size_t>(n));
  std::vector<int32_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  for (int k = 0; k < n; ++k) ASSERT_EQ(sorted[static_cast<std::size_t>(k)], k);
}

// The work of the Cholesky factorisation of the matrix with its rows eliminated in `order`:
// the sum over L's columns of their entries squared, which its flops are proportional to.
double factor_work(const Eigen::SparseMatrix<double>& lower, const std::vector<int32_t>& order) {
  Eigen::PermutationMatrix<Eigen::Dynamic, Eigen::Dynamic, int> p(lower.rows());
  for (std::size_t k = 0; k < order.size(); ++k) p.indices()[order[k]] = static_cast<int>(k);
  Eigen::SparseMatrix<double> permuted;
  permuted = lower.selfadjointView<Eigen::Lower>().twistedBy(p);
  Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::NaturalOrdering<int>> llt(permuted);
  EXPECT_EQ(llt.info(), Eigen::Success);
  const Eigen::SparseMatrix<double> l = llt.matrixL();
  double work = 0.0;
  for (Eigen::Index c = 0; c < l.cols(); ++c) {
    const double entries = l.outerIndexPtr()[c + 1] - l.outerIndexPtr()[c];
    work += entries * entries;
  }
  return work;
}

TEST(NewtonDissection, EveryGraphGetsAPermutationOfItsRows) {
  expect_permutation(nested_dissection(lower_of(0, {})), 0);
  expect_permutation(nested_dissection(grid(1, 1)), 1);
  expect_permutation(nested_dissection(grid(37, 23)), 37 * 23);
  expect_permutation(nested_dissection(grid(1, 5000)), 5000);              // a cable: separators of one node
  expect_permutation(nested_dissection(grid(30, 30, true)), 2 * 900);      // two nets side by side
  expect_permutation(nested_dissection(grid(30, 30), 1), 900);             // split down to single nodes

  // Nodes held by nothing but their own diagonal: 10^5 components, each placed once.
  triplets diagonal;
  for (int k = 0; k < 100000; ++k) diagonal.emplace_back(k, k, 1.0);
  expect_permutation(nested_dissection(lower_of(100000, diagonal)), 100000);

  // A hub tied to every other node, and a pattern with no diagonal entries at all.
  triplets star, bare;
  for (int k = 1; k < 500; ++k) {
    star.emplace_back(k, 0, -1.0);
    bare.emplace_back(k, k - 1, -1.0);
  }
  expect_permutation(nested_dissection(lower_of(500, star)), 500);
  expect_permutation(nested_dissection(lower_of(500, bare)), 500);
}

TEST(NewtonDissection, TwoThreadsGiveOneThreadsOrder) {
  // Large enough for the sides of the first separator to be ordered at once; a slit in the
  // net and a long cable hung from its middle make the searches meet uneven parts.
  const int side = 320, rows = side * side + 4600;
  ASSERT_GE(static_cast<std::size_t>(rows), concurrent_dissection_rows);
  triplets net;
  auto id = [&](int i, int j) { return j * side + i; };
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      net.emplace_back(id(i, j), id(i, j), 4.0);
      if (i + 1 < side) net.emplace_back(id(i + 1, j), id(i, j), -1.0);
      if (j + 1 < side && !(j == 150 && i > 100 && i < 300)) net.emplace_back(id(i, j + 1), id(i, j), -1.0);
    }
  for (int k = side * side; k < rows; ++k) {
    net.emplace_back(k, k, 2.0);
    net.emplace_back(k, k == side * side ? id(side / 2, side / 2) : k - 1, -1.0);
  }
  const Eigen::SparseMatrix<double> d = lower_of(rows, net);
  const std::vector<int32_t> together = nested_dissection(d, dissection_leaf, true);
  expect_permutation(together, rows);
  EXPECT_EQ(together, nested_dissection(d, dissection_leaf, false));
}

// The elimination tree with the rows in `order`: parent[k] is the row of L's first entry
// below the diagonal in column k, -1 for a root.
std::vector<int> elimination_tree(const Eigen::SparseMatrix<double>& lower, const std::vector<int32_t>& order) {
  Eigen::PermutationMatrix<Eigen::Dynamic, Eigen::Dynamic, int> p(lower.rows());
  for (std::size_t k = 0; k < order.size(); ++k) p.indices()[order[k]] = static_cast<int>(k);
  Eigen::SparseMatrix<double> permuted;
  permuted = lower.selfadjointView<Eigen::Lower>().twistedBy(p);
  Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::NaturalOrdering<int>> llt(permuted);
  const Eigen::SparseMatrix<double> l = llt.matrixL();
  std::vector<int> parent(static_cast<std::size_t>(l.cols()), -1);
  for (Eigen::Index c = 0; c < l.cols(); ++c) {
    const int first = l.outerIndexPtr()[c], last = l.outerIndexPtr()[c + 1];
    for (int at = first; at < last; ++at)
      if (l.innerIndexPtr()[at] > c) {
        parent[static_cast<std::size_t>(c)] = l.innerIndexPtr()[at];
        break;
      }
  }
  return parent;
}

TEST(NewtonDissection, PostorderingKeepsTheWorkAndMakesEverySubtreeConsecutive) {
  triplets chain, hubs;
  for (int k = 0; k < 400; ++k) {
    chain.emplace_back(k, k, 3.0);
    if (k > 0) chain.emplace_back(k, k - 1, -1.0);
  }
  for (int k = 0; k < 600; ++k) {
    hubs.emplace_back(k, k, 8.0);
    if (k % 3 != 0) hubs.emplace_back(k, k - k % 3, -1.0);  // stars of three, apart
  }
  for (const Eigen::SparseMatrix<double>& d : {grid(37, 23), grid(30, 30, true), lower_of(400, chain), lower_of(600, hubs)}) {
    const int n = static_cast<int>(d.rows());
    const std::vector<int32_t> dissected = nested_dissection(d, 4);
    std::vector<int32_t> tree;
    const std::vector<int32_t> order = postordered(adjacency_of(d), dissected, &tree);
    expect_permutation(order, n);
    EXPECT_EQ(factor_work(d, dissected), factor_work(d, order));
    // Children before parents, and each row's subtree the rows just before it.
    const std::vector<int> parent = elimination_tree(d, order);
    EXPECT_EQ(std::vector<int>(tree.begin(), tree.end()), parent);
    std::vector<int> size(static_cast<std::size_t>(n), 1), lowest(static_cast<std::size_t>(n));
    std::iota(lowest.begin(), lowest.end(), 0);
    for (int k = 0; k < n; ++k) {
      EXPECT_EQ(lowest[k], k - size[k] + 1) << "row " << k << " of " << n;
      const int up = parent[static_cast<std::size_t>(k)];
      if (up < 0) continue;
      ASSERT_GT(up, k);
      size[up] += size[k];
      lowest[up] = std::min(lowest[up], lowest[k]);
    }
  }
}

TEST(NewtonDissection, ANetsFactorisationTakesLessWorkThanInMinimumDegreeOrder) {
  const Eigen::SparseMatrix<double> d = grid(120, 120);
  std::vector<int32_t> natural(120 * 120);
  std::iota(natural.begin(), natural.end(), 0);
  const double dissected = factor_work(d, nested_dissection(d));
  const double banded = factor_work(d, natural);

  Eigen::AMDOrdering<int> amd;
  Eigen::PermutationMatrix<Eigen::Dynamic, Eigen::Dynamic, int> by_degree;
  const Eigen::SparseMatrix<double> full = d.selfadjointView<Eigen::Lower>();
  amd(full, by_degree);
  // Eigen's ordering lists the rows in elimination order (its factorisations invert it).
  std::vector<int32_t> minimum_degree(by_degree.indices().data(), by_degree.indices().data() + by_degree.indices().size());
  const double by_minimum_degree = factor_work(d, minimum_degree);

  EXPECT_LT(3 * dissected, banded) << dissected << " against " << banded;
  EXPECT_LE(dissected, by_minimum_degree) << dissected << " against " << by_minimum_degree;
}

}  // namespace
}  // namespace kalvane::newton
