#include <gtest/gtest.h>

#include "error.hpp"
#include "test_view_fixture.hpp"
#include "view/scene.hpp"

using namespace view_test;
using kalvane::view::match;
using kalvane::view::read_report;

namespace {

// Three nodes in a triangle, node 1 fixed, node 3 held at Y = 0.5.
kalvane::model triangle() {
  return make_model({{0, 0, 0}, {2, 0, 0}, {1, 1, 0}}, {{1, 2, 0.1}, {2, 3, 0.2}, {3, 1, 0.3}},
                    {{1, 1, 0.0}, {1, 2, 0.0}, {1, 3, 0.0}, {3, 2, 0.5}});
}

std::string triangle_report(std::vector<std::array<double, 3>> d, std::vector<reaction_spec> reactions,
                            std::vector<double> stress = {1.0, -2.0, 0.0}) {
  return report_text(12, 3.5, d, reactions, stress);
}

const std::vector<std::array<double, 3>> moved = {{0, 0, 0}, {0.1, -0.2, 0.0}, {0.0, 0.5, 0.3}};

std::string failure_of(const kalvane::model& m, const std::string& report_text) {
  try {
    match(m, read_report(report_text, "d/output.txt"), "d/input.txt", "d/output.txt");
  } catch (const kalvane::error& e) {
    return e.what();
  }
  return "(no failure)";
}

}  // namespace

TEST(ViewMatch, JoinsTheModelWithItsReport) {
  auto s = match(triangle(), read_report(triangle_report(moved, {{1, {true, true, false}, {4, -4, 0}}}), "o"),
                 "i", "o");
  ASSERT_EQ(s.initial.size(), 3u);
  EXPECT_EQ(s.initial[2].y, 1.0);
  EXPECT_EQ(s.displacement[2].z, 0.3);
  ASSERT_EQ(s.bars.size(), 3u);
  EXPECT_EQ(s.bars[2].first, 2);  // zero-based
  EXPECT_EQ(s.bars[2].second, 0);
  EXPECT_EQ(s.area[1], 0.2);
  EXPECT_EQ(s.stress[1], -2.0);
  EXPECT_EQ(s.iterations, 12);
  EXPECT_EQ(s.objective, 3.5);
}

TEST(ViewMatch, ReportsFromAnotherModelAreRefused) {
  // Line 9 is the displacement heading; with 3 nodes and no reactions, line 23 is the stress heading.
  auto four_nodes = moved;
  four_nodes.push_back({0, 0, 0});
  EXPECT_NE(failure_of(triangle(), triangle_report(four_nodes, {}, {1, 2, 3}))
                .find("d/output.txt:9: the displacement table lists 4 nodes, but d/input.txt has 3"),
            std::string::npos);
  EXPECT_NE(failure_of(triangle(), triangle_report(moved, {}, {1, 2}))
                .find("d/output.txt:23: the stress table lists 2 bars, but d/input.txt has 3 (was output.txt cut short, "
                      "or is it from an earlier run? run kalvane again)"),
            std::string::npos)
      << failure_of(triangle(), triangle_report(moved, {}, {1, 2}));

  // Same counts, other supports: node 3 should sit at Y = 0.5.
  auto wrong_support = moved;
  wrong_support[2][1] = 0.25;
  EXPECT_NE(failure_of(triangle(), triangle_report(wrong_support, {}))
                .find("d/output.txt:14: node 3 moves 0.25 in Y, but d/input.txt prescribes 0.5"),
            std::string::npos)
      << failure_of(triangle(), triangle_report(wrong_support, {}));

  // kalvane reads only input.txt: a model file's report is kalvane-path's to write again.
  EXPECT_NE(failure_of(triangle(), triangle_report(four_nodes, {}, {1, 2, 3})).find("run kalvane again)"), std::string::npos);
  try {
    match(triangle(), read_report(triangle_report(four_nodes, {}, {1, 2, 3}), "d/output.txt"), "d/model.json", "d/output.txt");
    ADD_FAILURE() << "a report of 4 nodes was joined with a model of 3";
  } catch (const kalvane::error& e) {
    EXPECT_NE(std::string(e.what()).find("d/model.json has 3 (is output.txt from an earlier run? run kalvane-path again)"),
              std::string::npos)
        << e.what();
  }

  // A reaction where the model has no support (node 2 is free).
  EXPECT_NE(failure_of(triangle(), triangle_report(moved, {{2, {false, true, false}, {0, 7, 0}}}))
                .find("d/output.txt:20: a reaction at node 2 in Y, which d/input.txt leaves free"),
            std::string::npos);
}

TEST(ViewMatch, PrescribedValuesAreComparedAtTheReportsPrecision) {
  auto m = triangle();
  m.prescribed(3, 2) = 0.123456789;  // printed as 1.234568E-01
  auto d = moved;
  d[2][1] = 0.1234568;
  EXPECT_EQ(failure_of(m, triangle_report(d, {})), "(no failure)");
  d[2][1] = 0.1234578;
  EXPECT_NE(failure_of(m, triangle_report(d, {})).find("node 3 moves"), std::string::npos);
}

TEST(ViewMatch, ABarNamingAMissingNodeIsRefused) {
  auto m = triangle();
  m.bars(2).node2 = 9;
  EXPECT_NE(failure_of(m, triangle_report(moved, {})).find("d/input.txt: bar 2 names node 9, but there are 3 nodes"),
            std::string::npos);
}
