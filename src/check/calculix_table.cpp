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

// Smallest stretch a table reaches: a bar squeezed further is far outside any run.
constexpr double lowest_stretch = 0.2;
// Finest subdivision of a table interval, against runaway refinement near singular points.
constexpr int deepest_split = 30;

struct sampler {
  const material_record& material;
  double area, length0;
  stretch_range seen;
  double fine, coarse;  // allowed interpolation error inside and outside `seen`
  spring_table& table;

  double force_at(double stretch) const { return axial_force(material, area, stretch); }

  // Adaptive bisection: an interval is split until the chord meets the law within the
  // allowed error at its midpoint and quarter points.
  void fill(double a, double fa, double b, double fb, int depth) {
    const double allowed = (b > seen.low && a < seen.high) ? fine : coarse;
    bool good = depth >= deepest_split;
    if (!good) {
      good = true;
      for (double s : {0.25, 0.5, 0.75}) {
        const double x = a + s * (b - a);
        const double chord = fa + s * (fb - fa);
        if (std::fabs(force_at(x) - chord) > allowed) {
          good = false;
          break;
        }
      }
    }
    if (good) {
      table.elongation.push_back(length0 * (b - 1.0));
      table.force.push_back(fb);
      return;
    }
    const double m = 0.5 * (a + b);
    const double fm = force_at(m);
    fill(a, fa, m, fm, depth + 1);
    fill(m, fm, b, fb, depth + 1);
  }
};

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
  seen.low = std::min(seen.low, 1.0);
  seen.high = std::max(seen.high, 1.0);
  // The margin: three times the largest strain seen, at least 1e-3, either side of 1.
  const double strain = std::max({seen.high - 1.0, 1.0 - seen.low, 1e-3});
  const double low = std::max(1.0 - 3.0 * strain, lowest_stretch);
  const double high = 1.0 + 3.0 * strain;
  double largest = std::max(std::fabs(axial_force(material, area, seen.low)),
                            std::fabs(axial_force(material, area, seen.high)));
  if (!(largest > 0.0)) largest = std::fabs(axial_force(material, area, high));
  spring_table table;
  sampler s{material, area, length0, seen, relative_error * largest, 100.0 * relative_error * largest, table};
  // The origin is a sample of its own, so the unstrained spring is exactly force-free.
  const double f_low = s.force_at(low);
  table.elongation.push_back(length0 * (low - 1.0));
  table.force.push_back(f_low);
  s.fill(low, f_low, 1.0, 0.0, 0);
  s.fill(1.0, 0.0, high, s.force_at(high), 0);
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
