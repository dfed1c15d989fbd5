// A report's stresses against its own displacements: a stress table changed after the run is
// named as such, not blamed on the run's gradient tolerance, and a run's own table, at
// whatever tolerance, always follows from its displacements.
#include <gtest/gtest.h>

#include <cstring>

#include <cstdio>
#include <string>

#include "check/app.hpp"
#include "check_fixture.hpp"

namespace {

using kalvane_test::scratch_folder;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The bundled space truss at the gradient tolerance given, run by kalvane in `folder`; the
// check's options for it, the path not followed.
kalvane::check::options space_truss_at(const scratch_folder& folder, const char* tolerance) {
  std::string input = kalvane_test::read_file(kalvane_test::source_path("examples/space_truss/input.txt"));
  const std::size_t settings = input.find("0.9");
  input.replace(settings, input.find('\n', settings) - settings, std::string("0.9 20 ") + tolerance + " 0.0 1000 5");
  EXPECT_EQ(check_test::solve(folder, input), 0);
  kalvane::check::options o;
  o.dir = folder.path;
  o.no_path = true;
  return o;
}

// Replaces bar `bar`'s stress in the report's stress table with `value` (its printed form).
void print_stress(const std::string& report_path, int bar, const std::string& value) {
  std::string report = kalvane_test::read_file(report_path);
  const std::size_t table = report.find("Stress");
  ASSERT_NE(table, std::string::npos);
  const std::string key = "\n" + std::string(5 - std::to_string(bar).size(), ' ') + std::to_string(bar) + "     ";
  const std::size_t row = report.find(key, table);
  ASSERT_NE(row, std::string::npos);
  const std::size_t start = row + key.size();
  report.replace(start, report.find('\n', start) - start, value);
  kalvane_test::write_file(report_path, report);
}

}  // namespace

TEST(CheckStressTable, AStressChangedAfterTheRunIsNamedAndNotBlamedOnTheTolerance) {
  for (const char* tolerance : {"1E-6", "1E-2"}) {
    SCOPED_TRACE(tolerance);
    scratch_folder folder;
    const kalvane::check::options o = space_truss_at(folder, tolerance);
    const kalvane::check::findings as_run = kalvane::check::run_check(o);
    EXPECT_EQ(as_run.stress_table.mismatched, 0) << as_run.verdict;
    EXPECT_FALSE(has(as_run.verdict, "do not follow")) << as_run.verdict;

    print_stress(folder.path + "/output.txt", 3, " 4.500000E+01");
    const auto r = check_test::check(folder, {"--no-path"});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_TRUE(has(r.out, "verdict: not certified: the stresses of ./output.txt do not follow from its own "
                           "displacements (bar 3: printed 4.5e+01, its displacements give "))
        << r.out;
    EXPECT_FALSE(has(r.out, "gradient tolerance leaves")) << r.out;
    // Nor does point 3 name a tolerance that would give the changed table's digits.
    EXPECT_TRUE(has(r.out, "stresses 0 (worst bar 3")) << r.out;
    EXPECT_FALSE(has(r.out, "a gradient tolerance of about")) << r.out;
    const auto json = check_test::check(folder, {"--no-path", "--json"});
    EXPECT_TRUE(has(json.out, "\"stress_table\": {\"mismatched\": 1, \"worst_bar\": 3, \"printed\": 45,")) << json.out;
    EXPECT_TRUE(has(json.out, "\"tolerance_estimate\": null")) << json.out;
  }
}

// A reaction changed after the run (a slip of one digit) is named the same way: a run at any
// tolerance writes its reactions from its displacements, and the report's own, at a tight or a
// loose tolerance, with or without the path's refinement, always follow from them.
TEST(CheckStressTable, AReactionChangedAfterTheRunIsNamedAndNotBlamedOnTheTolerance) {
  for (const char* tolerance : {"1E-6", "1E-2"}) {
    SCOPED_TRACE(tolerance);
    scratch_folder folder;
    const kalvane::check::options o = space_truss_at(folder, tolerance);
    EXPECT_EQ(kalvane::check::run_check(o).reaction_table.mismatched, 0);

    const std::string report_path = folder.path + "/output.txt";
    std::string report = kalvane_test::read_file(report_path);
    // Node 2's X reaction, about -12, made half as large again.
    const std::size_t row = report.find("\n    2 ", report.find("Force X"));
    ASSERT_NE(row, std::string::npos);
    const std::size_t at = report.find_first_not_of(' ', row + 6);
    const double was = std::stod(report.substr(at, 13));
    ASSERT_NEAR(was, -12.0, 0.1);
    char slip[32];
    std::snprintf(slip, sizeof slip, "%.6E", 1.5 * was);
    report.replace(at, 13, slip);
    kalvane_test::write_file(report_path, report);
    const auto r = check_test::check(folder, {"--no-path"});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_TRUE(has(r.out, "verdict: not certified: the reactions of ./output.txt do not follow from its own "
                           "displacements (node 2 X: printed -1.8e+01, its displacements give -1.2e+01)"))
        << r.out;
    EXPECT_FALSE(has(r.out, "a gradient tolerance of about")) << r.out;
    const auto json = check_test::check(folder, {"--no-path", "--json"});
    EXPECT_TRUE(has(json.out, "\"reaction_table\": {\"mismatched\": 1, \"worst\": \"node 2 X\", \"printed\": -1"))
        << json.out;
  }
  for (const char* example : {"single_bar", "three_node", "cable_net"}) {
    SCOPED_TRACE(example);
    scratch_folder folder;
    ASSERT_EQ(check_test::solve(folder, kalvane_test::read_file(kalvane_test::source_path(
                                            std::string("examples/") + example + "/input.txt"))),
              0);
    kalvane::check::options o;
    o.dir = folder.path;
    o.no_path = true;
    const kalvane::check::findings f = kalvane::check::run_check(o);
    EXPECT_EQ(f.reaction_table.mismatched, 0) << f.verdict;
  }
}

// The Objective is the total potential at the report's displacements: changed in its fourth
// digit it is named, of kalvane's run at a tight and at a loose tolerance (where the gradient
// left is far from zero) and of kalvane-path's on a model file (the potential above the
// unstressed bars); as written, never.
TEST(CheckStressTable, AnObjectiveChangedAfterTheRunIsNamed) {
  const auto tamper = [](const std::string& report_path) {
    std::string report = kalvane_test::read_file(report_path);
    const std::size_t row = report.find("| Objective");
    const std::size_t at = report.find_first_not_of(' ', report.find('|', row + 1) + 1);
    const double was = std::stod(report.substr(at, 13));
    char changed[32];
    std::snprintf(changed, sizeof changed, "%.6E", was * 1.001);
    report.replace(at, std::strlen(changed), changed);
    kalvane_test::write_file(report_path, report);
  };
  for (const char* tolerance : {"1E-6", "1E-2"}) {
    SCOPED_TRACE(tolerance);
    scratch_folder folder;
    const kalvane::check::options o = space_truss_at(folder, tolerance);
    EXPECT_FALSE(kalvane::check::run_check(o).objective.mismatched);
    tamper(folder.path + "/output.txt");
    const auto r = check_test::check(folder, {"--no-path"});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_TRUE(has(r.out, "verdict: not certified: the Objective of ./output.txt does not follow from its own "
                           "displacements (printed 8.33e+04, its displacements give 8.32e+04)"))
        << r.out;
  }
  scratch_folder folder;
  kalvane_test::program_run path;
  path.program = kalvane_test::path_exe();
  path.args = {"--dir", kalvane_test::source_path("examples/two_materials"), "--out", folder.path};
  ASSERT_EQ(kalvane_test::run_program(path).status, 0);
  kalvane::check::options o;
  o.dir = folder.path;
  o.no_path = true;
  EXPECT_FALSE(kalvane::check::run_check(o).objective.mismatched);
  tamper(folder.path + "/output.txt");
  EXPECT_TRUE(kalvane::check::run_check(o).objective.mismatched);
}

// A stress changed in its fifth digit: the verdict's two figures are told apart, not both
// printed as 6.0e+00.
TEST(CheckStressTable, TheVerdictsFiguresAreToldApart) {
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, kalvane_test::read_file(kalvane_test::source_path("examples/single_bar/input.txt"))), 0);
  print_stress(folder.path + "/output.txt", 1, " 5.986920E+00");  // the run printed 5.986820E+00
  const auto r = check_test::check(folder, {"--no-path"});
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(has(r.out, "(bar 1: printed 5.9869e+00, its displacements give 5.9868e+00)")) << r.out;

  // The space truss with the stresses of bars 6 and 7 swapped: one more bar is counted as one.
  scratch_folder truss;
  ASSERT_EQ(check_test::solve(truss, kalvane_test::read_file(kalvane_test::source_path("examples/space_truss/input.txt"))), 0);
  print_stress(truss.path + "/output.txt", 6, "-2.695706E+04");
  print_stress(truss.path + "/output.txt", 7, " 1.012915E+04");
  const auto swapped = check_test::check(truss, {"--no-path"});
  EXPECT_TRUE(has(swapped.out, "; 1 more bar so)")) << swapped.out;
}
