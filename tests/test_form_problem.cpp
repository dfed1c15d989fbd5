// What the form-finding problem refuses, and the words it refuses with: each message names
// the node or bar at fault.
#include <gtest/gtest.h>

#include <cmath>

#include "form_fixture.hpp"

namespace {

using namespace form_test;
using kalvane::form::validate;

// The message of validate(p) and the error's name.
std::string refusal(const problem& p, std::string* name = nullptr) {
  return error_of([&] { validate(p); }, name);
}

void expect_refused(const problem& p, const std::string& words, const char* name = kalvane::data_error) {
  std::string found;
  const std::string message = refusal(p, &found);
  EXPECT_NE(message.find(words), std::string::npos) << "message: " << message;
  EXPECT_EQ(found, name) << message;
}

TEST(FormProblem, SoundProblemsPass) {
  EXPECT_EQ(refusal(cable(4, 4.0, 0.0, 1.0, 1.0)), "");
  EXPECT_EQ(refusal(grid(4, 1.0, [](double, double) { return 0.0; })), "");
}

TEST(FormProblem, NodeThatNoBarReachesIsNamed) {
  problem p = cable(3, 3.0, 0.0, 1.0, 1.0);
  add_node(p, {9, 9, 9});
  kalvane::form::hold(p, 4);  // held or not, it has no place in a net
  expect_refused(p, "node 5 is the end of no bar");
}

// Struts alone, closed in a loop, with nothing held: the loop can stand anywhere.
TEST(FormProblem, LoopOfStrutsWithNothingHeldIsNamed) {
  problem p;
  for (point x : {point{0, 0, 0}, point{1, 0, 0}, point{0, 1, 0}}) add_node(p, x);
  for (int i = 0; i < 3; ++i) add_bar(p, i, (i + 1) % 3, -2.0);
  expect_refused(p, "node 1 has no path through the bars to a node held in X");
  expect_refused(p, "(held: nothing)");
}

// Part of the net reaches a node held in X and Y but none held in Z.
TEST(FormProblem, ComponentThatNoHeldNodeReachesIsNamedWithItsAxis) {
  problem p = cable(3, 3.0, 0.0, 1.0, 1.0);
  p.held[3] = {true, true, false};
  p.held[0] = {true, true, false};
  expect_refused(p, "node 1 has no path through the bars to a node held in Z");
  expect_refused(p, "held: nodes 1 (XY), 4 (XY)");
  // A second part, not joined to the first, with nothing held.
  problem q = cable(2, 2.0, 0.0, 1.0, 1.0);
  add_node(q, {5, 0, 0});
  add_node(q, {6, 0, 0});
  add_bar(q, 3, 4, 1.0);
  expect_refused(q, "node 4 has no path");
}

TEST(FormProblem, CablesCannotPush) {
  problem p = cable(3, 3.0, 0.0, 1.0, 1.0);
  p.behaviour.assign(3, kalvane::bar_behaviour::cable);
  p.density[1] = -0.5;
  expect_refused(p, "bar 2 is a cable with the negative force density -0.5");
  // A bar of the kind that may push takes it.
  p.behaviour[1] = kalvane::bar_behaviour::bar;
  EXPECT_EQ(refusal(p), "");
  p.behaviour[1] = kalvane::bar_behaviour::cable;
  p.density[1] = 1.0;
  p.target_force.assign(3, std::nullopt);
  p.target_force[2] = -4.0;
  expect_refused(p, "bar 3 is a cable with the target force -4");
  // A target does not excuse a cable's negative density: with a target length its density
  // keeps its sign, and a target force given up takes back the density it started from.
  p.target_force[2] = 4.0;
  p.density[2] = -1.0;
  expect_refused(p, "bar 3 is a cable with the negative force density -1");
  p.target_force[2].reset();
  p.target_length.assign(3, std::nullopt);
  p.target_length[2] = 1.5;
  expect_refused(p, "bar 3 is a cable with the negative force density -1");
}

TEST(FormProblem, DensitiesAndTargetsOutsideSenseAreNamed) {
  problem p = cable(3, 3.0, 0.0, 1.0, 1.0);
  p.density[2] = NAN;
  expect_refused(p, "bar 3 has a force density that is not a number");
  p.density[2] = 0.0;
  expect_refused(p, "bar 3 has a force density of zero");
  p.density[2] = 1.0;
  p.target_force.assign(3, std::nullopt);
  p.target_length.assign(3, std::nullopt);
  p.target_force[0] = 0.0;
  expect_refused(p, "bar 1 has the target force 0");
  p.target_force[0] = 2.0;
  p.target_length[0] = 1.0;
  expect_refused(p, "bar 1 has both a target force and a target length");
  p.target_force[0] = std::nullopt;
  p.target_length[0] = -1.0;
  expect_refused(p, "bar 1 has the target length -1");
}

TEST(FormProblem, BrokenTopologyAndValuesAreNamed) {
  problem p = cable(3, 3.0, 0.0, 1.0, 1.0);
  p.bars[1] = {1, 7};
  expect_refused(p, "bar 2 names node 8, but there are 4 nodes", kalvane::index_error);
  p.bars[1] = {2, 2};
  expect_refused(p, "bar 2 joins node 3 to itself");
  p.bars[1] = {1, 2};
  p.nodes[2][1] = INFINITY;
  expect_refused(p, "node 3 has a coordinate that is not a finite number");
  p.nodes[2][1] = 0.0;
  p.loads[1][2] = NAN;
  expect_refused(p, "node 2 has a load that is not a finite number");
  p.loads.pop_back();
  expect_refused(p, "3 loads for 4 nodes");
  p.loads.clear();
  p.density.push_back(1.0);
  expect_refused(p, "4 densities for 3 bars");
  EXPECT_NE(refusal(problem{}).find("no nodes"), std::string::npos);
}

TEST(FormProblem, DensitiesByGroup) {
  EXPECT_EQ(kalvane::form::density_by_group({1, 0, 1}, {2.0, -3.0}), (std::vector<double>{-3.0, 2.0, -3.0}));
  std::string name;
  const std::string message = error_of([] { kalvane::form::density_by_group({0, 2}, {1.0, 1.0}); }, &name);
  EXPECT_EQ(message, "bar 2 is in group 3, but there are 2 groups");
  EXPECT_EQ(name, kalvane::index_error);
}

TEST(FormProblem, HeldSummaryListsAFewAndCountsTheRest) {
  problem p = grid(6, 1.0, [](double, double) { return 0.0; });  // 20 edge nodes
  const std::string summary = kalvane::form::held_summary(p);
  EXPECT_EQ(summary, "nodes 1, 2, 3, 4, 5, 6, 7, 12, 13, 18, 19, 24 and 8 more, each in every component");
  p.held[7] = {false, false, true};
  EXPECT_NE(kalvane::form::held_summary(p).find("; node 8 (Z)"), std::string::npos);
}

}  // namespace
