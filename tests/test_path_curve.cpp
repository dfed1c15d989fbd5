// The curve of the path: what each point applies, the component that moves most, and
// path.csv read back to the last bit.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>

#include "check_fixture.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "path/curve.hpp"
#include "structure/structure.hpp"

namespace {

using kalvane::newton::loading;
using kalvane::newton::path_point;
using kalvane::newton::point_kind;
using kalvane::path::applied;

// Three nodes in a row: node 1 held, node 3 pulled 0.5 along X (prescribed), node 2 free.
kalvane::model pulled_pair() {
  kalvane::model m;
  kalvane::input_text(m,
                      check_test::input_text("pair", "0.9 20 1E-6 0.0 100 5", "1 10.0",
                                             "3\nnode x y z\n1 0 0 0\n2 1 0 0\n3 2 0 0\n",
                                             "2\nbar n1 n2 area\n1 1 2 1\n2 2 3 1\n",
                                             "5\nnode c v\n1 1 0\n1 2 0\n1 3 0\n3 1 0.5\n3 2 0\n",
                                             "1\nnode c v\n2 2 -1.0\n"),
                      "input.txt");
  kalvane::start(m);
  return m;
}

path_point point_at(int stage, double load_factor) {
  path_point p;
  p.stage = stage;
  p.load_factor = load_factor;
  return p;
}

double number(const std::string& text) {
  double value = NAN;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(ec == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out(1);  // an empty last field counts, as in a CSV reader
  for (char c : line)
    if (c == ',') out.emplace_back();
    else out.back().push_back(c);
  return out;
}

}  // namespace

// Stage 1 of staged loading carries no load; together, one factor scales both; the
// prescribed components of a point move by their fraction, the free ones as x says.
TEST(PathCurve, EachPointAppliesItsStageAndMovesThePrescribedComponentsByIt) {
  const kalvane::model m = pulled_pair();
  kalvane::structure s = kalvane::structure_of(m);
  kalvane::prepare(s);
  const auto staged = kalvane::newton::stages_of(s, loading::staged);
  const applied pretension = kalvane::path::applied_at(staged, point_at(1, 0.25));
  EXPECT_EQ(pretension.loads, 0.0);
  EXPECT_EQ(pretension.prescribed, 0.25);
  const applied loaded = kalvane::path::applied_at(staged, point_at(2, 0.5));
  EXPECT_EQ(loaded.loads, 0.5);
  EXPECT_EQ(loaded.prescribed, 1.0);
  const applied both = kalvane::path::applied_at(kalvane::newton::stages_of(s, loading::together), point_at(1, 0.75));
  EXPECT_EQ(both.loads, 0.75);
  EXPECT_EQ(both.prescribed, 0.75);

  // Unknowns: node 2 X, Y, Z and node 3 Z, in position order.
  ASSERT_EQ(m.free_count, 4);
  const kalvane::newton::vector x{0.25, -0.5, 0.0, 0.0};
  EXPECT_EQ(kalvane::path::displacement_at(m, pretension, x, 3, 1), 0.125);
  EXPECT_EQ(kalvane::path::displacement_at(m, pretension, x, 2, 2), -0.5);
  EXPECT_DOUBLE_EQ(kalvane::path::largest_displacement(m, pretension, x), std::sqrt(0.25 * 0.25 + 0.5 * 0.5));
  // The prescribed X of node 3 moves 0.5, more than any free component; node 2 Y is the
  // free component that moves most.
  EXPECT_EQ(kalvane::path::largest_displacement(m, kalvane::path::full_load, {0.0, 0.0, 0.0, 0.0}), 0.5);
  const kalvane::path::component_ref most = kalvane::path::moving_most(m, kalvane::path::full_load, x);
  EXPECT_EQ(most.node, 2);
  EXPECT_EQ(most.component, 2);
}

// The recorder keeps the points, the curve takes their kinds from the path's final list,
// and path.csv gives every number back to the last bit.
TEST(PathCurve, TheCsvReadsBackBitForBitWithTheKindsThePathNamed) {
  const kalvane::model m = pulled_pair();
  kalvane::structure s = kalvane::structure_of(m);
  kalvane::prepare(s);
  kalvane::path::curve_recorder recorder{m, kalvane::newton::stages_of(s, loading::staged), std::nullopt, {}, {}};
  std::vector<path_point> points{point_at(1, 1.0), point_at(2, 0.1 + 0.2), point_at(2, 1.0 / 3.0), point_at(2, 0.5)};
  points[1].energy = -1e-300;
  points[1].smallest_pivot = 2.5e-17;
  points[2].negative_pivots = 1;
  points[2].energy = 123456789.123;
  const std::vector<kalvane::newton::vector> states{
      {0.0, 0.0, 0.0, 0.0}, {0.1, -1.0 / 7.0, 0.0, 0.0}, {0.2, -2.0 / 3.0, 1e-20, 0.0}, {0.3, 0.25, 0.0, 0.0}};
  for (std::size_t i = 0; i < points.size(); ++i) recorder(points[i], states[i]);
  points[1].kind = point_kind::limit;  // named by the path once the steps after it turned
  points[2].kind = point_kind::bifurcation;
  points[3].kind = point_kind::slack;  // a cable's event: its number in the last column
  points[3].bar = 2;
  const kalvane::path::curve c = kalvane::path::finish(recorder, points, {2, 2});

  const std::vector<std::string> lines = kalvane_test::lines_of(kalvane::path::csv_of(c));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0],
            "stage,load_factor,displacement node 2 Y,largest_displacement,total_potential,smallest_pivot,"
            "negative_pivots,kind,bar");
  const char* const kinds[] = {"regular", "limit", "bifurcation", "slack"};
  const char* const bars[] = {"", "", "", "2"};
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::vector<std::string> row = fields(lines[i + 1]);
    ASSERT_EQ(row.size(), 9u) << lines[i + 1];
    EXPECT_EQ(row[0], std::to_string(points[i].stage));
    EXPECT_EQ(number(row[1]), points[i].load_factor);
    EXPECT_EQ(number(row[2]), states[i][1]);
    EXPECT_EQ(number(row[3]), c.points[i].largest);
    EXPECT_EQ(number(row[4]), points[i].energy);
    EXPECT_EQ(number(row[5]), points[i].smallest_pivot);
    EXPECT_EQ(row[6], std::to_string(points[i].negative_pivots));
    EXPECT_EQ(row[7], kinds[i]);
    EXPECT_EQ(row[8], bars[i]);
  }
  // Stage 1 ends with node 3 pulled its full 0.5, which node 2's row shows as the largest.
  EXPECT_EQ(number(fields(lines[1])[3]), 0.5);
}
