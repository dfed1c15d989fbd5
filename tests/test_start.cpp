#include "model/start.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "error.hpp"
#include "mechanics/element.hpp"
#include "run.hpp"
#include "support.hpp"

using kalvane::model;

namespace {

// A model from its sections after the settings line and material line.
model prepared(const std::string& settings, const std::string& rest) {
  model m;
  kalvane::run_plan plan;
  plan.input_text = ":\n" + settings + "\n:\n1 10.0\n" + rest;
  plan.last = kalvane::stage::start;
  kalvane::run(m, plan);
  return m;
}

kalvane::error failure(const std::string& rest) {
  try {
    prepared("0.9 20 0.001 0 100 5", rest);
  } catch (const kalvane::error& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return kalvane::error("", "");
}

kalvane::element_result solve(model& m) {
  kalvane::run_plan plan;
  plan.first = kalvane::stage::minimise;
  plan.last = kalvane::stage::check;
  kalvane::run(m, plan);
  double f[6];
  return kalvane::element1(m, m.bars(1), m.unknowns, f);
}

}  // namespace

TEST(Start, NumbersFreeComponentsFirstThenPrescribedNodeByNode) {
  model all_free = prepared("0.9 20 0.001 0 100 5", ":\n3\nn\n1 0 0 0\n2 1 0 0\n3 2 0 0\n:\n0\n:\n0\n:\n1\nh\n2 1 1.0\n");
  EXPECT_EQ(all_free.free_count, 9);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(all_free.dof_map(i, j), 3 * (i - 1) + j);

  model held = prepared("0.9 20 0.001 0 100 5",
                        ":\n3\nn\n1 0 0 0\n2 1 0 0\n3 2 0 0\n:\n0\n:\n4\nh\n1 3 0\n1 1 0\n1 2 0\n3 2 0.5\n:\n1\nh\n2 1 1.0\n");
  EXPECT_EQ(held.free_count, 5);
  EXPECT_EQ(held.dof_map(2, 1), 1);
  EXPECT_EQ(held.dof_map(3, 3), 5);
  EXPECT_EQ(held.dof_map(1, 1), 6);
  EXPECT_EQ(held.dof_map(1, 3), 8);
  EXPECT_EQ(held.dof_map(3, 2), 9);
  EXPECT_EQ(held.unknowns.length(), 5);
  EXPECT_EQ(held.gradient(1), -1.0);
}

TEST(Start, BarGeometryAndItsReversal) {
  model m = prepared("0.9 20 0.001 0 100 5",
                     ":\n2\nn\n1 0 0 0\n2 3 0 4\n:\n2\nb\n1 1 2 1.0\n2 2 1 1.0\n:\n0\n:\n1\nh\n2 1 1.0\n");
  const kalvane::bar_record &a = m.bars(1), &b = m.bars(2);
  EXPECT_EQ(a.length0, 5.0);
  EXPECT_EQ(a.cx, 0.6);
  EXPECT_EQ(a.cy, 0.0);
  EXPECT_EQ(a.cz, 0.8);
  EXPECT_EQ(b.length0, 5.0);
  EXPECT_EQ(b.cx, -0.6);
  EXPECT_EQ(b.cz, -0.8);
}

TEST(Start, AllowableGradient) {
  const std::string rest = ":\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 2 1.0\n:\n3\nh\n1 1 0\n1 2 0\n1 3 0\n:\n1\nh\n2 2 -4.0\n";
  EXPECT_EQ(prepared("0.9 20 0.001 2.5 100 5", rest).allowable_gradient, 2.5 * 0.001);
  EXPECT_EQ(prepared("0.9 20 0.01 0 100 5", rest).allowable_gradient, 4.0 * 0.01);
  EXPECT_EQ(prepared("0.9 20 0.01 -1 100 5", rest).allowable_gradient, 4.0 * 0.01);
  // No load and no prescribed motion: the starting gradient is zero, and so is the threshold.
  model still = prepared("0.9 20 0.01 0 100 5", ":\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 2 1.0\n:\n0\n:\n0\n");
  EXPECT_EQ(still.allowable_gradient, 0.0);
  EXPECT_EQ(still.objective_value, 0.5 * 10.0 * 3.0 * 1.0 * 1.0);
}

TEST(Start, RefusesBarsItCannotPlace) {
  kalvane::error e = failure(":\n3\nn\n1 0 0 0\n2 1 0 0\n3 1 0 0\n:\n2\nb\n1 1 2 1.0\n2 2 3 1.0\n:\n0\n:\n0\n");
  EXPECT_EQ(e.name, "MODEL_ERROR");
  EXPECT_NE(std::string(e.what()).find("bar 2 has zero length: nodes 2 and 3 coincide"), std::string::npos) << e.what();
  e = failure(":\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 2 2 1.0\n:\n0\n:\n0\n");
  EXPECT_EQ(e.name, "MODEL_ERROR");
  e = failure(":\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 3 1.0\n:\n0\n:\n0\n");
  EXPECT_EQ(e.name, "INDEX_ERROR");
  EXPECT_NE(std::string(e.what()).find("bar 1 names node 3"), std::string::npos) << e.what();
  e = failure(":\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 0 2 1.0\n:\n0\n:\n0\n");
  EXPECT_EQ(e.name, "INDEX_ERROR");
  e = failure(":\n2\nn\n1 -1E308 0 0\n2 1E308 0 0\n:\n1\nb\n1 1 2 1.0\n:\n0\n:\n0\n");
  EXPECT_EQ(e.name, "MODEL_ERROR");
}

TEST(Start, ComponentCountBeyond32BitsOverflows) {
  model m;
  m.node_count = 800000000;
  try {
    kalvane::start(m);
    FAIL();
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, "OVERFLOW_ERROR");
  }
}

TEST(Solve, SingleBarUnderAxialLoadMeetsTheClosedForm) {
  const double F = 0.05, c1 = 10.0, area = 0.01;
  const std::string rest = ":\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 2 0.01\n:\n5\nh\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n"
                           ":\n1\nh\n2 1 0.05\n";
  model m = prepared("0.9 20 1E-9 0 1000 5", rest);
  solve(m);
  const double lambda = 1.0 + m.unknowns(1);
  EXPECT_GT(lambda, 1.1);
  EXPECT_NEAR(c1 * area * (lambda - 1.0 / (lambda * lambda)), F, 1e-9 * F);

  // Mooney-Rivlin: F = 2 area (lambda - 1/lambda^2)(c1 + c2/lambda)
  model mr;
  kalvane_test::scratch_folder folder;  // the run writes its deck on the way to the check
  kalvane::run_plan plan;
  plan.folder = folder.path;
  plan.input_text = ":\n0.9 20 1E-9 0 1000 5\n:\n2 4.0 1.5\n" + rest;
  plan.last = kalvane::stage::check;
  kalvane::run(mr, plan);
  const double l = 1.0 + mr.unknowns(1);
  EXPECT_NEAR(2 * area * (l - 1.0 / (l * l)) * (4.0 + 1.5 / l), F, 1e-9 * F);
}

TEST(Solve, TwoBarTrussUnderAnApexLoad) {
  // Bars from (-1,0,0) and (1,0,0) to the apex (0,0,1); load P down on the apex, small
  // enough that the apex stays above the supports.
  const double P = 0.2;
  model m = prepared("0.9 20 1E-10 0 1000 5",
                     ":\n3\nn\n1 -1 0 0\n2 1 0 0\n3 0 0 1\n:\n2\nb\n1 1 3 0.1\n2 2 3 0.1\n"
                     ":\n8\nh\n1 1 0\n1 2 0\n1 3 0\n2 1 0\n2 2 0\n2 3 0\n3 1 0\n3 2 0\n:\n1\nh\n3 3 -0.2\n");
  ASSERT_EQ(m.free_count, 1);
  kalvane::element_result e = solve(m);
  const double z = 1.0 + m.unknowns(1);
  const double length = std::sqrt(1.0 + z * z);
  const double lambda = length / std::sqrt(2.0);
  const double N = -e.stress * 0.1 / lambda;  // compression
  EXPECT_GT(N, 0.0);
  EXPECT_GT(z, 0.0);
  EXPECT_NEAR(2 * N * (z / length), P, 1e-9);
}
