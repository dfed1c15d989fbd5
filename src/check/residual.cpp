#include "check/residual.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kalvane::check {

std::string name_of(const component_name& c) {
  static const char* const axis[] = {"", "X", "Y", "Z"};
  return "node " + std::to_string(c.node) + " " + axis[c.component];
}

vector printed_unknowns(const model& m, const view::report& r) {
  vector x(static_cast<std::size_t>(m.free_count), 0.0);
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const int32_t p = m.dof_map(k, c);
      if (p <= m.free_count) x[static_cast<std::size_t>(p - 1)] = r.displacement[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(c - 1)];
    }
  return x;
}

residual_finding check_residual(const structure& st, const vector& printed, stiffness_pattern& pattern,
                                std::size_t worst_count) {
  const model& m = st.base;
  const state s = evaluate(st, printed, &pattern);
  const std::size_t n = printed.size();
  vector half(n);
  for (std::size_t p = 0; p < n; ++p) half[p] = half_printed_unit(printed[p]);
  // |K| times the half units, from the stored lower triangle.
  vector printing(n, 0.0);
  const auto& K = pattern.matrix;
  for (Eigen::Index col = 0; col < K.outerSize(); ++col)
    for (Eigen::SparseMatrix<double>::InnerIterator it(K, col); it; ++it) {
      const auto row = static_cast<std::size_t>(it.row()), c = static_cast<std::size_t>(col);
      const double k = std::fabs(it.value());
      printing[row] += k * half[c];
      if (row != c) printing[c] += k * half[row];
    }
  const std::vector<component_name> names = free_components(m);
  residual_finding f;
  f.allowable = m.allowable_gradient;
  std::vector<component_residual> all;
  all.reserve(n);
  for (std::size_t p = 0; p < n; ++p) {
    component_residual c{names[p], s.gradient[p], m.allowable_gradient + printing[p] + rounding_of(s.scale[p]), printing[p]};
    f.largest = std::max(f.largest, std::fabs(c.gradient));
    if (!(std::fabs(c.gradient) <= c.allowance)) ++f.outside;
    f.allowance.push_back(c.allowance);
    all.push_back(c);
  }
  auto ratio = [](const component_residual& c) {
    const double r = std::fabs(c.gradient) / c.allowance;
    return std::isnan(r) ? INFINITY : r;
  };
  const std::size_t keep = std::min(worst_count, all.size());
  std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(keep), all.end(),
                    [&](const component_residual& a, const component_residual& b) { return ratio(a) > ratio(b); });
  f.worst.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(keep));
  return f;
}

int digits_right(double printed, double exact, double floor) {
  const double error = std::fabs(printed - exact);
  if (error == 0.0) return 7;
  if (!std::isfinite(error)) return 0;
  const double size = std::max(std::fabs(exact), floor);
  if (size == 0.0) return 0;
  // Half a unit in the d-th significant digit of `size` is 0.5 * 10^(floor(log10 size) + 1 - d).
  const double d = std::floor(std::log10(0.5 * std::pow(10.0, std::floor(std::log10(size)) + 1.0) / error));
  return static_cast<int>(std::clamp(d, 0.0, 7.0));
}

}  // namespace kalvane::check
