// The companions' axial law: each law's force against its inverse, the end forces as the
// derivatives of the energy and the tangent as theirs for a bar away from its rest length,
// and the refusal of values without physical sense.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "error.hpp"
#include "newton/tangent.hpp"
#include "newton_models.hpp"
#include "structure/law.hpp"

namespace {

using kalvane::axial_law;
using kalvane::bar_behaviour;

kalvane::material law_of(axial_law law) {
  kalvane::material m;
  m.name = "m";
  m.law = law;
  m.c1 = 2.0, m.c2 = 0.5, m.E = 100.0;
  return m;
}

// One bar from the origin to (1.2, 0.5, -0.3), its ends' difference u.
kalvane::bar_record bar_along() {
  kalvane::bar_record bar;
  bar.node1 = 1, bar.node2 = 2, bar.area = 0.02;
  bar.length0 = std::sqrt((1.2 * 1.2 + 0.5 * 0.5) + 0.3 * 0.3);
  bar.cx = 1.2 / bar.length0, bar.cy = 0.5 / bar.length0, bar.cz = -0.3 / bar.length0;
  return bar;
}

double energy_at(const kalvane::bar_record& bar, const kalvane::material& mat, const kalvane::member& mem,
                 const double u[3]) {
  return kalvane::member_at(bar, mat, mem, u).energy;
}

}  // namespace

// A bar of each law pulled (and pushed) to a force: the inverse gives the stretch at which
// the law gives that force back; steel's is 1 + N / EA exactly; what no stretch can give is
// refused.
TEST(StructureLaw, EachLawsForceAgainstItsInverse) {
  for (axial_law law : {axial_law::neo_hooke, axial_law::mooney_rivlin, axial_law::linear_elastic}) {
    const kalvane::material mat = law_of(law);
    for (double force : {0.03, -0.02, 1e-9, 4.0}) {
      const auto lambda = kalvane::stretch_for_force(mat, bar_behaviour::bar, 0.02, force);
      ASSERT_TRUE(lambda) << kalvane::law_name(law) << " " << force;
      const kalvane::axial_response r = kalvane::respond(mat, bar_behaviour::bar, 0.02, 1.0, *lambda, *lambda - 1.0);
      EXPECT_NEAR(r.force, force, 1e-12 * std::fabs(force) + 1e-15) << kalvane::law_name(law) << " " << force;
    }
  }
  const kalvane::material steel = law_of(axial_law::linear_elastic);
  EXPECT_EQ(*kalvane::stretch_for_force(steel, bar_behaviour::bar, 0.02, 0.5), 1.0 + 0.5 / 0.02 / 100.0);
  EXPECT_FALSE(kalvane::stretch_for_force(steel, bar_behaviour::bar, 0.02, -2.0));  // squeezed to nothing
  EXPECT_FALSE(kalvane::stretch_for_force(steel, bar_behaviour::cable, 0.02, -0.1));  // a cable cannot push
  // Mooney-Rivlin laws that turn: c1 < 0 reaches a largest tension (c1 = -0.5, c2 = 1: at
  // about lambda = 1.4), c2 < 0 a largest push. Forces short of the turn are carried on the
  // branch from the unstressed state; beyond it, at no stretch.
  kalvane::material turning = law_of(axial_law::mooney_rivlin);
  turning.c1 = -0.5, turning.c2 = 1.0;
  double largest = 0.0;  // the tension at the turn, sampled finely
  for (double lambda = 1.0; lambda < 2.0; lambda += 1e-5)
    largest = std::max(largest, kalvane::respond(turning, bar_behaviour::bar, 1.0, 1.0, lambda, lambda - 1.0).force);
  for (double force : {1.4e-5, 0.1, 0.999 * largest}) {
    const auto lambda = kalvane::stretch_for_force(turning, bar_behaviour::bar, 1.0, force);
    ASSERT_TRUE(lambda) << force;
    const kalvane::axial_response r = kalvane::respond(turning, bar_behaviour::bar, 1.0, 1.0, *lambda, *lambda - 1.0);
    // A few units in the last place of a stretch near 1, times the law's slope there.
    EXPECT_NEAR(r.force, force, 1e-12 * force + 1e-14) << force;
    EXPECT_GT(r.slope, 0.0) << force;  // on the rising branch, not beyond the turn
  }
  EXPECT_FALSE(kalvane::stretch_for_force(turning, bar_behaviour::bar, 1.0, 1.001 * largest));
  turning.c1 = 2.0, turning.c2 = -1.0;
  const auto pushed = kalvane::stretch_for_force(turning, bar_behaviour::bar, 1.0, -0.5);
  ASSERT_TRUE(pushed);
  const kalvane::axial_response r = kalvane::respond(turning, bar_behaviour::bar, 1.0, 1.0, *pushed, *pushed - 1.0);
  EXPECT_NEAR(r.force, -0.5, 1e-12);
  EXPECT_GT(r.slope, 0.0);
  // A cable shorter than its rest length carries nothing and stores nothing; at its rest
  // length the force is continuous.
  const kalvane::axial_response slack = kalvane::respond(steel, bar_behaviour::cable, 0.02, 1.0, 0.99, -0.01);
  EXPECT_TRUE(slack.slack);
  EXPECT_EQ(slack.force, 0.0);
  EXPECT_EQ(slack.energy, 0.0);
  EXPECT_EQ(kalvane::respond(steel, bar_behaviour::cable, 0.02, 1.0, 1.0, 0.0).force, 0.0);
}

// Away from its drawn length, each law's end forces are the energy's derivatives by the end
// displacements and the tangent block is theirs (central differences).
TEST(StructureLaw, EndForcesAndTangentAreTheEnergysDerivatives) {
  const kalvane::bar_record bar = bar_along();
  for (axial_law law : {axial_law::neo_hooke, axial_law::mooney_rivlin, axial_law::linear_elastic}) {
    const kalvane::material mat = law_of(law);
    kalvane::member mem;
    mem.rest = 0.93 * bar.length0;
    const double displacements[2][3] = {{0.11, -0.05, 0.02}, {-0.2, 0.04, 0.09}};
    for (const auto& u : displacements) {
      double v[3] = {u[0], u[1], u[2]};
      const kalvane::member_state s = kalvane::member_at(bar, mat, mem, v);
      double block[3][3];
      kalvane::newton::tangent_block(s, block);
      const double h = 1e-6;
      for (int j = 0; j < 3; ++j) {
        double plus[3] = {v[0], v[1], v[2]}, minus[3] = {v[0], v[1], v[2]};
        plus[j] += h, minus[j] -= h;
        const double derivative = (energy_at(bar, mat, mem, plus) - energy_at(bar, mat, mem, minus)) / (2 * h);
        EXPECT_NEAR(derivative, s.end_force[j], 1e-7 * (1.0 + std::fabs(s.force))) << kalvane::law_name(law);
        const kalvane::member_state sp = kalvane::member_at(bar, mat, mem, plus);
        const kalvane::member_state sm = kalvane::member_at(bar, mat, mem, minus);
        for (int i = 0; i < 3; ++i)
          EXPECT_NEAR((sp.end_force[i] - sm.end_force[i]) / (2 * h), block[i][j], 1e-6 * (1.0 + std::fabs(block[i][i])))
              << kalvane::law_name(law) << " K(" << i << "," << j << ")";
      }
      // The axial force, stretch and stress tell the same state.
      const double length = s.drawn_stretch * bar.length0;
      EXPECT_NEAR(s.lambda, length / mem.rest, 1e-14);
      EXPECT_NEAR(s.strain, s.lambda - 1.0, 1e-14);
      EXPECT_NEAR(std::hypot(s.end_force[0], s.end_force[1], s.end_force[2]), std::fabs(s.force), 1e-13);
    }
  }
}

// Each value without physical sense is refused by name before anything is solved.
TEST(StructureLaw, ValuesWithoutPhysicalSenseAreRefusedNamingTheBarOrMaterial) {
  kalvane_test::scratch_folder folder;
  const kalvane::model read = newton_models::prepared(folder, newton_models::two_bar_truss(1000.0));
  struct slip {
    const char* expected;
    void (*spoil)(kalvane::structure&);
  };
  const slip slips[] = {
      {"bar 2 (line 16): the area must be positive and finite, not -5", [](kalvane::structure& s) { s.base.bars(2).area = -5.0; }},
      {"material \"material\": c1 must be positive", [](kalvane::structure& s) { s.materials[0].c1 = 0.0; }},
      {"c1 + c2 must be positive", [](kalvane::structure& s) {
         s.materials[0].law = axial_law::mooney_rivlin, s.materials[0].c1 = 1.0, s.materials[0].c2 = -1.0;
       }},
      {"E must be positive", [](kalvane::structure& s) { s.materials[0].law = axial_law::linear_elastic, s.materials[0].E = -1.0; }},
      {"bar 1 (line 15): the rest length must be positive", [](kalvane::structure& s) { s.members[0].rest_length = 0.0; }},
      {"weight per unit volume must be zero or positive", [](kalvane::structure& s) { s.materials[0].weight = -1.0; }},
      {"bar 1 (line 15): a prestress of -10 cannot be carried by a cable", [](kalvane::structure& s) {
         s.members[0].behaviour = bar_behaviour::cable, s.members[0].prestress = -10.0;
       }},
      {"gravity must be a direction", [](kalvane::structure& s) { s.materials[0].weight = 1.0, s.gravity = {0.0, 0.0, 0.0}; }},
  };
  for (const slip& sl : slips) {
    kalvane::structure s = kalvane::structure_of(read);
    sl.spoil(s);
    try {
      kalvane::prepare(s);
      ADD_FAILURE() << "accepted: " << sl.expected;
    } catch (const kalvane::error& e) {
      EXPECT_NE(std::string(e.what()).find(sl.expected), std::string::npos) << e.what();
    }
  }  // The value named as the user wrote it, in its shortest plain form, not to 17 digits.
  kalvane::structure tiny = kalvane::structure_of(read);
  tiny.base.bars(2).area = -0.0002;
  try {
    kalvane::prepare(tiny);
    ADD_FAILURE() << "a negative area accepted";
  } catch (const kalvane::error& e) {
    EXPECT_TRUE(std::string(e.what()).ends_with("the area must be positive and finite, not -0.0002")) << e.what();
  }

}
