// The loading path on the structures the companions model beyond kalvane's: steel by E A,
// prestress by force, self-weight, and two materials side by side, against statics worked
// out here independently of the library.
#include <gtest/gtest.h>

#include <cmath>

#include "newton/loading.hpp"
#include "newton/path.hpp"
#include "newton/route.hpp"
#include "newton_models.hpp"

namespace {

namespace kn = kalvane::newton;
namespace nm = newton_models;
using kalvane_test::scratch_folder;

kalvane::material steel(double E, double weight = 0.0) {
  kalvane::material m;
  m.name = "steel";
  m.law = kalvane::axial_law::linear_elastic;
  m.E = E;
  m.weight = weight;
  return m;
}

struct solved {
  kn::path_finding path;
  kalvane::structure at_full_load;
};

// Follows the staged path to full load; the structure as it stands there.
solved follow(const kalvane::structure& s) {
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  solved out{kn::follow_path(s, pattern, f), s};
  kn::scale_model(out.at_full_load, s, 1.0);
  return out;
}

double z_of(const kalvane::structure& s, const kn::vector& x, int node) {
  const int32_t p = s.base.dof_map(node, 3);
  return p <= s.base.free_count ? x[static_cast<std::size_t>(p - 1)] : s.base.prescribed(node, 3);
}

}  // namespace

// A straight steel cable of two segments between supports, prestressed by force: at the end
// of the prestress the force is the one given, to rounding, and each rest length is
// L / (1 + T / EA); the middle node stays where it was drawn.
TEST(StructurePath, ACableIsPrestressedByForceToItsGivenForce) {
  nm::structure line;
  line.nodes = {{0.0, 0.0, 0.0}, {5000.0, 0.0, 0.0}, {10000.0, 0.0, 0.0}};
  line.bars = {{1, 2, 100.0}, {2, 3, 100.0}};
  nm::hold(line, 1);
  nm::hold(line, 3);
  line.prescribed.push_back({2, 2, 0.0});
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, line));
  s.materials = {steel(160000.0)};
  const double T = 80000.0, EA = 160000.0 * 100.0;
  for (kalvane::member& m : s.members) m.prestress = T;
  kalvane::prepare(s);
  for (const kalvane::member& m : s.members) EXPECT_NEAR(m.rest, 5000.0 / (1.0 + T / EA), 1e-12 * 5000.0);
  const solved r = follow(s);
  ASSERT_TRUE(reached_full_load(r.path));
  const kn::results at = kn::results_at(r.at_full_load, r.path.x);
  for (double force : at.force) EXPECT_NEAR(force, T, 1e-12 * T);
  EXPECT_NEAR(r.path.x[0], 0.0, 1e-9);
  EXPECT_NEAR(z_of(s, r.path.x, 2), 0.0, 1e-9);
}

// A steel bar and an aluminium one side by side between the same nodes share the load in
// proportion to their E A, with one stretch: 1 + P / (E1 A1 + E2 A2).
TEST(StructurePath, TwoMaterialsInParallelShareTheLoadByTheirStiffness) {
  nm::structure pair;
  pair.nodes = {{0.0, 0.0, 0.0}, {2000.0, 0.0, 0.0}};
  pair.bars = {{1, 2, 100.0}, {1, 2, 50.0}};
  nm::hold(pair, 1);
  nm::hold(pair, 2, 2, 3);
  const double P = 50000.0;
  pair.loads.push_back({2, 1, P});
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, pair));
  kalvane::material aluminium = steel(70000.0);
  aluminium.name = "aluminium";
  s.materials = {steel(210000.0), aluminium};
  s.members[1].material = 1;
  kalvane::prepare(s);
  const solved r = follow(s);
  ASSERT_TRUE(reached_full_load(r.path));
  const double strain = P / (210000.0 * 100.0 + 70000.0 * 50.0);
  EXPECT_NEAR(r.path.x[0], 2000.0 * strain, 1e-12 * 2000.0);
  const kn::results at = kn::results_at(r.at_full_load, r.path.x);
  EXPECT_NEAR(at.force[0], 210000.0 * 100.0 * strain, 1e-9 * P);
  EXPECT_NEAR(at.force[1], 70000.0 * 50.0 * strain, 1e-9 * P);
  EXPECT_NEAR(at.reaction[0], -P, 1e-9 * P);
}

// A steel chain drawn straight between two supports at its rest length sags under its own
// weight alone. Statics, solved here by bisection on the horizontal force H: link k carries
// V_k = (n - 1) W / 2 - (k - 1) W vertically and T_k = hypot(H, V_k); it stretches to
// L0 (1 + T_k / EA), and the links' horizontal spans add up to the span.
TEST(StructurePath, AChainSagsUnderItsOwnWeightAsItsStaticsSay) {
  const int n = 10;
  const double span = 10000.0, area = 100.0, E = 200000.0, gamma = 7.85e-5 * 200.0;
  nm::structure chain;
  for (int k = 0; k <= n; ++k) chain.nodes.push_back({span * k / n, 0.0, 0.0});
  for (int k = 1; k <= n; ++k) chain.bars.push_back({k, k + 1, area});
  nm::hold(chain, 1);
  nm::hold(chain, n + 1);
  for (int k = 2; k <= n; ++k) chain.prescribed.push_back({k, 2, 0.0});
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, chain));
  s.materials = {steel(E, gamma)};
  kalvane::prepare(s);
  const solved r = follow(s);
  ASSERT_TRUE(reached_full_load(r.path));

  const double L0 = span / n, W = gamma * area * L0, EA = E * area;
  const auto vertical = [&](int k) { return (n - 1) * W / 2.0 - (k - 1) * W; };
  const auto spanned = [&](double H) {
    double sum = 0.0;
    for (int k = 1; k <= n; ++k) {
      const double T = std::hypot(H, vertical(k));
      sum += L0 * (1.0 + T / EA) * H / T;
    }
    return sum;
  };
  double low = 1e-6, high = 1e9;
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (low + high);
    (spanned(mid) < span ? low : high) = mid;
  }
  const double H = 0.5 * (low + high);
  double z = 0.0;
  for (int k = 1; k <= n / 2; ++k) {
    const double T = std::hypot(H, vertical(k));
    z -= L0 * (1.0 + T / EA) * vertical(k) / T;
  }
  EXPECT_NEAR(z_of(s, r.path.x, n / 2 + 1), z, 1e-8 * std::fabs(z));
  const kn::results at = kn::results_at(r.at_full_load, r.path.x);
  for (int k = 1; k <= n; ++k) EXPECT_NEAR(at.force[static_cast<std::size_t>(k - 1)], std::hypot(H, vertical(k)), 1e-8 * H) << k;
}

// A flat grid net whose bars are of three laws side by side (two steels and a rubber),
// prestressed by force with its edges held. The drawn shape is the equilibrium at both ends
// of the prestress; in between, the laws' forces part from their final proportions and the
// net drifts by a few micrometres and back. Stepped by that drift, as though it were the
// whole way, the stage turned sharply and halved a step; stepped by its load it goes on
// with none. Either way it ends in the drawn shape with the forces given.
TEST(StructurePath, APrestressThatBarelyMovesTheNetIsSteppedByItsLoad) {
  const int S = 8;
  nm::structure grid;
  auto id = [](int i, int j) { return i * S + j + 1; };
  for (int i = 0; i < S; ++i)
    for (int j = 0; j < S; ++j) grid.nodes.push_back({double(j), double(i), 0.0});
  for (int i = 0; i < S; ++i)
    for (int j = 0; j < S; ++j) {
      if (j + 1 < S) grid.bars.push_back({id(i, j), id(i, j + 1), 0.01});
      if (i + 1 < S) grid.bars.push_back({id(i, j), id(i + 1, j), 0.01});
      if (i == 0 || j == 0 || i == S - 1 || j == S - 1) nm::hold(grid, id(i, j));
    }
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, grid));
  kalvane::material rubber;
  rubber.name = "rubber";
  rubber.c1 = 100.0;
  s.materials = {steel(300.0), steel(400.0), rubber};
  const double T = 0.1;
  for (std::size_t b = 0; b < s.members.size(); ++b) {
    s.members[b].material = static_cast<int32_t>(b % 3);
    s.members[b].prestress = T;
  }
  kalvane::prepare(s);
  const solved r = follow(s);
  ASSERT_TRUE(reached_full_load(r.path));
  EXPECT_EQ(r.path.halvings, 0);
  int prestress_points = 0;
  for (const kn::path_point& p : r.path.points) prestress_points += p.stage == 1 && p.load_factor > 0.0;
  EXPECT_LE(prestress_points, 5);
  for (double value : r.path.x) EXPECT_NEAR(value, 0.0, 1e-12);
  const kn::results at = kn::results_at(r.at_full_load, r.path.x);
  for (double force : at.force) EXPECT_NEAR(force, T, 1e-12 * T);
}

// A steel column whose head a light bar holds sideways: as the head sinks the light bar
// stretches and pulls it over, so the load rises to a peak and falls (a limit point, not a
// bifurcation). Statics here: for each sideways displacement u of the head, its drop w
// from d(energy)/du = 0 by bisection, the load factor from d(energy)/dw, its peak by golden
// section. The path finds the limit point there, and no point before it lies past the peak
// (a point whose inertia came from an iterate before the peak would hide it for a step).
TEST(StructurePath, AColumnHeldByALightBarPeaksWhereItsStaticsSay) {
  nm::structure column;
  column.nodes = {{0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}, {1.0, 0.0, 1.0}};
  column.bars = {{1, 2, 1.0}, {2, 3, 0.01}};
  nm::hold(column, 1);
  nm::hold(column, 3);
  nm::hold(column, 2, 2, 2);
  const double P = 15.0;
  column.loads.push_back({2, 3, -P});
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, column));
  s.materials = {steel(1000.0)};
  kalvane::prepare(s);

  // Energy 500 (l1 - 1)^2 + 5 (l2 - 1)^2 of the head at (u, 0, 1 + w); its derivatives.
  auto derivatives = [](double u, double w, double& by_u, double& by_w) {
    const double l1 = std::hypot(u, 1.0 + w), l2 = std::hypot(1.0 - u, w);
    by_u = 1000.0 * (l1 - 1.0) * u / l1 - 10.0 * (l2 - 1.0) * (1.0 - u) / l2;
    by_w = 1000.0 * (l1 - 1.0) * (1.0 + w) / l1 + 10.0 * (l2 - 1.0) * w / l2;
  };
  auto drop_at = [&](double u) {
    double low = -0.05, high = 0.0, by_u, by_w;
    derivatives(u, low, by_u, by_w);
    const bool low_positive = by_u > 0.0;
    for (int i = 0; i < 200; ++i) {
      const double middle = 0.5 * (low + high);
      derivatives(u, middle, by_u, by_w);
      ((by_u > 0.0) == low_positive ? low : high) = middle;
    }
    return 0.5 * (low + high);
  };
  auto load_factor_at = [&](double u) {
    double by_u, by_w;
    derivatives(u, drop_at(u), by_u, by_w);
    return -by_w / P;  // d(energy)/dw + P t = 0: the load -P t balances it
  };
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double low = 0.005, high = 0.1;
  while (high - low > 1e-10) {
    const double left = high - ratio * (high - low), right = low + ratio * (high - low);
    if (load_factor_at(left) > load_factor_at(right)) high = right;
    else low = left;
  }
  const double u_peak = 0.5 * (low + high), peak = load_factor_at(u_peak), w_peak = drop_at(u_peak);

  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  ASSERT_TRUE(reached_full_load(path));
  const kn::path_point* limit = kn::first_point(path, kn::point_kind::limit);
  ASSERT_NE(limit, nullptr);
  EXPECT_NEAR(limit->load_factor, peak, 1e-7 * peak);
  double last = -1.0;
  for (const kn::path_point& p : path.points) {
    if (&p == limit) break;
    EXPECT_GT(p.load_factor, last) << "a point past the peak before the limit point";
    EXPECT_EQ(p.negative_pivots, 0);
    last = p.load_factor;
  }
  // The head where the path located the peak: the observer's copy of the limit point's x.
  kn::vector at_limit;
  kn::follow_path(s, pattern, f, {}, [&](const kn::path_point& p, const kn::vector& x) {
    if (p.kind == kn::point_kind::limit && at_limit.empty()) at_limit = x;
    return kn::path_control::go_on;
  });
  ASSERT_FALSE(at_limit.empty());
  EXPECT_NEAR(z_of(s, at_limit, 2), w_peak, 1e-6);
}

// A steel V drawn sagging and stress-free, its supports drawn apart until it is straight
// and on: its bars swing unstrained until they line up (the load factor turns there on the
// branch of unstrained shapes), then stretch in line. Statics: straight at s = L0 - a of
// each support's pull s, then N = EA ((a + s) / L0 - 1) with the middle node on the line;
// nothing falls, so no jump and no collapse: the load rises on the stretched branch.
TEST(StructurePath, ASaggingVPulledStraightByItsSupportsStretchesOnInLine) {
  const double a = 1000.0, sag = 100.0, area = 10.0, E = 210000.0, s = 10.0;
  for (const bool cables : {false, true}) {
    nm::structure v;
    v.nodes = {{0.0, 0.0, 0.0}, {a, 0.0, -sag}, {2.0 * a, 0.0, 0.0}};
    v.bars = {{1, 2, area}, {2, 3, area}};
    v.prescribed = {{1, 1, -s}, {1, 2, 0.0}, {1, 3, 0.0}, {3, 1, s}, {3, 2, 0.0}, {3, 3, 0.0}, {2, 1, 0.0}, {2, 2, 0.0}};
    scratch_folder folder;
    kalvane::structure st = kalvane::structure_of(nm::prepared(folder, v));
    st.materials = {steel(E)};
    if (cables)
      for (kalvane::member& m : st.members) m.behaviour = kalvane::bar_behaviour::cable;
    kalvane::prepare(st);
    const solved r = follow(st);
    ASSERT_TRUE(reached_full_load(r.path)) << cables << " " << kn::outcome_name(r.path.outcome);
    EXPECT_FALSE(kn::snapped(r.path));
    for (const kn::path_event& e : r.path.events) EXPECT_NE(e.kind, kn::event_kind::jump);
    EXPECT_NE(kn::route_text(r.path, false).find("held there, branch switched"), std::string::npos);
    const double L0 = std::hypot(a, sag);
    EXPECT_NEAR(z_of(st, r.path.x, 2), sag, 1e-9 * sag);
    const kn::results at = kn::results_at(r.at_full_load, r.path.x);
    for (double force : at.force) EXPECT_NEAR(force, E * area * ((a + s) / L0 - 1.0), 1e-9 * E * area) << cables;
  }
}

// The same V drawn tight by its rest lengths instead, cut to 995 of its drawn 1005: its bars
// swing unstressed until they line up, and their strains, formed from lengths of a thousand,
// leave out-of-balance forces far above the rounding their near-zero forces tell, which no
// corrector could meet: the path stalled at load factor 0.12. Straight at the end, N = EA
// (1000 / 995 - 1).
TEST(StructurePath, ASaggingVDrawnTightByItsRestLengthsStretchesOnInLine) {
  const double a = 1000.0, sag = 100.0, area = 10.0, E = 210000.0, rest = 995.0;
  nm::structure v;
  v.nodes = {{0.0, 0.0, 0.0}, {a, 0.0, -sag}, {2.0 * a, 0.0, 0.0}};
  v.bars = {{1, 2, area}, {2, 3, area}};
  nm::hold(v, 1);
  nm::hold(v, 3);
  v.prescribed.push_back({2, 1, 0.0});
  v.prescribed.push_back({2, 2, 0.0});
  scratch_folder folder;
  kalvane::structure st = kalvane::structure_of(nm::prepared(folder, v));
  st.materials = {steel(E)};
  for (kalvane::member& m : st.members) m.rest_length = rest;
  kalvane::prepare(st);
  const solved r = follow(st);
  ASSERT_TRUE(reached_full_load(r.path)) << kn::outcome_name(r.path.outcome);
  EXPECT_NEAR(z_of(st, r.path.x, 2), sag, 1e-9 * sag);
  const kn::results at = kn::results_at(r.at_full_load, r.path.x);
  for (double force : at.force) EXPECT_NEAR(force, E * area * (a / rest - 1.0), 1e-9 * E * area);
}

// A steel column of two bars, its top guided down its line and loaded, its joint held
// sideways by two long light bars: an unstable symmetric bifurcation. Regula falsi lands on
// the bifurcation itself, where the arc's system is singular and the correction fails; the
// bracket's middle goes on, and the load is found to about 1e-9, not left at the last point
// past it (3e-7 off). Statics on the straight branch: the upper bar carries P, the lower P
// less the light bars' pull up on the joint they hold as it sinks; the joint's lateral
// stiffness, their axial stiffness times the square of their X cosine and tension over
// length times the rest, less the two bars' compression over length, vanishes at the load.
TEST(StructurePath, AColumnsBifurcationLoadIsLocatedToNineDigits) {
  const double L = 1000.0, S = 1000.0, A = 100.0, a = 0.5, E = 200000.0;
  nm::structure column;
  column.nodes = {{0.0, 0.0, 0.0}, {0.0, 0.0, L}, {0.0, 0.0, 2.0 * L}, {S, 0.0, L}, {-S, 0.0, L}};
  column.bars = {{1, 2, A}, {2, 3, A}, {2, 4, a}, {2, 5, a}};
  nm::hold(column, 1);
  nm::hold(column, 4);
  nm::hold(column, 5);
  column.prescribed.push_back({2, 2, 0.0});
  nm::hold(column, 3, 1, 2);
  auto lateral_stiffness = [&](double P) {
    double drop = 0.0, lower = P, ls = S, T = 0.0;
    for (int i = 0; i < 100; ++i) {  // the joint's drop: a contraction, the light bars' pull is tiny
      ls = std::hypot(S, drop);
      T = E * a * (ls / S - 1.0);
      lower = P - 2.0 * T * drop / ls;
      drop = L * lower / (E * A);
    }
    const double l1 = L - drop, l2 = L * (1.0 - P / (E * A)), cosine = S / ls;
    return 2.0 * (E * a / S * cosine * cosine + T / ls * (1.0 - cosine * cosine)) - lower / l1 - P / l2;
  };
  double low = 0.0, high = 0.5 * E * A;
  for (int i = 0; i < 200; ++i) {
    const double middle = 0.5 * (low + high);
    (lateral_stiffness(middle) > 0.0 ? low : high) = middle;
  }
  const double critical = 0.5 * (low + high), full = 1.5 * critical;
  column.loads.push_back({3, 3, -full});
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, column));
  s.materials = {steel(E)};
  kalvane::prepare(s);
  const solved r = follow(s);
  const kn::path_point* bifurcation = kn::first_point(r.path, kn::point_kind::bifurcation);
  ASSERT_NE(bifurcation, nullptr);
  EXPECT_NEAR(bifurcation->load_factor * full, critical, 1e-8 * critical);
}

// A Mooney-Rivlin bar with c2 < 0 pushed along its line: its force N = 2 A (c1 + c2 / l)
// (l - 1 / l^2) peaks in compression where c1 l^4 + 2 c1 l + 3 c2 = 0, and shortened further
// it gives way toward a point, its energy falling without bound. The path's limit point is
// that peak; the jump from it names the bar crushed, not a minimisation that "settled
// nowhere".
TEST(StructurePath, AMooneyRivlinBarPushedPastItsPeakIsNamedCrushed) {
  const double c1 = 1.0, c2 = -0.5, push = 5.0;
  nm::structure bar;
  bar.nodes = {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}};
  bar.bars = {{1, 2, 1.0}};
  nm::hold(bar, 1);
  bar.prescribed.push_back({2, 2, 0.0});
  bar.prescribed.push_back({2, 3, 0.0});
  bar.loads.push_back({2, 1, -push});
  scratch_folder folder;
  kalvane::structure s = kalvane::structure_of(nm::prepared(folder, bar));
  s.materials[0].law = kalvane::axial_law::mooney_rivlin;
  s.materials[0].c1 = c1;
  s.materials[0].c2 = c2;
  kalvane::prepare(s);
  double peak = 0.65;  // Newton on c1 l^4 + 2 c1 l + 3 c2 = 0
  for (int i = 0; i < 50; ++i)
    peak -= (c1 * std::pow(peak, 4) + 2.0 * c1 * peak + 3.0 * c2) / (4.0 * c1 * std::pow(peak, 3) + 2.0 * c1);
  const double largest_push = -2.0 * (c1 + c2 / peak) * (peak - 1.0 / (peak * peak));
  const solved r = follow(s);
  ASSERT_TRUE(kn::collapsed(r.path)) << kn::outcome_name(r.path.outcome);
  const kn::path_point* limit = kn::first_point(r.path, kn::point_kind::limit);
  ASSERT_NE(limit, nullptr);
  EXPECT_NEAR(limit->load_factor * push, largest_push, 1e-7 * largest_push);
  ASSERT_FALSE(r.path.events.empty());
  const kn::path_event& jump = r.path.events.back();
  EXPECT_EQ(jump.kind, kn::event_kind::jump);
  EXPECT_EQ(jump.landing, kn::jump_end::crushed);
  EXPECT_EQ(jump.bar, 1);
  EXPECT_NE(kn::route_text(r.path, false).find("(bar 1 is crushed: shortened past its largest compressive force"),
            std::string::npos)
      << kn::route_text(r.path, false);
}
