#include <gtest/gtest.h>

#include <cmath>

#include "view/bar_forces.hpp"

using namespace kalvane::view;

// Three bars from the same nodes, moved rigidly, doubled in length and reversed; each
// bar's ends are looked up by index, not by its place in the list.
TEST(ViewBarForces, StretchAndForceFollowTheBarsEnds) {
  scene s;
  s.initial = {{1, 2, 3}, {1, 2, 3}, {4, 6, 3}, {0, 0, 0}};
  // Node 2 (index 1) is node 1 moved; node 3 turns a quarter about node 1's end, node 4 is
  // a bar's end pulled out to twice its length.
  s.displacement = {{0, 0, 0}, {-3, 4, 0}, {-7, -1, 0}, {0, 0, 0}};
  s.bars = {{0, 2}, {3, 2}, {2, 0}, {1, 0}};
  s.area = {2.0, 0.5, 2.0, 1.0};
  s.stress = {10.0, -3.0, 7.0, 1.0};
  // Bar 1 goes from (1,2,3) to (4,6,3), length 5; node 3 ends at (-3,5,3): a quarter turn.
  // Bar 2 from (0,0,0) to (-3,5,3): length sqrt(43) from sqrt(61).
  // Bar 4 from (-2,6,3) back to (1,2,3): its length 5 from 0 is a bar of no length.
  const std::vector<double> stretch = stretches(s);
  ASSERT_EQ(stretch.size(), 4u);
  EXPECT_NEAR(stretch[0], 1.0, 1e-15);
  EXPECT_NEAR(stretch[1], std::sqrt(43.0 / 61.0), 1e-15);
  EXPECT_EQ(stretch[2], stretch[0]) << "a bar turned end for end stretches alike";
  EXPECT_TRUE(std::isnan(stretch[3])) << "a bar of no length has no stretch";
  const std::vector<double> force = axial_forces(s, stretch);
  EXPECT_NEAR(force[0], 20.0, 1e-13);
  EXPECT_NEAR(force[1], -1.5 / std::sqrt(43.0 / 61.0), 1e-13);
  EXPECT_TRUE(std::isnan(force[3]));

  // Twice its length along its axis, then a displacement that is not a number.
  s.displacement[2] = {3, 4, 0};
  EXPECT_EQ(stretches(s)[0], 2.0);
  EXPECT_EQ(axial_forces(s, stretches(s))[0], 10.0);
  s.displacement[2].z = NAN;
  EXPECT_TRUE(std::isnan(stretches(s)[0]));
}
