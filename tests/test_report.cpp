#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "error.hpp"
#include "mechanics/element.hpp"
#include "output/layout.hpp"
#include "output/writers.hpp"
#include "solved_models.hpp"
#include "support.hpp"

using namespace kalvane;
using namespace solved_models;
using namespace kalvane_test;

namespace {

std::string report_of(const model& m) {
  scratch_folder folder;
  write_report(m, folder / "output.txt");
  return read_file(folder / "output.txt");
}

// Without bars every reaction is the negated load, so each reporting rule can be set up
// exactly: node 1 has X and Z reported around a free Y, node 2 a reaction exactly at the
// threshold, node 3 only an X reaction, node 4 an infinite and a NaN one.
TEST(Report, WholeReportOfAModelWithoutBars) {
  model m;
  set_nodes(m, {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  m.bars.allocate(1, 0);
  set_supports(m, {{1, 1, 0.5}, {1, 3, 0}, {2, 1, 0}, {3, 1, 0}, {3, 2, 0}, {3, 3, 0}, {4, 1, 0}, {4, 3, 0}});
  m.loads(1, 1) = 5.0;
  m.loads(1, 2) = 1e9;  // a free component is never reported, however large
  m.loads(1, 3) = -3.0;
  m.loads(2, 1) = 1e-3;
  m.loads(3, 1) = -2.0;
  m.loads(4, 1) = -HUGE_VAL;
  m.loads(4, 3) = std::nan("");
  m.unknowns(1) = 0.125;    // node 1 Y
  m.unknowns(2) = -2.5e-5;  // node 2 Y
  m.unknowns(3) = 1e100;    // node 2 Z
  m.iteration_count = 7;
  m.objective_value = -1.5;
  m.allowable_gradient = 1e-3;
  const std::string expected =
      "---------------------------------------------------------------\n"
      "| Minor Iterations                            |             7 |\n"
      "| Objective                                   | -1.500000E+00 |\n"
      "| Allowable Maximum Gradient                  |  1.000000E-03 |\n"
      "---------------------------------------------------------------\n"
      "\n"
      "\n"
      "-----------------------------------------------------------\n"
      " Node           Displ X           Displ Y           Displ Z\n"
      "-----------------------------------------------------------\n"
      "\n"
      "    1      5.000000E-01      1.250000E-01      0.000000E+00\n"
      "    2      0.000000E+00     -2.500000E-05      1.000000E+100\n"
      "    3      0.000000E+00      0.000000E+00      0.000000E+00\n"
      "    4      0.000000E+00      0.000000E+00      0.000000E+00\n"
      "\n"
      "\n"
      "-----------------------------------------------------------\n"
      " Node           Force X           Force Y           Force Z\n"
      "-----------------------------------------------------------\n"
      "    1     -5.000000E+00                        3.000000E+00\n"
      "    3      2.000000E+00\n"
      "    4     +Inf*********\n"
      "\n"
      "\n"
      "-----------------------\n"
      " Elem            Stress\n"
      "-----------------------\n";
  const terms::fmat2 loads = m.loads;
  EXPECT_EQ(report_of(m), expected);
  // The model is left as read: a second report is the same, and `loads` holds the loads.
  EXPECT_EQ(report_of(m), expected);
  ASSERT_EQ(m.loads.data.size(), loads.data.size());
  EXPECT_EQ(std::memcmp(m.loads.data.data(), loads.data.data(), loads.data.size() * sizeof(double)), 0);
}

// Two bars in a line with the middle node pulled along them: bar 1 stretched, bar 2 shortened.
TEST(Report, ReactionsAndStressesOfBars) {
  model m;
  set_nodes(m, {{0, 0, 0}, {2, 0, 0}, {4, 0, 0}});
  set_bars(m, {{1, 2}, {2, 3}}, 0.5);
  m.material = neo_hooke(3.0);
  set_supports(m, {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}, {2, 2, 0}, {2, 3, 0}, {3, 1, 0}, {3, 2, 0}, {3, 3, 0}});
  m.unknowns(1) = 0.1;
  m.loads(1, 1) = 0.75;
  m.loads(2, 1) = -4.0;
  m.allowable_gradient = 1e-6;

  double f1[6], f2[6];
  const double s1 = element1(m, m.bars(1), m.unknowns, f1).stress;
  const double s2 = element1(m, m.bars(2), m.unknowns, f2).stress;
  ASSERT_GT(s1, 0.0);
  ASSERT_LT(s2, 0.0);
  const double r1 = -0.75 + f1[0], r3 = f2[3];

  const std::vector<std::string> lines = lines_of(report_of(m));
  ASSERT_EQ(lines.size(), 28u);
  EXPECT_EQ(lines[17], " Node           Force X           Force Y           Force Z");
  EXPECT_EQ(lines[19], "    1     " + real_field(r1, report_real));  // only X: 23 characters
  EXPECT_EQ(lines[19].size(), 23u);
  EXPECT_EQ(lines[20], "    3     " + real_field(r3, report_real));
  EXPECT_EQ(lines[26], "    1     " + real_field(s1, report_real));
  EXPECT_EQ(lines[27], "    2     " + real_field(s2, report_real));
  EXPECT_EQ(m.loads(2, 1), -4.0);
}

// Three bars meet at node 2, whose X component is held; their end forces and the load are
// of such sizes that each of the other orders below rounds differently.
TEST(Report, ReactionsAddTheNegatedLoadFirstThenTheBarsInTurn) {
  model m;
  set_nodes(m, {{0, 0, 0}, {1, 0, 0}, {2, 0.5, 0}, {1, 0.7, 0.3}});
  set_bars(m, {{1, 2}, {2, 3}, {4, 2}}, 0.1);
  m.material = neo_hooke(7.0);
  set_supports(m, {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}, {2, 1, 0.013}, {3, 1, 0}, {3, 2, 0}, {3, 3, 0},
                   {4, 1, -0.02}, {4, 2, 0}, {4, 3, 0.011}});
  m.unknowns(1) = 0.003;
  m.unknowns(2) = -0.017;
  m.loads(2, 1) = 0.3;
  double f1[6], f2[6], f3[6];
  element1(m, m.bars(1), m.unknowns, f1);
  element1(m, m.bars(2), m.unknowns, f2);
  element1(m, m.bars(3), m.unknowns, f3);
  const double load = -m.loads(2, 1);
  const double stated = ((load + f1[3]) + f2[0]) + f3[3];
  ASSERT_NE(stated, ((f1[3] + f2[0]) + f3[3]) + load);  // the load last
  ASSERT_NE(stated, ((load + f3[3]) + f2[0]) + f1[3]);  // the bars backwards
  ASSERT_NE(stated, load + (f1[3] + (f2[0] + f3[3])));  // the bars summed first
  const terms::fmat2 reactions = reaction_forces(m);
  EXPECT_EQ(reactions(2, 1), stated);
  EXPECT_EQ(reactions(1, 2), f1[1]);
  EXPECT_EQ(reactions(4, 3), f3[2]);
  EXPECT_EQ(m.loads(2, 1), 0.3);
}

TEST(Report, AFailedCreateNamesTheFile) {
  model m;
  set_nodes(m, {});
  m.bars.allocate(1, 0);
  set_supports(m, {});
  scratch_folder folder;
  const std::string path = folder / "missing_directory/output.txt";
  try {
    write_report(m, path);
    FAIL() << "wrote " << path;
  } catch (const error& e) {
    EXPECT_EQ(e.name, name_error);
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
  }
}

}  // namespace
