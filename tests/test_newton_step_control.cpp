// Whether a step crossed unstable ground: a bar swinging about its pin, stretched, is stable
// all round its arc, though the straight chord between two of its positions shortens it
// into compression. The chord alone would refuse every such step; the cubic through both
// ends with their tangents follows the arc, and the step stands. (A step that does cross from
// one branch to another, the two-bar truss's snap, is refused: test_newton_branch.cpp.) And
// whether a step squeezed a bar through a point: pushed along its axis past its pin, not
// swung round it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "check_fixture.hpp"
#include "newton/step_control.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

// Node 2 of a unit bar pinned at node 1, free in X and Y, at `angle` on a circle of radius
// `radius` about the pin, moving round it.
kn::path_state on_circle(double radius, double angle) {
  kn::path_state p;
  p.x = {radius * std::cos(angle) - 1.0, radius * std::sin(angle)};
  p.tangent_x = {-std::sin(angle), std::cos(angle)};
  p.t = 1.0;
  return p;
}

kalvane::structure pinned_bar(const scratch_folder& folder) {
  nm::structure s;
  s.nodes = {{0, 0, 0}, {1, 0, 0}};
  s.bars = {{1, 2, 1.0}};
  nm::hold(s, 1);
  nm::hold(s, 2, 3, 3);
  s.loads = {{2, 1, 1.0}};
  return nm::structured(nm::prepared(folder, s));
}

// The path's work on the pinned bar, as the step control sees it.
struct pinned_bar_work {
  scratch_folder folder;
  const kalvane::structure bar = pinned_bar(folder);
  kn::stiffness_pattern pattern = kn::pattern_of(bar.base);
  kn::factorisation f;
  const kn::path_settings settings;
  const kn::load_stage stage = kn::stages_of(bar, kn::loading::staged).back();
  kn::path_work w{bar, bar, stage, pattern, f, settings, 1.0, {}, 0, 0, false, {}, false};
};

TEST(NewtonStepControl, ABarSwingingStretchedRoundItsPinCrossesNoUnstableGround) {
  pinned_bar_work pinned;
  kn::path_work& w = pinned.w;

  const double swing = 40.0 * std::numbers::pi / 180.0;
  // Stretched by 1 %: the chord's middle is 6 % short of the rest length.
  const kn::path_state a = on_circle(1.01, 0.0), b = on_circle(1.01, swing);
  EXPECT_FALSE(kn::crossed_unstable_ground(w, a, b));
}

TEST(NewtonStepControl, ABarPushedThroughItsPinIsSqueezedThroughAPointAndOneSwungRoundItIsNot) {
  pinned_bar_work pinned;
  kn::path_work& w = pinned.w;
  const double quarter = 0.5 * std::numbers::pi;
  EXPECT_EQ(0, kn::bar_squeezed_through_a_point(w, on_circle(1.0, 0.0), on_circle(0.2, quarter)));
  EXPECT_EQ(1, kn::bar_squeezed_through_a_point(w, on_circle(0.1, 0.0), on_circle(3.0, 2 * quarter)));
  // Short of its pin, and past it off the axis by more than a hundredth of the bar: no.
  EXPECT_EQ(0, kn::bar_squeezed_through_a_point(w, on_circle(1.0, 0.0), on_circle(0.005, 0.0)));
  kn::path_state beside = on_circle(0.5, 2 * quarter);
  beside.x[1] = 0.05;
  EXPECT_EQ(0, kn::bar_squeezed_through_a_point(w, on_circle(0.5, 0.0), beside));
}

}  // namespace
