#include "mechanics/element.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "error.hpp"

using kalvane::element1;
using kalvane::element_result;
using kalvane::model;

namespace {

// One bar of unit length and area along X: node 1 held (positions 4..6, prescribed),
// node 2 free (positions 1..3 are its X, Y, Z).
model unit_bar(kalvane::material_record material) {
  model m;
  m.node_count = 2;
  m.material = material;
  m.free_count = 3;
  m.dof_map.allocate(1, 2, 1, 3);
  m.prescribed.allocate(1, 2, 1, 3);
  for (int j = 1; j <= 3; ++j) {
    m.dof_map(1, j) = 3 + j;
    m.dof_map(2, j) = j;
  }
  m.bars.allocate(1, 1);
  m.bars(1) = {1, 2, 1.0, 0.0, 0.0, 1.0, 1.0};
  return m;
}

terms::fmat1 state(double ux, double uy = 0.0, double uz = 0.0) {
  terms::fmat1 x;
  x.allocate(1, 3);
  x(1) = ux, x(2) = uy, x(3) = uz;
  return x;
}

struct evaluated {
  element_result result;
  double f[6];
};

evaluated evaluate(const model& m, const terms::fmat1& x) {
  evaluated e{};
  e.result = element1(m, m.bars(1), x, e.f);
  return e;
}

}  // namespace

TEST(Element, NeoHookeStretchedToTwice) {
  model m = unit_bar(kalvane::neo_hooke(1.0));
  evaluated e = evaluate(m, state(1.0));
  EXPECT_EQ(e.result.energy, 2.5);
  EXPECT_EQ(e.result.stress, 3.5);
  EXPECT_EQ(e.f[0], -1.75);
  EXPECT_EQ(e.f[3], 1.75);
  for (int k : {1, 2, 4, 5}) EXPECT_EQ(e.f[k], 0.0);
}

TEST(Element, NeoHookeCompressedToHalfGivesTheFormulasBits) {
  // 1/1.5 is inexact, so the factored stress form lands one ulp below -1.75.
  model m = unit_bar(kalvane::neo_hooke(1.0));
  evaluated e = evaluate(m, state(-0.5));
  EXPECT_EQ(e.result.energy, 2.125);
  EXPECT_EQ(e.result.stress, -1.7499999999999998);
  EXPECT_EQ(e.f[0], 3.4999999999999996);
  EXPECT_EQ(e.f[3], -3.4999999999999996);
}

TEST(Element, MooneyRivlinStretchedToTwice) {
  model m = unit_bar(kalvane::mooney_rivlin(1.0, 0.5));
  evaluated e = evaluate(m, state(1.0));
  EXPECT_EQ(e.result.energy, 7.125);
  EXPECT_EQ(e.result.stress, 8.75);
  EXPECT_EQ(e.f[0], -4.375);
  EXPECT_EQ(e.f[3], 4.375);
}

TEST(Element, MooneyRivlinWithoutC2IsNeoHookeOfTwiceC1) {
  for (double u : {1.0, -0.5, 0.3, -0.01, 2.7}) {
    model mooney = unit_bar(kalvane::mooney_rivlin(1.25, 0.0));
    model neo = unit_bar(kalvane::neo_hooke(2.5));
    terms::fmat1 x = state(u, 0.1 * u, -0.2 * u);
    evaluated a = evaluate(mooney, x), b = evaluate(neo, x);
    EXPECT_EQ(a.result.energy, b.result.energy) << u;
    EXPECT_EQ(a.result.stress, b.result.stress) << u;
    for (int k = 0; k < 6; ++k) EXPECT_EQ(a.f[k], b.f[k]) << u;
  }
}

TEST(Element, RigidMotionsLeaveTheBarUnstressed) {
  for (auto material : {kalvane::neo_hooke(3.0), kalvane::mooney_rivlin(1.0, 0.5)}) {
    model m = unit_bar(material);
    // A translation of both ends: node 1 moves by its prescribed values.
    for (int j = 1; j <= 3; ++j) m.prescribed(1, j) = 0.25 * j;
    evaluated moved = evaluate(m, state(0.25, 0.5, 0.75));
    // A quarter turn about Z through node 1 (exact: node 2 goes from (1,0,0) to (0,1,0)).
    for (int j = 1; j <= 3; ++j) m.prescribed(1, j) = 0.0;
    evaluated turned = evaluate(m, state(-1.0, 1.0, 0.0));
    const double unstrained = material.kind == kalvane::material_law::neo_hooke ? 1.5 * 3.0 : 3.0 * 1.5;
    for (const evaluated& e : {moved, turned}) {
      EXPECT_EQ(e.result.stress, 0.0);
      EXPECT_EQ(e.result.energy, unstrained);
      for (double f : e.f) EXPECT_EQ(f, 0.0);
    }
  }
}

TEST(Element, PrescribedComponentsComeFromTheModelNotTheVector) {
  model m = unit_bar(kalvane::neo_hooke(1.0));
  m.prescribed(1, 1) = -1.0;  // node 1 pulled back by 1: stretch 2 with node 2 in place
  evaluated e = evaluate(m, state(0.0));
  EXPECT_EQ(e.result.stress, 3.5);
  // A vector longer than free_count is not read beyond it.
  terms::fmat1 longer;
  longer.allocate(1, 6);
  for (int i = 4; i <= 6; ++i) longer(i) = 99.0;
  EXPECT_EQ(element1(m, m.bars(1), longer, e.f).stress, 3.5);
}

TEST(Element, EndForcesAreTheEnergyDerivatives) {
  model m = unit_bar(kalvane::mooney_rivlin(2.0, 0.7));
  m.bars(1) = {1, 2, 0.6, 0.0, 0.8, 0.02, 2.5};
  for (int j = 1; j <= 3; ++j) m.prescribed(1, j) = 0.01 * j;
  terms::fmat1 x = state(0.3, -0.2, 0.45);
  evaluated e = evaluate(m, x);
  for (int j = 1; j <= 3; ++j) {
    const double h = 1e-6;
    terms::fmat1 up = x, down = x;
    up(j) += h;
    down(j) -= h;
    double scratch[6];
    double derivative =
        (element1(m, m.bars(1), up, scratch).energy - element1(m, m.bars(1), down, scratch).energy) / (2 * h);
    EXPECT_NEAR(e.f[2 + j], derivative, 1e-6 * std::fabs(derivative) + 1e-9) << j;
    EXPECT_EQ(e.f[j - 1], -e.f[2 + j]);
  }
}

TEST(Element, FailuresAreReported) {
  model m = unit_bar(kalvane::neo_hooke(1.0));
  terms::fmat1 x = state(0.0);
  double f[6];
  // lambda^2 below zero (only rounding can do it to a unit direction; here the direction
  // is made longer than one to force it) has no stretch.
  m.bars(1).cx = 0.0;
  m.bars(1).cy = 2.0;
  terms::fmat1 through = state(0.0, -1.5);
  try {
    element1(m, m.bars(1), through, f);
    FAIL();
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, "ARGUMENT_ERROR");
  }
  m.material.reset();
  try {
    element1(m, m.bars(1), x, f);
    FAIL();
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, "ACCESS_ERROR");
  }
  model short_vector = unit_bar(kalvane::neo_hooke(1.0));
  terms::fmat1 two;
  two.allocate(1, 2);
  EXPECT_THROW(element1(short_vector, short_vector.bars(1), two, f), kalvane::error);
}
