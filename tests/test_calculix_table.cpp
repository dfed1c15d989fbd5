// The spring table of the bar law: its force is the bar element's axial force, its linear
// interpolation stays within 1e-5 of the largest force over the stretches seen, and it
// reaches past them on both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "check/calculix_table.hpp"
#include "mechanics/bar_law.hpp"

namespace {

using kalvane::check::interpolate;
using kalvane::check::spring_table;
using kalvane::check::stretch_range;

const kalvane::material_record materials[] = {kalvane::neo_hooke(10.0), kalvane::mooney_rivlin(4.0e5, 1.0e5)};

// kalvane's material as the companions' law has it.
kalvane::material law_of(const kalvane::material_record& record) {
  kalvane::model m;
  m.material = record;
  return kalvane::structure_of(m).materials.front();
}

// A bar at its drawn length.
kalvane::member drawn_bar(double length0) {
  kalvane::member mem;
  mem.rest = length0;
  return mem;
}

double axial_force(const kalvane::material_record& material, double area, double stretch) {
  return kalvane::check::axial_force(law_of(material), drawn_bar(1.0), area, 1.0, stretch);
}

spring_table make_spring_table(const kalvane::material_record& material, double area, double length0,
                               stretch_range seen) {
  return kalvane::check::make_spring_table(law_of(material), drawn_bar(length0), area, length0, seen);
}

// The element's response of a bar along X of `area` and `length0` at `stretch`.
kalvane::bar_response<double> element_at(const kalvane::material_record& material, double area, double length0,
                                         double stretch) {
  const auto s = kalvane::bar_stretch(length0 * (stretch - 1.0), 0.0, 0.0, length0, 1.0, 0.0, 0.0);
  return kalvane::bar_law(s, 1.0, 0.0, 0.0, area, length0, kalvane::constants_of(material));
}

}  // namespace

TEST(CalculixTable, ForceIsTheElementsAxialForceAndTheEnergysSlope) {
  const double area = 0.002, length0 = 3.0;
  for (const auto& material : materials)
    for (double stretch : {0.5, 0.9, 1.0 - 1e-7, 1.0, 1.0 + 1e-7, 1.05, 2.0}) {
      const auto r = element_at(material, area, length0, stretch);
      const double f = axial_force(material, area, stretch);
      // The element's node-2 force along the bar is sigma * A / lambda.
      EXPECT_NEAR(f, r.fx, 1e-12 * std::fabs(r.fx) + 1e-300) << stretch;
      EXPECT_NEAR(f, r.stress * area / stretch, 1e-12 * std::fabs(f) + 1e-300) << stretch;
      if (std::fabs(stretch - 1.0) > 1e-3) {
        // dE/d(elongation) by central differences of the element's energy.
        const double h = 1e-6 * length0;
        const double slope = (element_at(material, area, length0, stretch + h / length0).energy -
                              element_at(material, area, length0, stretch - h / length0).energy) /
                             (2.0 * h);
        EXPECT_NEAR(f, slope, 1e-6 * std::fabs(f)) << stretch;
      }
    }
}

TEST(CalculixTable, InterpolationStaysWithinTheBoundOverTheStretchesSeenInAtMost200Rows) {
  // CalculiX garbles a table of more than 200 rows; only the widest range here needs a
  // looser bound to fit.
  const stretch_range ranges[] = {{1.0, 1.3}, {0.8, 1.0}, {1.0, 2.0}, {1.0 - 1e-4, 1.0 + 2e-4}, {1.0, 1.0}, {0.7, 1.6}};
  const double area = 0.01, length0 = 1.5;
  for (const auto& material : materials)
    for (const stretch_range& seen : ranges) {
      const spring_table t = make_spring_table(material, area, length0, seen);
      ASSERT_EQ(t.elongation.size(), t.force.size());
      EXPECT_LE(t.force.size(), 200u);
      EXPECT_LE(t.relative_error, seen.high - seen.low > 0.5 ? 1e-4 : 1e-5) << seen.low << " .. " << seen.high;
      EXPECT_TRUE(std::is_sorted(t.elongation.begin(), t.elongation.end()));
      EXPECT_EQ(std::adjacent_find(t.elongation.begin(), t.elongation.end()), t.elongation.end());
      // The unstrained spring is a row of its own, and force-free.
      const auto origin = std::find(t.elongation.begin(), t.elongation.end(), 0.0);
      ASSERT_NE(origin, t.elongation.end());
      EXPECT_EQ(t.force[static_cast<std::size_t>(origin - t.elongation.begin())], 0.0);
      // Beyond the stretches seen on both sides, compression included.
      EXPECT_LT(t.elongation.front(), length0 * (std::min(seen.low, 1.0) - 1.0) - 1e-4 * length0);
      EXPECT_GT(t.elongation.back(), length0 * (std::max(seen.high, 1.0) - 1.0) + 1e-4 * length0);
      double largest = std::max(std::fabs(axial_force(material, area, seen.low)),
                                std::fabs(axial_force(material, area, seen.high)));
      if (largest == 0.0) largest = std::fabs(t.force.back());
      double worst = 0.0;
      const int samples = 20000;
      for (int k = 0; k <= samples; ++k) {
        const double stretch = seen.low + (seen.high - seen.low) * k / samples;
        worst = std::max(worst, std::fabs(interpolate(t, length0 * (stretch - 1.0)) -
                                          axial_force(material, area, stretch)));
      }
      EXPECT_LE(worst, t.relative_error * largest) << seen.low << " .. " << seen.high;
    }
}

TEST(CalculixTable, InterpolationHoldsTheEndValuesBeyondTheTable) {
  const spring_table t{{-1.0, 0.0, 2.0}, {-4.0, 0.0, 6.0}};
  EXPECT_EQ(interpolate(t, -5.0), -4.0);
  EXPECT_EQ(interpolate(t, -0.5), -2.0);
  EXPECT_EQ(interpolate(t, 1.0), 3.0);
  EXPECT_EQ(interpolate(t, 9.0), 6.0);
}

// CalculiX measures elongation from the drawn length: a steel cable cut shorter than it is
// drawn carries E A (D / L0 - 1) at zero elongation, nothing from its rest length down, and
// a rubber bar drawn shorter than its rest length pushes there.
TEST(CalculixTable, APrestressedBarsTableStartsAtItsForceInTheDrawnShape) {
  kalvane::material steel;
  steel.law = kalvane::axial_law::linear_elastic;
  steel.E = 2.0e5;
  kalvane::member cable;
  cable.behaviour = kalvane::bar_behaviour::cable;
  const double area = 1.5, drawn = 2.0;
  cable.rest = 1.99;
  const spring_table t = kalvane::check::make_spring_table(steel, cable, area, drawn, {1.0, 1.001});
  EXPECT_LE(t.force.size(), 200u);
  EXPECT_NEAR(interpolate(t, 0.0), steel.E * area * (drawn / cable.rest - 1.0), 1e-9 * steel.E * area);
  EXPECT_NEAR(interpolate(t, 0.002), steel.E * area * ((drawn + 0.002) / cable.rest - 1.0), 1e-9 * steel.E * area);
  EXPECT_NEAR(interpolate(t, cable.rest - drawn), 0.0, 1e-9 * steel.E * area);
  EXPECT_EQ(interpolate(t, cable.rest - drawn - 0.003), 0.0);
  // The rest length is a row, where the slack cable's law bends.
  EXPECT_NE(std::find(t.elongation.begin(), t.elongation.end(), drawn * (cable.rest / drawn - 1.0)), t.elongation.end());

  const kalvane::material rubber = law_of(kalvane::neo_hooke(10.0));
  kalvane::member bar;
  bar.rest = 2.2;
  const spring_table r = kalvane::check::make_spring_table(rubber, bar, area, drawn, {0.99, 1.0});
  const double lambda = drawn / bar.rest;
  EXPECT_NEAR(interpolate(r, 0.0), area * 10.0 * (lambda - 1.0 / (lambda * lambda)), 1e-6);
  EXPECT_LT(interpolate(r, 0.0), 0.0);
  EXPECT_NEAR(interpolate(r, bar.rest - drawn), 0.0, 1e-12);
}
