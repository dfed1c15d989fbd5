// The corrector on the arc: one bordered Newton step, by block elimination and its step of
// refinement, against a dense solve of the same augmented system
//   [ K      rate   ] [dx]   [ -g   ]
//   [ θ a_x^T  a_t  ] [dt] = [ -off ]
// on a truss and a dome, at points far from and close to a limit point, where K is nearly
// singular and the elimination alone loses digits; and the kind of point between two.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <vector>

#include "check_fixture.hpp"
#include "newton/continuation.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

struct stepped {
  kn::vector x_dense, x_corrected;
  double t_dense = 0.0, t_corrected = 0.0;
  double scale = 1.0;  // of the displacements
};

// From the point of `s` at (x, t) with its tangent, predicts `length` along it and takes one
// corrector step; and the same step from a dense solve.
stepped one_step(const kalvane::structure& s, const kn::vector& x, double t, double length, double theta) {
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  kn::path_settings settings;
  settings.corrector_steps = 1;
  settings.corrector_tolerance = 0.0;
  const kn::load_stage stage = kn::stages_of(s, kn::loading::staged).back();
  kn::path_work w{s, s, stage, pattern, f, settings, theta, {}, 0, 0, false, {}, false};
  kn::path_state a;
  a.x = x;
  a.t = t;
  EXPECT_TRUE(kn::settle(w, a));
  // The matrix the corrector's first step takes is the one factorised at a (the chord's).
  Eigen::MatrixXd K = Eigen::MatrixXd(pattern.matrix);
  K = Eigen::MatrixXd(K.selfadjointView<Eigen::Lower>());
  stepped out;
  kn::vector px = a.x;
  for (std::size_t p = 0; p < px.size(); ++p) px[p] += length * a.tangent_x[p];
  const double pt = a.t + length * a.tangent_t;
  // Off the plane by a little, so that the constraint's row has work to do too.
  px[0] += 1e-3 * length;
  kalvane::structure scaled = s;
  kn::apply_stage(scaled, s, stage, pt);
  const kn::state g = kn::evaluate(scaled, px);
  kn::vector rate;
  kn::residual_rate(scaled, s, stage, pt, px, rate);
  const auto n = static_cast<Eigen::Index>(px.size());
  Eigen::MatrixXd A = Eigen::MatrixXd::Zero(n + 1, n + 1);
  Eigen::VectorXd rhs(n + 1);
  double along = 0.0;
  for (Eigen::Index i = 0; i < n; ++i) {
    const auto p = static_cast<std::size_t>(i);
    A.block(0, 0, n, n) = K;
    A(i, n) = rate[p];
    A(n, i) = theta * a.tangent_x[p];
    rhs(i) = -g.gradient[p];
    along += a.tangent_x[p] * (px[p] - a.x[p]);
  }
  A(n, n) = a.tangent_t;
  rhs(n) = -(theta * along + a.tangent_t * (pt - a.t) - length);
  const Eigen::VectorXd step = A.fullPivLu().solve(rhs);
  out.x_dense = px;
  for (Eigen::Index i = 0; i < n; ++i) out.x_dense[static_cast<std::size_t>(i)] += step(i);
  out.t_dense = pt + step(n);
  out.x_corrected = px;
  out.t_corrected = pt;
  kn::correct_on_arc(w, a, length, out.x_corrected, out.t_corrected);
  out.scale = std::max(kn::max_abs(px), 1e-300);
  return out;
}

void expect_same_step(const stepped& s, double tolerance) {
  for (std::size_t p = 0; p < s.x_dense.size(); ++p)
    EXPECT_NEAR(s.x_dense[p], s.x_corrected[p], tolerance * s.scale) << p;
  EXPECT_NEAR(s.t_dense, s.t_corrected, tolerance);
}

TEST(NewtonContinuation, BorderedStepMatchesADenseSolve) {
  scratch_folder folder;
  const kalvane::structure truss = nm::structured(nm::prepared(folder, nm::two_bar_truss(20000.0)));
  // At the unloaded shape and partway up the stable branch.
  expect_same_step(one_step(truss, kn::vector(2, 0.0), 0.0, 0.05, 1e-4), 1e-10);
  expect_same_step(one_step(truss, kn::vector{0.0, -10.0}, 0.3, 0.05, 1e-4), 1e-10);
  scratch_folder dome_folder;
  const kalvane::structure dome = nm::structured(nm::prepared(dome_folder, nm::star_dome(50000.0)));
  expect_same_step(one_step(dome, kn::vector(static_cast<std::size_t>(dome.base.free_count), 0.0), 0.0, 0.02, 1e-6),
                   1e-10);
}

TEST(NewtonContinuation, BorderedStepNearALimitPointKeepsItsDigits) {
  // The two-bar truss follows its path to its first limit point; one step from just before
  // it, where K is nearly singular and the two solves of the elimination nearly parallel.
  scratch_folder folder;
  const kalvane::structure truss = nm::structured(nm::prepared(folder, nm::two_bar_truss(20000.0)));
  kn::stiffness_pattern pattern = kn::pattern_of(truss.base);
  kn::factorisation f;
  std::vector<kn::path_point> points;
  std::vector<kn::vector> states;
  kn::follow_path(truss, pattern, f, {}, [&](const kn::path_point& p, const kn::vector& x) {
    points.push_back(p);
    states.push_back(x);
    return kn::path_control::go_on;
  });
  std::size_t limit = 0;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (points[i].kind == kn::point_kind::limit) {
      limit = i;
      break;
    }
  ASSERT_GT(limit, 0u);
  ASSERT_LT(std::fabs(points[limit].smallest_pivot), 1e-4);
  expect_same_step(one_step(truss, states[limit], points[limit].load_factor, 0.01, 1e-4), 1e-8);
}

}  // namespace
