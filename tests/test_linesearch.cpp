#include "nlp/linesearch.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "error.hpp"

namespace {

// A one-dimensional objective that records every point it is asked about.
struct recorded {
  double (*value)(double);
  double (*slope)(double);
  std::vector<double> points;
  double operator()(int32_t, const terms::fmat1& x, terms::fmat1& g) {
    points.push_back(x(1));
    g(1) = slope(x(1));
    return value(x(1));
  }
};

terms::fmat1 vector1(double v) {
  terms::fmat1 x;
  x.allocate(1, 1);
  x(1) = v;
  return x;
}

double quadratic(double x) { return (x - 0.3) * (x - 0.3); }
double quadratic_slope(double x) { return 2 * (x - 0.3); }
double far_quadratic(double x) { return (x - 5.0) * (x - 5.0); }
double far_quadratic_slope(double x) { return 2 * (x - 5.0); }

// Runs a failing line search and returns what it wrote to standard output.
template <class Call>
std::string halted(Call call) {
  testing::internal::CaptureStdout();
  try {
    call();
    ADD_FAILURE() << "no HALT";
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, "NLP.HALT");
    EXPECT_STREQ(e.what(), "nlp:126 instantiated at kalvane:342");
  }
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(LineSearch, QuadraticIsSolvedByOneCubicStep) {
  recorded f{quadratic, quadratic_slope, {}};
  terms::fmat1 x = vector1(0.0), g = vector1(quadratic_slope(0.0)), p = vector1(1.0);
  const double value = nlp::linesearch(f, 1, 20, 0.9, quadratic(0.0), x, g, p);
  ASSERT_EQ(f.points.size(), 2u);
  EXPECT_EQ(f.points[0], 1.0);
  EXPECT_EQ(x(1), 0.30000000000000004);
  EXPECT_EQ(value, quadratic(0.30000000000000004));
  EXPECT_EQ(g(1), quadratic_slope(0.30000000000000004));
  // The cubic between the bracket ends, with its values and slopes.
  EXPECT_EQ(nlp::cubic_step(0.0, quadratic(0.0), quadratic_slope(0.0), 1.0, quadratic(1.0), quadratic_slope(1.0)),
            0.30000000000000004);
}

TEST(LineSearch, ExpansionDoublesUntilTheValueStopsFalling) {
  recorded f{far_quadratic, far_quadratic_slope, {}};
  terms::fmat1 x = vector1(0.0), g = vector1(far_quadratic_slope(0.0)), p = vector1(1.0);
  nlp::linesearch(f, 1, 1, 0.9, far_quadratic(0.0), x, g, p);
  ASSERT_EQ(f.points.size(), 5u);  // 1, 2, 4, 8, then one zoom trial
  EXPECT_EQ(f.points[3], 8.0);
  EXPECT_GT(f.points[4], 4.0);  // the trial lies inside the bracket [4, 8]
  EXPECT_LT(f.points[4], 8.0);
}

TEST(LineSearch, TheTrialLimitCountsZoomTrials) {
  for (int32_t max_steps : {-3, 0, 1, 2, 7}) {
    recorded f{quadratic, quadratic_slope, {}};
    terms::fmat1 x = vector1(0.0), g = vector1(-0.6), p = vector1(1.0);
    // sigma < 0: no trial is ever accepted.
    nlp::linesearch(f, 1, max_steps, -1.0, 0.09, x, g, p);
    EXPECT_EQ(f.points.size(), 1u + static_cast<std::size_t>(std::max(max_steps, 1))) << max_steps;
    EXPECT_EQ(x(1), f.points.back());
  }
}

TEST(LineSearch, CubicStepFallbacks) {
  // Zero slopes pick their end; same-sign slopes without a real minimiser bisect.
  EXPECT_EQ(nlp::cubic_step(0.5, 1.0, 0.0, 2.0, 3.0, 1.0), 0.5);
  EXPECT_EQ(nlp::cubic_step(0.5, 1.0, -1.0, 2.0, 3.0, 0.0), 2.0);
  EXPECT_EQ(nlp::cubic_step(0.0, 1.0, -1.0, 1.0, -0.5, -4.0), 0.5);
  // A slope that is not a number ends at the midpoint.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(nlp::cubic_step(0.0, 1.0, -1.0, 4.0, 2.0, nan), 2.0);
  EXPECT_EQ(nlp::cubic_step(0.0, 1.0, -1.0, 4.0, nan, 1.0), 2.0);
}

TEST(LineSearch, RefusesToStartWithoutADescentDirection) {
  recorded f{quadratic, quadratic_slope, {}};
  terms::fmat1 empty, x = vector1(0.0), g = vector1(-0.6), zero = vector1(0.0), up = vector1(-1.0);
  EXPECT_EQ(halted([&] { nlp::linesearch(f, 0, 20, 0.9, 0.0, empty, empty, empty); }), "Line Search Failure\n");
  EXPECT_EQ(halted([&] { nlp::linesearch(f, 1, 20, 0.9, 0.09, x, g, zero); }), "Line Search Failure\n");
  EXPECT_EQ(halted([&] { nlp::linesearch(f, 1, 20, 0.9, 0.09, x, g, up); }), "Line Search Failure\n");
  EXPECT_TRUE(f.points.empty());
  EXPECT_EQ(x(1), 0.0);
  EXPECT_EQ(g(1), -0.6);
}

TEST(LineSearch, AnObjectiveFallingWithoutBoundStillEnds) {
  // Linear descent forever: the doubling stops once the value is no longer an ordinary
  // number, and the zoom then runs out of trials.
  recorded f{[](double x) { return -x; }, [](double) { return -1.0; }, {}};
  terms::fmat1 x = vector1(0.0), g = vector1(-1.0), p = vector1(1.0);
  nlp::linesearch(f, 1, 5, 0.9, 0.0, x, g, p);
  EXPECT_LT(f.points.size(), 1100u);
}
