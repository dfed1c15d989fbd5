// Cables that go slack under Newton's method: two cables in a V, one pushed slack by a
// sideways load, against statics; a pretensioned cable crossed by a stiff bar, pushed slack
// and pulled taut again along the loading path, against its closed form; a node held only by
// slack cables, held where it is without load and named with one; and the tangent's steering
// of slack cables, which must leave the residual alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "check_fixture.hpp"
#include "newton/loading.hpp"
#include "newton/minimise.hpp"
#include "newton/newton.hpp"
#include "newton/path.hpp"
#include "newton/slack.hpp"
#include "newton_models.hpp"
#include "path/app.hpp"
#include "structure/files.hpp"
#include "structure/law.hpp"
#include "structure/model_file.hpp"
#include "support.hpp"
#include "view/report_reader.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

constexpr double E = 200000.0;  // N/mm^2

// The structure of `input`, its one material made linear-elastic steel and the bars listed
// made cables (bar b at [b - 1]).
kalvane::structure steel(const scratch_folder& folder, const nm::structure& input, const std::vector<int>& cables) {
  kalvane::structure s = nm::structured(nm::prepared(folder, input));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = E;
  for (int b : cables) s.members[static_cast<std::size_t>(b - 1)].behaviour = kalvane::bar_behaviour::cable;
  kalvane::prepare(s);
  return s;
}

std::size_t at(const kalvane::model& m, int node, int component) {
  return static_cast<std::size_t>(m.dof_map(node, component) - 1);
}

// Supports 1 and 3 at (-+1000, 0, 1000), node 2 at the origin held in Y, loaded by (H, 0, -P).
nm::structure v_of_cables(double H, double P) {
  nm::structure s;
  s.nodes = {{-1000.0, 0.0, 1000.0}, {0.0, 0.0, 0.0}, {1000.0, 0.0, 1000.0}};
  s.bars = {{1, 2, 100.0}, {2, 3, 100.0}};
  nm::hold(s, 1);
  nm::hold(s, 3);
  s.prescribed.push_back({2, 2, 0.0});
  s.loads = {{2, 1, H}, {2, 3, -P}};
  return s;
}

TEST(NewtonSlack, VOfCablesPushedSideways_HangsOnOneCableAlongTheLoad) {
  // H > P turns the load outside the V: cable 2-3 goes slack and the node swings until
  // cable 1-2 lies along the load, carrying all of it: node = S1 + L (1 + F / EA) F / |F|.
  scratch_folder folder;
  const double H = 15000.0, P = 10000.0;
  const kalvane::structure s = steel(folder, v_of_cables(H, P), {1, 2});
  const kalvane::model& m = s.base;
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  kn::vector x(static_cast<std::size_t>(m.free_count), 0.0);
  const double F = std::hypot(H, P), L = std::sqrt(2.0) * 1000.0, EA = E * 100.0;
  const double length = L * (1.0 + F / EA);
  // Backing from the Newton step and going where the energy stops falling reach the same point.
  kn::minimise_settings exact;
  exact.exact_line_search = true;
  kn::vector by_exact = x;
  ASSERT_TRUE(kn::minimise_energy(s, by_exact, pattern, f, exact).converged);
  const kn::minimise_result r = kn::minimise_energy(s, x, pattern, f);
  ASSERT_TRUE(r.converged);
  for (const kn::vector* found : {&x, &by_exact}) {
    EXPECT_NEAR(-1000.0 + length * H / F, (*found)[at(m, 2, 1)], 1e-8 * L);
    EXPECT_NEAR(1000.0 - length * P / F, (*found)[at(m, 2, 3)], 1e-8 * L);
  }
  const kn::results res = kn::results_at(s, x);
  EXPECT_NEAR(F, res.force[0], 1e-8 * F);
  EXPECT_EQ(0.0, res.force[1]);
  EXPECT_EQ(0.0, res.stress[1]);  // the report's stress of a slack cable
  EXPECT_EQ(0, res.slack[0]);
  EXPECT_EQ(1, res.slack[1]);
  // The support of the slack cable takes nothing; the other takes the whole load.
  EXPECT_EQ(0.0, res.reaction[3 * 2 + 0]);
  EXPECT_NEAR(-H, res.reaction[0], 1e-8 * F);
  // bars.csv gives the states; the report, in kalvane's layout, a slack cable's stress as 0.
  const std::string csv = kalvane::bars_csv(s, res);
  EXPECT_NE(std::string::npos, csv.find(",taut\n2,")) << csv;
  EXPECT_EQ(csv.size() - 7, csv.rfind(",slack\n")) << csv;
  kalvane::structure written = s;
  for (int32_t p = 1; p <= m.free_count; ++p) written.base.unknowns(p) = x[static_cast<std::size_t>(p - 1)];
  const std::string report = folder / "output.txt";
  kalvane::write_structure_report(written, res, report);
  const kalvane::view::report read = kalvane::view::read_report_file(report);
  ASSERT_EQ(2u, read.stress.size());
  EXPECT_EQ(0.0, read.stress[1]);
  EXPECT_NEAR(res.stress[0], read.stress[0], 1e-4 * res.stress[0]);
}

TEST(NewtonSlack, VOfCablesUnderAVerticalLoad_BothTautAndSymmetric) {
  // Inside the V both cables carry it, equally by symmetry: 2 T cos(angle) = P on the
  // deformed geometry, which Newton reaches from the drawn one.
  scratch_folder folder;
  const double P = 10000.0;
  const kalvane::structure s = steel(folder, v_of_cables(0.0, P), {1, 2});
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  kn::vector x(static_cast<std::size_t>(s.base.free_count), 0.0);
  ASSERT_TRUE(kn::minimise_energy(s, x, pattern, f).converged);
  const kn::results res = kn::results_at(s, x);
  EXPECT_EQ(0, res.slack[0] + res.slack[1]);
  EXPECT_NEAR(res.force[0], res.force[1], 1e-9 * res.force[0]);
  const double z = 1000.0 - x[at(s.base, 2, 3)];  // height of the supports over the node
  const double l = std::hypot(1000.0 + x[at(s.base, 2, 1)], z);
  EXPECT_NEAR(P, 2.0 * res.force[0] * z / l, 1e-9 * P);
}

TEST(NewtonSlack, VOfCablesAlongThePath_WeightThenASidewaysLoadThatSlackensOne) {
  // Their weight hangs on both cables; the sideways load then turns the resultant outside
  // the V, and the path follows the node through the kink to where cable 1-2 alone holds it.
  scratch_folder folder;
  const double H = 30000.0;
  kalvane::structure s = steel(folder, v_of_cables(H, 0.0), {1, 2});
  s.materials[0].weight = 0.05;  // N/mm^3: 0.05 * 100 * 1414.2 per cable, half of each on node 2
  kalvane::prepare(s);
  const double L = std::sqrt(2.0) * 1000.0, P = 0.05 * 100.0 * L, EA = E * 100.0;
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  ASSERT_TRUE(reached_full_load(path));
  // Weight and load on node 2 together: (H, -P); the two supports' halves stay there.
  const double F = std::hypot(H, P), length = L * (1.0 + F / EA);
  EXPECT_NEAR(-1000.0 + length * H / F, path.x[at(s.base, 2, 1)], 1e-7 * L);
  EXPECT_NEAR(1000.0 - length * P / F, path.x[at(s.base, 2, 3)], 1e-7 * L);
  const kn::results r = kn::results_at(s, path.x);
  EXPECT_EQ(1, r.slack[1]);
  EXPECT_NEAR(F, r.force[0], 1e-7 * F);
}

TEST(NewtonSlack, SteeringStiffnessTouchesTheTangentOnly) {
  // Node 2 held only by two slack cables (rest lengths longer than drawn): its own tangent
  // is singular; the steered one is not, and the gradient is the same to the bit.
  scratch_folder folder;
  kalvane::structure s = steel(folder, v_of_cables(0.0, 0.0), {1, 2});
  for (kalvane::member& mem : s.members) mem.rest_length = 1.1 * std::sqrt(2.0) * 1000.0;
  kalvane::prepare(s);
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::vector x(static_cast<std::size_t>(s.base.free_count), 0.0);
  const kn::state own = kn::evaluate(s, x, &pattern, false);
  EXPECT_FALSE(kn::factorise(f, pattern).minimum());
  const kn::state steered = kn::evaluate(s, x, &pattern, true);
  const kn::inertia in = kn::factorise(f, pattern);
  EXPECT_TRUE(in.minimum());
  EXPECT_EQ(own.gradient, steered.gradient);
  EXPECT_EQ(own.energy, steered.energy);
  // A millionth of the taut cable's E A / L0, along and across.
  const double k = kn::slack_stiffness(s.base.bars(1), s.materials[0], s.members[0]);
  EXPECT_NEAR(1e-6 * E * 100.0 / (1.1 * std::sqrt(2.0) * 1000.0), k, 1e-12 * k);
}

// Support 1 at the origin, node 2 at X = 1000 held in Y and Z, support 3 at X = 2000: a
// cable 1-2 pretensioned by a rest length 1 mm short of its drawn length, and a stiff steel
// bar 2-3 of ten times its area and weight along -X. Stage 1 pretensions, stage 2 (its
// weight) pushes node 2 toward support 1 until the cable is slack, stage 3 pulls it back.
struct crossed {
  kalvane::structure s;
  double EA_cable = E * 10.0, EA_bar = E * 100.0;
  double weight_load = 0.0;  // on node 2, along -X
  double live = 0.0;         // on node 2, along +X
};

crossed crossed_cable(const scratch_folder& folder) {
  nm::structure input;
  input.nodes = {{0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}, {2000.0, 0.0, 0.0}};
  input.bars = {{1, 2, 10.0}, {2, 3, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 3);
  nm::hold(input, 2, 2, 3);
  crossed c;
  c.live = 40000.0;
  input.loads = {{2, 1, c.live}};
  c.s = steel(folder, input, {1});
  c.s.members[0].rest_length = 999.0;
  // A bar weighing 0.6 N/mm^3 of 100 mm^2 over 1000 mm: 60 kN, half of it on node 2, more
  // than the 20 kN that takes the pretension out of the cable.
  kalvane::material heavy = c.s.materials[0];
  heavy.name = "heavy";
  heavy.weight = 0.6;
  c.s.materials.push_back(heavy);
  c.s.members[1].material = 1;
  c.s.gravity = {-1.0, 0.0, 0.0};
  kalvane::prepare(c.s);
  c.weight_load = 0.5 * 0.6 * 100.0 * 1000.0;
  return c;
}

// Node 2's displacement u under a load F along +X: -T(u) - EA_bar u / 1000 + F = 0 with
// T = EA_cable ((1000 + u) / 999 - 1) while positive.
double crossed_answer(const crossed& c, double F) {
  const double taut = (F - c.EA_cable * (1000.0 / 999.0 - 1.0)) / (c.EA_cable / 999.0 + c.EA_bar / 1000.0);
  if (1000.0 + taut >= 999.0) return taut;
  return F * 1000.0 / c.EA_bar;
}

TEST(NewtonSlack, PretensionedCableGoesSlackAndTautAgainAlongThePath) {
  scratch_folder folder;
  const crossed c = crossed_cable(folder);
  const kalvane::model& m = c.s.base;
  kn::stiffness_pattern pattern = kn::pattern_of(m);
  kn::factorisation f;
  std::vector<kn::path_point> points;
  std::vector<double> u;
  const kn::path_finding path =
      kn::follow_path(c.s, pattern, f, {}, [&](const kn::path_point& p, const kn::vector& x) {
        points.push_back(p);
        u.push_back(x[0]);
        return kn::path_control::go_on;
      });
  ASSERT_TRUE(reached_full_load(path));
  ASSERT_EQ(3, path.stage);
  EXPECT_NEAR(crossed_answer(c, c.live - c.weight_load), path.x[0], 1e-9 * 1000.0);
  EXPECT_LT(crossed_answer(c, -c.weight_load), -1.0);  // the weight alone leaves the cable slack
  bool slack_seen = false;
  for (std::size_t i = 0; i < points.size(); ++i) {
    // No corrector needs more than a handful of iterations, at the kink or elsewhere.
    EXPECT_LE(points[i].newton_steps, 8) << "point " << i;
    if (points[i].stage == 2 && points[i].load_factor == 1.0) {
      EXPECT_NEAR(crossed_answer(c, -c.weight_load), u[i], 1e-7 * 1000.0);
      slack_seen = true;
    }
  }
  EXPECT_TRUE(slack_seen);
  // The cable's strain passes zero where node 2 is 1 mm toward support 1, under a resultant
  // of -EA_bar / 1000 = -20 kN along X: two thirds of the weight in stage 2, and in stage 3
  // where the live load has taken back 10 of its 40 kN. Each is an event, located there.
  std::vector<kn::path_event> cable_events;
  for (const kn::path_event& e : path.events)
    if (e.kind == kn::event_kind::slack || e.kind == kn::event_kind::taut) cable_events.push_back(e);
  ASSERT_EQ(2u, cable_events.size());
  EXPECT_EQ(kn::event_kind::slack, cable_events[0].kind);
  EXPECT_EQ(1, cable_events[0].bar);
  EXPECT_EQ(2, cable_events[0].stage);
  EXPECT_NEAR(c.EA_bar / 1000.0 / c.weight_load, cable_events[0].load_factor, 1e-8);
  EXPECT_EQ(kn::event_kind::taut, cable_events[1].kind);
  EXPECT_EQ(3, cable_events[1].stage);
  EXPECT_NEAR((c.weight_load - c.EA_bar / 1000.0) / c.live, cable_events[1].load_factor, 1e-8);
  std::size_t event_points = 0;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (points[i].kind == kn::point_kind::slack || points[i].kind == kn::point_kind::taut) {
      ++event_points;
      EXPECT_EQ(1, points[i].bar);
      EXPECT_NEAR(-1.0, u[i], 1e-7);  // located where the cable is at its rest length
    }
  EXPECT_EQ(2u, event_points);
  EXPECT_TRUE(path.held_nodes.empty());
  const kn::results r = kn::results_at(c.s, path.x);
  EXPECT_EQ(0, r.slack[0]);
}

TEST(NewtonSlack, NewtonFromEitherSideOfTheKinkConverges) {
  // From the slack side and from the taut side of the cable's rest length, with the loads
  // at full value: Newton (with its fallback) settles on the same point.
  scratch_folder folder;
  crossed c = crossed_cable(folder);
  kalvane::structure full = c.s;
  kn::apply_stage(full, c.s, kn::stages_of(c.s, kn::loading::staged).back(), 1.0);
  for (double start : {-5.0, -1.0, 0.0, 0.5, 3.0}) {
    kn::stiffness_pattern pattern = kn::pattern_of(full.base);
    kn::factorisation f;
    kn::vector x{start};
    const kn::newton_result r = kn::newton_solve(full, x, pattern, f, {});
    EXPECT_TRUE(r.converged) << start;
    EXPECT_NEAR(crossed_answer(c, c.live - c.weight_load), x[0], 1e-9 * 1000.0) << start;
  }
}

// The path of a bundled example's model file under staged loading; `at_point` is shown each
// point, with the structure at that point's load and its displacements.
using point_check = std::function<void(const kn::path_point&, const kalvane::structure&, const kn::vector&)>;
static kn::path_finding path_of(kalvane::structure s, const point_check& at_point) {
  kalvane::path::start_structure(s);
  const std::vector<kn::load_stage> stages = kn::stages_of(s, kn::loading::staged);
  kalvane::structure at_load = s;
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  return kn::follow_path(s, pattern, f, {}, [&](const kn::path_point& p, const kn::vector& x) {
    kn::apply_stage(at_load, s, stages[static_cast<std::size_t>(p.stage - 1)], p.load_factor);
    at_point(p, at_load, x);
    return kn::path_control::go_on;
  });
}

static kn::path_finding example_path(const std::string& example, const point_check& at_point) {
  return path_of(kalvane::read_structure(kalvane_test::source_path("examples/" + example + "/model.json")), at_point);
}

// A steel saddle net of side x side nodes 1 m apart, z = rise (x'^2 - y'^2) / h^2 about its
// middle (h the half-span), its edge held, every cable pretensioned to 2 kN, and `load` kN
// down on each free node left of the middle.
static kalvane::structure loaded_saddle(int side, double rise, double load) {
  const double h = 0.5 * (side - 1);
  std::string nodes, bars, held, loads;
  auto add = [](std::string& list, const std::string& item) { list += (list.empty() ? "" : ",") + item; };
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      const int node = j * side + i + 1;
      const double z = rise * ((i - h) * (i - h) - (j - h) * (j - h)) / (h * h);
      add(nodes, "[" + std::to_string(i) + "," + std::to_string(j) + "," + std::to_string(z) + "]");
      const std::string cable = R"(,"area":1e-4,"material":"steel","behaviour":"cable","prestress":2})";
      if (i + 1 < side) add(bars, "{\"nodes\":[" + std::to_string(node) + "," + std::to_string(node + 1) + "]" + cable);
      if (j + 1 < side) add(bars, "{\"nodes\":[" + std::to_string(node) + "," + std::to_string(node + side) + "]" + cable);
      if (i == 0 || j == 0 || i == side - 1 || j == side - 1)
        add(held, "{\"node\":" + std::to_string(node) + R"(,"x":0,"y":0,"z":0})");
      else if (i < h)
        add(loads, "{\"node\":" + std::to_string(node) + R"(,"z":)" + std::to_string(-load) + "}");
    }
  return kalvane::read_structure_text(
      R"({"format":"kalvane-model","version":1,"title":"saddle loaded on its left half",)"
      R"("materials":[{"name":"steel","law":"linear-elastic","E":2.1e8}],"nodes":[)" + nodes + "],\"bars\":[" + bars +
          "],\"prescribed\":[" + held + "],\"loads\":[" + loads + "]}",
      "model.json");
}

TEST(NewtonSlack, NetWhoseCablesHoverAtTheirRestLengths_EveryPointIsAnEquilibriumAtItsLoad) {
  // The bundled two-material saddle: its four soft net cables stay within a few millionths
  // of their rest lengths under the live load, and Newton's steps on the arc flip them at
  // every step. The path goes on at the predicted load, not by halving its step; every point
  // it gives must still be in equilibrium at the load factor it names.
  int checked = 0;
  double worst = 0.0;
  const kn::path_finding path =
      example_path("two_materials", [&](const kn::path_point& p, const kalvane::structure& at_load, const kn::vector& x) {
        if (p.kind == kn::point_kind::slack || p.kind == kn::point_kind::taut) return;
        const kn::state here = kn::evaluate(at_load, x);
        worst = std::max(worst, kn::max_abs(here.gradient) / kn::max_abs(here.scale));
        ++checked;
      });
  ASSERT_TRUE(reached_full_load(path));
  EXPECT_GT(checked, 10);
  EXPECT_LT(worst, 1e-8);
  // Before, each of those steps failed and was halved: a quarter of the steps halved is ample.
  EXPECT_LT(4 * path.halvings, path.steps) << path.steps << " steps, " << path.halvings << " halvings";
}

TEST(NewtonSlack, EveryCableOfTheSlackNetIsLocatedWhereItGoesSlackInLoadOrder) {
  // The bundled saddle net loaded on half: four hogging cables go slack in one step of the
  // path, some only after others have. Each is located on the path, in equilibrium, where its
  // strain is zero, the later ones from a point past the earlier ones' kinks; written in the
  // order the rising load meets them.
  std::vector<double> load_factors;
  const kn::path_finding path =
      example_path("slack_net", [&](const kn::path_point& p, const kalvane::structure& at_load, const kn::vector& x) {
        if (p.kind != kn::point_kind::slack) return;
        double u[3];
        kn::bar_difference(at_load.base, at_load.base.bars(p.bar), x, u);
        const kalvane::member_state m = kalvane::member_at(at_load.base.bars(p.bar), kalvane::material_of(at_load, p.bar),
                                                           kalvane::member_of(at_load, p.bar), u);
        EXPECT_LT(std::fabs(m.strain), 1e-8) << "cable " << p.bar;  // against a prestress strain of 1e-3
        load_factors.push_back(p.load_factor);
      });
  ASSERT_TRUE(reached_full_load(path));
  ASSERT_EQ(4u, load_factors.size());
  // Two cables that go slack together are located to the corrections' accuracy.
  for (std::size_t i = 1; i < load_factors.size(); ++i) EXPECT_LE(load_factors[i - 1], load_factors[i] + 1e-7) << i;
}

TEST(NewtonSlack, FlipCounterCatchesChattering) {
  scratch_folder folder;
  const crossed c = crossed_cable(folder);
  kn::flip_counter flips(c.s, 3);
  EXPECT_TRUE(flips.active);
  // Slack (u < -1) and taut in turn: the fourth flip of the same cable is one too many.
  const double states[] = {-2.0, 0.0, -2.0, 0.0, -2.0};
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(flips.observe(c.s, kn::vector{states[i]})) << i;
  EXPECT_TRUE(flips.observe(c.s, kn::vector{states[4]}));
  // Moving on one side of the kink flips nothing.
  kn::flip_counter steady(c.s, 1);
  for (double u : {-3.0, -2.0, -1.5, -1.2}) EXPECT_FALSE(steady.observe(c.s, kn::vector{u}));
}

// Node 2 between supports 1 and 3 on two cables 10 % longer than the gap, so both slack;
// and a bar from support 3 to node 4 pulled along X so that the path has a load to raise.
nm::structure slack_held(double load_on_2) {
  nm::structure s;
  s.nodes = {{-1000.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}, {2000.0, 0.0, 0.0}};
  s.bars = {{1, 2, 100.0}, {2, 3, 100.0}, {3, 4, 100.0}};
  nm::hold(s, 1);
  nm::hold(s, 3);
  nm::hold(s, 4, 2, 3);
  s.loads = {{4, 1, 1000.0}};
  if (load_on_2 != 0.0) s.loads.push_back({2, 3, -load_on_2});
  return s;
}

// `input` in steel, its bars 1 and 2 cables cut to `rest`, and its path to full load.
struct cut_cables {
  kalvane::structure s;
  kn::path_finding path;
};
cut_cables followed_with_cables_cut_to(const scratch_folder& folder, const nm::structure& input, double rest) {
  cut_cables c{steel(folder, input, {1, 2}), {}};
  c.s.members[0].rest_length = c.s.members[1].rest_length = rest;
  kalvane::prepare(c.s);
  kn::stiffness_pattern pattern = kn::pattern_of(c.s.base);
  kn::factorisation f;
  c.path = kn::follow_path(c.s, pattern, f);
  return c;
}

TEST(NewtonSlack, NodeHeldOnlyBySlackCables_HeldWithoutLoadAndNamedWithOne) {
  scratch_folder folder;
  {
    const auto [s, path] = followed_with_cables_cut_to(folder, slack_held(0.0), 1100.0);
    const std::vector<kn::slack_group> groups = kn::slack_groups(s, kn::vector(static_cast<std::size_t>(s.base.free_count), 0.0));
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ(std::vector<int32_t>{2}, groups[0].nodes);
    EXPECT_FALSE(groups[0].loaded);
    ASSERT_TRUE(reached_full_load(path));
    EXPECT_EQ(std::vector<int32_t>{2}, path.held_nodes);
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(0.0, path.x[at(s.base, 2, c)]) << c;
    EXPECT_NEAR(1000.0 * 1000.0 / (E * 100.0), path.x[at(s.base, 4, 1)], 1e-9 * 1000.0);
  }
  {
    // Drawn below its supports, where the cables' growing rest lengths would let it sink
    // while they stay at zero force: it stays where it is drawn, to the bit.
    nm::structure below = slack_held(0.0);
    below.nodes[1] = {0.0, 0.0, -500.0};
    const auto [s, path] = followed_with_cables_cut_to(folder, below, 1200.0);
    ASSERT_TRUE(reached_full_load(path));
    EXPECT_EQ(std::vector<int32_t>{2}, path.held_nodes);
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(0.0, path.x[at(s.base, 2, c)]) << c;
  }
  for (const bool held_across : {false, true}) {
    // With a load on it, and rest lengths so long that nothing catches it within any
    // structure's reach: no equilibrium holds node 2, and the path names it; held across
    // the cables' plane too, since that support does not bear the load.
    SCOPED_TRACE(held_across ? "node 2 held in Y" : "node 2 free");
    nm::structure input = slack_held(500.0);
    if (held_across) input.prescribed.push_back({2, 2, 0.0});
    scratch_folder own;
    kalvane::structure s = steel(own, input, {1, 2});
    s.members[0].rest_length = s.members[1].rest_length = 1e9;
    kalvane::prepare(s);
    const std::vector<kn::slack_group> groups = kn::slack_groups(s, kn::vector(static_cast<std::size_t>(s.base.free_count), 0.0));
    ASSERT_EQ(1u, groups.size());
    EXPECT_TRUE(groups[0].loaded);
    EXPECT_EQ(-500.0, groups[0].load[2]);
    kn::stiffness_pattern pattern = kn::pattern_of(s.base);
    kn::factorisation f;
    const kn::path_finding path = kn::follow_path(s, pattern, f);
    EXPECT_FALSE(reached_full_load(path));
    EXPECT_TRUE(collapsed(path) || path.outcome == kalvane::newton::path_outcome::mechanism);
    EXPECT_EQ(std::vector<int32_t>{2}, path.unheld_nodes);
  }
}

// Node 2 on two cables cut 10 % longer than drawn, loaded once they are cut: at the first
// load it falls onto them, so both go taut at load factor 0 of the loads' stage (not where
// springs that only steer Newton would have let it sink to), and it hangs where statics say:
// 2 T d / l = P, l = sqrt(1000^2 + d^2) = 1100 (1 + T / EA), by bisection on the depth d.
// The same with node 2 held across the cables' plane, which once hid it from the search
// for nodes only slack cables hold.
TEST(NewtonSlack, ANodeOnCablesCutLongFallsOntoThemAtTheFirstLoad) {
  for (const bool held_across : {false, true}) {
    SCOPED_TRACE(held_across ? "node 2 held in Y" : "node 2 free");
    scratch_folder folder;
    const double P = 500.0, EA = E * 100.0;
    nm::structure input = slack_held(P);
    if (held_across) input.prescribed.push_back({2, 2, 0.0});
    const auto [s, path] = followed_with_cables_cut_to(folder, input, 1100.0);
    ASSERT_TRUE(reached_full_load(path));
    const int loads_stage = path.stage;
    std::vector<int32_t> taut;
    for (const kn::path_event& e : path.events)
      if (e.stage == loads_stage && (e.kind == kn::event_kind::taut || e.kind == kn::event_kind::slack)) {
        EXPECT_EQ(e.kind, kn::event_kind::taut);
        EXPECT_EQ(e.load_factor, 0.0) << "cable " << e.bar;
        taut.push_back(e.bar);
      }
    std::sort(taut.begin(), taut.end());
    EXPECT_EQ(taut, (std::vector<int32_t>{1, 2}));
    auto out_of_balance = [&](double d) {
      const double l = std::hypot(1000.0, d), T = EA * (l / 1100.0 - 1.0);
      return 2.0 * T * d / l - P;
    };
    double low = std::sqrt(1100.0 * 1100.0 - 1000.0 * 1000.0), high = 1000.0;
    for (int i = 0; i < 200; ++i) (out_of_balance(0.5 * (low + high)) < 0.0 ? low : high) = 0.5 * (low + high);
    EXPECT_NEAR(-0.5 * (low + high), path.x[at(s.base, 2, 3)], 1e-9 * 1000.0);
    EXPECT_NEAR(0.0, path.x[at(s.base, 2, 1)], 1e-9 * 1000.0);
  }
}

// Node 2 hangs on a cable drawn at its rest length, and two bars at right angles hold it
// from the side, both square to the load that lifts it. The first load leaves the cable
// slack, and nothing else holds the node along the load: it swings up at once about the
// line through the bars' supports, to the top of its circle, where the bars carry the load:
// 2 N h / l = P with l = sqrt(L^2 / 2 + h^2), N = EA (l / L - 1) (bisection on the height h
// over the line). No limit point on the way: the swing is a fall at load factor 0.
TEST(NewtonSlack, ANodeLiftedOffItsCableSwingsUpOnBarsSquareToTheLoad) {
  scratch_folder folder;
  const double L = 1000.0, P = 40000.0, EA = E * 100.0;  // a heavy lift: the bars stretch by 0.2 %
  nm::structure input;
  input.nodes = {{0.0, 0.0, 0.0}, {0.0, 0.0, -L}, {L, 0.0, -L}, {0.0, L, -L}};
  input.bars = {{1, 2, 100.0}, {2, 3, 100.0}, {2, 4, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 3);
  nm::hold(input, 4);
  input.loads = {{2, 3, P}};
  const kalvane::structure s = steel(folder, input, {1});
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  ASSERT_TRUE(reached_full_load(path)) << kn::outcome_name(path.outcome);
  ASSERT_FALSE(path.events.empty());
  EXPECT_EQ(path.events.front().kind, kn::event_kind::slack);
  EXPECT_EQ(path.events.front().load_factor, 0.0);
  for (const kn::path_event& e : path.events) EXPECT_NE(e.kind, kn::event_kind::limit);
  auto out_of_balance = [&](double h) {
    const double l = std::sqrt(0.5 * L * L + h * h);
    return 2.0 * EA * (l / L - 1.0) * h / l - P;
  };
  double low = std::sqrt(0.5) * L, high = 2.0 * L;
  for (int i = 0; i < 200; ++i) (out_of_balance(0.5 * (low + high)) < 0.0 ? low : high) = 0.5 * (low + high);
  EXPECT_NEAR(0.5 * L, path.x[at(s.base, 2, 1)], 1e-9 * L);
  EXPECT_NEAR(0.5 * L, path.x[at(s.base, 2, 2)], 1e-9 * L);
  EXPECT_NEAR(0.5 * (low + high), path.x[at(s.base, 2, 3)], 1e-9 * L);
}

// A V of cables hanging stress-free, its node lifted by a light load: the cables go slack
// and the node falls up through the supports' line onto them, to hang above it, 2 EA
// (l / L0 - 1) h / l = P at height h over the line, l = hypot(1000, h). Newton's steps
// through slack cables are the load over their small springs, about half a millimetre
// here, where the node falls 2000 mm: the minimiser's 200 fell short, and the stage "could
// not start".
TEST(NewtonSlack, ALightLoadLiftsASaggingVOfCablesOverTheLineOfItsSupports) {
  for (const double P : {1.0, 1000.0}) {
    SCOPED_TRACE(P);
    scratch_folder folder;
    const kalvane::structure s = steel(folder, v_of_cables(0.0, -P), {1, 2});
    kn::stiffness_pattern pattern = kn::pattern_of(s.base);
    kn::factorisation f;
    const kn::path_finding path = kn::follow_path(s, pattern, f);
    ASSERT_TRUE(reached_full_load(path)) << kn::outcome_name(path.outcome);
    const double EA = E * 100.0, L0 = std::hypot(1000.0, 1000.0);
    auto out_of_balance = [&](double h) {
      const double l = std::hypot(1000.0, h);
      return 2.0 * EA * (l / L0 - 1.0) * h / l - P;
    };
    double low = 1000.0, high = 2000.0;
    for (int i = 0; i < 200; ++i) (out_of_balance(0.5 * (low + high)) < 0.0 ? low : high) = 0.5 * (low + high);
    EXPECT_NEAR(1000.0 + 0.5 * (low + high), path.x[at(s.base, 2, 3)], 1e-9 * 1000.0);
    EXPECT_NEAR(0.0, path.x[at(s.base, 2, 1)], 1e-9 * 1000.0);
  }
}

// Node 2 on a cable drawn at its rest length, sliding along the cable's line and pushed
// toward its support: the cable goes slack at once, nothing holds the node, and it falls
// through the support until the cable catches it on the far side, taut under the load:
// x2 = -L (1 + P / EA). Both the slackening and the catching are events at load factor 0.
TEST(NewtonSlack, ACablePushedTowardItsSupportGoesSlackThenCatchesItsNodeBeyond) {
  scratch_folder folder;
  const double L = 1000.0, P = 1000.0, EA = E * 100.0;
  nm::structure input;
  input.nodes = {{0.0, 0.0, 0.0}, {L, 0.0, 0.0}};
  input.bars = {{1, 2, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 2, 2, 3);
  input.loads = {{2, 1, -P}};
  const kalvane::structure s = steel(folder, input, {1});
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  ASSERT_TRUE(reached_full_load(path)) << kn::outcome_name(path.outcome);
  ASSERT_EQ(path.events.size(), 2u);
  EXPECT_EQ(path.events[0].kind, kn::event_kind::slack);
  EXPECT_EQ(path.events[1].kind, kn::event_kind::taut);
  for (const kn::path_event& e : path.events) {
    EXPECT_EQ(e.bar, 1);
    EXPECT_EQ(e.load_factor, 0.0);
  }
  EXPECT_NEAR(-2.0 * L - L * P / EA, path.x[at(s.base, 2, 1)], 1e-9 * L);
}

TEST(NewtonSlack, GroupJoinedByATautBarIsOneGroupAndASupportHoldsIt) {
  // Nodes 2 and 3 joined by a bar, hung from supports 1 and 4 by slack cables: one group
  // of two nodes; the same with node 3 held in Z is held by its support.
  nm::structure input;
  input.nodes = {{-1000.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}, {2000.0, 0.0, 0.0}};
  input.bars = {{1, 2, 100.0}, {2, 3, 100.0}, {3, 4, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 4);
  input.loads = {{2, 1, 100.0}, {3, 1, -100.0}};  // balanced: no resultant
  scratch_folder folder;
  kalvane::structure s = steel(folder, input, {1, 3});
  s.members[0].rest_length = s.members[2].rest_length = 1100.0;
  kalvane::prepare(s);
  std::vector<kn::slack_group> groups = kn::slack_groups(s, kn::vector(static_cast<std::size_t>(s.base.free_count), 0.0));
  ASSERT_EQ(1u, groups.size());
  EXPECT_EQ((std::vector<int32_t>{2, 3}), groups[0].nodes);
  EXPECT_FALSE(groups[0].loaded);
  // Node 3 held in Z: nothing holds the pair in X or Y, so it stays a group, and a load in Z
  // alone (borne by that support) leaves it unloaded; held along all three axes, the
  // support holds it.
  auto groups_with = [&](const std::vector<nm::value_line>& prescribed, const std::vector<nm::value_line>& loads) {
    nm::structure variant = input;
    variant.prescribed.insert(variant.prescribed.end(), prescribed.begin(), prescribed.end());
    variant.loads = loads;
    scratch_folder other;
    kalvane::structure held = steel(other, variant, {1, 3});
    held.members[0].rest_length = held.members[2].rest_length = 1100.0;
    kalvane::prepare(held);
    return kn::slack_groups(held, kn::vector(static_cast<std::size_t>(held.base.free_count), 0.0));
  };
  groups = groups_with({{3, 3, 0.0}}, {{2, 3, -100.0}});
  ASSERT_EQ(1u, groups.size());
  EXPECT_EQ((std::vector<int32_t>{2, 3}), groups[0].nodes);
  EXPECT_FALSE(groups[0].loaded);
  groups = groups_with({{3, 3, 0.0}}, {{2, 1, 100.0}});
  ASSERT_EQ(1u, groups.size());
  EXPECT_TRUE(groups[0].loaded);
  EXPECT_TRUE(groups_with({{3, 1, 0.0}, {3, 2, 0.0}, {3, 3, 0.0}}, {{2, 1, 100.0}}).empty());
}

TEST(NewtonSlack, ACascadeOfHoggingCablesGoingSlackTogetherIsCrossedToFullLoad) {
  // Under a heavy load on half a saddle, its hogging cables lose their tension together near
  // a fifth of the load: Newton on the arc meets most of their kinks with the wrong stiffness
  // and fails however short the step. The path once stalled there; it must go on to full
  // load, every point it gives an equilibrium at its load, every cable slack at the end
  // named by an event on the way.
  double worst = 0.0;
  std::vector<std::uint8_t> slack_at_end;
  int slack_events = 0;
  const kn::path_finding path =
      path_of(loaded_saddle(6, 0.25, 0.96), [&](const kn::path_point& p, const kalvane::structure& at_load, const kn::vector& x) {
        if (p.kind == kn::point_kind::slack) ++slack_events;
        if (p.kind == kn::point_kind::slack || p.kind == kn::point_kind::taut) return;
        const kn::state here = kn::evaluate(at_load, x);
        worst = std::max(worst, kn::max_abs(here.gradient) / kn::max_abs(here.scale));
        kn::slack_flags(at_load, x, slack_at_end);
      });
  ASSERT_TRUE(reached_full_load(path)) << path.steps << " steps, " << path.halvings << " halvings";
  EXPECT_LT(worst, 1e-8);
  const auto slack = std::count(slack_at_end.begin(), slack_at_end.end(), 1);
  EXPECT_GT(slack, 2);
  EXPECT_GE(slack_events, slack);
}

}  // namespace


// A steel cable (EA 2e4, cut 1 mm short) holds node 2 against a soft bar (EA 20, cut to half
// its length), a steel bar across; the load pushes the node toward the cable's support and
// ten times as hard along the steel bar. Where the cable goes slack the node's motion turns
// from mostly along the steel bar to along the soft bar: the path turns by more than 80
// degrees however short the step, a corner of the path that the step control once took for a
// jump to another branch, halving the step until the path stalled at it. At the event the
// cable carries nothing, so the node stands where the two bars alone hold it under that
// load, at the cable's rest length from its support: solved here by bisection on the load.
TEST(NewtonSlack, ThePathTurnsSharplyWhereACableGoesSlackAndGoesOnToFullLoad) {
  const kalvane::structure s = kalvane::read_structure_text(
      R"({"format":"kalvane-model","version":1,"title":"corner",)"
      R"("materials":[{"name":"steel","law":"linear-elastic","E":2e8},{"name":"soft","law":"linear-elastic","E":200}],)"
      R"("nodes":[[-1,0,0],[0,0,0],[0,-1,0],[1,0,0]],)"
      R"("bars":[{"nodes":[1,2],"material":"steel","area":1e-4,"behaviour":"cable","rest_length":0.999},)"
      R"({"nodes":[2,4],"material":"soft","area":0.1,"rest_length":0.5},{"nodes":[3,2],"material":"steel","area":1e-4}],)"
      R"("prescribed":[{"node":1,"x":0,"y":0,"z":0},{"node":3,"x":0,"y":0,"z":0},{"node":4,"x":0,"y":0,"z":0},)"
      R"({"node":2,"z":0}],"loads":[{"node":2,"x":-40,"y":400}]})",
      "model.json");
  const kn::path_finding path = path_of(s, [](const kn::path_point&, const kalvane::structure&, const kn::vector&) {});
  ASSERT_TRUE(reached_full_load(path));

  // The node under load factor t held by the two bars alone (Newton on their two forces).
  const auto held_by_bars = [](double t) {
    double x = 0.0, y = 0.0;
    const auto force = [](double px, double py, double ax, double ay, double ea, double rest, double out[2]) {
      const double dx = ax - px, dy = ay - py, l = std::hypot(dx, dy), n = ea * (l / rest - 1.0);
      out[0] = n * dx / l, out[1] = n * dy / l;
    };
    const auto residual = [&](double px, double py, double r[2]) {
      double soft[2], steel[2];
      force(px, py, 1.0, 0.0, 20.0, 0.5, soft);
      force(px, py, 0.0, -1.0, 2e4, 1.0, steel);
      r[0] = soft[0] + steel[0] - 40.0 * t, r[1] = soft[1] + steel[1] + 400.0 * t;
    };
    for (int k = 0; k < 50; ++k) {
      double r[2], rx[2], ry[2];
      const double h = 1e-7;
      residual(x, y, r), residual(x + h, y, rx), residual(x, y + h, ry);
      const double a = (rx[0] - r[0]) / h, b = (ry[0] - r[0]) / h, c = (rx[1] - r[1]) / h, d = (ry[1] - r[1]) / h;
      const double det = a * d - b * c;
      x -= (d * r[0] - b * r[1]) / det, y -= (a * r[1] - c * r[0]) / det;
    }
    return std::array<double, 2>{x, y};
  };
  double low = 0.0, high = 1.0;
  for (int k = 0; k < 60; ++k) {
    const double mid = 0.5 * (low + high);
    const auto p = held_by_bars(mid);
    (std::hypot(p[0] + 1.0, p[1]) > 0.999 ? low : high) = mid;
  }
  std::vector<kn::path_event> slack;
  for (const kn::path_event& e : path.events)
    if (e.kind == kn::event_kind::slack) slack.push_back(e);
  ASSERT_EQ(1u, slack.size());
  EXPECT_EQ(1, slack[0].bar);
  EXPECT_EQ(2, slack[0].stage);
  EXPECT_NEAR(0.5 * (low + high), slack[0].load_factor, 1e-8);
  kalvane::structure started = s;
  kalvane::path::start_structure(started);
  EXPECT_EQ(1, kn::results_at(started, path.x).slack[0]);
}

// A V of two steel cables hung from (+-1, 0, 1), node 2 at the origin held across its plane,
// their weight on it, lifted by 0.1 as the loads rise: both go slack where the lift meets the
// weight, 2 x 78.5 x 1e-4 x sqrt 2 / 2 = 0.0111016, at load factor 0.111016, and nothing
// holds the node past it. The path stops there, the cables at their rest lengths (the node
// where it was drawn), instead of floating the node up on the springs that steer Newton past
// slack cables until its steps ran out, at the same load factor a metre higher.
TEST(NewtonSlack, ANodeLiftedOffItsCablesStopsThePathWhereTheyGoSlack) {
  const kalvane::structure s = kalvane::read_structure_text(
      R"({"format":"kalvane-model","version":1,"title":"lifted V",)"
      R"("materials":[{"name":"steel","law":"linear-elastic","E":2e8,"weight":78.5}],)"
      R"("nodes":[[-1,0,1],[0,0,0],[1,0,1]],)"
      R"("bars":[{"nodes":[1,2],"material":"steel","area":1e-4,"behaviour":"cable"},)"
      R"({"nodes":[2,3],"material":"steel","area":1e-4,"behaviour":"cable"}],)"
      R"("prescribed":[{"node":1,"x":0,"y":0,"z":0},{"node":3,"x":0,"y":0,"z":0},{"node":2,"y":0}],)"
      R"("loads":[{"node":2,"z":0.1}]})",
      "model.json");
  const kn::path_finding path = path_of(s, [](const kn::path_point&, const kalvane::structure&, const kn::vector&) {});
  EXPECT_TRUE(collapsed(path));
  EXPECT_EQ(std::vector<int32_t>{2}, path.unheld_nodes);
  EXPECT_EQ(2, path.stage);
  EXPECT_NEAR(78.5e-4 * std::sqrt(2.0) / 0.1, path.load_factor, 1e-9);
  EXPECT_LT(std::fabs(path.x[1]), 1e-9);  // node 2's Z
  EXPECT_LT(path.steps + path.halvings, 20);
}
