// Newton's method on the total potential and the globally convergent minimiser: how fast
// they converge, what they reuse, what they refuse, and where they start from nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "newton/minimise.hpp"
#include "newton/newton.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

// The free position of component c of node k.
std::size_t at(const kalvane::model& m, int node, int component) {
  return static_cast<std::size_t>(m.dof_map(node, component) - 1);
}

kn::newton_result solve_from(const kalvane::model& m, kn::vector& x, int max_steps, bool refuse_negative = false,
                             bool chord = true) {
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::newton_settings settings;
  settings.max_steps = max_steps;
  settings.refuse_negative = refuse_negative;
  settings.chord = chord;
  return kn::newton_solve(nm::structured(m), x, pattern, f, settings);
}

// The inertia of the stiffness at x.
kn::inertia inertia_at(const kalvane::model& m, const kn::vector& x) {
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::evaluate(nm::structured(m), x, &pattern);
  return kn::factorise(f, pattern);
}

// From the unloaded shape of the truss at a tenth of its limit load, each Newton step's
// gradient is of the order of the square of the last one's (relative to the first), down
// to rounding; the chord method gets there on fewer factorisations, each step still gaining.
TEST(Newton, ConvergesQuadraticallyToTheNearEquilibriumAndTheChordOnFewerFactorisations) {
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(1000.0));
  for (const bool chord : {false, true}) {
    std::vector<double> gradients;
    kn::newton_result r;
    for (int steps = 0; steps <= 20 && !r.converged; ++steps) {
      kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
      r = solve_from(m, x, steps, false, chord);
      gradients.push_back(r.gradient);
      if (r.converged) {
        EXPECT_NEAR(x[at(m, 2, 3)], -1.969477, 1e-5);  // the near branch, not the inverted shape
      }
    }
    ASSERT_TRUE(r.converged);
    for (std::size_t k = 1; k + 1 < gradients.size(); ++k) {
      const double before = gradients[k] / gradients[0], after = gradients[k + 1] / gradients[0];
      if (after < 1e-12) continue;
      EXPECT_LE(after, chord ? 0.25 * before : 10.0 * before * before) << k;
    }
    EXPECT_LE(chord ? r.factorisations : static_cast<int>(gradients.size()), chord ? 2 : 7);
  }
}

// A factorisation held from a nearby equilibrium serves the next one as the chord method's,
// and a structure that nothing else changed needs no fresh one.
TEST(Newton, ReusesAHeldFactorisationNearby) {
  scratch_folder first, second;
  const kalvane::model m = nm::prepared(first, nm::two_bar_truss(1000.0));
  const kalvane::model near = nm::prepared(second, nm::two_bar_truss(1001.0));
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::newton_settings settings;
  kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
  ASSERT_TRUE(kn::newton_solve(nm::structured(m), x, pattern, f, settings).converged);
  settings.start_with_held_factorisation = true;
  const long before = f.count;
  kn::vector reused = x;
  const kn::newton_result r = kn::newton_solve(nm::structured(near), reused, pattern, f, settings);
  EXPECT_TRUE(r.converged);
  EXPECT_EQ(r.factorisations, 0);
  EXPECT_EQ(f.count, before);
  kn::vector fresh(x.size(), 0.0);
  ASSERT_TRUE(solve_from(near, fresh, 60).converged);
  for (std::size_t p = 0; p < x.size(); ++p) EXPECT_NEAR(reused[p], fresh[p], 1e-12 * kn::max_abs(fresh)) << p;
  EXPECT_GT(std::fabs(reused[at(m, 2, 3)] - x[at(m, 2, 3)]), 1e-4);  // it did move
}

// Started between the two stable shapes, where the apex's stiffness is negative, Newton
// refuses at once when asked to. Otherwise it settles on the equilibrium nearest its start,
// the unstable one between them; the minimiser, from the same start, on a stable one.
TEST(Newton, RefusesANegativePivotWhenAskedAndOtherwiseSettlesStable) {
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(1000.0));
  kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
  x[at(m, 2, 3)] = -90.0;
  kn::vector refused = x;
  const kn::newton_result r = solve_from(m, refused, 60, true);
  EXPECT_TRUE(r.met_negative);
  EXPECT_FALSE(r.converged);
  EXPECT_EQ(r.factorisations, 1);
  EXPECT_GT(r.last.negative, 0);

  kn::vector minimised = x;
  const kn::newton_result free_run = solve_from(m, x, 60);
  EXPECT_TRUE(free_run.converged);
  EXPECT_EQ(inertia_at(m, x).negative, 1);
  EXPECT_GT(x[at(m, 2, 3)], -100.0);  // above the flat position, where the load pushes it down

  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  const kn::minimise_result minimum = kn::minimise_energy(nm::structured(m), minimised, pattern, f);
  EXPECT_TRUE(minimum.converged);
  EXPECT_TRUE(inertia_at(m, minimised).minimum());
}

// A flat net before its tension holds nothing across its plane: those components get
// no stiffness at all from the unloaded shape. Pulled at its edge and pushed across its
// plane, Newton and the minimiser both find the one equilibrium; without the push the net
// stays flat to the last bit.
TEST(Newton, ComponentsNothingHoldsYetAreHeldUntilTheTensionHoldsThem) {
  scratch_folder flat_folder, pushed_folder;
  const kalvane::model flat = nm::prepared(flat_folder, nm::flat_net(4, 1000.0, 0.002, 0.0));
  kn::vector x(static_cast<std::size_t>(flat.free_count), 0.0);
  const kn::newton_result r = solve_from(flat, x, 60);
  EXPECT_TRUE(r.converged);
  EXPECT_TRUE(inertia_at(flat, x).minimum());
  for (int node = 1; node <= flat.node_count; ++node) {
    if (flat.dof_map(node, 3) <= flat.free_count) {
      EXPECT_EQ(x[at(flat, node, 3)], 0.0) << node;
    }
  }
  // Each interior node moves outward with the pull, the centre not at all.
  EXPECT_NEAR(x[at(flat, 8, 1)], 0.002 * (1000.0 - 2000.0), 1e-9);
  EXPECT_NEAR(x[at(flat, 13, 1)], 0.0, 1e-9);

  const kalvane::model pushed = nm::prepared(pushed_folder, nm::flat_net(4, 1000.0, 0.002, -2000.0));
  kn::vector by_newton(static_cast<std::size_t>(pushed.free_count), 0.0), by_minimiser = by_newton;
  ASSERT_TRUE(solve_from(pushed, by_newton, 60).converged);
  kn::stiffness_pattern pattern = kn::pattern_of(pushed);
  kn::factorisation f;
  const kn::minimise_result minimum = kn::minimise_energy(nm::structured(pushed), by_minimiser, pattern, f);
  ASSERT_TRUE(minimum.converged);
  EXPECT_LT(by_newton[at(pushed, 13, 3)], -10.0);
  for (std::size_t p = 0; p < by_newton.size(); ++p)
    EXPECT_NEAR(by_minimiser[p], by_newton[p], 1e-9 * kn::max_abs(by_newton)) << p;
}

// A chain stress-free on an arc is a mechanism until its weights pull it taut: every
// Newton step from there needs a shift. The minimiser finds the hanging shape, every link
// in tension, its supports carrying the weights.
TEST(Minimise, FindsAChainHangingFromSlack) {
  scratch_folder folder;
  const int links = 14;
  const double weight = 500.0;
  const kalvane::model m = nm::prepared(folder, nm::hanging_chain(links, 10000.0, 3000.0, 1500.0, weight));
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
  const kn::minimise_result r = kn::minimise_energy(nm::structured(m), x, pattern, f);
  ASSERT_TRUE(r.converged);
  EXPECT_FALSE(r.unbounded);
  EXPECT_TRUE(r.last.minimum());
  EXPECT_LE(r.gradient, 16.0 * r.rounding);
  const kn::results results = kn::results_at(nm::structured(m), x);
  for (double stress : results.stress) EXPECT_GT(stress, 0.0);
  const double lifted = results.reaction[2] + results.reaction[3 * links + 2];  // Z at both supports
  EXPECT_NEAR(lifted, (links - 1) * weight, 1e-9 * (links - 1) * weight);
  EXPECT_NEAR(results.reaction[0], -results.reaction[3 * links], 1e-9 * std::fabs(results.reaction[0]));
}

// A bar with no support, pushed along itself: the energy falls without bound.
TEST(Minimise, TellsAMechanismUnderItsLoadsFromAnEquilibrium) {
  scratch_folder folder;
  nm::structure s;
  s.nodes = {{0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}};
  s.bars = {{1, 2, 100.0}};
  s.loads = {{1, 1, 10.0}, {2, 1, 10.0}};
  const kalvane::model m = nm::prepared(folder, s);
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
  const kn::minimise_result r = kn::minimise_energy(nm::structured(m), x, pattern, f);
  EXPECT_TRUE(r.unbounded);
  EXPECT_FALSE(r.converged);
  EXPECT_LT(r.steps, 60);
}

// Unloaded and pressed flat, the truss is in equilibrium with its bars in compression: a
// saddle of the energy. The minimiser leaves it downhill, along its negative curvature, to
// one of the two stress-free shapes.
TEST(Minimise, LeavesASaddleForAStableShape) {
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(0.0));
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
  x[at(m, 2, 3)] = -100.0;
  const kn::minimise_result r = kn::minimise_energy(nm::structured(m), x, pattern, f);
  ASSERT_TRUE(r.converged);
  const double apex = x[at(m, 2, 3)];
  EXPECT_NEAR(std::fabs(apex + 100.0), 100.0, 1e-6);
}

}  // namespace
