#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <vector>
#include <string>
#include <utility>

#include "error.hpp"
#include "mechanics/element.hpp"
#include "output/writers.hpp"
#include "run.hpp"
#include "solved_models.hpp"
#include "support.hpp"
#include "test_view_fixture.hpp"
#include "view/report_reader.hpp"
#include "view/scene.hpp"

using kalvane::view::parse_report_real;
using kalvane::view::read_report;
using kalvane::view::read_report_file;
using namespace kalvane_test;
namespace fs = std::filesystem;

namespace {

// Typed out column by column as kalvane writes it: node 1 holds Z only (36 blanks before
// it), node 2 holds X and Z with Y free between them, and a stress with a 3-digit exponent.
const char* const typed_report =
    "---------------------------------------------------------------\n"
    "| Minor Iterations                            |            41 |\n"
    "| Objective                                   |  2.658054E+06 |\n"
    "| Allowable Maximum Gradient                  |  5.000000E-04 |\n"
    "---------------------------------------------------------------\n"
    "\n"
    "\n"
    "-----------------------------------------------------------\n"
    " Node           Displ X           Displ Y           Displ Z\n"
    "-----------------------------------------------------------\n"
    "\n"
    "    1      0.000000E+00      0.000000E+00      0.000000E+00\n"
    "    2     -1.416092E-05      2.500000E-01     -7.755613E-03\n"
    "\n"
    "\n"
    "-----------------------------------------------------------\n"
    " Node           Force X           Force Y           Force Z\n"
    "-----------------------------------------------------------\n"
    "    1                                          1.240747E+02\n"
    "    2     -3.000000E+00                       +Inf*********\n"
    "\n"
    "\n"
    "-----------------------\n"
    " Elem            Stress\n"
    "-----------------------\n"
    "    1      1.000000E+100\n";

std::string failure_of(const std::string& text) {
  try {
    read_report(text, "run/output.txt");
  } catch (const kalvane::error& e) {
    return e.what();
  }
  return "(no failure)";
}

}  // namespace

TEST(ViewReport, ReadsEveryTableOfATypedReport) {
  auto r = read_report(typed_report, "output.txt");
  EXPECT_EQ(r.iterations, 41);
  EXPECT_EQ(r.objective, 2.658054e6);
  EXPECT_EQ(r.allowable_gradient, 5e-4);
  ASSERT_EQ(r.displacement.size(), 2u);
  EXPECT_EQ(r.displacement[1][0], -1.416092e-5);
  EXPECT_EQ(r.displacement[1][1], 0.25);
  EXPECT_EQ(r.displacement[1][2], -7.755613e-3);
  EXPECT_EQ(r.displacement_heading_line, 9);
  EXPECT_EQ(r.displacement_first_line, 12);
  ASSERT_EQ(r.reactions.size(), 3u);
  EXPECT_EQ(r.reactions[0].node, 1);
  EXPECT_EQ(r.reactions[0].component, 3);
  EXPECT_EQ(r.reactions[0].value, 124.0747);
  EXPECT_EQ(r.reactions[0].line, 19);
  EXPECT_EQ(r.reactions[1].component, 1);
  EXPECT_EQ(r.reactions[1].value, -3.0);
  EXPECT_EQ(r.reactions[2].component, 3);
  EXPECT_TRUE(std::isinf(r.reactions[2].value));
  ASSERT_EQ(r.stress.size(), 1u);
  EXPECT_EQ(r.stress[0], 1e100);
  EXPECT_EQ(r.stress_heading_line, 24);
  EXPECT_EQ(r.stress_first_line, 26);
}

TEST(ViewReport, AcceptsWindowsLineEndsAndEmptyTables) {
  std::string crlf;
  for (const char* c = typed_report; *c; ++c) crlf += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
  EXPECT_EQ(read_report(crlf, "output.txt").reactions.size(), 3u);

  auto empty = read_report(view_test::report_text(0, 0.0, {}, {}, {}), "output.txt");
  EXPECT_TRUE(empty.displacement.empty());
  EXPECT_TRUE(empty.stress.empty());
}

TEST(ViewReport, ReportsTheLineOfEachFault) {
  const std::string good = typed_report;
  // A run that stopped while writing leaves a report without its stress table.
  std::string cut = good.substr(0, good.find("\n\n\n" + std::string(23, '-') + "\n") + 1);
  EXPECT_NE(failure_of(cut).find("run/output.txt:21: the file ends"), std::string::npos) << failure_of(cut);
  // One cut inside its last row would read 1.000000E+1 for 1.000000E+100: every line of a
  // report ends with a line feed.
  const std::string cut_row = good.substr(0, good.size() - 3);
  EXPECT_NE(failure_of(cut_row).find("run/output.txt:26: the last line has no line end"), std::string::npos)
      << failure_of(cut_row);

  std::string skipped = good;
  skipped.replace(skipped.find("    2     -1.416"), 5, "    3");
  EXPECT_NE(failure_of(skipped).find("run/output.txt:13: node 3 where node 2 was due"), std::string::npos);

  std::string garbled = good;
  garbled.replace(garbled.find("2.500000E-01"), 12, "2.5000x0E-01");
  EXPECT_NE(failure_of(garbled).find("run/output.txt:13: '2.5000x0E-01' is not a number"), std::string::npos);

  std::string shifted = good;
  shifted.replace(shifted.find("    1                 "), 10, "    1  ");
  EXPECT_NE(failure_of(shifted).find("run/output.txt:19:"), std::string::npos) << failure_of(shifted);

  EXPECT_NE(failure_of("").find("run/output.txt:1: the file is empty"), std::string::npos);
  EXPECT_NE(failure_of("Single bar test\n").find("run/output.txt:1: expected the top of the summary"),
            std::string::npos);
  EXPECT_NE(failure_of(good + "    3      1.000000E+00\n").find("run/output.txt:27: bar 3 where bar 2 was due"),
            std::string::npos);
  EXPECT_NE(failure_of(good + "\nremark\n").find("run/output.txt:28: text after the stress table"),
            std::string::npos);
}

TEST(ViewReport, ReadsTheNonFiniteForms) {
  double v = 0;
  EXPECT_TRUE(parse_report_real("NaN**********", v));
  EXPECT_TRUE(std::isnan(v));
  EXPECT_TRUE(parse_report_real("-Inf*********", v));
  EXPECT_EQ(v, -INFINITY);
  EXPECT_TRUE(parse_report_real("4.940656E-324", v));
  EXPECT_GT(v, 0.0);
  EXPECT_TRUE(parse_report_real("-0.000000E+00", v));
  EXPECT_TRUE(std::signbit(v));
  for (const char* bad : {"", "*****", "NaN*x", "Inf", "nan", "1.0E+00*", "--1", "1e999"})
    EXPECT_FALSE(parse_report_real(bad, v)) << bad;
}

namespace {

// A number read back must print as the writer printed it.
std::string printed(double value) { return view_test::real_field(value); }

// A support reaction above the stopping threshold is listed.
bool is_reported(const kalvane::model& m, const terms::fmat2& reactions, int32_t k, int c) {
  return m.dof_map(k, c) > m.free_count && std::fabs(reactions(k, c)) > m.allowable_gradient;
}

// The view tests' report text for a solved model's values.
std::string fixture_report_of(const kalvane::model& m) {
  std::vector<std::array<double, 3>> displacement(static_cast<std::size_t>(m.node_count));
  std::vector<view_test::reaction_spec> listed;
  const terms::fmat2 reactions = kalvane::reaction_forces(m);
  for (int32_t k = 1; k <= m.node_count; ++k) {
    view_test::reaction_spec row{k, {}, {}};
    for (int c = 1; c <= 3; ++c) {
      displacement[k - 1][c - 1] = kalvane::displacement(m, m.unknowns, k, c);
      if (is_reported(m, reactions, k, c)) row.reported[c - 1] = true, row.value[c - 1] = reactions(k, c);
    }
    if (row.reported[0] || row.reported[1] || row.reported[2]) listed.push_back(row);
  }
  std::vector<double> stress;
  double end_forces[6];
  for (int32_t e = 1; e <= kalvane::bar_count(m); ++e)
    stress.push_back(kalvane::element1(m, m.bars(e), m.unknowns, end_forces).stress);
  return view_test::report_text(m.iteration_count, m.objective_value, displacement, listed, stress,
                                m.allowable_gradient);
}

void expect_same_report(const kalvane::view::report& a, const kalvane::view::report& b) {
  EXPECT_EQ(a.iterations, b.iterations);
  EXPECT_EQ(printed(a.objective), printed(b.objective));
  EXPECT_EQ(printed(a.allowable_gradient), printed(b.allowable_gradient));
  EXPECT_EQ(a.displacement, b.displacement);
  EXPECT_EQ(a.displacement_heading_line, b.displacement_heading_line);
  EXPECT_EQ(a.displacement_first_line, b.displacement_first_line);
  ASSERT_EQ(a.reactions.size(), b.reactions.size());
  for (std::size_t i = 0; i < a.reactions.size(); ++i) {
    EXPECT_EQ(a.reactions[i].node, b.reactions[i].node);
    EXPECT_EQ(a.reactions[i].component, b.reactions[i].component);
    EXPECT_EQ(a.reactions[i].value, b.reactions[i].value);
    EXPECT_EQ(a.reactions[i].line, b.reactions[i].line);
  }
  EXPECT_EQ(a.stress, b.stress);
  EXPECT_EQ(a.stress_heading_line, b.stress_heading_line);
  EXPECT_EQ(a.stress_first_line, b.stress_first_line);
}

// Every number the reader took from a fresh run's report is the model's own value at the
// report's precision, and the reactions it found are exactly the reported components.
void expect_report_of(const kalvane::view::report& r, const kalvane::model& m) {
  EXPECT_EQ(r.iterations, m.iteration_count);
  EXPECT_EQ(printed(r.objective), printed(m.objective_value));
  EXPECT_EQ(printed(r.allowable_gradient), printed(m.allowable_gradient));
  ASSERT_EQ(r.displacement.size(), static_cast<std::size_t>(m.node_count));
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c)
      EXPECT_EQ(printed(r.displacement[k - 1][c - 1]), printed(kalvane::displacement(m, m.unknowns, k, c)))
          << "node " << k << " component " << c;
  const terms::fmat2 reactions = kalvane::reaction_forces(m);
  std::set<std::pair<int32_t, int>> due;
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c)
      if (is_reported(m, reactions, k, c)) due.insert({k, c});
  std::set<std::pair<int32_t, int>> read;
  for (const kalvane::view::reaction_entry& e : r.reactions) {
    read.insert({e.node, e.component});
    EXPECT_EQ(printed(e.value), printed(reactions(e.node, e.component))) << "node " << e.node;
  }
  EXPECT_EQ(read, due);
  ASSERT_EQ(r.stress.size(), static_cast<std::size_t>(kalvane::bar_count(m)));
  double end_forces[6];
  for (int32_t e = 1; e <= kalvane::bar_count(m); ++e)
    EXPECT_EQ(printed(r.stress[e - 1]), printed(kalvane::element1(m, m.bars(e), m.unknowns, end_forces).stress))
        << "bar " << e;
}

}  // namespace

// The reader on real writer output: each bundled example's checked-in report describes the
// example's model, reads the same as the report of a fresh run, and gives back its numbers.
TEST(ViewReport, ReadsEveryBundledExampleAsItsFreshRunWroteIt) {
  int checked = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(source_path("examples"))) {
    const std::string expected = (entry.path() / "expected" / "output.txt").string();
    if (!file_exists(expected)) continue;
    SCOPED_TRACE(entry.path().filename().string());
    const kalvane::view::report stored = read_report_file(expected);

    kalvane::model as_read;
    kalvane::run_plan read_only;
    read_only.last = kalvane::stage::input;
    read_only.folder = entry.path().string();
    kalvane::run(as_read, read_only);
    EXPECT_EQ(stored.displacement.size(), static_cast<std::size_t>(as_read.node_count));
    EXPECT_EQ(stored.stress.size(), static_cast<std::size_t>(kalvane::bar_count(as_read)));
    EXPECT_NO_THROW(kalvane::view::match(as_read, stored, "input.txt", expected));

    scratch_folder dir;
    fs::copy_file(entry.path() / "input.txt", dir / "input.txt");
    kalvane::model solved;
    kalvane::run_plan whole;
    whole.folder = dir.path;
    kalvane::run(solved, whole);
    const kalvane::view::report fresh = read_report_file(dir / "output.txt");
    expect_same_report(fresh, stored);
    expect_report_of(fresh, solved);
    // The view tests' hand-made reports are the writer's reports, byte for byte.
    EXPECT_EQ(fixture_report_of(solved), read_file(dir / "output.txt"));
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

// Fields grow rather than cut: node numbers of six digits and three-digit exponents push
// the columns right, and the reader still finds every value and its component.
TEST(ViewReport, ReadsTheWritersGrownFields) {
  kalvane::model m;
  const int32_t nodes = 100000;
  solved_models::set_nodes(m, std::vector<std::array<double, 3>>(nodes, {0, 0, 0}));
  m.bars.allocate(1, 0);
  solved_models::set_supports(m, {{9999, 2, 0}, {nodes, 1, 0}, {nodes, 3, 2.5e-200}});
  m.loads(9999, 2) = -3.0;
  m.loads(nodes, 1) = 1e100;
  m.loads(nodes, 3) = -HUGE_VAL;
  m.objective_value = -1e-100;
  m.allowable_gradient = 1e-3;
  scratch_folder dir;
  kalvane::write_report(m, dir / "output.txt");
  const kalvane::view::report r = read_report_file(dir / "output.txt");
  EXPECT_EQ(r.objective, -1e-100);
  ASSERT_EQ(r.displacement.size(), static_cast<std::size_t>(nodes));
  EXPECT_EQ(r.displacement[nodes - 1][2], 2.5e-200);
  ASSERT_EQ(r.reactions.size(), 3u);
  EXPECT_EQ(r.reactions[0].node, 9999);
  EXPECT_EQ(r.reactions[0].component, 2);
  EXPECT_EQ(r.reactions[0].value, 3.0);
  EXPECT_EQ(r.reactions[1].node, nodes);
  EXPECT_EQ(r.reactions[1].component, 1);
  EXPECT_EQ(r.reactions[1].value, -1e100);
  EXPECT_EQ(r.reactions[2].component, 3);
  EXPECT_EQ(r.reactions[2].value, HUGE_VAL);
  EXPECT_TRUE(r.stress.empty());
}
