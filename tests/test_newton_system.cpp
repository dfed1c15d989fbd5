// The structure as Newton's method sees it: the gradient against central differences of the
// energy and the tangent against central differences of the gradient, on a net of steel
// bars and cables (some slack, some taut, some cut short); the reactions' balance; and the
// rounding level against the floor Newton's method actually reaches on chains that swing
// far from their drawn shape and on a pretensioned net.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "check_fixture.hpp"
#include "newton/minimise.hpp"
#include "newton/newton.hpp"
#include "newton/path.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

// A saddle net of steel whose hogging cables are cables, a few cut short, under load.
kalvane::structure mixed_net(const scratch_folder& folder) {
  kalvane::structure s = nm::structured(nm::prepared(folder, nm::saddle_net(5, 5, 1000.0, 400.0, 0.001, -2000.0)));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 160000.0;
  const std::size_t half = s.members.size() / 2;
  for (std::size_t b = half; b < s.members.size(); ++b) s.members[b].behaviour = kalvane::bar_behaviour::cable;
  for (std::size_t b = 0; b < s.members.size(); b += 4)
    s.members[b].rest_length = 0.999 * s.base.bars(static_cast<long long>(b) + 1).length0;
  kalvane::prepare(s);
  return s;
}

// A state with some cables slack and some taut, kept off the kink by the caller.
kn::vector shaken(const kalvane::structure& s, double size) {
  kn::vector x(static_cast<std::size_t>(s.base.free_count));
  for (std::size_t p = 0; p < x.size(); ++p) x[p] = size * std::sin(2.1 * static_cast<double>(p) + 0.4);
  return x;
}

TEST(NewtonSystem, GradientAndTangentAgainstDifferences) {
  scratch_folder folder;
  kalvane::structure s = mixed_net(folder);
  // Prescribed at full value: the edges pulled out.
  const kn::vector x = shaken(s, 3.0);
  const kn::results r = kn::results_at(s, x);
  int slack = 0;
  for (auto flag : r.slack) slack += flag;
  ASSERT_GT(slack, 0);
  ASSERT_LT(slack, static_cast<int>(r.slack.size()) / 2);
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  const kn::state at = kn::evaluate(s, x, &pattern, false);
  const double h = 1e-4;
  double largest = kn::max_abs(at.gradient);
  for (std::size_t p = 0; p < x.size(); ++p) {
    kn::vector up = x, down = x;
    up[p] += h;
    down[p] -= h;
    const kn::state a = kn::evaluate(s, up), b = kn::evaluate(s, down);
    EXPECT_NEAR((a.energy - b.energy) / (2.0 * h), at.gradient[p], 1e-6 * largest + 1e-9 * std::fabs(at.energy)) << p;
    // Column p of the tangent.
    kn::vector unit(x.size(), 0.0);
    unit[p] = 1.0;
    const kn::vector column = kn::multiply(pattern, unit);
    double stiffest = kn::max_abs(column);
    for (std::size_t q = 0; q < x.size(); ++q)
      EXPECT_NEAR((a.gradient[q] - b.gradient[q]) / (2.0 * h), column[q], 1e-5 * stiffest + 1e-9) << p << " " << q;
  }
}

TEST(NewtonSystem, ReactionsBalanceTheLoadsAndSlackCablesCarryNothing) {
  scratch_folder folder;
  const kalvane::structure s = mixed_net(folder);
  const kn::vector x = shaken(s, 3.0);
  const kn::results r = kn::results_at(s, x);
  const kn::state at = kn::evaluate(s, x);
  // At a free component the reaction, end forces less the load, is the gradient itself.
  for (int32_t k = 1; k <= s.base.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const int32_t p = s.base.dof_map(k, c);
      if (p > s.base.free_count) continue;
      EXPECT_NEAR(at.gradient[static_cast<std::size_t>(p - 1)],
                  r.reaction[3 * static_cast<std::size_t>(k - 1) + static_cast<std::size_t>(c - 1)],
                  1e-9 * kn::max_abs(at.scale));
    }
  for (std::size_t b = 0; b < r.slack.size(); ++b) {
    if (!r.slack[b]) continue;
    EXPECT_EQ(kalvane::bar_behaviour::cable, s.members[b].behaviour);
    EXPECT_EQ(0.0, r.force[b]);
    EXPECT_EQ(0.0, r.stress[b]);
    EXPECT_LT(r.strain[b], 0.0);
  }
}

// Newton's method to its floor from x: with no tolerance it stops where rounding has the last
// word, and the rounding level must tell that floor, or a check would refuse an exact answer.
void expect_floor_within_rounding(const kalvane::structure& s, kn::vector x) {
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  kn::newton_settings settings;
  settings.max_steps = 200;
  settings.chord = false;
  kn::newton_result r = kn::newton_solve(s, x, pattern, f, settings);
  ASSERT_TRUE(r.converged) << "gradient " << r.gradient << " rounding " << r.rounding;
  // A few more Newton steps from the floor stay within the rounding level throughout.
  for (int i = 0; i < 3; ++i) {
    settings.max_steps = 1;
    kn::newton_solve(s, x, pattern, f, settings);
    const kn::state at = kn::evaluate(s, x);
    EXPECT_TRUE(kn::within(at, 0.0)) << "step " << i << ": gradient " << kn::max_abs(at.gradient) << ", rounding "
                                     << kn::largest_rounding(at);
  }
}

TEST(NewtonSystem, RoundingLevelHoldsNewtonsFloorOnChainsThatSwingFar) {
  // Chains of 20 stiff links from a stress-free arc, heavy loads, hanging far below and
  // beside where they were drawn: every bar swings through a large angle and stretches little.
  for (double sag : {50.0, 400.0, 1500.0}) {
    scratch_folder folder;
    kalvane::structure s =
        nm::structured(nm::prepared(folder, nm::hanging_chain(20, 10000.0, 3000.0, sag, 10000.0, 1000.0)));
    s.materials[0].law = kalvane::axial_law::linear_elastic;
    s.materials[0].E = 200000.0;
    kalvane::prepare(s);
    kn::stiffness_pattern pattern = kn::pattern_of(s.base);
    kn::factorisation f;
    kn::vector x(static_cast<std::size_t>(s.base.free_count), 0.0);
    // The minimiser finds the hanging shape from the slack arc; then Newton to the floor.
    ASSERT_TRUE(kn::minimise_energy(s, x, pattern, f).converged) << sag;
    expect_floor_within_rounding(s, x);
  }
}

TEST(NewtonSystem, RoundingLevelHoldsNewtonsFloorOnAChainFlippedFromAnArch) {
  // Drawn as an arch above its supports, stress-free, the chain hangs below them under its
  // loads: every link swings through a large angle, none stretches more than 1e-4.
  for (double rise : {1500.0, 4000.0}) {
    nm::structure input = nm::hanging_chain(20, 10000.0, 0.0, rise, 10000.0, 1000.0);
    for (nm::node_line& n : input.nodes) n.z = -n.z;
    scratch_folder folder;
    kalvane::structure s = nm::structured(nm::prepared(folder, input));
    s.materials[0].law = kalvane::axial_law::linear_elastic;
    s.materials[0].E = 200000.0;
    kalvane::prepare(s);
    kn::stiffness_pattern pattern = kn::pattern_of(s.base);
    kn::factorisation f;
    kn::vector x(static_cast<std::size_t>(s.base.free_count), 0.0);
    ASSERT_TRUE(kn::minimise_energy(s, x, pattern, f).converged) << rise;
    ASSERT_LT(x[static_cast<std::size_t>(s.base.dof_map(11, 3) - 1)], -2.0 * rise);  // it flipped
    expect_floor_within_rounding(s, x);
  }
}

TEST(NewtonSystem, RoundingLevelHoldsNewtonsFloorOnAPretensionedNet) {
  scratch_folder folder;
  const kalvane::structure s = nm::structured(nm::prepared(folder, nm::saddle_net(7, 7, 1000.0, 500.0, 0.00375, -8000.0)));
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  ASSERT_TRUE(reached_full_load(path));
  expect_floor_within_rounding(s, path.x);
}

}  // namespace
