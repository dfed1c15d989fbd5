// Times the force density method on a square grid net of SIDE x SIDE nodes: bars along both
// directions, the edge held on a saddle (z = (x^2 - y^2) / SIDE), equal densities and a
// small downward load at every free node. A measuring program, never a test.
//
//   kalvane-form-bench SIDE [DUMP_FOLDER]
//   kalvane-form-bench --targets SIDE
//
// With DUMP_FOLDER, also writes there the matrix D (lower triangle, compressed columns:
// d_indptr.i32, d_indices.i32, d_data.f64), the right-hand sides (rhs.f64, n x 3 in rows)
// and the coordinates found (x.f64, likewise), for bench/form-bench.py to solve again.
// With --targets, times the target-force iteration instead: the forces of densities that
// vary from bar to bar (0.5 to 1.1) are the targets of every other bar, found again from
// densities all 1.
#include <Eigen/SparseCore>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "companion/huge_pages.hpp"
#include "error.hpp"
#include "form/density.hpp"
#include "form/find.hpp"

namespace {

using clock_type = std::chrono::steady_clock;

double since(clock_type::time_point start) {
  return std::chrono::duration<double>(clock_type::now() - start).count();
}

template <class T>
void dump(const std::string& path, const T* data, std::size_t count) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(data, sizeof(T), count, f) != count || std::fclose(f) != 0)
    kalvane::fail(kalvane::device_error, "cannot write " + path);
}

kalvane::form::problem grid_net(int m) {
  using namespace kalvane::form;
  problem p;
  p.nodes.reserve(static_cast<std::size_t>(m) * m);
  p.held.assign(static_cast<std::size_t>(m) * m, {false, false, false});
  p.loads.assign(static_cast<std::size_t>(m) * m, {0.0, 0.0, 0.0});
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      const bool edge = i == 0 || j == 0 || i == m - 1 || j == m - 1;
      const double x = i, y = j;
      p.nodes.push_back({x, y, edge ? ((x - m / 2.0) * (x - m / 2.0) - (y - m / 2.0) * (y - m / 2.0)) / m : 0.0});
      const std::size_t k = static_cast<std::size_t>(j) * m + i;
      if (edge) p.held[k] = {true, true, true};
      else p.loads[k] = {0.0, 0.0, -0.01};
    }
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      if (i + 1 < m) p.bars.push_back({j * m + i, j * m + i + 1});
      if (j + 1 < m) p.bars.push_back({j * m + i, (j + 1) * m + i});
    }
  p.density.assign(p.bars.size(), 1.0);
  return p;
}

int usage() {
  std::fprintf(stderr, "usage: kalvane-form-bench SIDE [DUMP_FOLDER] | --targets SIDE   (SIDE >= 3)\n");
  return 2;
}

int time_targets(int m) {
  using namespace kalvane::form;
  problem p = grid_net(m);
  for (std::size_t b = 0; b < p.bars.size(); ++b) p.density[b] = 0.5 + 0.1 * static_cast<double>(b % 7);
  auto start = clock_type::now();
  const form_result reference = find_form(p);
  const double one = since(start);
  p.target_force.assign(p.bars.size(), std::nullopt);
  for (std::size_t b = 0; b < p.bars.size(); b += 2) p.target_force[b] = reference.force[b];
  for (std::size_t b = 0; b < p.bars.size(); b += 2) p.density[b] = 1.0;
  for (double tolerance : {1e-3, 1e-6}) {
    start = clock_type::now();
    const form_result r = find_form(p, settings_of(tolerance, 3000, 100));
    std::printf("grid %d x %d, %zu bars, %zu with target forces: tolerance %g: %s after %d density updates, "
                "largest force error %.3g, largest residual %.3g, %.3f s (one plain solve %.3f s)\n",
                m, m, p.bars.size(), (p.bars.size() + 1) / 2, tolerance, outcome_name(r.outcome), r.iterations,
                r.largest_force_error, r.largest_residual, since(start), one);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) try {
  kalvane::companion::serve_heap_from_huge_pages();  // as kalvane-form's main does
  if (argc < 2 || (std::string(argv[1]) != "--targets" && std::atoi(argv[1]) < 3)) return usage();
  if (std::string(argv[1]) == "--targets") {
    if (argc < 3 || std::atoi(argv[2]) < 3) return usage();
    return time_targets(std::atoi(argv[2]));
  }
  const int m = std::atoi(argv[1]);
  kalvane::form::problem p = grid_net(m);
  using namespace kalvane::form;
  auto start = clock_type::now();
  density_solver solver = validated_solver_for(p);
  const double patterning = since(start);
  std::vector<point> x = p.nodes;
  start = clock_type::now();
  const shape_solve solved = solve_shape(solver, p, p.density, x);
  const double solving = since(start);
  const residual r = largest_residual(p, p.density, x);
  const auto& system = solver.systems.front();
  std::printf("grid %d x %d: %zu nodes, %zu bars, %zu free, D of %ld entries (lower triangle), %zu system(s)\n", m, m,
              p.nodes.size(), p.bars.size(), system.node_of.size(), static_cast<long>(system.pattern.matrix.nonZeros()),
              solver.systems.size());
  std::printf("validate and pattern of D %.3f s, factorise and solve X, Y, Z %.3f s: total %.3f s\n", patterning,
              solving, patterning + solving);
  std::printf("outcome %s, largest residual %.3g, middle node z %.6g\n",
              solved.outcome == shape_outcome::found ? "found" : "indeterminate", r.largest,
              x[static_cast<std::size_t>(m / 2) * m + m / 2][2]);
  // Again with the analysis of D's pattern (its ordering) kept: each step of the
  // target-force iteration costs this.
  std::vector<point> again = p.nodes;
  start = clock_type::now();
  solve_shape(solver, p, p.density, again);
  std::printf("again, the ordering reused: factorise and solve %.3f s\n", since(start));

  if (argc > 2) {
    const std::string folder = argv[2];
    // In the free nodes' own order, as a Python form-finding tool would build D, whatever
    // order kalvane numbered them in: SciPy's ordering of the matrix depends on it.
    const std::size_t n = system.node_of.size();
    std::vector<int32_t> natural(p.nodes.size(), -1);
    std::vector<int32_t> node_of;
    for (std::size_t k = 0; k < p.nodes.size(); ++k)
      if (system.row[k] >= 0) natural[k] = static_cast<int32_t>(node_of.size()), node_of.push_back(static_cast<int32_t>(k));
    const auto& solved_d = system.pattern.matrix;
    std::vector<Eigen::Triplet<double, int>> entries;
    entries.reserve(static_cast<std::size_t>(solved_d.nonZeros()));
    for (Eigen::Index c = 0; c < solved_d.outerSize(); ++c)
      for (Eigen::SparseMatrix<double>::InnerIterator at(solved_d, c); at; ++at) {
        const int32_t i = natural[static_cast<std::size_t>(system.node_of[static_cast<std::size_t>(at.row())])];
        const int32_t j = natural[static_cast<std::size_t>(system.node_of[static_cast<std::size_t>(c)])];
        entries.emplace_back(std::max(i, j), std::min(i, j), at.value());
      }
    Eigen::SparseMatrix<double> d(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
    d.setFromTriplets(entries.begin(), entries.end());
    d.makeCompressed();
    dump(folder + "/d_indptr.i32", d.outerIndexPtr(), n + 1);
    dump(folder + "/d_indices.i32", d.innerIndexPtr(), static_cast<std::size_t>(d.nonZeros()));
    dump(folder + "/d_data.f64", d.valuePtr(), static_cast<std::size_t>(d.nonZeros()));
    std::vector<double> rhs(3 * n, 0.0), found(3 * n);
    for (std::size_t row = 0; row < n; ++row)
      for (std::size_t c = 0; c < 3; ++c) {
        rhs[3 * row + c] = p.loads[static_cast<std::size_t>(node_of[row])][c];
        found[3 * row + c] = x[static_cast<std::size_t>(node_of[row])][c];
      }
    for (std::size_t b = 0; b < p.bars.size(); ++b) {
      const int32_t i = natural[static_cast<std::size_t>(p.bars[b].first)];
      const int32_t j = natural[static_cast<std::size_t>(p.bars[b].second)];
      for (std::size_t c = 0; c < 3; ++c) {
        if (i >= 0 && j < 0) rhs[3 * static_cast<std::size_t>(i) + c] += p.density[b] * p.nodes[static_cast<std::size_t>(p.bars[b].second)][c];
        if (j >= 0 && i < 0) rhs[3 * static_cast<std::size_t>(j) + c] += p.density[b] * p.nodes[static_cast<std::size_t>(p.bars[b].first)][c];
      }
    }
    dump(folder + "/rhs.f64", rhs.data(), rhs.size());
    dump(folder + "/x.f64", found.data(), found.size());
  }
  return 0;
} catch (const kalvane::error& e) {
  std::fprintf(stderr, "kalvane-form-bench: %s\n", e.what());
  return 1;
}
