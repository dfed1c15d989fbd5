#pragma once
// A fill-reducing order for the sparse Cholesky factorisation of a large matrix whose graph
// is a surface mesh (a net): nested dissection (A. George, "Nested dissection of a regular
// finite element mesh", SIAM J. Numer. Anal. 10, 1973) with separators taken from level
// structures (A. George and J. W. H. Liu, "An automatic nested dissection algorithm for
// irregular finite element problems", SIAM J. Numer. Anal. 15, 1978): a breadth-first
// search from a pseudo-peripheral node (Gibbs, Poole and Stockmeyer, 1976) splits the
// graph at its smallest level near the middle, the two sides are ordered the same way and
// the separator comes after both. On a net's 2-D graph this halves the flops of the
// minimum degree order and orders in a single pass of searches per level of dissection.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <Eigen/SparseCore>

namespace kalvane::newton {

// Parts this small are not split further; they keep the order of their search.
inline constexpr std::size_t dissection_leaf = 8;

// From this many rows on, the two sides of the first separator are ordered at once, one on
// another thread; the order is the same as one thread's.
inline constexpr std::size_t concurrent_dissection_rows = 100000;

// The graph of a symmetric matrix: row r's neighbours are next[first[r]] .. next[first[r + 1]
// - 1], from both triangles, without the diagonal; a neighbour may be listed twice.
struct adjacency {
  std::vector<int32_t> first;
  std::vector<int32_t> next;
};
adjacency adjacency_of(const Eigen::SparseMatrix<double>& lower);

// The order (order[k] is the row eliminated k-th) for the symmetric matrix whose lower
// triangle is `lower`; only its pattern is read. `concurrent` false keeps to one thread.
std::vector<int32_t> nested_dissection(const Eigen::SparseMatrix<double>& lower, std::size_t leaf = dissection_leaf,
                                       bool concurrent = true);
// The same for a matrix given by its graph.
std::vector<int32_t> nested_dissection(const adjacency& graph, std::size_t leaf = dissection_leaf, bool concurrent = true);

// `order` renumbered so that the elimination tree of the matrix in that order is
// postordered: each subtree's rows consecutive, the root's last (the tree by Liu's
// algorithm, J. W. H. Liu, "The role of elimination trees in sparse factorization", SIAM J.
// Matrix Anal. Appl. 11, 1990). The factor's pattern and flops are the same; a supernodal
// factorisation finds its supernodes in such an order as it stands, with no permuted copy.
// `tree`, when given, receives that elimination tree: the parent of each row of the result
// (-1 at a root).
std::vector<int32_t> postordered(const adjacency& graph, const std::vector<int32_t>& order,
                                 std::vector<int32_t>* tree = nullptr);

}  // namespace kalvane::newton
