#include <gtest/gtest.h>

#include <cmath>

#include "newton/tangent.hpp"
#include "mechanics/element.hpp"

namespace {

// The tangent of a bar at its drawn length, as the Newton library assembles it.
struct bar_tangent {
  double block[3][3];
  double energy, stress;
  double force[3];
};

bar_tangent tangent_of(const kalvane::bar_record& bar, const kalvane::material_record& record, double ux, double uy,
                       double uz) {
  kalvane::material mat;
  mat.law = record.model == kalvane::material_law::neo_hooke ? kalvane::axial_law::neo_hooke
                                                              : kalvane::axial_law::mooney_rivlin;
  mat.c1 = record.c1;
  mat.c2 = record.mooney_c2;
  kalvane::member mem;
  mem.rest = bar.length0;
  const double u[3] = {ux, uy, uz};
  const kalvane::member_state s = kalvane::member_at(bar, mat, mem, u);
  bar_tangent t{};
  kalvane::newton::tangent_block(s, t.block);
  t.energy = s.energy;
  t.stress = s.stress;
  for (int j = 0; j < 3; ++j) t.force[j] = s.end_force[j];
  return t;
}

// One bar between two free nodes, so element1 sees every end displacement as an unknown.
kalvane::model free_bar(const kalvane::material_record& material, double x2, double y2, double z2, double area) {
  kalvane::model m;
  m.node_count = 2;
  m.material = material;
  m.dof_map.allocate(1, 2, 1, 3);
  m.prescribed.allocate(1, 2, 1, 3);
  for (int c = 1; c <= 3; ++c) m.dof_map(1, c) = c, m.dof_map(2, c) = 3 + c;
  m.free_count = 6;
  m.bars.allocate(1, 1);
  kalvane::bar_record& bar = m.bars(1);
  bar.node1 = 1, bar.node2 = 2, bar.area = area;
  bar.length0 = std::sqrt((x2 * x2 + y2 * y2) + z2 * z2);
  bar.cx = x2 / bar.length0, bar.cy = y2 / bar.length0, bar.cz = z2 / bar.length0;
  return m;
}

struct tangent_case {
  const char* name;
  kalvane::material_record material;
  double u[3];  // node2's displacement, node1 staying put
};

}  // namespace

// The analytic tangent against central differences of element1's end forces: the
// derivative of node2's forces by node2's displacement is the block K, by node1's it is -K.
TEST(CheckTangent, MatchesFiniteDifferencesOfTheEndForces) {
  const tangent_case cases[] = {
      {"Neo-Hooke in tension", kalvane::neo_hooke(2.0), {0.31, -0.12, 0.07}},
      {"Neo-Hooke in compression", kalvane::neo_hooke(2.0), {-0.42, 0.09, -0.05}},
      {"Mooney-Rivlin in tension", kalvane::mooney_rivlin(1.0, 0.5), {0.27, 0.15, -0.2}},
      {"Mooney-Rivlin in compression", kalvane::mooney_rivlin(1.0, 0.5), {-0.38, -0.11, 0.13}},
      {"Mooney-Rivlin nearly unstrained", kalvane::mooney_rivlin(3.0, 0.25), {1e-4, -2e-4, 5e-5}},
  };
  for (const tangent_case& tc : cases) {
    kalvane::model m = free_bar(tc.material, 1.2, 0.5, -0.3, 0.02);
    const kalvane::bar_record& bar = m.bars(1);
    const bar_tangent t = tangent_of(bar, *m.material, tc.u[0], tc.u[1], tc.u[2]);
    terms::fmat1 x;
    x.allocate(1, 6);
    double stiffest = 0.0;
    for (auto& row : t.block)
      for (double k : row) stiffest = std::max(stiffest, std::fabs(k));
    for (int j = 0; j < 3; ++j) {
      const double h = 1e-6;
      double plus[6], minus[6];
      for (int end = 0; end < 2; ++end) {
        for (int c = 0; c < 3; ++c) x(4 + c) = tc.u[c];
        for (int c = 0; c < 3; ++c) x(1 + c) = 0.0;
        x(1 + 3 * end + j) += h;
        kalvane::element1(m, bar, x, plus);
        x(1 + 3 * end + j) -= 2 * h;
        kalvane::element1(m, bar, x, minus);
        const double sign = end == 1 ? 1.0 : -1.0;
        for (int i = 0; i < 3; ++i) {
          const double difference = (plus[3 + i] - minus[3 + i]) / (2 * h);
          EXPECT_NEAR(difference, sign * t.block[i][j], 1e-7 * stiffest)
              << tc.name << ": d f2(" << i << ") / d u" << end + 1 << "(" << j << ")";
        }
      }
    }
    // The forces and stress it reports are element1's own.
    double forces[6];
    for (int c = 0; c < 3; ++c) x(1 + c) = 0.0, x(4 + c) = tc.u[c];
    const kalvane::element_result r = kalvane::element1(m, bar, x, forces);
    EXPECT_EQ(t.stress, r.stress) << tc.name;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(t.force[i], forces[3 + i]) << tc.name;
  }
}

// The energy without its constant is element1's energy less the unstrained bar's, and it
// keeps its digits where the difference would lose them.
TEST(CheckTangent, EnergyAboveTheUnstrainedBar) {
  for (const auto& material : {kalvane::neo_hooke(2.0), kalvane::mooney_rivlin(1.0, 0.5)}) {
    kalvane::model m = free_bar(material, 1.0, 0.0, 0.0, 0.01);
    const kalvane::law_constants law = kalvane::constants_of(material);
    terms::fmat1 x;
    x.allocate(1, 6);
    double forces[6];
    const double unstrained = kalvane::element1(m, m.bars(1), x, forces).energy;
    for (double u : {0.5, -0.3, 1e-3}) {
      x(4) = u;
      const double full = kalvane::element1(m, m.bars(1), x, forces).energy;
      EXPECT_NEAR(tangent_of(m.bars(1), material, u, 0, 0).energy, full - unstrained, 1e-14 * full);
    }
    // At a strain of 1e-9 the difference of the two energies is all rounding; the energy
    // is then the small-strain (E / 2) eps^2 A L0, E = 3 c1 (Neo-Hooke), 6 (c1 + c2) (Mooney-Rivlin).
    const double eps = 1e-9;
    const double young = law.neo_hooke ? 3.0 * law.c1 : 6.0 * (law.c1 + law.c2);
    EXPECT_NEAR(tangent_of(m.bars(1), material, eps, 0, 0).energy, 0.5 * young * eps * eps * 0.01, 1e-6 * 0.5 * young * eps * eps * 0.01);
  }
}
