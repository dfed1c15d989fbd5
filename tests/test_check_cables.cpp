// What the certificate says of cables and of bars in compression: a result that pushes a
// cable is refused naming the cable, even when it balances (a solver that ignored tension
// only); slack cables are counted; a model of plain bars in compression is told in a line.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "check/cables.hpp"
#include "check/findings.hpp"
#include "check_fixture.hpp"
#include "newton/minimise.hpp"
#include "newton_models.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;
namespace kc = kalvane::check;

// Two steel members in a V from supports at (-+1000, 0, 1000) to node 2, held in Y, pushed
// sideways (H > P) so that member 2 shortens.
kalvane::structure v_truss(const scratch_folder& folder, bool cables) {
  nm::structure input;
  input.nodes = {{-1000.0, 0.0, 1000.0}, {0.0, 0.0, 0.0}, {1000.0, 0.0, 1000.0}};
  input.bars = {{1, 2, 100.0}, {2, 3, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 3);
  input.prescribed.push_back({2, 2, 0.0});
  input.loads = {{2, 1, 15000.0}, {2, 3, -10000.0}};
  kalvane::structure s = nm::structured(nm::prepared(folder, input));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 200000.0;
  if (cables)
    for (kalvane::member& m : s.members) m.behaviour = kalvane::bar_behaviour::cable;
  kalvane::prepare(s);
  return s;
}

kn::vector solved(const kalvane::structure& s) {
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  kn::vector x(static_cast<std::size_t>(s.base.free_count), 0.0);
  EXPECT_TRUE(kn::minimise_energy(s, x, pattern, f).converged);
  return x;
}

TEST(CheckCables, ResultOfTheBarModelPushesACable_NamedAndRefused) {
  scratch_folder a, b;
  const kalvane::structure bars = v_truss(a, false), cables = v_truss(b, true);
  // Solved as bars: member 2 carries compression. Statics of the small-strain V: the two
  // members at 45 degrees share (H, -P) as N1 = (P + H) / sqrt 2 ... N2 = (P - H) / sqrt 2.
  const kn::vector as_bars = solved(bars);
  const kn::results r = kn::results_at(bars, as_bars);
  EXPECT_NEAR(-5000.0 / std::sqrt(2.0), r.force[1], 0.01 * 5000.0);
  const kc::compression_finding c = kc::compression_in(bars, as_bars);
  EXPECT_EQ(1, c.bars);
  EXPECT_EQ(2, c.largest_bar);
  EXPECT_EQ(r.force[1], c.largest);
  EXPECT_NE(std::string::npos, kc::compression_text(c).find("1 bar carries compression"));
  EXPECT_NE(std::string::npos, kc::compression_text(c).find("in bar 2"));
  // The same result read against the cable model: the report's stresses push cable 2.
  const kc::cable_finding pushed = kc::cables_in(cables, as_bars, r.stress);
  EXPECT_EQ(2, pushed.cables);
  EXPECT_EQ(std::vector<int32_t>{2}, pushed.pushed);
  EXPECT_EQ(2, pushed.most_pushed_bar);
  EXPECT_EQ(r.stress[1], pushed.most_pushed);
  EXPECT_EQ(std::vector<int32_t>{2}, pushed.slack);  // and it is shorter than its rest length
  kc::findings f;
  f.cables = pushed;
  kc::decide(f, false);
  EXPECT_EQ(2, f.status);
  EXPECT_NE(std::string::npos, f.verdict.find("cable 2 carries compression")) << f.verdict;
  // The cable model's own answer: cable 2 slack, at zero, nothing pushed, nothing to say of
  // bars in compression.
  const kn::vector as_cables = solved(cables);
  const kn::results rc = kn::results_at(cables, as_cables);
  const kc::cable_finding own = kc::cables_in(cables, as_cables, rc.stress);
  EXPECT_TRUE(own.pushed.empty());
  EXPECT_EQ(std::vector<int32_t>{2}, own.slack);
  EXPECT_EQ("", kc::pushed_text(own));
  EXPECT_EQ(0, kc::compression_in(cables, as_cables).bars);  // cables are not counted as bars
}

TEST(CheckCables, PrintingNoiseOnASlackCableIsNotCompression) {
  scratch_folder folder;
  const kalvane::structure cables = v_truss(folder, true);
  const kn::vector x = solved(cables);
  std::vector<double> stress = kn::results_at(cables, x).stress;
  stress[1] = -1e-9 * stress[0];  // a zero printed as a tiny negative number
  EXPECT_TRUE(kc::cables_in(cables, x, stress).pushed.empty());
  stress[1] = -1e-3 * stress[0];
  EXPECT_EQ(std::vector<int32_t>{2}, kc::cables_in(cables, x, stress).pushed);
}

TEST(CheckCables, ManyPushedCablesAreCountedInOneLine) {
  kc::cable_finding c;
  c.cables = 60;
  c.pushed = {3, 12, 40};
  c.most_pushed_bar = 12;
  c.most_pushed = -14.15;
  EXPECT_EQ("cable 12 carries compression (stress -1.42e+01) in the report: a cable cannot push; 2 more cables do",
            kc::pushed_text(c));
}

}  // namespace

// Node 2 on two cables cut longer than drawn, with no load: nothing holds it, and the
// structure is a mechanism there. The stiffness's count stops at that node's empty rows no
// longer (its three components zero, the pulled bar's one positive: every unknown counted),
// and the verdict names the node.
TEST(CheckCables, ANodeOnlySlackCablesReachIsNamedAndEveryPivotCounted) {
  scratch_folder folder;
  nm::structure input;
  input.nodes = {{-1000.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}, {2000.0, 0.0, 0.0}};
  input.bars = {{1, 2, 100.0}, {2, 3, 100.0}, {3, 4, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 3);
  nm::hold(input, 4, 2, 3);
  input.loads = {{4, 1, 1000.0}};
  kalvane::structure s = nm::structured(nm::prepared(folder, input));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 200000.0;
  for (int b : {0, 1}) s.members[static_cast<std::size_t>(b)].behaviour = kalvane::bar_behaviour::cable;
  s.members[0].rest_length = s.members[1].rest_length = 1100.0;
  kalvane::prepare(s);
  const kn::vector x = solved(s);
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  kn::evaluate(s, x, &pattern, false);  // the structure's own tangent: slack cables have none
  kc::findings found;
  found.stability = kn::factorise(f, pattern);
  EXPECT_EQ(found.stability.positive, 1);
  EXPECT_EQ(found.stability.negative, 0);
  EXPECT_EQ(found.stability.zero, 3);
  found.cables = kc::cables_in(s, x, kn::results_at(s, x).stress);
  EXPECT_EQ(found.cables.held_by_slack, std::vector<int32_t>{2});
  kc::decide(found, false);
  EXPECT_NE(found.verdict.find("(0 negative and 3 zero pivots)"), std::string::npos) << found.verdict;
  EXPECT_NE(found.verdict.find("nothing holds node 2 but slack cables"), std::string::npos) << found.verdict;
}
