// The loading path on structures whose answers are known: the steel two-bar truss through
// its snap-through against its closed form, a chain hanging from slack against its own
// equations, a pretensioned saddle net whose hogging cables give way, a shallow dome, and
// bars that support settlements carry rigidly, translated and swung round.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "check_fixture.hpp"
#include "error.hpp"
#include "newton/loading.hpp"
#include "newton/newton.hpp"
#include "newton/path.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

struct traced {
  std::vector<kn::path_point> points;
  std::vector<kn::vector> states;
};

kn::path_finding follow(const kalvane::model& m, traced& trace, kn::loading how = kn::loading::staged,
                        bool trace_route = false) {
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::path_settings settings;
  settings.how = how;
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

// The two-bar truss of half-span a and rise h with Neo-Hooke bars (nominal stress c1 (l -
// 1/l^2) at stretch l): with the apex at height z, l = sqrt(a^2 + z^2) / L0 and the load
// it carries is P(z) = (2 A c1 / L0) (l^-3 - 1) z, odd in z. dP/dz = 0 where
// l^5 + 2 l^2 = 3 (a / L0)^2, whose one positive root gives the limit point.
struct truss_closed_form {
  double a = 2000.0, h = 100.0, area = 1000.0, c1 = 70000.0;
  double length0() const { return std::hypot(a, h); }
  double load_at(double z) const {
    const double l = std::hypot(a, z) / length0();
    return 2.0 * area * c1 / length0() * (1.0 / (l * l * l) - 1.0) * z;
  }
  double limit_height() const {
    const double c = a / length0();
    double l = 1.0;
    for (int k = 0; k < 50; ++k) l -= (std::pow(l, 5) + 2.0 * l * l - 3.0 * c * c) / (5.0 * std::pow(l, 4) + 4.0 * l);
    return std::sqrt(l * l * length0() * length0() - a * a);
  }
};

// At 1.5 times its limit load the truss snaps through. Traced, the path passes the limit
// point at the closed form's load, runs down the unstable branch to the lowest load, the
// negative of the limit load, and comes back up on the far branch to full load.
TEST(NewtonPath, TheSteelTwoBarTrussTracedSnapsThroughAsItsClosedFormSays) {
  const truss_closed_form truss;
  const double limit = truss.load_at(truss.limit_height());
  ASSERT_NEAR(limit, 10070.0, 50.0);  // a tenth of it is the 1 kN of the everyday case
  const double full = 1.5 * limit;
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(full));
  traced trace;
  const kn::path_finding path = follow(m, trace, kn::loading::staged, true);
  ASSERT_TRUE(reached_full_load(path));
  EXPECT_TRUE(snapped(path));
  EXPECT_FALSE(collapsed(path));
  ASSERT_EQ(path.events.size(), 2u);
  EXPECT_EQ(path.events[1].kind, kn::event_kind::limit);

  std::vector<const kn::path_point*> limits;
  for (const kn::path_point& p : trace.points)
    if (p.kind == kn::point_kind::limit) limits.push_back(&p);
  ASSERT_EQ(limits.size(), 2u);
  EXPECT_NEAR(limits[0]->load_factor * full, limit, 1e-4 * limit);
  EXPECT_NEAR(limits[1]->load_factor * full, -limit, 1e-4 * limit);
  double lowest = 1.0;
  for (const kn::path_point& p : trace.points) lowest = std::min(lowest, p.load_factor);
  EXPECT_NEAR(lowest * full, -limit, 1e-4 * limit);

  // Every point carries the closed form's load at its apex height; the unstable stretch,
  // and only it, has a negative pivot.
  for (std::size_t i = 0; i < trace.points.size(); ++i) {
    const double z = truss.h + trace.states[i][at(m, 2, 3)];
    EXPECT_NEAR(trace.points[i].load_factor * full, truss.load_at(z), 1e-7 * limit) << i;
    const long expected = std::fabs(z) < truss.limit_height() ? 1 : 0;
    if (std::fabs(std::fabs(z) - truss.limit_height()) > 0.01 * truss.limit_height()) {
      EXPECT_EQ(trace.points[i].negative_pivots, expected) << i;
    }
  }
  // Full load on the far branch, below the mirror image of the unloaded shape.
  const double apex = truss.h + path.x[at(m, 2, 3)];
  EXPECT_LT(apex, -truss.h);
  EXPECT_NEAR(truss.load_at(apex), full, 1e-9 * full);
  EXPECT_NEAR(path.x[at(m, 2, 1)], 0.0, 1e-9);
  EXPECT_LE(path.gradient, 1e-9);
}

// An observer that stops the path at its fourth point ends it there: that point's state is
// the path's answer, short of full load, and nothing is followed after it.
TEST(NewtonPath, AnObserverStopsThePathAtThePointItAsks) {
  const truss_closed_form truss;
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(1.5 * truss.load_at(truss.limit_height())));
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  std::vector<kn::path_point> seen;
  kn::vector last;
  const kn::path_finding path =
      kn::follow_path(nm::structured(m), pattern, f, {}, [&](const kn::path_point& p, const kn::vector& x) {
        seen.push_back(p);
        last = x;
        return seen.size() == 4 ? kn::path_control::stop : kn::path_control::go_on;
      });
  EXPECT_EQ(path.outcome, kn::path_outcome::stopped);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(path.points.size(), 4u);
  EXPECT_EQ(path.load_factor, seen.back().load_factor);
  EXPECT_LT(path.load_factor, 1.0);
  EXPECT_EQ(path.x, last);
  EXPECT_FALSE(reached_full_load(path) || snapped(path));
}

// The chain's own equilibrium: the tension vector of link j is T1 + (j - 1) (0, 0, W),
// each link stretched by the bar law to carry its tension, and the links together span
// from support to support. Newton on T1 = (H, V) from a guess.
struct chain_tension {
  double horizontal, vertical;  // of the first link's pull on the first joint
};

chain_tension chain_equilibrium(const nm::structure& chain, double weight) {
  const std::size_t links = chain.bars.size();
  const double area = chain.bars[0].area, c1 = chain.c1;
  const double span = chain.nodes.back().x, height = chain.nodes.back().z;
  // The stretch whose axial force A c1 (l - 1/l^2) is `force`.
  auto stretch = [&](double force) {
    double l = 1.0;
    for (int k = 0; k < 60; ++k) l -= (area * c1 * (l - 1.0 / (l * l)) - force) / (area * c1 * (1.0 + 2.0 / (l * l * l)));
    return l;
  };
  auto reach = [&](double h, double v, double& dx, double& dz) {
    dx = dz = 0.0;
    for (std::size_t j = 0; j < links; ++j) {
      const double tz = v + static_cast<double>(j) * weight;
      const double tension = std::hypot(h, tz);
      const double n0 = std::hypot(chain.nodes[j + 1].x - chain.nodes[j].x, chain.nodes[j + 1].z - chain.nodes[j].z);
      const double length = stretch(tension) * n0;
      dx += length * h / tension;
      dz += length * tz / tension;
    }
  };
  double h = 5.0 * weight, v = -0.5 * weight * static_cast<double>(links - 1);
  for (int k = 0; k < 100; ++k) {
    double fx, fz;
    reach(h, v, fx, fz);
    fx -= span, fz -= height;
    if (std::fabs(fx) + std::fabs(fz) < 1e-12 * span) break;
    const double dh = 1e-6 * h, dv = 1e-6 * std::fabs(h);
    double hx, hz, vx, vz;
    reach(h + dh, v, hx, hz);
    reach(h, v + dv, vx, vz);
    const double a = (hx - span - fx) / dh, b = (vx - span - fx) / dv, c = (hz - height - fz) / dh,
                 d = (vz - height - fz) / dv;
    const double det = a * d - b * c;
    h -= (d * fx - b * fz) / det;
    v -= (a * fz - c * fx) / det;
  }
  return {h, v};
}

// The supports carry what the chain's own equations say: the first link pulls the first
// support with T1, the last the other with -T(links).
void expect_chain_reactions(const kalvane::model& m, const nm::structure& chain, double weight, const kn::vector& x) {
  const int links = static_cast<int>(chain.bars.size());
  const chain_tension t = chain_equilibrium(chain, weight);
  const kn::results r = kn::results_at(nm::structured(m), x);
  const double size = std::hypot(t.horizontal, t.vertical);
  EXPECT_NEAR(r.reaction[0], -t.horizontal, 1e-9 * size);
  EXPECT_NEAR(r.reaction[2], -t.vertical, 1e-9 * size);
  EXPECT_NEAR(r.reaction[3 * links], t.horizontal, 1e-9 * size);
  EXPECT_NEAR(r.reaction[3 * links + 2], t.vertical + (links - 1) * weight, 1e-9 * size);
  EXPECT_NEAR(r.reaction[1], 0.0, 1e-9 * size);
}

// Stress-free on an arc, the chain has no stiffness across its links until its weights
// pull it taut: the path starts from the minimum of the energy at a small load factor and
// reaches full load, where the supports carry what the chain's own equations say.
TEST(NewtonPath, AChainHangingFromSlackReachesFullLoadWithItsOwnReactions) {
  const int links = 16;
  const double weight = 2000.0;
  const nm::structure chain = nm::hanging_chain(links, 10000.0, 3000.0, 1500.0, weight);
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, chain);
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path));
  EXPECT_FALSE(snapped(path) || past_bifurcation(path) || path.outcome == kalvane::newton::path_outcome::mechanism);
  EXPECT_GT(path.smallest_pivot, 0.0);
  EXPECT_EQ(trace.points.front().load_factor, 0.0);
  EXPECT_GT(trace.points[1].load_factor, 0.0);
  expect_chain_reactions(m, chain, weight, path.x);
}

// Light chains swing far from the arc while their links barely stretch, so the out-of-balance
// forces at the slack start's minimum stay well above the rounding their terms' sizes tell
// (14 links of 500 N once failed to start there). Short and long, light and heavy, every
// chain starts, reaches full load, and carries its own reactions.
TEST(NewtonPath, ChainsLightAndHeavyAllStartFromSlack) {
  for (const int links : {10, 14, 15, 20})
    for (const double weight : {20.0, 200.0, 500.0, 5000.0, 20000.0}) {
      SCOPED_TRACE(std::to_string(links) + " links of " + std::to_string(weight) + " N");
      const nm::structure chain = nm::hanging_chain(links, 10000.0, 3000.0, 1500.0, weight);
      scratch_folder folder;
      const kalvane::model m = nm::prepared(folder, chain);
      traced trace;
      const kn::path_finding path = follow(m, trace);
      EXPECT_TRUE(reached_full_load(path));
      if (!reached_full_load(path)) continue;
      EXPECT_FALSE(snapped(path) || past_bifurcation(path) || path.outcome == kalvane::newton::path_outcome::mechanism);
      expect_chain_reactions(m, chain, weight, path.x);
    }
}

// kalvane itself finds the hanging shape from the stress-free arc, and the check, which
// follows the same path, certifies it: a heavy chain, and a light one that once failed to
// start from slack.
TEST(NewtonPath, TheCheckCertifiesKalvanesRunOfTheHangingChain) {
  for (const auto& [links, weight] : {std::pair{12, 2000.0}, std::pair{14, 500.0}}) {
    SCOPED_TRACE(std::to_string(links) + " links");
    scratch_folder folder;
    kalvane_test::write_file(folder / "input.txt", nm::input_text(nm::hanging_chain(links, 10000.0, 3000.0, 1500.0, weight)));
    ASSERT_EQ(kalvane_test::run_kalvane(folder.path).status, 0);
    const kalvane_test::program_result r = check_test::check(folder);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("5. Loading path: full load reached"), std::string::npos) << r.out;
  }
}

}  // namespace

namespace {

// The load the dome's crown carries when it is held at `drop` below its place, found by
// Newton from x (the last such state, or zeros) with the crown prescribed.
double crown_load_at(double drop, kn::vector& x) {
  nm::structure held = nm::star_dome(0.0);
  held.loads.clear();
  held.prescribed.push_back({1, 3, -drop});
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, held);
  if (x.empty()) x.assign(static_cast<std::size_t>(m.free_count), 0.0);
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  EXPECT_TRUE(kn::newton_solve(nm::structured(m), x, pattern, f, {}).converged) << drop;
  return -kn::results_at(nm::structured(m), x).reaction[2];
}

// The shallow dome's crown snaps through. Its limit load, the greatest load the crown
// carries when it is pushed down step by step (a golden section search on the push), is
// the path's first limit point; past it the path finds the dome inverted and stable at
// full load.
TEST(NewtonPath, AShallowDomeSnapsThroughAtItsLimitLoadToAStableFarBranch) {
  kn::vector x;
  double best_drop = 0.0, best = 0.0;
  for (double drop = 5.0; drop <= 200.0; drop += 5.0) {
    const double load = crown_load_at(drop, x);
    if (load > best) best = load, best_drop = drop;
  }
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double low = best_drop - 5.0, high = best_drop + 5.0;
  kn::vector near;
  crown_load_at(low, near);
  while (high - low > 1e-4) {
    const double left = high - ratio * (high - low), right = low + ratio * (high - low);
    kn::vector at_left = near, at_right = near;
    if (crown_load_at(left, at_left) > crown_load_at(right, at_right)) high = right;
    else low = left;
  }
  kn::vector at_limit = near;
  const double limit = crown_load_at(0.5 * (low + high), at_limit);
  ASSERT_GT(limit, 0.0);

  scratch_folder folder;
  const double full = 2.0 * limit;
  const kalvane::model m = nm::prepared(folder, nm::star_dome(full));
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path));
  EXPECT_TRUE(snapped(path));
  EXPECT_NEAR(kn::snap_load_factor(path) * full, limit, 1e-4 * limit);
  EXPECT_NEAR(kn::snap_load_factor(path), 0.5, 1e-4);
  // Inverted: the crown below the ring, the ring nodes with it, and stable.
  EXPECT_LT(m.z0(1) + path.x[at(m, 1, 3)], m.z0(2) - (m.z0(1) - m.z0(2)));
  EXPECT_GT(path.smallest_pivot, 0.0);
  EXPECT_EQ(trace.points.back().negative_pivots, 0);
  EXPECT_EQ(trace.points.back().load_factor, 1.0);
}

// A path that met a limit point, jumped and landed on a stable branch, and could then go no
// further (here its steps ran out) stalled there: it is no collapse at the limit point it
// had left behind, and the state it gives is its last, past the jump.
TEST(NewtonPath, AStallPastAJumpThatLandedIsAStallNotACollapse) {
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::star_dome(30000.0));
  bool stalled_past_jump = false;
  for (int max_steps = 1; max_steps < 200 && !stalled_past_jump; ++max_steps) {
    kn::stiffness_pattern pattern = kn::pattern_of(m);
    kn::factorisation f;
    kn::path_settings settings;
    settings.max_steps = max_steps;
    std::vector<kn::path_point> points;
    const kn::path_finding path =
        kn::follow_path(nm::structured(m), pattern, f, settings, [&](const kn::path_point& p, const kn::vector&) {
          points.push_back(p);
          return kn::path_control::go_on;
        });
    if (reached_full_load(path)) break;
    const bool jumped = std::any_of(path.events.begin(), path.events.end(),
                                    [](const kn::path_event& e) { return e.kind == kn::event_kind::jump; });
    if (!jumped || points.back().negative_pivots > 0) continue;
    stalled_past_jump = true;
    EXPECT_EQ(path.outcome, kn::path_outcome::stalled) << max_steps;
    EXPECT_EQ(path.step_limit, max_steps);  // its steps ran out
    EXPECT_EQ(path.load_factor, points.back().load_factor) << max_steps;
    EXPECT_GE(path.load_factor, kn::snap_load_factor(path)) << max_steps;
  }
  EXPECT_TRUE(stalled_past_jump);
}

}  // namespace

namespace {

// The largest load factor of the load stage at which Newton, from the stable state at the
// last load factor found stable, still settles on a stable state: bisection on load control,
// which knows nothing of arc lengths or events.
double stable_up_to(const kalvane::model& m, kn::vector x, double stable, double unstable) {
  const kalvane::structure full = nm::structured(m);
  kalvane::structure scaled = full;
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::newton_settings settings;
  settings.refuse_negative = true;
  settings.relative_tolerance = 1e-12;
  while (unstable - stable > 1e-6) {
    const double t = 0.5 * (stable + unstable);
    kn::apply_stage(scaled, full, {2, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0}, t);
    kn::vector trial = x;
    const bool settled = kn::newton_solve(scaled, trial, pattern, f, settings).converged;
    kn::evaluate(scaled, trial, &pattern);
    if (settled && kn::factorise(f, pattern).minimum()) stable = t, x = trial;
    else unstable = t;
  }
  return stable;
}

// Tensioned first and loaded after, the saddle net carries its load on its sagging cables
// while the hogging ones slacken; pushed on, they go into compression and the net loses its
// stability there, in the load stage: the path names that point and its load factor, and
// never takes the slack start for a mechanism.
TEST(NewtonPath, APretensionedNetLosesStabilityWhereItsHoggingCablesGiveWay) {
  const int nx = 9, ny = 7;
  const nm::structure net = nm::saddle_net(nx, ny, 1000.0, 800.0, 0.002, -30000.0);
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, net);
  traced trace;
  const kn::path_finding path = follow(m, trace);
  EXPECT_NE(path.outcome, kalvane::newton::path_outcome::mechanism);
  EXPECT_EQ(trace.points.front().stage, 1);
  std::size_t event = trace.points.size();
  for (std::size_t i = 0; i < trace.points.size() && event == trace.points.size(); ++i)
    if (trace.points[i].kind != kn::point_kind::regular) event = i;
  ASSERT_LT(event, trace.points.size());
  const kn::path_point& found = trace.points[event];
  EXPECT_EQ(found.stage, 2);
  for (std::size_t i = 0; i < event; ++i) EXPECT_EQ(trace.points[i].negative_pivots, 0) << i;

  // At the end of the pretension every bar pulls; where stability ends some hogging bar pushes.
  const std::size_t sagging = static_cast<std::size_t>((ny - 2) * (nx - 1));
  std::size_t tensioned = 0;
  while (trace.points[tensioned].stage == 1) ++tensioned;
  const kalvane::structure full = nm::structured(m);
  kalvane::structure scaled = full;
  kn::apply_stage(scaled, full, {2, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0}, 0.0);
  for (double stress : kn::results_at(scaled, trace.states[tensioned]).stress) EXPECT_GT(stress, 0.0);
  kn::apply_stage(scaled, full, {2, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0}, found.load_factor);
  const std::vector<double> stress = kn::results_at(scaled, trace.states[event]).stress;
  double least_hogging = INFINITY;
  for (std::size_t b = sagging; b < stress.size(); ++b) least_hogging = std::min(least_hogging, stress[b]);
  EXPECT_LT(least_hogging, 0.0);
  for (std::size_t b = 0; b < sagging; ++b) EXPECT_GT(stress[b], 0.0) << b;

  const double limit = stable_up_to(m, trace.states[event - 1], trace.points[event - 1].load_factor, 1.0);
  EXPECT_NEAR(found.load_factor, limit, 1e-3 * limit);
}

}  // namespace

namespace {

// Rising together, the edge's pull and the load find the net slack at first: the path
// starts from the minimum at a small load factor, not from a mechanism, and meets the
// hogging cables' giving way in its one stage. A bar pushed along itself with nothing to
// hold it is a mechanism under its first load, and the path says so.
TEST(NewtonPath, LoadingTogetherStartsFromSlackAndAFreeBodyIsAMechanism) {
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::saddle_net(9, 7, 1000.0, 800.0, 0.002, -30000.0));
  traced trace;
  const kn::path_finding path = follow(m, trace, kn::loading::together);
  EXPECT_NE(path.outcome, kalvane::newton::path_outcome::mechanism);
  ASSERT_GE(trace.points.size(), 2u);
  EXPECT_EQ(trace.points[1].load_factor, kn::path_settings{}.slack_load_factor);
  const kn::path_point* event = kn::first_point(path, kn::point_kind::bifurcation);
  if (!event) event = kn::first_point(path, kn::point_kind::limit);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->stage, 1);
  for (const kn::path_point& p : trace.points) EXPECT_EQ(p.stage, 1);

  scratch_folder free_folder;
  nm::structure s;
  s.nodes = {{0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}};
  s.bars = {{1, 2, 100.0}};
  s.loads = {{1, 1, 10.0}, {2, 1, 10.0}};
  traced nothing;
  const kn::path_finding free_body = follow(nm::prepared(free_folder, s), nothing);
  EXPECT_EQ(free_body.outcome, kalvane::newton::path_outcome::mechanism);
  EXPECT_FALSE(reached_full_load(free_body) || collapsed(free_body) || free_body.outcome == kalvane::newton::path_outcome::stalled);
}

}  // namespace

namespace {

// The root of an increasing function on [low, high], to the last bit.
double increasing_root(double (*f)(double), double low, double high) {
  for (int k = 0; k < 200; ++k) {
    const double mid = 0.5 * (low + high);
    if (mid == low || mid == high) break;
    (f(mid) < 0.0 ? low : high) = mid;
  }
  return 0.5 * (low + high);
}

// A vertical bar whose support settles by (0.0059, -0.00498, 0.00253), its top held in X and
// Y so that it moves along: the settlement carries the bar up without stress, and the load
// then shortens it, A c1 (lambda - 1/lambda^2) = P. Every point of the settlement is the
// rigid motion itself, and full load the two together.
TEST(NewtonPath, ASettlementThatTranslatesABarCarriesItWithoutStressToFullLoad) {
  nm::structure s;
  s.c1 = 10.0;
  s.nodes = {{0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}};
  s.bars = {{1, 2, 0.01}};
  s.prescribed = {{1, 1, 0.0059}, {1, 2, -0.00498}, {1, 3, 0.00253}, {2, 1, 0.0059}, {2, 2, -0.00498}};
  s.loads = {{2, 3, -0.01}};
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, s);
  for (kn::loading how : {kn::loading::staged, kn::loading::together}) {
    traced trace;
    const kn::path_finding path = follow(m, trace, how);
    ASSERT_TRUE(reached_full_load(path)) << kn::loading_name(how);
    EXPECT_FALSE(path.outcome == kalvane::newton::path_outcome::stalled || snapped(path) || past_bifurcation(path));
    const double lambda = increasing_root([](double l) { return 0.01 * 10.0 * (l - 1.0 / (l * l)) + 0.01; }, 0.5, 1.0);
    ASSERT_EQ(path.x.size(), 1u);
    EXPECT_NEAR(path.x[0], 0.00253 + (lambda - 1.0), 1e-15) << kn::loading_name(how);
    for (std::size_t i = 0; i < trace.points.size() && how == kn::loading::staged; ++i)
      if (trace.points[i].stage == 1) {
        EXPECT_NEAR(trace.states[i][0], 0.00253 * trace.points[i].load_factor, 1e-15) << i;
        EXPECT_NEAR(trace.points[i].energy, 0.0, 1e-30) << i;
      }
  }
}

// A bar swung round its fixed end by a settlement of its other end across it (500 mm of its
// 1000), that end free along the bar's first line: it follows the circle, stress-free, and
// the pull P along X then holds it where N (L + u) / l = P. Raised together, the pull and
// the swing carry the stress round with the bar to the same state.
struct swung_bar {
  static constexpr double length = 1000.0, across = 500.0, area = 100.0, c1 = 70000.0, pull = 200000.0;
  // The out-of-balance force along X with the free end moved by u.
  static double imbalance(double u) {
    const double l = std::hypot(length + u, across), lambda = l / length;
    return area * c1 * (lambda - 1.0 / (lambda * lambda)) * (length + u) / l - pull;
  }
};

TEST(NewtonPath, ASettlementThatSwingsABarRoundCarriesItRigidlyAndTheLoadedStateIsExact) {
  nm::structure s;
  s.nodes = {{0.0, 0.0, 0.0}, {swung_bar::length, 0.0, 0.0}};
  s.bars = {{1, 2, swung_bar::area}};
  nm::hold(s, 1);
  s.prescribed.push_back({2, 2, swung_bar::across});
  s.prescribed.push_back({2, 3, 0.0});
  s.loads = {{2, 1, swung_bar::pull}};
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, s);
  const double on_circle = std::sqrt(swung_bar::length * swung_bar::length - swung_bar::across * swung_bar::across) -
                           swung_bar::length;
  const double exact = increasing_root(swung_bar::imbalance, on_circle, 0.0);
  for (kn::loading how : {kn::loading::staged, kn::loading::together}) {
    traced trace;
    const kn::path_finding path = follow(m, trace, how);
    ASSERT_TRUE(reached_full_load(path)) << kn::loading_name(how);
    EXPECT_FALSE(path.outcome == kalvane::newton::path_outcome::stalled || snapped(path) || past_bifurcation(path));
    ASSERT_EQ(path.x.size(), 1u);
    EXPECT_NEAR(path.x[0], exact, 1e-10) << kn::loading_name(how);
    for (std::size_t i = 0; i < trace.points.size() && how == kn::loading::staged; ++i)
      if (trace.points[i].stage == 1) {
        const double y = swung_bar::across * trace.points[i].load_factor;
        EXPECT_NEAR(trace.states[i][0], std::sqrt(swung_bar::length * swung_bar::length - y * y) - swung_bar::length,
                    1e-9 * swung_bar::length)
            << i;
      }
  }
}

}  // namespace

namespace {

// A straight string of two bars whose far support settles by (2, 200, 0) mm: stretched and
// swung round at once, its middle follows along the line, sideways at once, though nothing
// holds it sideways at the start and nothing there pulls it so. Loaded across the plane at
// the middle by P, it sags by w where 2 N w / l = P.
struct swung_string {
  static constexpr double half = 500.0, area = 100.0, c1 = 70000.0, load = 5000.0;
  static double span() { return std::hypot(2.0 * half + 2.0, 200.0); }
  static double imbalance(double w) {
    const double l = std::hypot(0.5 * span(), w), lambda = l / half;
    return 2.0 * area * c1 * (lambda - 1.0 / (lambda * lambda)) * w / l - load;
  }
};

TEST(NewtonPath, ASettlementThatStretchesAndSwingsAStringCarriesItsMiddleAlong) {
  nm::structure s;
  s.nodes = {{0.0, 0.0, 0.0}, {2.0 * swung_string::half, 0.0, 0.0}, {swung_string::half, 0.0, 0.0}};
  s.bars = {{1, 3, swung_string::area}, {3, 2, swung_string::area}};
  nm::hold(s, 1);
  s.prescribed.push_back({2, 1, 2.0});
  s.prescribed.push_back({2, 2, 200.0});
  s.prescribed.push_back({2, 3, 0.0});
  s.loads = {{3, 3, -swung_string::load}};
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, s);
  traced trace;
  const kn::path_finding path = follow(m, trace);
  ASSERT_TRUE(reached_full_load(path));
  EXPECT_FALSE(path.outcome == kalvane::newton::path_outcome::stalled || snapped(path) || past_bifurcation(path));
  const double sag = increasing_root(swung_string::imbalance, 0.0, swung_string::half);
  ASSERT_EQ(path.x.size(), 3u);
  EXPECT_NEAR(path.x[at(m, 3, 1)], 1.0, 1e-10);
  EXPECT_NEAR(path.x[at(m, 3, 2)], 100.0, 1e-10);
  EXPECT_NEAR(path.x[at(m, 3, 3)], -sag, 1e-10);
  for (std::size_t i = 0; i < trace.points.size(); ++i)
    if (trace.points[i].stage == 1) {
      const double t = trace.points[i].load_factor;
      EXPECT_NEAR(trace.states[i][at(m, 3, 1)], t, 1e-7) << i;
      EXPECT_NEAR(trace.states[i][at(m, 3, 2)], 100.0 * t, 1e-7) << i;
      EXPECT_NEAR(trace.states[i][at(m, 3, 3)], 0.0, 1e-7) << i;
    }
}

}  // namespace

namespace {

// A steep two-bar truss (rise equal to its half-span) under a load far below its limit:
// its path is straight, and the stage is taken in one step to the same equilibrium the
// stepped path reaches. The shallow truss beyond its limit load is never taken whole: a
// straight prediction from its start would land on the far branch and hide the snap.
TEST(NewtonPath, AStraightStageIsTakenInOneStepAndACurvedOneIsNot) {
  scratch_folder folder;
  const kalvane::model steep = nm::prepared(folder, nm::two_bar_truss(1000.0, 2000.0, 2000.0));
  traced whole_trace, stepped_trace;
  const kn::path_finding whole = follow(steep, whole_trace);
  ASSERT_TRUE(reached_full_load(whole));
  EXPECT_EQ(whole.steps, 1);
  EXPECT_EQ(whole.points.size(), 2u);
  kn::path_settings stepped_settings;
  stepped_settings.straight_stage = 0.0;
  kn::stiffness_pattern pattern = kn::pattern_of(steep);
  kn::factorisation f;
  const kn::path_finding stepped = kn::follow_path(nm::structured(steep), pattern, f, stepped_settings);
  ASSERT_TRUE(reached_full_load(stepped));
  EXPECT_GT(stepped.steps, 1);
  for (std::size_t p = 0; p < whole.x.size(); ++p) EXPECT_NEAR(whole.x[p], stepped.x[p], 1e-12 * 2000.0) << p;

  const truss_closed_form truss;
  scratch_folder shallow_folder;
  const kalvane::model shallow = nm::prepared(shallow_folder, nm::two_bar_truss(1.5 * truss.load_at(truss.limit_height())));
  traced snap;
  const kn::path_finding snapped_path = follow(shallow, snap);
  ASSERT_TRUE(reached_full_load(snapped_path));
  EXPECT_GT(snapped_path.steps, 1);
  EXPECT_TRUE(snapped(snapped_path));
}

}  // namespace

namespace {

// Settings out of their range are refused by name before any step, not followed into a
// loop that never ends or a step that never shrinks.
TEST(NewtonPath, SettingsOutOfRangeAreRefusedByName) {
  kn::validate(kn::path_settings{});
  auto refusal = [](auto change) {
    kn::path_settings s;
    change(s);
    try {
      kn::validate(s);
    } catch (const kalvane::error& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_NE(refusal([](kn::path_settings& s) { s.first_step = 0.0; }).find("first_step"), std::string::npos);
  EXPECT_NE(refusal([](kn::path_settings& s) { s.smallest_step = 1.0; }).find("smallest_step <= first_step"),
            std::string::npos);
  EXPECT_NE(refusal([](kn::path_settings& s) { s.corrector_tolerance = std::nan(""); }).find("corrector_tolerance"),
            std::string::npos);
  EXPECT_NE(refusal([](kn::path_settings& s) { s.slow_steps = 2; }).find("quick_steps < slow_steps"), std::string::npos);
  EXPECT_NE(refusal([](kn::path_settings& s) { s.max_steps = 0; }).find("max_steps"), std::string::npos);
  scratch_folder folder;
  const kalvane::model m = nm::prepared(folder, nm::two_bar_truss(1000.0));
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::path_settings bad;
  bad.straight_stage = 1.5;
  EXPECT_THROW(kn::follow_path(nm::structured(m), pattern, f, bad), kalvane::error);
}

}  // namespace
