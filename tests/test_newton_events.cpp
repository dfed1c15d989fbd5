// The path's watched functions: which kind of point lies between two, and the cables that
// crossed their rest lengths over a step, in the step's order.
#include <gtest/gtest.h>

#include "check_fixture.hpp"
#include "newton/events.hpp"
#include "newton/loading.hpp"
#include "newton/slack.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

TEST(NewtonEvents, KindOfPointBetweenTwo) {
  kn::path_state a, b;
  a.tangent_t = 0.5;
  b.tangent_t = 0.4;
  EXPECT_EQ(kn::point_kind::regular, kn::event_between(a, b));
  b.tangent_t = -0.1;
  EXPECT_EQ(kn::point_kind::limit, kn::event_between(a, b));
  b.tangent_t = 0.4;
  b.at.negative = 1;
  EXPECT_EQ(kn::point_kind::bifurcation, kn::event_between(a, b));
}

// Three cables in a row between supports, the two middle nodes free along X. Over the step
// cable 1 goes slack a quarter of the way (its strain from +0.5e-3 to -1.5e-3) and cable 3
// taut half way (-0.5e-3 to +0.5e-3); cable 2 stays taut, from its rest length on. Back
// over the same step, each crosses the other way, in the reverse order.
TEST(NewtonEvents, CablesCrossedOverAStepInOrder) {
  scratch_folder folder;
  nm::structure input;
  input.nodes = {{0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}, {2000.0, 0.0, 0.0}, {3000.0, 0.0, 0.0}};
  input.bars = {{1, 2, 10.0}, {2, 3, 10.0}, {3, 4, 10.0}};
  nm::hold(input, 1);
  nm::hold(input, 4);
  nm::hold(input, 2, 2, 3);
  nm::hold(input, 3, 2, 3);
  input.loads = {{2, 1, 1.0}};
  kalvane::structure s = nm::structured(nm::prepared(folder, input));
  for (kalvane::member& m : s.members) m.behaviour = kalvane::bar_behaviour::cable;
  kalvane::prepare(s);
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  kn::path_settings settings;
  kn::path_work w{s, s, kn::stages_of(s, kn::loading::staged).front(), pattern, f, settings, 1.0, {}, 0, 0, false, {},
                  kn::has_cables(s)};
  kn::path_state a, b;
  a.x = {0.5, 0.5};
  b.x = {-1.5, -0.5};
  const std::vector<kn::cable_crossing> crossed = kn::cables_crossed(w, a, b);
  ASSERT_EQ(2u, crossed.size());
  EXPECT_EQ(1, crossed[0].bar);
  EXPECT_TRUE(crossed[0].slack);
  EXPECT_NEAR(0.25, crossed[0].fraction, 1e-12);
  EXPECT_EQ(3, crossed[1].bar);
  EXPECT_FALSE(crossed[1].slack);
  EXPECT_NEAR(0.5, crossed[1].fraction, 1e-12);
  const std::vector<kn::cable_crossing> back = kn::cables_crossed(w, b, a);
  ASSERT_EQ(2u, back.size());
  EXPECT_EQ(3, back[0].bar);
  EXPECT_TRUE(back[0].slack);
  EXPECT_NEAR(0.5, back[0].fraction, 1e-12);
  EXPECT_EQ(1, back[1].bar);
  EXPECT_FALSE(back[1].slack);
  EXPECT_NEAR(0.75, back[1].fraction, 1e-12);
}

}  // namespace
