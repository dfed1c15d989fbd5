// The summary's lines on cables: how many are slack and which, the nodes held where they
// are by nothing but the absence of load, and the nodes no equilibrium holds.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "newton/slack.hpp"
#include "path/summary.hpp"

namespace {

namespace kp = kalvane::path;
namespace kn = kalvane::newton;

// A model of `nodes` nodes with no load and no prescribed displacement.
kalvane::model unloaded(int32_t nodes) {
  kalvane::model m;
  m.node_count = nodes;
  m.loads.allocate(1, nodes, 1, 3);
  m.prescribed.allocate(1, nodes, 1, 3);
  return m;
}

// The same, started: every component held but the (node, component) pairs in `free`,
// numbered in their order.
kalvane::model held_but(int32_t nodes, const std::vector<std::pair<int32_t, int>>& free) {
  kalvane::model m = unloaded(nodes);
  m.free_count = static_cast<int32_t>(free.size());
  m.dof_map.allocate(1, nodes, 1, 3);
  for (int32_t k = 1; k <= nodes; ++k)
    for (int c = 1; c <= 3; ++c) m.dof_map(k, c) = m.free_count + 1;
  for (std::size_t i = 0; i < free.size(); ++i) m.dof_map(free[i].first, free[i].second) = static_cast<int32_t>(i + 1);
  return m;
}

TEST(PathSummary, SlackCablesCountedAndListed) {
  EXPECT_EQ("3 of 60 cables slack: 12, 31, 40", kp::slack_text(60, {12, 31, 40}));
  EXPECT_EQ("none of 1 cable slack", kp::slack_text(1, {}));
  std::vector<int32_t> many;
  for (int32_t b = 1; b <= 25; ++b) many.push_back(b);
  const std::string text = kp::slack_text(100, many);
  EXPECT_EQ(0u, text.find("25 of 100 cables slack: 1, 2, "));
  EXPECT_NE(std::string::npos, text.find(", 20 and 5 more"));
  kn::results r;
  r.slack = {0, 1, 0, 1};
  EXPECT_EQ((std::vector<int32_t>{2, 4}), kp::slack_cables_of(r));
}

TEST(PathSummary, NodesNamedInWords) {
  EXPECT_EQ("node 4", kalvane::newton::nodes_text({4}));
  EXPECT_EQ("nodes 4 and 7", kalvane::newton::nodes_text({4, 7}));
  EXPECT_EQ("nodes 4, 7 and 9", kalvane::newton::nodes_text({4, 7, 9}));
}

TEST(PathSummary, HeldAndUnheldNodesReachTheSummary) {
  kalvane::model m = unloaded(3);
  kn::path_finding path;
  path.outcome = kalvane::newton::path_outcome::full_load;
  path.stage = 1;
  path.load_factor = 1.0;
  path.held_nodes = {2};
  kp::curve c;
  c.watch.node = 1;
  c.watch.component = 1;
  kp::ending e;
  kp::summary_facts facts;
  facts.cables = 2;
  facts.slack_cables = {1, 2};
  std::string text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("  cables: 2 of 2 cables slack: 1, 2\n")) << text;
  EXPECT_NE(std::string::npos, text.find("held where it is, every member slack and no load on it: node 2\n")) << text;
  path.held_nodes.clear();
  path.outcome = kalvane::newton::path_outcome::collapsed;
  path.unheld_nodes = {2};
  e.kind = kp::end_kind::collapse;
  text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("node 2 is held only by slack cables and carries a load, which nothing holds where its cables went slack")) << text;
  // A node on no bar is named for what it is.
  path.nodes_on_no_bar = {2};
  text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("node 2 is on no bar and carries a load, which no equilibrium holds")) << text;
}

// A stage that cannot start where the structure has no stiffness names the free component
// by node and axis, and the cables that went slack as it began, and is no stall along a
// stable branch.
TEST(PathSummary, AStageThatCannotStartNamesWhereTheStructureIsFree) {
  kalvane::model m = held_but(3, {{2, 1}, {3, 2}});
  kn::path_finding path;
  path.outcome = kn::path_outcome::stalled;
  path.stage = 2;
  path.soft_start = 1;
  kp::curve c;
  c.watch.node = 2;
  c.watch.component = 1;
  kp::ending e;
  e.kind = kp::end_kind::stalled;
  kp::summary_facts facts;
  std::string text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("could not start stage 2. There the structure has no stiffness (free to "
                                         "move at node 3 Y: a mechanism there)")) << text;
  EXPECT_EQ(std::string::npos, text.find("shrank")) << text;
  path.slack_at_soft_start = {4, 7, 9};
  text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("As it began, cables 4, 7 and 9 went slack, and there the structure has no "
                                         "stiffness (free to move at node 3 Y")) << text;
  path.slack_at_soft_start = {4};
  facts.how = kn::loading::together;
  text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("could not start its loading. As it began, cable 4 went slack")) << text;
  // A path whose steps ran out did not find its step shrinking to nothing.
  path.soft_start = -1;
  path.slack_at_soft_start.clear();
  path.step_limit = 400;
  text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("the path took the 400 steps it is allowed (steps and halvings together)"))
      << text;
  EXPECT_EQ(std::string::npos, text.find("shrank")) << text;
}

// A state on the way through the self-weight's stage carries that part of the weight, which
// the loads' words say, though no live load acts yet.
TEST(PathSummary, SelfWeightIsAmongTheLoadsAState) {
  kalvane::model m = unloaded(2);
  const std::array<double, 3> weight{0.0, 0.0, -100.0};
  EXPECT_EQ(kp::loads_text(m, {0.0, 1.0, 0.5}, weight), "self-weight at 0.5 of its value, on the free nodes (0, 0, -50)");
  EXPECT_EQ(kp::loads_text(m, {0.0, 1.0, 0.5}), "no load");
  m.loads(2, 1) = 4.0;
  EXPECT_EQ(kp::loads_text(m, {1.0, 1.0, 1.0}, weight), "loads node 2 X 4, self-weight, on the free nodes (0, 0, -100)");
}

}  // namespace

namespace {

// The first line under loading together names what its one load factor raises: a model with
// only its self-weight has no load and no prescribed displacement to raise.
TEST(PathSummary, LoadingTogetherNamesWhatItRaises) {
  kalvane::model m = held_but(2, {{2, 3}});
  kn::path_finding path;
  path.outcome = kn::path_outcome::full_load;
  kp::curve c;
  c.watch.node = 2;
  c.watch.component = 3;
  kp::ending e;
  kp::summary_facts facts;
  facts.how = kn::loading::together;
  facts.raised = {kn::stage_kind::weight};
  std::string text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("; loading together (one here: self-weight)\n")) << text;
  facts.raised = {kn::stage_kind::prestress, kn::stage_kind::weight, kn::stage_kind::live};
  text = kp::summary_text(m, path, c, e, facts);
  EXPECT_NE(std::string::npos, text.find("; loading together, by one load factor (the prestress: prescribed "
                                         "displacements and rest lengths; self-weight; the loads)\n")) << text;
}

}  // namespace
