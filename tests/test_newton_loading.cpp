// How the loading rises: the stages a structure's loading falls into, each continuing where
// the last ended, and the rate of the out-of-balance forces in the load factor against
// central differences of the residual itself: through prescribed displacements, rest
// lengths that shorten (prestress), self-weight and the live loads.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "check_fixture.hpp"
#include "newton/loading.hpp"
#include "newton/path.hpp"
#include "newton_models.hpp"
#include "structure/law.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace nm = newton_models;
namespace kn = kalvane::newton;

// A flat 3 x 3 net pulled out at its edge, of steel with weight, every third bar cut 0.2 %
// short and bar 2 a cable; its interior nodes loaded along Z.
kalvane::structure weighty_net(const scratch_folder& folder, bool weight = true, bool cut = true) {
  kalvane::structure s = nm::structured(nm::prepared(folder, nm::flat_net(3, 1000.0, 0.002, -500.0)));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 200000.0;
  s.materials[0].weight = weight ? 7.85e-5 : 0.0;
  for (std::size_t b = 0; b < s.members.size(); b += 3)
    if (cut) s.members[b].rest_length = 0.998 * s.base.bars(static_cast<long long>(b) + 1).length0;
  s.members[1].behaviour = kalvane::bar_behaviour::cable;
  // A rubber bar among the steel, cut like them: its rest length along the prestress comes
  // from inverting its own law.
  kalvane::material rubber;
  rubber.name = "rubber";
  rubber.c1 = 2000.0;
  rubber.weight = s.materials[0].weight;
  s.materials.push_back(rubber);
  s.members[3].material = 1;
  kalvane::prepare(s);
  return s;
}

// Some displacements of the free components, as a path might be at.
kn::vector some_state(const kalvane::structure& s) {
  kn::vector x(static_cast<std::size_t>(s.base.free_count));
  for (std::size_t p = 0; p < x.size(); ++p) x[p] = 0.7 * std::sin(1.3 * static_cast<double>(p) + 0.2);
  return x;
}

kn::vector gradient_at(const kalvane::structure& full, const kn::load_stage& stage, double t, const kn::vector& x) {
  kalvane::structure scaled = full;
  kn::apply_stage(scaled, full, stage, t);
  return kn::evaluate(scaled, x).gradient;
}

TEST(NewtonLoading, StagesRunPrestressThenWeightThenLoads_EachFromWhereTheLastEnded) {
  scratch_folder folder;
  const kalvane::structure s = weighty_net(folder);
  const std::vector<kn::load_stage> stages = kn::stages_of(s, kn::loading::staged);
  ASSERT_EQ(3u, stages.size());
  EXPECT_EQ(kn::stage_kind::prestress, stages[0].kind);
  EXPECT_EQ(kn::stage_kind::weight, stages[1].kind);
  EXPECT_EQ(kn::stage_kind::live, stages[2].kind);
  for (std::size_t i = 0; i < stages.size(); ++i) EXPECT_EQ(static_cast<int>(i + 1), stages[i].number);
  kalvane::structure end = s, start = s;
  for (std::size_t i = 0; i + 1 < stages.size(); ++i) {
    kn::apply_stage(end, s, stages[i], 1.0);
    kn::apply_stage(start, s, stages[i + 1], 0.0);
    EXPECT_EQ(end.base.loads.data, start.base.loads.data) << i;
    EXPECT_EQ(end.base.prescribed.data, start.base.prescribed.data) << i;
    for (std::size_t b = 0; b < s.members.size(); ++b) EXPECT_EQ(end.members[b].rest, start.members[b].rest) << i;
  }
  // The first stage starts from the drawn, stress-free shape with nothing applied; the last
  // ends at the full structure: its rest lengths, prescribed values, weight and loads.
  kn::apply_stage(start, s, stages[0], 0.0);
  for (double v : start.base.loads.data) EXPECT_EQ(0.0, v);
  for (double v : start.base.prescribed.data) EXPECT_EQ(0.0, v);
  EXPECT_EQ(s.base.bars(1).length0, start.members[0].rest);
  kn::apply_stage(end, s, stages[2], 1.0);
  for (std::size_t b = 0; b < s.members.size(); ++b) EXPECT_EQ(s.members[b].rest, end.members[b].rest);
  for (std::size_t i = 0; i < s.base.loads.data.size(); ++i)
    EXPECT_EQ(s.weight_loads.data[i] + s.base.loads.data[i], end.base.loads.data[i]) << i;
  EXPECT_EQ(s.base.prescribed.data, end.base.prescribed.data);
}

TEST(NewtonLoading, StagesWithNothingToRaiseAreSkipped_TogetherIsOneStage) {
  scratch_folder folder;
  const kalvane::structure plain = weighty_net(folder, false, true);
  std::vector<kn::load_stage> stages = kn::stages_of(plain, kn::loading::staged);
  ASSERT_EQ(2u, stages.size());
  EXPECT_EQ(kn::stage_kind::prestress, stages[0].kind);
  EXPECT_EQ(kn::stage_kind::live, stages[1].kind);
  EXPECT_EQ(2, stages[1].number);
  stages = kn::stages_of(plain, kn::loading::together);
  ASSERT_EQ(1u, stages.size());
  EXPECT_EQ(kn::stage_kind::together, stages[0].kind);
  // Halfway, everything is halfway: loads, prescribed values, and each bar's force in the
  // drawn shape, which its rest length there gives.
  kalvane::structure half = plain;
  kn::apply_stage(half, plain, stages[0], 0.5);
  for (std::size_t i = 0; i < plain.base.loads.data.size(); ++i)
    EXPECT_EQ(0.5 * plain.base.loads.data[i], half.base.loads.data[i]);
  const double drawn = plain.base.bars(1).length0, area = plain.base.bars(1).area;
  const kalvane::material& steel = kalvane::material_of(plain, 1);
  auto drawn_force = [&](double rest) {
    return kalvane::respond(steel, plain.members[0].behaviour, area, rest, drawn / rest, drawn / rest - 1.0).force;
  };
  ASSERT_NE(drawn, plain.members[0].rest);
  const double full = drawn_force(plain.members[0].rest);
  EXPECT_NEAR(0.5 * full, drawn_force(half.members[0].rest), 1e-12 * std::fabs(full));
  // A structure with nothing at all still has its one stage of (no) loads.
  scratch_folder other;
  nm::structure bare = nm::two_bar_truss(0.0);
  bare.loads.clear();
  const kalvane::structure nothing = nm::structured(nm::prepared(other, bare));
  stages = kn::stages_of(nothing, kn::loading::staged);
  ASSERT_EQ(1u, stages.size());
  EXPECT_EQ(kn::stage_kind::live, stages[0].kind);
}

TEST(NewtonLoading, ResidualRateMatchesCentralDifferencesInEveryStage) {
  scratch_folder folder;
  const kalvane::structure s = weighty_net(folder);
  const kn::vector x = some_state(s);
  for (kn::loading how : {kn::loading::staged, kn::loading::together})
    for (const kn::load_stage& stage : kn::stages_of(s, how))
      for (double t : {0.0, 0.37, 1.0}) {
        kalvane::structure scaled = s;
        kn::apply_stage(scaled, s, stage, t);
        kn::vector rate;
        kn::residual_rate(scaled, s, stage, t, x, rate);
        const double h = 1e-4;
        const kn::vector up = gradient_at(s, stage, t + h, x), down = gradient_at(s, stage, t - h, x);
        double largest = 0.0;
        for (double v : rate) largest = std::max(largest, std::fabs(v));
        ASSERT_GT(largest, 0.0);
        for (std::size_t p = 0; p < x.size(); ++p)
          EXPECT_NEAR((up[p] - down[p]) / (2.0 * h), rate[p], 1e-6 * largest)
              << kn::loading_name(how) << " stage " << stage.number << " t " << t << " component " << p;
      }
}

TEST(NewtonLoading, ResidualRateOfASlackCableIsZero) {
  // A cable shorter than its rest length all along the stage carries no force whatever the
  // rest length does: its bar adds nothing to the rate.
  scratch_folder folder;
  nm::structure input;
  input.nodes = {{0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}};
  input.bars = {{1, 2, 100.0}};
  nm::hold(input, 1);
  nm::hold(input, 2, 2, 3);
  kalvane::structure s = nm::structured(nm::prepared(folder, input));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 200000.0;
  s.members[0].behaviour = kalvane::bar_behaviour::cable;
  s.members[0].rest_length = 990.0;
  kalvane::prepare(s);
  const kn::load_stage stage = kn::stages_of(s, kn::loading::staged).front();
  kalvane::structure scaled = s;
  kn::apply_stage(scaled, s, stage, 0.5);
  kn::vector rate;
  kn::residual_rate(scaled, s, stage, 0.5, kn::vector{-20.0}, rate);
  EXPECT_EQ(0.0, rate[0]);
  // Taut in the drawn shape, it carries p F there all along the stage: the rate is F.
  kn::residual_rate(scaled, s, stage, 0.5, kn::vector{0.0}, rate);
  EXPECT_NEAR(200000.0 * 100.0 * (1000.0 / 990.0 - 1.0), rate[0], 1e-9 * rate[0]);
}

}  // namespace

namespace {

// The shallow two-bar truss in steel with weight, its apex lifted by a live load equal to
// its weight: at full load the two cancel, and the truss stands where it was drawn. The
// load at the apex, the sum of the two, falls to nothing at full load, though its terms do
// not; tolerances measured against the sum once left the path unable to finish.
TEST(NewtonLoading, ALiveLoadThatCancelsTheWeightEndsWhereTheTrussWasDrawn) {
  scratch_folder folder;
  kalvane::structure s = nm::structured(nm::prepared(folder, nm::two_bar_truss(0.0)));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 210000.0;
  s.materials[0].weight = 2.5e-3;
  kalvane::prepare(s);
  for (std::size_t i = 0; i < s.base.loads.data.size(); ++i) s.base.loads.data[i] = -s.weight_loads.data[i];
  kn::stiffness_pattern pattern = kn::pattern_of(s.base);
  kn::factorisation f;
  const kn::path_finding path = kn::follow_path(s, pattern, f);
  ASSERT_TRUE(reached_full_load(path)) << kn::outcome_name(path.outcome);
  EXPECT_EQ(path.halvings, 0);
  for (double x : path.x) EXPECT_NEAR(0.0, x, 1e-12 * 2000.0);
}

}  // namespace
