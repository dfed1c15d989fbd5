#include "form/density.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <thread>

#include "error.hpp"
#include "newton/dissection.hpp"

namespace kalvane::form {

namespace {

const char* axis_letter(int c) { return c == 0 ? "X" : c == 1 ? "Y" : "Z"; }

// The graph of D: the free nodes joined by a bar.
newton::adjacency graph_of(const problem& p, const density_system& s) {
  const std::size_t n = s.node_of.size();
  newton::adjacency g;
  g.first.assign(n + 1, 0);
  for (const bar_ends& b : p.bars) {
    const int32_t i = s.row[static_cast<std::size_t>(b.first)], j = s.row[static_cast<std::size_t>(b.second)];
    if (i < 0 || j < 0 || i == j) continue;
    ++g.first[static_cast<std::size_t>(i) + 1];
    ++g.first[static_cast<std::size_t>(j) + 1];
  }
  for (std::size_t r = 0; r < n; ++r) g.first[r + 1] += g.first[r];
  g.next.resize(static_cast<std::size_t>(g.first[n]));
  std::vector<int32_t> fill(g.first.begin(), g.first.end() - 1);
  for (const bar_ends& b : p.bars) {
    const int32_t i = s.row[static_cast<std::size_t>(b.first)], j = s.row[static_cast<std::size_t>(b.second)];
    if (i < 0 || j < 0 || i == j) continue;
    g.next[static_cast<std::size_t>(fill[static_cast<std::size_t>(i)]++)] = j;
    g.next[static_cast<std::size_t>(fill[static_cast<std::size_t>(j)]++)] = i;
  }
  return g;
}

// Built where it stays: Eigen's sparse matrix has no move, so a moved system would copy D.
void build_system(const problem& p, const std::vector<int>& axes, density_system& s) {
  s.axes = axes;
  const int axis = axes.front();  // every axis of the system has the same free nodes
  s.row.assign(p.nodes.size(), -1);
  for (std::size_t k = 0; k < p.nodes.size(); ++k)
    if (!is_held(p, k, axis)) {
      s.row[k] = static_cast<int32_t>(s.node_of.size());
      s.node_of.push_back(static_cast<int32_t>(k));
    }
  const auto n = static_cast<int>(s.node_of.size());
  if (static_cast<std::size_t>(n) >= dissected_rows) {
    // A large net's D factorises in about half the flops in nested dissection order. Its
    // rows are numbered in that order, postordered, so CHOLMOD factorises D as it is built,
    // with no permuted copies of it (six of them in an analysis and a factorisation).
    const newton::adjacency g = graph_of(p, s);
    const std::vector<int32_t> order = newton::postordered(g, newton::nested_dissection(g, dissection_leaf_rows), &s.factor.elimination_tree);
    std::vector<int32_t> node_of(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) node_of[k] = s.node_of[static_cast<std::size_t>(order[k])];
    s.node_of = std::move(node_of);
    for (std::size_t k = 0; k < s.node_of.size(); ++k) s.row[static_cast<std::size_t>(s.node_of[k])] = static_cast<int32_t>(k);
    s.factor.in_elimination_order = true;
  }
  // D's lower triangle by columns, built directly: each column's rows are the diagonal and
  // the larger rows of the free nodes it shares a bar with, sorted and each kept once.
  std::vector<int> start(static_cast<std::size_t>(n) + 1, 1);
  start[0] = 0;
  for (const bar_ends& b : p.bars) {
    const int32_t i = s.row[static_cast<std::size_t>(b.first)], j = s.row[static_cast<std::size_t>(b.second)];
    if (i >= 0 && j >= 0 && i != j) ++start[static_cast<std::size_t>(std::min(i, j)) + 1];
  }
  for (std::size_t c = 0; c < static_cast<std::size_t>(n); ++c) start[c + 1] += start[c];
  std::vector<int> rows(static_cast<std::size_t>(start.back()));
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (int c = 0; c < n; ++c) rows[static_cast<std::size_t>(fill[static_cast<std::size_t>(c)]++)] = c;
  for (const bar_ends& b : p.bars) {
    const int32_t i = s.row[static_cast<std::size_t>(b.first)], j = s.row[static_cast<std::size_t>(b.second)];
    if (i >= 0 && j >= 0 && i != j) rows[static_cast<std::size_t>(fill[static_cast<std::size_t>(std::min(i, j))]++)] = std::max(i, j);
  }
  Eigen::SparseMatrix<double>& d = s.pattern.matrix;
  d.resize(n, n);
  d.reserve(static_cast<Eigen::Index>(rows.size()));
  int* outer = d.outerIndexPtr();
  int kept = 0;
  for (std::size_t c = 0; c < static_cast<std::size_t>(n); ++c) {
    outer[c] = kept;
    int* first = rows.data() + start[c];
    int* last = rows.data() + start[c + 1];
    std::sort(first, last);  // the diagonal, smallest, stays first
    for (int* r = first; r != last; ++r)
      if (r == first || *r != r[-1]) rows[static_cast<std::size_t>(kept++)] = *r;
  }
  outer[n] = kept;
  d.resizeNonZeros(kept);
  std::copy(rows.begin(), rows.begin() + kept, d.innerIndexPtr());
  std::fill(d.valuePtr(), d.valuePtr() + kept, 0.0);
  const int* inner = d.innerIndexPtr();
  auto place = [&](int32_t row, int32_t col) -> int32_t {
    if (row < 0 || col < 0) return -1;
    if (row < col) std::swap(row, col);
    return static_cast<int32_t>(std::lower_bound(inner + outer[col], inner + outer[col + 1], row) - inner);
  };
  s.pattern.diagonal.assign(outer, outer + n);  // each column's first entry
  auto diagonal = [&](int32_t row) { return row < 0 ? -1 : outer[row]; };
  s.entries.resize(p.bars.size());
  auto place_bars = [&](std::size_t first, std::size_t last) {
    for (std::size_t b = first; b < last; ++b) {
      const int32_t i = s.row[static_cast<std::size_t>(p.bars[b].first)], j = s.row[static_cast<std::size_t>(p.bars[b].second)];
      s.entries[b] = {diagonal(i), diagonal(j), place(i, j)};
    }
  };
  // A large net's bars are placed half on each core: each search reads D and writes its bar.
  const std::size_t half = static_cast<std::size_t>(n) >= dissected_rows ? p.bars.size() / 2 : 0;
  {
    std::jthread beside;
    if (half > 0) beside = std::jthread(place_bars, half, p.bars.size());
    place_bars(0, half > 0 ? half : p.bars.size());
  }
}

void assemble(density_system& s, const std::vector<double>& q) {
  double* values = s.pattern.matrix.valuePtr();
  std::fill(values, values + s.pattern.matrix.nonZeros(), 0.0);
  for (std::size_t b = 0; b < s.entries.size(); ++b) {
    const auto& e = s.entries[b];
    if (e[0] >= 0) values[e[0]] += q[b];
    if (e[1] >= 0) values[e[1]] += q[b];
    if (e[2] >= 0) values[e[2]] -= q[b];
  }
}

std::string axes_text(const std::vector<int>& axes) {
  std::string out;
  for (int c : axes) out += axis_letter(c);
  return out;
}

// Factorises D (whose lower triangle holds the values) by a column-pivoted sparse QR and
// returns how far its rank falls short. A column whose remaining norm is below the
// rounding of the largest entry counts as dependent, as a pivot does in newton::factorise.
long qr_nullity(density_system& s) {
  const Eigen::SparseMatrix<double> full = s.pattern.matrix.selfadjointView<Eigen::Lower>();
  double largest = 0.0;
  for (Eigen::Index at = 0; at < full.nonZeros(); ++at) largest = std::max(largest, std::fabs(full.valuePtr()[at]));
  if (!s.qr) s.qr = std::make_unique<Eigen::SparseQR<Eigen::SparseMatrix<double>, Eigen::COLAMDOrdering<int>>>();
  s.qr->setPivotThreshold(1e-11 * largest);
  s.qr->compute(full);
  if (s.qr->info() != Eigen::Success) return std::max<long>(1, full.rows() - static_cast<long>(s.qr->rank()));
  return full.rows() - static_cast<long>(s.qr->rank());
}

}  // namespace

density_solver solver_for(const problem& p) {
  density_solver solver;
  solver.systems.reserve(3);  // never reallocated, never copied
  for (int c = 0; c < 3; ++c) {
    // Axes whose free nodes are the same share one D.
    bool joined = false;
    for (density_system& s : solver.systems) {
      bool same = true;
      for (std::size_t k = 0; k < p.nodes.size() && same; ++k) same = is_held(p, k, c) == is_held(p, k, s.axes.front());
      if (same) {
        s.axes.push_back(c);
        joined = true;
        break;
      }
    }
    if (!joined) build_system(p, {c}, solver.systems.emplace_back());
  }
  return solver;
}

density_solver validated_solver_for(const problem& p) {
  if (const std::optional<problem_fault> f = fault_before_holding(p)) fail(f->name, f->message);
  std::optional<problem_fault> unheld;
  std::exception_ptr failure;
  auto check = [&] {
    try {
      unheld = unheld_fault(p);
    } catch (...) {
      failure = std::current_exception();
    }
  };
  std::jthread beside;
  if (p.nodes.size() >= dissected_rows) beside = std::jthread(check);
  else check();
  density_solver solver = solver_for(p);
  if (beside.joinable()) beside.join();
  if (failure) std::rethrow_exception(failure);
  if (unheld) fail(unheld->name, unheld->message);
  return solver;
}

namespace {

// The right-hand sides of the system's axes, one after another, into `rhs` (sized for them
// and zero): the loads, and what the bars to held nodes pull.
void build_rhs(const problem& p, const density_system& s, const std::vector<double>& q, const std::vector<point>& x,
               std::vector<double>& rhs) {
  const std::size_t n = s.node_of.size(), count = s.axes.size();
  for (std::size_t k = 0; k < count; ++k) {
    const auto axis = static_cast<std::size_t>(s.axes[k]);
    double* column = rhs.data() + k * n;
    if (!p.loads.empty())
      for (std::size_t r = 0; r < n; ++r) column[r] = p.loads[static_cast<std::size_t>(s.node_of[r])][axis];
    for (std::size_t b = 0; b < p.bars.size(); ++b) {
      const int32_t i = s.row[static_cast<std::size_t>(p.bars[b].first)];
      const int32_t j = s.row[static_cast<std::size_t>(p.bars[b].second)];
      if (i >= 0 && j < 0) column[static_cast<std::size_t>(i)] += q[b] * x[static_cast<std::size_t>(p.bars[b].second)][axis];
      if (j >= 0 && i < 0) column[static_cast<std::size_t>(j)] += q[b] * x[static_cast<std::size_t>(p.bars[b].first)][axis];
    }
  }
}

}  // namespace

shape_solve solve_shape(density_solver& solver, const problem& p, const std::vector<double>& q, std::vector<point>& x) {
  shape_solve result;
  for (density_system& s : solver.systems) {
    const std::size_t n = s.node_of.size();
    if (n == 0) continue;
    assemble(s, q);
    {
      // A large net's right-hand sides are built beside its factorisation, on the core that
      // finishes its half first.
      s.rhs.assign(n * s.axes.size(), 0.0);
      std::jthread beside;
      if (n >= dissected_rows) beside = std::jthread([&] { build_rhs(p, s, q, x, s.rhs); });
      else build_rhs(p, s, q, x, s.rhs);
      s.inertia = newton::factorise(s.factor, s.pattern);
    }
    s.by_qr = s.inertia.zero > 0 || !s.factor.ok;
    if (s.by_qr) {
      const long nullity = qr_nullity(s);
      if (nullity > 0) {
        result.outcome = shape_outcome::indeterminate;
        result.why = "the force densities leave the shape undetermined: the matrix D of the free " + axes_text(s.axes) +
                     " coordinates is singular (its rank falls " + std::to_string(nullity) + " short of " +
                     std::to_string(n) +
                     ": struts and cables balance in a mechanism or a self-stress that the held nodes do not "
                     "restrain); held: " +
                     held_summary(p) + ". Hold more nodes, or change the densities";
        return result;
      }
      result.negative_pivots = -1;
    } else if (result.negative_pivots >= 0) {
      result.negative_pivots += s.inertia.negative;
    }
    // The axes' right-hand sides, solved together.
    const std::size_t count = s.axes.size();
    if (s.by_qr) {
      for (std::size_t k = 0; k < count; ++k) {
        Eigen::Map<Eigen::VectorXd> column(s.rhs.data() + k * n, static_cast<Eigen::Index>(n));
        column = s.qr->solve(column).eval();
      }
    } else {
      newton::solve_columns(s.factor, s.rhs, count);
    }
    for (std::size_t k = 0; k < count; ++k) {
      const auto axis = static_cast<std::size_t>(s.axes[k]);
      for (std::size_t r = 0; r < n; ++r) x[static_cast<std::size_t>(s.node_of[r])][axis] = s.rhs[k * n + r];
    }
  }
  return result;
}

std::vector<point> shape_of(const problem& p) {
  density_solver solver = validated_solver_for(p);
  std::vector<point> x = p.nodes;
  const shape_solve solved = solve_shape(solver, p, p.density, x);
  if (solved.outcome == shape_outcome::indeterminate) fail(model_error, solved.why);
  return x;
}

double length_of(const problem& p, const std::vector<point>& x, std::size_t bar) {
  const point& a = x[static_cast<std::size_t>(p.bars[bar].first)];
  const point& b = x[static_cast<std::size_t>(p.bars[bar].second)];
  const double dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

residual largest_residual(const problem& p, const std::vector<double>& q, const std::vector<point>& x) {
  std::vector<point> out_of_balance = p.loads.empty() ? std::vector<point>(p.nodes.size(), point{}) : p.loads;
  for (std::size_t b = 0; b < p.bars.size(); ++b) {
    const auto i = static_cast<std::size_t>(p.bars[b].first), j = static_cast<std::size_t>(p.bars[b].second);
    for (std::size_t c = 0; c < 3; ++c) {
      const double pull = q[b] * (x[j][c] - x[i][c]);
      out_of_balance[i][c] += pull;
      out_of_balance[j][c] -= pull;
    }
  }
  residual r;
  for (std::size_t k = 0; k < p.nodes.size(); ++k)
    for (int c = 0; c < 3; ++c)
      if (!is_held(p, k, c) && (r.node < 0 || std::fabs(out_of_balance[k][static_cast<std::size_t>(c)]) > r.largest)) {
        r.largest = std::fabs(out_of_balance[k][static_cast<std::size_t>(c)]);
        r.node = static_cast<int32_t>(k);
        r.axis = c;
      }
  return r;
}

}  // namespace kalvane::form
