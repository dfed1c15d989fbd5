// What the printed digits of a bar's end displacements leave unknown of its force: only the
// part along the bar's deformed axis counts, and a stiff bar multiplies it by its stiffness.
#include <gtest/gtest.h>

#include <cmath>

#include "structure/printing_spread.hpp"

namespace {

kalvane::material steel() {
  kalvane::material m;
  m.name = "steel";
  m.law = kalvane::axial_law::linear_elastic;
  m.E = 2.0e8;
  return m;
}

// A steel bar along X, 2 long, at rest when its ends' difference is zero.
kalvane::bar_record bar_along_x() {
  kalvane::bar_record bar;
  bar.node1 = 1, bar.node2 = 2, bar.area = 1e-4, bar.length0 = 2.0, bar.cx = 1.0;
  return bar;
}

}  // namespace

TEST(StructurePrintingSpread, OnlyWhatLengthensTheBarCountsTimesItsStiffness) {
  const kalvane::bar_record bar = bar_along_x();
  const kalvane::material mat = steel();
  kalvane::member mem;
  mem.rest = 2.0;
  const double u[3] = {1e-3, 0.0, 0.0};
  const kalvane::member_state at = kalvane::member_at(bar, mat, mem, u);
  const double none[3] = {0.0, 0.0, 0.0};
  // Across the bar, a half unit moves its length only to second order.
  const double across[3] = {0.0, 5e-7, 5e-7};
  EXPECT_LT(kalvane::spread_of_printing(bar, mat, mem, u, at, across, across).force, 1e-6);
  // Along it, both ends' half units add, and steel's force moves by E A / L0 times them.
  const double along[3] = {5e-7, 0.0, 0.0};
  const kalvane::printing_spread spread = kalvane::spread_of_printing(bar, mat, mem, u, at, along, along);
  EXPECT_NEAR(spread.force, 2.0e8 * 1e-4 / 2.0 * 1e-6, 1e-9);
  EXPECT_NEAR(spread.stress, spread.force / 1e-4, 1e-5);
  EXPECT_EQ(kalvane::spread_of_printing(bar, mat, mem, u, at, none, none).force, 0.0);
}
