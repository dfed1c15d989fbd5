#include "newton/branch.hpp"

#include <cmath>

#include <Eigen/Dense>

#include "newton/newton.hpp"

namespace kalvane::newton {

namespace {

void scale_to_unit(vector& v) {
  const double size = max_abs(v);
  if (size > 0.0 && std::isfinite(size))
    for (double& value : v) value /= size;
}

// v -= (u.v / u.u) u
void remove_part(vector& v, const vector& u) {
  const double uu = dot(u, u);
  if (!(uu > 0.0)) return;
  const double c = dot(u, v) / uu;
  for (std::size_t p = 0; p < v.size(); ++p) v[p] -= c * u[p];
}

}  // namespace

buckling_modes modes_at(path_work& w, const path_state& p, int count) {
  buckling_modes modes;
  apply_stage(w.scaled, w.full, w.stage, p.t);
  const double energy = evaluate(w.scaled, p.x, &w.pattern).energy;
  factorise(w.f, w.pattern);
  ++w.factorisations;
  if (!w.f.ok) return modes;
  count = count >= 2 ? 2 : 1;
  const std::size_t n = p.x.size();
  std::vector<vector> basis(static_cast<std::size_t>(count), vector(n));
  for (std::size_t p2 = 0; p2 < n; ++p2) {  // starts that no symmetry of the structure makes orthogonal to a mode
    basis[0][p2] = std::sin(1.0 + static_cast<double>(p2));
    if (count == 2) basis[1][p2] = std::cos(0.5 + 2.0 * static_cast<double>(p2));
  }
  for (int k = 0; k < 8; ++k) {
    for (vector& v : basis) {
      v = solve(w.f, v);
      scale_to_unit(v);
    }
    if (count == 2) {
      remove_part(basis[1], basis[0]);
      scale_to_unit(basis[1]);
    }
    for (const vector& v : basis)
      if (!std::isfinite(max_abs(v)) || !(max_abs(v) > 0.0)) return modes;
  }
  if (count == 2) {
    // Rayleigh-Ritz on the two: the eigenvectors of V^T K V in the metric V^T V.
    Eigen::Matrix2d a, m;
    const vector k0 = multiply(w.pattern, basis[0]), k1 = multiply(w.pattern, basis[1]);
    a << dot(basis[0], k0), dot(basis[0], k1), dot(basis[1], k0), dot(basis[1], k1);
    m << dot(basis[0], basis[0]), dot(basis[0], basis[1]), dot(basis[1], basis[0]), dot(basis[1], basis[1]);
    a(0, 1) = a(1, 0) = 0.5 * (a(0, 1) + a(1, 0));
    Eigen::GeneralizedSelfAdjointEigenSolver<Eigen::Matrix2d> ritz(a, m);
    const Eigen::Vector2d values = ritz.eigenvalues();
    const Eigen::Matrix2d vectors = ritz.eigenvectors();
    const int least = std::fabs(values(0)) <= std::fabs(values(1)) ? 0 : 1;
    std::vector<vector> rotated(2, vector(n));
    for (int j = 0; j < 2; ++j) {
      const int column = j == 0 ? least : 1 - least;
      for (std::size_t q = 0; q < n; ++q) rotated[static_cast<std::size_t>(j)][q] = vectors(0, column) * basis[0][q] + vectors(1, column) * basis[1][q];
      scale_to_unit(rotated[static_cast<std::size_t>(j)]);
    }
    basis = rotated;
    modes.second = basis[1];
  }
  modes.first = basis[0];
  modes.count = count;
  // The sign: the way down at the point's load; a tie (to the energy's rounding) is a
  // symmetric bifurcation, whose two branches are mirror images of each other.
  const double reach = 1e-3 * extent_of(w.full.base);
  vector plus = p.x, minus = p.x;
  for (std::size_t q = 0; q < n; ++q) plus[q] += reach * modes.first[q], minus[q] -= reach * modes.first[q];
  const double up = evaluate(w.scaled, plus).energy, down = evaluate(w.scaled, minus).energy;
  const double tie = 1e3 * rounding_of(std::fabs(energy)) + 1e-9 * std::fabs(up - energy);
  modes.symmetric = std::fabs(up - down) <= tie;
  bool flip = !modes.symmetric && down < up;
  if (modes.symmetric) {
    std::size_t largest = 0;
    for (std::size_t q = 0; q < n; ++q)
      if (std::fabs(modes.first[q]) > std::fabs(modes.first[largest]) * (1.0 + 1e-9)) largest = q;
    flip = modes.first[largest] < 0.0;
  }
  if (flip)
    for (double& value : modes.first) value = -value;
  return modes;
}

bool switch_branch(path_work& w, const path_state& p, const vector& mode, double step, path_state& b) {
  // The direction (mode, 0) less its part along p's tangent, in the path's norm, and of unit length.
  path_state from = p;
  const double along = path_dot(w, mode, 0.0, p.tangent_x, p.tangent_t);
  for (std::size_t q = 0; q < mode.size(); ++q) from.tangent_x[q] = mode[q] - along * p.tangent_x[q];
  from.tangent_t = -along * p.tangent_t;
  const double length = std::sqrt(path_dot(w, from.tangent_x, from.tangent_t, from.tangent_x, from.tangent_t));
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  for (double& value : from.tangent_x) value /= length;
  from.tangent_t /= length;
  for (double s = step; s >= w.settings.smallest_step; s *= 0.5) {
    b.x = p.x;
    for (std::size_t q = 0; q < b.x.size(); ++q) b.x[q] += s * from.tangent_x[q];
    b.t = p.t + s * from.tangent_t;
    const corrector_outcome c = correct_on_arc(w, from, s, b.x, b.t);
    if (!c.converged) continue;
    b.newton_steps = c.steps;
    if (settle(w, b, &from.tangent_x, from.tangent_t)) return true;
  }
  return false;
}

}  // namespace kalvane::newton
