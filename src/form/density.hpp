#pragma once
// The force density method (H.-J. Schek, "The force density method for form finding and
// computation of general networks", Computer Methods in Applied Mechanics and Engineering
// 3, 1974). With C the bars' incidence matrix split into free (Cf) and held (Cx) columns
// and Q the diagonal of the densities, equilibrium of the free nodes is linear in each
// coordinate:  D x_f = p_f - Cf^T Q Cx x_x,  D = Cf^T Q Cf.
// D is sparse and symmetric; positive definite when every density is positive (the
// problem's validation has checked that each free node reaches a held one), indefinite or
// singular with struts among the cables. One factorisation serves X, Y and Z when the
// three share their free nodes; nodes held in some components only make up to three.
// D is factorised as L L^T, or L D L^T when indefinite (the Newton library's
// factorisation); an LDL^T without pivoting can meet a zero pivot in a matrix that is
// regular (a node whose densities sum to zero), so a zero pivot is settled by a
// rank-revealing sparse QR, which solves a regular D and measures a singular one.
#include <Eigen/SparseQR>

#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "form/problem.hpp"
#include "newton/factor.hpp"

namespace kalvane::form {

// D over one set of free components (those of the axes in `axes`).
struct density_system {
  std::vector<int> axes;           // 0, 1, 2 for X, Y, Z
  std::vector<int32_t> row;        // per node: its row in D, or -1 when held
  std::vector<int32_t> node_of;    // per row: the node
  newton::stiffness_pattern pattern;            // D's lower triangle and the place of its diagonal
  std::vector<std::array<int32_t, 3>> entries;  // per bar: the places of its (first, first),
                                                // (second, second) and off-diagonal entries; -1 where held
  newton::factorisation factor;
  newton::inertia inertia;         // of the last factorisation
  // Made when an LDL^T meets a zero pivot.
  std::unique_ptr<Eigen::SparseQR<Eigen::SparseMatrix<double>, Eigen::COLAMDOrdering<int>>> qr;
  bool by_qr = false;              // the last solve's factorisation is the QR one
  newton::vector rhs;              // the axes' right-hand sides one after another, kept from solve to solve
};

// From this many free nodes on, D is factorised in nested dissection order: on a net's
// 2-D graph it has half the flops of the minimum degree order and takes less to find.
inline constexpr std::size_t dissected_rows = 20000;
// D's parts of at most this many rows are left whole by the dissection: a row a node, where
// a stiffness has three, so about the size of the stiffness's smallest parts; on a 10^6-node
// net the order takes a tenth less time than with 8, and the factorisation as long.
inline constexpr std::size_t dissection_leaf_rows = 32;

struct density_solver {
  std::vector<density_system> systems;
};

// The sparsity pattern of D for a validated problem; the values come with each solve.
density_solver solver_for(const problem& p);
// The same for a problem it validates first, throwing its refusal as `validate` does. On a
// large net the check that every free part is held runs beside the ordering of D.
density_solver validated_solver_for(const problem& p);

enum class shape_outcome { found, indeterminate };

struct shape_solve {
  shape_outcome outcome = shape_outcome::found;
  // D's negative eigenvalues, over every system (struts outweighing cables somewhere), as
  // the pivots of its LDL^T count them; -1 when a QR had to solve instead and they are not known.
  long negative_pivots = 0;
  std::string why;           // when indeterminate: which D is singular and what is held
};

// The free coordinates of x for the densities q (held components of x are left as they
// are), by one factorisation of each D and a solve per axis. Allocates only in the
// factorisation and the solves (the Newton library's solve returns a new vector).
shape_solve solve_shape(density_solver& s, const problem& p, const std::vector<double>& q, std::vector<point>& x);

// The shape for the problem's own densities, from the first guess; throws `error`
// (model_error) naming what is held when the densities leave the shape undetermined.
std::vector<point> shape_of(const problem& p);

// Bar lengths at x.
double length_of(const problem& p, const std::vector<point>& x, std::size_t bar);

// The largest out-of-balance force at a free component: p_i + sum q (x_j - x_i).
struct residual {
  double largest = 0.0;
  int32_t node = -1;   // where it is (zero-based); -1 when nothing is free
  int axis = 0;
};
residual largest_residual(const problem& p, const std::vector<double>& q, const std::vector<point>& x);

}  // namespace kalvane::form
