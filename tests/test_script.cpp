#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/writers.hpp"
#include "solved_models.hpp"
#include "support.hpp"

using namespace kalvane;
using namespace solved_models;
using namespace kalvane_test;

namespace {

std::vector<std::string> script_of(const model& m) {
  scratch_folder folder;
  write_script(m, folder / "autocad.scr");
  const std::string text = read_file(folder / "autocad.scr");
  EXPECT_EQ(text.back(), '\n');
  return lines_of(text);
}

TEST(Script, OneBarGivesTwelveLines) {
  model m;
  set_nodes(m, {{0, 0, 0}, {1, 0, 0}});
  set_bars(m, {{1, 2}}, 0.01);
  m.material = neo_hooke(2.0);
  // Node 2 moves 0.1 along the bar (free) and 0.25 sideways (prescribed): tension.
  set_supports(m, {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}, {2, 2, 0.25}, {2, 3, 0}});
  m.unknowns(1) = 0.1;
  const std::vector<std::string> expected = {
      "osmode 0",
      "layer make Initial_1 ",
      "3dpoly 0.00000000E+00,0.00000000E+00,0.00000000E+00 1.00000000E+00,0.00000000E+00,0.00000000E+00 ",
      "layer make Final_1 ",
      "-color",
      "blue",
      "3dpoly 0.00000000E+00,0.00000000E+00,0.00000000E+00 1.10000000E+00,2.50000000E-01,0.00000000E+00 ",
      "-color",
      "white",
      "layer off Initial_1 ",
      "layer set 0 ",
      "zoom ext ext"};
  EXPECT_EQ(script_of(m), expected);
}

TEST(Script, NoBarsGiveThreeLines) {
  model m;
  set_nodes(m, {{0, 0, 0}});
  m.bars.allocate(1, 0);
  set_supports(m, {});
  const std::vector<std::string> expected = {"osmode 0", "layer set 0 ", "zoom ext ext"};
  EXPECT_EQ(script_of(m), expected);
}

// Every node held: stresses come from the prescribed displacements alone.
TEST(Script, ColourFollowsTheSignOfTheStressAndNaNWritesNone) {
  model m;
  set_nodes(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1}});
  set_bars(m, {{1, 1}, {1, 2}, {1, 3}, {1, 4}}, 0.01);  // bar 1 has no length: NaN stress
  m.material = mooney_rivlin(1.0, 0.5);
  std::vector<std::array<double, 3>> supports;
  for (double node = 1; node <= 4; ++node)
    for (double c = 1; c <= 3; ++c) supports.push_back({node, c, 0.0});
  supports[3] = {2, 1, 0.5};   // bar 2 stretched
  supports[7] = {3, 2, -0.5};  // bar 3 shortened
  set_supports(m, supports);
  const std::vector<std::string> lines = script_of(m);
  const std::string origin = "0.00000000E+00,0.00000000E+00,0.00000000E+00";
  const std::vector<std::string> final_part = {
      "layer make Final_1 ",
      "3dpoly " + origin + " " + origin + " ",
      "-color",
      "blue",
      "3dpoly " + origin + " 1.50000000E+00,0.00000000E+00,0.00000000E+00 ",
      "-color",
      "red",
      "3dpoly " + origin + " 0.00000000E+00,5.00000000E-01,0.00000000E+00 ",
      "-color",
      "white",
      "3dpoly " + origin + " 0.00000000E+00,0.00000000E+00,-1.00000000E+00 ",
      "-color",
      "white",
      "layer off Initial_1 ",
      "layer set 0 ",
      "zoom ext ext"};
  ASSERT_EQ(lines.size(), 6 + final_part.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()), final_part);
  EXPECT_EQ(lines[5], "3dpoly " + origin + " 0.00000000E+00,0.00000000E+00,-1.00000000E+00 ");
}

}  // namespace
