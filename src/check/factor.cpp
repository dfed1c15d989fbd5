#include "check/factor.hpp"

#include <algorithm>
#include <cmath>

namespace kalvane::check {

namespace {

// A pivot this small against the largest diagonal entry is zero to within rounding: the
// factorisation's own errors are of the order of the unit roundoff times that entry.
constexpr double zero_pivot = 1e-11;

double largest_diagonal(const stiffness_pattern& pattern) {
  double largest = 0.0;
  const double* values = pattern.matrix.valuePtr();
  for (int32_t at : pattern.diagonal) largest = std::max(largest, std::fabs(values[at]));
  return largest;
}

}  // namespace

inertia factorise(factorisation& f, stiffness_pattern& pattern, double shift) {
  double* values = pattern.matrix.valuePtr();
  const double scale = largest_diagonal(pattern);
  const double added = shift * (scale > 0.0 ? scale : 1.0);
  if (added != 0.0)
    for (int32_t at : pattern.diagonal) values[at] += added;
  if (!f.analysed) {
    f.ldlt.analyzePattern(pattern.matrix);
    f.analysed = true;
  }
  f.ldlt.factorize(pattern.matrix);
  ++f.count;
  if (added != 0.0)
    for (int32_t at : pattern.diagonal) values[at] -= added;
  f.ok = f.ldlt.info() == Eigen::Success;
  inertia result;
  const double reference = scale + added > 0.0 ? scale + added : 1.0;
  if (!f.ok) {
    // The factorisation stops at an exact zero pivot, so the rest of D is not known.
    result.zero = 1;
    return result;
  }
  const auto& d = f.ldlt.vectorD();
  double smallest = INFINITY;
  for (Eigen::Index i = 0; i < d.size(); ++i) {
    const double pivot = d[i] / reference;
    smallest = std::min(smallest, std::fabs(pivot));
    if (!(std::fabs(pivot) > zero_pivot)) ++result.zero;
    else if (pivot < 0.0) ++result.negative;
    else ++result.positive;
  }
  result.smallest_pivot = d.size() ? smallest : 0.0;
  return result;
}

vector solve(const factorisation& f, const vector& rhs) {
  Eigen::Map<const Eigen::VectorXd> b(rhs.data(), static_cast<Eigen::Index>(rhs.size()));
  const Eigen::VectorXd x = f.ldlt.solve(b);
  return vector(x.data(), x.data() + x.size());
}

}  // namespace kalvane::check
