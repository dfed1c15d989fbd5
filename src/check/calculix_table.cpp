#include "check/calculix_table.hpp"

#include <algorithm>
#include <cmath>

namespace kalvane::check {

namespace {

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
  const material& mat;
  const member& mem;
  double area, length0;
  stretch_range seen;
  double fine, coarse;  // allowed interpolation error inside and outside `seen`

  double force_at(double stretch) const { return axial_force(mat, mem, area, length0, stretch); }

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

// From `low` to `high` through the breaks (the drawn and the force-free stretches) that
// lie between them, each a row of its own.
spring_table sample(const sampler& s, double low, double high, std::vector<double> breaks) {
  spring_table table;
  table.elongation.push_back(s.length0 * (low - 1.0));
  table.force.push_back(s.force_at(low));
  std::sort(breaks.begin(), breaks.end());
  double at = low;
  for (double b : breaks)
    if (b > at && b < high) s.fill(at, b, table), at = b;
  s.fill(at, high, table);
  return table;
}

}  // namespace

double axial_force(const material& mat, const member& mem, double area, double drawn, double drawn_stretch) {
  // lambda = r mu with r = D / L0, and lambda - 1 = r (mu - 1) + (r - 1) without cancellation.
  const double ratio = drawn / mem.rest;
  const double less_one = drawn == mem.rest ? drawn_stretch - 1.0 : ratio * (drawn_stretch - 1.0) + (ratio - 1.0);
  return respond(mat, mem.behaviour, area, mem.rest, drawn == mem.rest ? drawn_stretch : ratio * drawn_stretch,
                 less_one)
      .force;
}

spring_table make_spring_table(const material& mat, const member& mem, double area, double length0,
                               stretch_range seen, double relative_error) {
  // The stretch on the drawn length at which the bar is force-free.
  const double free = mem.rest / length0;
  // A stretch that is not a number (a report of a failed solve) says nothing of the range.
  seen.low = std::min(std::isfinite(seen.low) ? std::min(seen.low, 1.0) : 1.0, free);
  seen.high = std::max(std::isfinite(seen.high) ? std::max(seen.high, 1.0) : 1.0, free);
  const double strain = std::max({seen.high - 1.0, 1.0 - seen.low, 1e-3});
  auto force_at = [&](double stretch) { return axial_force(mat, mem, area, length0, stretch); };
  double largest = std::max(std::fabs(force_at(seen.low)), std::fabs(force_at(seen.high)));
  if (!(largest > 0.0) || !std::isfinite(largest)) largest = std::fabs(force_at(free * (1.0 + strain)));
  // A margin of three times the largest strain either side (compression no further than
  // half the smallest stretch seen); narrower, and then a looser error, while the table
  // does not fit CalculiX's limit.
  spring_table table;
  double error = relative_error;
  for (int round = 0; round < 60; ++round, error *= 1.5)
    for (double margin : {3.0, 2.0, 1.5}) {
      const double low = std::max({1.0 - margin * strain, 0.5 * seen.low, lowest_stretch * free});
      const double high = 1.0 + margin * strain;
      const sampler s{mat, mem, area, length0, seen, error * largest, 100.0 * error * largest};
      table = sample(s, low, high, {1.0, free});
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
