#include "check/calculix_table.hpp"

#include <algorithm>
#include <cmath>

#include "mechanics/bar_law.hpp"

namespace kalvane::check {

namespace {

// lambda - 1/lambda^2 written as t (lambda^2 + lambda + 1) / lambda^2 with t = lambda - 1,
// so that the force keeps its relative accuracy for small strains.
double stretch_term(double stretch) {
  const double t = stretch - 1.0;
  return t * (stretch * stretch + stretch + 1.0) / (stretch * stretch);
}

// No table reaches below this stretch, where the force grows without bound.
constexpr double lowest_stretch = 0.05;

// CalculiX 2.20 reads at most this many rows of a nonlinear spring's table and silently
// garbles a longer one.
constexpr std::size_t most_rows = 200;

// Greedy sampling: from each row, the longest step (shortened until it fits) whose chord meets
// the law within the allowed error at the quarter points and the midpoint. The first guess
// is the step that the curvature at the row allows, sqrt(8 err / |F''|), which is where
// linear interpolation's error reaches err.
struct sampler {
  const material_record& material;
  double area, length0;
  stretch_range seen;
  double fine, coarse;  // allowed interpolation error inside and outside `seen`

  double force_at(double stretch) const { return axial_force(material, area, stretch); }

  bool chord_fits(double a, double fa, double b, double fb) const {
    const double allowed = (b > seen.low && a < seen.high) ? fine : coarse;
    for (double t : {0.25, 0.5, 0.75}) {
      const double x = a + t * (b - a);
      if (std::fabs(force_at(x) - (fa + t * (fb - fa))) > allowed) return false;
    }
    return true;
  }

  // Rows from `a` (already in the table) to `b`, which ends the run.
  void fill(double a, double b, spring_table& table) const {
    double fa = force_at(a);
    while (a < b) {
      const double d = 1e-4 * std::fmax(std::fabs(a), 1e-3);
      const double curvature = std::fabs(force_at(a + d) - 2.0 * fa + force_at(a - d)) / (d * d);
      const double allowed = (a >= seen.low && a < seen.high) ? fine : coarse;
      double step = curvature > 0.0 ? std::sqrt(8.0 * allowed / curvature) : b - a;
      double next = std::fmin(a + step, b), fn = force_at(next);
      for (int cuts = 0; cuts < 200 && !chord_fits(a, fa, next, fn); ++cuts) {
        step *= 0.9;
        next = a + step;
        fn = force_at(next);
      }
      table.elongation.push_back(length0 * (next - 1.0));
      table.force.push_back(fn);
      a = next;
      fa = fn;
    }
  }
};

spring_table sample(const sampler& s, double low, double high) {
  spring_table table;
  table.elongation.push_back(s.length0 * (low - 1.0));
  table.force.push_back(s.force_at(low));
  // The origin is a row of its own, so the unstrained spring is exactly force-free.
  s.fill(low, 1.0, table);
  s.fill(1.0, high, table);
  return table;
}

}  // namespace

double axial_force(const material_record& material, double area, double stretch) {
  const law_constants c = constants_of(material);
  // Neo-Hooke: W = c1/2 (l^2 + 2/l), dW/dl = c1 (l - 1/l^2).
  // Mooney-Rivlin: W = c1 I1 + c2 I2 with I2 = 2l + 1/l^2, dW/dl = 2 (l - 1/l^2)(c1 + c2/l).
  const double term = stretch_term(stretch);
  if (c.neo_hooke) return area * c.c1 * term;
  return area * 2.0 * term * (c.c1 + c.c2 / stretch);
}

spring_table make_spring_table(const material_record& material, double area, double length0, stretch_range seen,
                               double relative_error) {
  // A stretch that is not a number (a report of a failed solve) says nothing of the range.
  seen.low = std::isfinite(seen.low) ? std::min(seen.low, 1.0) : 1.0;
  seen.high = std::isfinite(seen.high) ? std::max(seen.high, 1.0) : 1.0;
  const double strain = std::max({seen.high - 1.0, 1.0 - seen.low, 1e-3});
  double largest = std::max(std::fabs(axial_force(material, area, seen.low)),
                            std::fabs(axial_force(material, area, seen.high)));
  if (!(largest > 0.0) || !std::isfinite(largest)) largest = std::fabs(axial_force(material, area, 1.0 + strain));
  // A margin of three times the largest strain either side (compression no further than
  // half the smallest stretch seen); narrower, and then a looser error, while the table
  // does not fit CalculiX's limit.
  spring_table table;
  double error = relative_error;
  for (int round = 0; round < 60; ++round, error *= 1.5)
    for (double margin : {3.0, 2.0, 1.5}) {
      const double low = std::max({1.0 - margin * strain, 0.5 * seen.low, lowest_stretch});
      const double high = 1.0 + margin * strain;
      const sampler s{material, area, length0, seen, error * largest, 100.0 * error * largest};
      table = sample(s, low, high);
      table.relative_error = error;
      if (table.force.size() <= most_rows) return table;
    }
  return table;
}

double interpolate(const spring_table& table, double elongation) {
  const std::vector<double>& x = table.elongation;
  if (x.empty()) return 0.0;
  if (elongation <= x.front()) return table.force.front();
  if (elongation >= x.back()) return table.force.back();
  const std::size_t i = static_cast<std::size_t>(std::upper_bound(x.begin(), x.end(), elongation) - x.begin());
  const double s = (elongation - x[i - 1]) / (x[i] - x[i - 1]);
  return table.force[i - 1] + s * (table.force[i] - table.force[i - 1]);
}

}  // namespace kalvane::check
