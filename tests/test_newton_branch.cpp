// Branch switching and the jump on structures whose answers are derived here: a stiff
// column held at its top by two horizontal spring bars (two degrees of freedom, a symmetric
// bifurcation, stable with short springs and unstable with long ones), the two-bar truss's
// jump at its limit point, and a star dome under crown and ring loads that buckles
// unsymmetrically.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "check_fixture.hpp"
#include "newton/loading.hpp"
#include "newton/newton.hpp"
#include "newton/path.hpp"
#include "newton/route.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

struct traced {
  std::vector<kn::path_point> points;
  std::vector<kn::vector> states;
};

kn::path_finding follow(const kalvane::model& m, traced& trace, bool trace_route = false) {
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::path_settings settings;
  settings.trace = trace_route;
  return kn::follow_path(nm::structured(m), pattern, f, settings, [&](const kn::path_point& p, const kn::vector& x) {
    trace.points.push_back(p);
    trace.states.push_back(x);
    return kn::path_control::go_on;
  });
}

std::size_t at(const kalvane::model& m, int node, int component) {
  return static_cast<std::size_t>(m.dof_map(node, component) - 1);
}

// A column of length L from a pin at the origin up to node 2, whose top is held by two
// horizontal bars of length S to anchors at (-S, 0, L) and (S, 0, L), loaded downward by P.
// Node 2 moves in X and Z only. Neo-Hooke bars carry A c1 (l - 1/l^2) at stretch l.
struct column {
  double length = 1000.0, span = 100.0, column_area = 1000.0, spring_area = 1.0, c1 = 70000.0;

  nm::structure model(double load) const {
    nm::structure s;
    s.title = "column held by two springs";
    s.nodes = {{0.0, 0.0, 0.0}, {0.0, 0.0, length}, {-span, 0.0, length}, {span, 0.0, length}};
    s.bars = {{1, 2, column_area}, {2, 3, spring_area}, {2, 4, spring_area}};
    nm::hold(s, 1);
    nm::hold(s, 2, 2, 2);
    nm::hold(s, 3);
    nm::hold(s, 4);
    s.loads = {{2, 3, -load}};
    return s;
  }
  double force(double area, double rest, double l) const {
    const double stretch = l / rest;
    return area * c1 * (stretch - 1.0 / (stretch * stretch));
  }
  double stiffness(double area, double rest, double l) const {  // dF/dl
    const double stretch = l / rest;
    return area * c1 * (1.0 + 2.0 / (stretch * stretch * stretch)) / rest;
  }
  // The forces on node 2 at (u, 0, L - w) from the bars, and the load P they carry: the
  // lateral out-of-balance force and P.
  void balance(double u, double w, double& lateral, double& load) const {
    const double lc = std::hypot(u, length - w);
    const double fc = force(column_area, length, lc);
    lateral = -fc * u / lc;
    load = -fc * (length - w) / lc;
    for (double side : {-1.0, 1.0}) {
      const double dx = side * span - u, ls = std::hypot(dx, w);
      const double t = force(spring_area, span, ls);
      lateral += t * dx / ls;
      load += t * w / ls;
    }
  }
  // On the straight branch (u = 0) the lateral stiffness of node 2: the column's
  // compression takes away fc / lc, each spring adds its axial stiffness times the square
  // of its X cosine and its tension over its length times the rest.
  double lateral_stiffness(double w) const {
    const double lc = length - w;
    double k = force(column_area, length, lc) / lc;
    const double ls = std::hypot(span, w), cosine = span / ls;
    k += 2.0 * (stiffness(spring_area, span, ls) * cosine * cosine + force(spring_area, span, ls) / ls * (1.0 - cosine * cosine));
    return k;
  }
  // The bifurcation load: where that stiffness vanishes (bisection on w).
  double critical_load() const {
    double low = 0.0, high = 0.5 * length;
    for (int k = 0; k < 200; ++k) {
      const double mid = 0.5 * (low + high);
      (lateral_stiffness(mid) > 0.0 ? low : high) = mid;
    }
    double lateral, load;
    balance(0.0, 0.5 * (low + high), lateral, load);
    return load;
  }
};

// Short springs stiffen as the top swings: the bifurcation is stable, the load rising on
// the bent branch. The path finds it at the closed form's load, switches to the bent branch
// and every point it gives there balances the bars' forces; full load is stable, bent.
TEST(NewtonBranch, AColumnOnShortSpringsSwitchesToItsRisingBentBranch) {
  const column c;
  const double critical = c.critical_load();
  const double full = 1.2 * critical;
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, c.model(full));
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path));
  const kn::path_point* bifurcation = kn::first_point(path, kn::point_kind::bifurcation);
  ASSERT_NE(bifurcation, nullptr);
  EXPECT_NEAR(bifurcation->load_factor * full, critical, 1e-6 * critical);
  ASSERT_GE(path.events.size(), 2u);
  EXPECT_EQ(path.events[0].kind, kn::event_kind::bifurcation);
  EXPECT_EQ(path.events[1].kind, kn::event_kind::branch_switch);
  EXPECT_TRUE(path.events[1].symmetric);
  EXPECT_NE(kn::route_text(path, false).find(", branch switched (symmetric"), std::string::npos) << kn::route_text(path, false);

  // Past the bifurcation every point is bent, stable, and in balance to 1e-6.
  std::size_t past = 0, i = 0;
  while (trace.points[i].kind != kn::point_kind::bifurcation) ++i;
  for (++i; i < trace.points.size(); ++i) {
    const double u = trace.states[i][at(m, 2, 1)], w = -trace.states[i][at(m, 2, 3)];
    double lateral, load;
    c.balance(u, w, lateral, load);
    EXPECT_GT(std::fabs(u), 1e-3) << i;
    EXPECT_EQ(trace.points[i].negative_pivots, 0) << i;
    EXPECT_NEAR(trace.points[i].load_factor * full, load, 1e-6 * critical) << i;
    EXPECT_NEAR(lateral, 0.0, 1e-6 * critical) << i;
    EXPECT_GT(trace.points[i].load_factor * full, critical) << i;
    ++past;
  }
  EXPECT_GE(past, 2u);
  EXPECT_GT(std::fabs(path.x[at(m, 2, 1)]), 1.0);
  EXPECT_GT(path.smallest_pivot, 0.0);
}

// Long springs hardly stiffen while the column's load swings ever further off its line: the
// bifurcation is unstable and the structure jumps at its load. Both ends of the jump lie at
// that load, the second stable and in balance; the path then reaches full load, stable.
TEST(NewtonBranch, AColumnOnLongSpringsJumpsAtItsUnstableBifurcation) {
  column c;
  c.span = 2000.0;
  const double critical = c.critical_load();
  const double full = 1.2 * critical;
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, c.model(full));
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path));
  EXPECT_TRUE(snapped(path));
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < trace.points.size(); ++i)
    if (trace.points[i].kind == kn::point_kind::jump) ends.push_back(i);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[1], ends[0] + 1);
  const kn::path_point &from = trace.points[ends[0]], &to = trace.points[ends[1]];
  EXPECT_NEAR(from.load_factor * full, critical, 1e-6 * critical);
  EXPECT_EQ(from.load_factor, to.load_factor);
  EXPECT_EQ(to.negative_pivots, 0);
  EXPECT_LT(to.energy, from.energy);
  double lateral, load;
  const kn::vector& landed = trace.states[ends[1]];
  c.balance(landed[at(m, 2, 1)], -landed[at(m, 2, 3)], lateral, load);
  EXPECT_NEAR(load, to.load_factor * full, 1e-6 * critical);
  EXPECT_NEAR(lateral, 0.0, 1e-6 * critical);
  kn::vector moved = landed;
  for (std::size_t q = 0; q < moved.size(); ++q) moved[q] -= trace.states[ends[0]][q];
  EXPECT_GT(kn::max_abs(moved), 10.0);  // fallen well away
  ASSERT_FALSE(path.events.empty());
  EXPECT_EQ(path.events.back().kind, kn::event_kind::jump);
  EXPECT_EQ(path.events.back().from, kn::point_kind::bifurcation);
  for (std::size_t i = ends[1]; i < trace.points.size(); ++i) EXPECT_EQ(trace.points[i].negative_pivots, 0) << i;
  EXPECT_GT(path.smallest_pivot, 0.0);
  EXPECT_EQ(trace.points.back().load_factor, 1.0);
}

// The two-bar truss (see test_newton_path_structures.cpp) jumps at its limit load to the
// far branch at that same load, where the closed form's load at the apex is the limit load.
TEST(NewtonBranch, TheTwoBarTrussJumpsAtItsLimitLoadToTheFarBranch) {
  const double a = 2000.0, h = 100.0, area = 1000.0, c1 = 70000.0, rest = std::hypot(a, h);
  auto load_at = [&](double z) {
    const double l = std::hypot(a, z) / rest;
    return 2.0 * area * c1 / rest * (1.0 / (l * l * l) - 1.0) * z;
  };
  double low = 0.0, high = h;  // the limit load: the largest load_at on the way down, by ternary search
  for (int k = 0; k < 200; ++k) {
    const double left = low + (high - low) / 3.0, right = high - (high - low) / 3.0;
    (load_at(left) < load_at(right) ? low : high) = load_at(left) < load_at(right) ? left : right;
  }
  const double limit = load_at(0.5 * (low + high));
  // Loads far above the limit make long first steps, which once carried the corrector over
  // the limit point to the far branch with nothing seen in between.
  for (const double full : {15000.0, 1e6, 1e7}) {
    SCOPED_TRACE(full);
    scratch_folder folder;
    const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(full));
    traced trace;
    const kn::path_finding path = follow(m, trace);
    ASSERT_TRUE(reached_full_load(path));
    ASSERT_EQ(path.events.size(), 2u);
    EXPECT_EQ(path.events[0].kind, kn::event_kind::limit);
    EXPECT_NEAR(path.events[0].load_factor * full, limit, 1e-6 * limit);
    EXPECT_EQ(path.events[1].kind, kn::event_kind::jump);
    EXPECT_EQ(path.events[1].from, kn::point_kind::limit);
    std::size_t land = 0;
    for (std::size_t i = 0; i < trace.points.size(); ++i)
      if (trace.points[i].kind == kn::point_kind::jump) land = i;
    const double apex = h + trace.states[land][at(m, 2, 3)];
    EXPECT_LT(apex, -h);
    EXPECT_NEAR(load_at(apex), trace.points[land].load_factor * full, 1e-7 * full);
    for (std::size_t i = 0; i < trace.points.size(); ++i) EXPECT_LE(trace.points[i].negative_pivots, i == land - 1 ? 1 : 0) << i;
    EXPECT_NEAR(load_at(h + path.x[at(m, 2, 3)]), full, 1e-9 * full);
    EXPECT_EQ(kn::route_text(path, false).substr(0, 14), "limit point at");
  }
}

// The star dome under 30 kN on its crown and on each ring node. Its symmetric path loses
// stability at a bifurcation; the state written at full load is stable, below the energy
// of the symmetric state at full load (reached by Newton along the symmetric path, a
// saddle).
TEST(NewtonBranch, AStarDomeUnderCrownAndRingLoadsEndsStableBelowTheSymmetricSaddle) {
  nm::structure dome = nm::star_dome(30000.0);
  for (int k = 0; k < 6; ++k) dome.loads.push_back({2 + k, 3, -30000.0});
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, dome);
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path)) << kn::route_text(path, false);
  EXPECT_GT(path.smallest_pivot, 0.0);
  EXPECT_EQ(trace.points.back().negative_pivots, 0);

  traced symmetric;
  const kn::path_finding traced_path = follow(m, symmetric, true);
  ASSERT_FALSE(symmetric.points.empty());
  const kalvane::structure full = nm::structured(m);
  kn::vector saddle = symmetric.states.back();
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kalvane::structure scaled = full;
  ASSERT_EQ(symmetric.points.back().load_factor, 1.0);
  ASSERT_TRUE(kn::newton_solve(full, saddle, pattern, f, {}).converged);
  kn::evaluate(full, saddle, &pattern);
  EXPECT_GT(kn::factorise(f, pattern).negative, 0);
  EXPECT_FALSE(reached_full_load(traced_path));
  EXPECT_EQ(traced_path.outcome, kalvane::newton::path_outcome::unstable_at_full_load);
  EXPECT_LT(kn::evaluate(full, path.x).energy, kn::evaluate(full, saddle).energy);
}

// Two bars in line from node 1 to node 3, node 2 between them pulled along the line and free
// across it in Y. Along the line the first bar stretches and the second shortens, and across
// it their stiffness, nil unloaded, is negative as soon as the load rises: the straight
// state bifurcates at load factor 0. The stable state is bent: node 2 off the line, where
// N1 / l1 = -N2 / l2 = P / 2L (the balance across the line and along it), so each bar's length
// follows from its own force, and node 2 from the two lengths.
TEST(NewtonBranch, TwoBarsInLinePulledAtTheirJointBendAtOnce) {
  const double L = 1000.0, A = 100.0, P = 40000.0;
  nm::structure s;
  s.title = "two bars in line";
  s.nodes = {{0.0, 0.0, 0.0}, {L, 0.0, 0.0}, {2.0 * L, 0.0, 0.0}};
  s.bars = {{1, 2, A}, {2, 3, A}};
  nm::hold(s, 1);
  nm::hold(s, 3);
  nm::hold(s, 2, 3, 3);
  s.loads = {{2, 1, P}};
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, s);
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path)) << kn::outcome_name(path.outcome);
  ASSERT_GE(path.events.size(), 2u);
  EXPECT_EQ(path.events[0].kind, kn::event_kind::bifurcation);
  EXPECT_EQ(path.events[0].load_factor, 0.0);
  EXPECT_EQ(path.events[1].kind, kn::event_kind::branch_switch);
  EXPECT_GT(path.smallest_pivot, 0.0);
  // The length at which a bar's force over its length is `ratio` (bisection: rising in l).
  auto length_for = [&](double ratio) {
    double low = 0.5 * L, high = 2.0 * L;
    for (int k = 0; k < 200; ++k) {
      const double mid = 0.5 * (low + high), stretch = mid / L;
      (A * s.c1 * (stretch - 1.0 / (stretch * stretch)) / mid < ratio ? low : high) = mid;
    }
    return 0.5 * (low + high);
  };
  const double l1 = length_for(0.5 * P / L), l2 = length_for(-0.5 * P / L);
  const double u = (l1 * l1 - l2 * l2) / (4.0 * L), v = std::sqrt(l1 * l1 - (L + u) * (L + u));
  EXPECT_NEAR(u, path.x[at(m, 2, 1)], 1e-9 * L);
  EXPECT_NEAR(v, std::fabs(path.x[at(m, 2, 2)]), 1e-6 * v);
  for (std::size_t i = 2; i < trace.points.size(); ++i) EXPECT_EQ(trace.points[i].negative_pivots, 0) << i;
}

// A Mooney-Rivlin bar (c1 = 1, c2 = -0.99) pushed along itself far beyond its peak push:
// one unknown, so no bifurcation can be. A first step that carried it past the peak onto
// the branch beyond once read as a bifurcation, and "full load only on an unstable state".
TEST(NewtonBranch, OneUnknownPushedPastItsPeakIsNoBifurcation) {
  nm::structure bar;
  bar.nodes = {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}};
  bar.bars = {{1, 2, 1.0}};
  nm::hold(bar, 1);
  nm::hold(bar, 2, 2, 3);
  bar.loads = {{2, 1, -5.0}};
  scratch_folder folder;
  kalvane::structure s = nm::structured(nm::prepared(folder, bar));
  s.materials[0].law = kalvane::axial_law::mooney_rivlin;
  s.materials[0].c1 = 1.0;
  s.materials[0].c2 = -0.99;
  kalvane::prepare(s);
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  for (const kn::path_event& e : path.events) EXPECT_NE(e.kind, kn::event_kind::bifurcation);
  EXPECT_NE(path.outcome, kn::path_outcome::unstable_at_full_load);
  EXPECT_FALSE(reached_full_load(path));
}

}  // namespace

// A jump that finds no stable state names its own reason in the route, each its own words.
TEST(NewtonBranch, AJumpThatFindsNoStableStateSaysWhy) {
  const std::pair<kn::jump_end, const char*> endings[] = {
      {kn::jump_end::unbounded, "(the energy falls on without a minimum)"},
      {kn::jump_end::fell_back, "(every disturbance along the mode fell back to the point)"},
      {kn::jump_end::crushed, "(bar 0 is crushed: shortened past its largest compressive force, it gives way toward a point)"},
      {kn::jump_end::unsettled, "(the minimisation of the energy settled nowhere)"},
  };
  for (const auto& [end, words] : endings) {
    kn::path_finding path;
    path.outcome = kn::path_outcome::collapsed;
    kn::path_event limit;
    limit.load_factor = 0.5;
    kn::path_event jump = limit;
    jump.kind = kn::event_kind::jump;
    jump.landing = end;
    path.events = {limit, jump};
    const std::string route = kn::route_text(path, false);
    for (const auto& [other, other_words] : endings)
      EXPECT_EQ(route.find(other_words) != std::string::npos, other == end) << route;
    EXPECT_NE(route.find("no stable state to jump to"), std::string::npos) << route;
  }
}
