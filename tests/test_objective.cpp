#include "mechanics/objective.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "model/input.hpp"
#include "model/start.hpp"

using kalvane::model;

namespace {

// A small space truss: a square base held in place, an apex and a mid node loaded.
const char* truss =
    ":\n0.9 20 0.001 0 100 5\n:\n2 3.0 0.75\n:\n6\nnode x y z\n"
    "1 0 0 0\n2 2 0 0\n3 2 2 0\n4 0 2 0\n5 1 1 1.5\n6 1 1 3\n"
    ":\n9\nbar n1 n2 area\n1 1 5 0.1\n2 2 5 0.1\n3 3 5 0.1\n4 4 5 0.1\n5 5 6 0.05\n6 1 6 0.02\n"
    "7 3 6 0.02\n8 1 2 0.1\n9 2 6 0.03\n"
    ":\n13\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 1 0.01\n2 2 0\n2 3 0\n3 1 0\n3 2 0\n3 3 -0.02\n4 1 0\n4 2 0\n4 3 0\n"
    "6 3 0.05\n:\n3\nnode c v\n5 1 0.4\n6 3 -1.5\n1 1 7.0\n";

model prepared(const char* text) {
  model m;
  kalvane::input_text(m, text, "input.txt");
  kalvane::start(m);
  return m;
}

}  // namespace

TEST(Objective, GradientMatchesCentralDifferences) {
  model m = prepared(truss);
  const int32_t n = m.free_count;
  ASSERT_EQ(n, 5);
  terms::fmat1 x, g, scratch;
  x.allocate(1, n);
  g.allocate(1, n);
  scratch.allocate(1, n);
  for (int32_t i = 1; i <= n; ++i) x(i) = 0.05 * i - 0.12;
  kalvane::objective(m, n, x, g);
  for (int32_t i = 1; i <= n; ++i) {
    const double h = 1e-5;
    terms::fmat1 up = x, down = x;
    up(i) += h;
    down(i) -= h;
    const double derivative =
        (kalvane::objective(m, n, up, scratch) - kalvane::objective(m, n, down, scratch)) / (2 * h);
    EXPECT_NEAR(g(i), derivative, 1e-6 * (1 + std::fabs(derivative))) << i;
  }
}

TEST(Objective, AtRestThePotentialIsTheUnstrainedConstantAndTheGradientTheLoads) {
  // No prescribed displacement other than zero, x = 0: each bar at lambda = 1.
  model m = prepared(
      ":\n0.9 20 0.001 0 100 5\n:\n1 4.0\n:\n3\nn\n1 0 0 0\n2 3 0 4\n3 3 4 4\n:\n2\nb\n1 1 2 0.5\n2 2 3 0.25\n"
      ":\n3\nh\n1 1 0\n1 2 0\n1 3 0\n:\n3\nh\n2 3 -2.0\n3 1 1.5\n1 1 100.0\n");
  terms::fmat1 g;
  g.allocate(1, m.free_count);
  const double total = kalvane::objective(m, m.free_count, m.unknowns, g);
  EXPECT_EQ(total, 0.5 * 4.0 * 3.0 * 0.5 * 5.0 + 0.5 * 4.0 * 3.0 * 0.25 * 4.0);
  // Loads on free components enter the gradient negated; the one on prescribed node 1 not.
  EXPECT_EQ(g(m.dof_map(2, 3)), 2.0);
  EXPECT_EQ(g(m.dof_map(3, 1)), -1.5);
  EXPECT_EQ(g(m.dof_map(2, 1)), 0.0);
}

TEST(Objective, WithoutBarsOnlyTheLoadTermRemains) {
  model m = prepared(":\n0.9 20 0.001 0 100 5\n:\n1 4.0\n:\n2\nn\n1 0 0 0\n2 1 0 0\n:\n0\n:\n0\n:\n2\nh\n1 2 3.0\n2 3 -0.5\n");
  terms::fmat1 x = m.unknowns, g;
  g.allocate(1, m.free_count);
  x(m.dof_map(1, 2)) = 2.0;
  x(m.dof_map(2, 3)) = 4.0;
  EXPECT_EQ(kalvane::objective(m, m.free_count, x, g), -6.0 + 2.0);
  EXPECT_EQ(g(m.dof_map(1, 2)), -3.0);
  EXPECT_EQ(g(m.dof_map(2, 3)), 0.5);
}

TEST(Objective, EveryComponentPrescribedLeavesOnlyTheBarEnergies) {
  model m = prepared(
      ":\n0.9 20 0.001 0 100 5\n:\n1 2.0\n:\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 2 1.0\n"
      ":\n6\nh\n1 1 0\n1 2 0\n1 3 0\n2 1 1.0\n2 2 0\n2 3 0\n:\n1\nh\n2 1 5.0\n");
  EXPECT_EQ(m.free_count, 0);
  terms::fmat1 g;
  // lambda = 2: W = 0.5 * 2 * (4 + 1)
  EXPECT_EQ(kalvane::objective(m, 0, m.unknowns, g), 5.0);
}
