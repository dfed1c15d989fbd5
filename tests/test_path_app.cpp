// kalvane-path as a user runs it: the folder it writes is a whole run that kalvane-check
// certifies to every printed digit and kalvane-view draws; its exit status says how the
// path ended; bad input and bad options end it in kalvane's error report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

#include "check/app.hpp"
#include "check_fixture.hpp"
#include "newton_models.hpp"
#include "support.hpp"
#include "test_view_fixture.hpp"

namespace {

using kalvane_test::program_result;
using kalvane_test::read_file;
using kalvane_test::scratch_folder;

program_result run_path(const scratch_folder& folder, std::vector<std::string> args = {}) {
  kalvane_test::program_run run;
  run.program = kalvane_test::path_exe();
  run.args = std::move(args);
  run.folder = folder.path;
  return kalvane_test::run_program(run);
}

// The shallow two-bar truss: steel in N and mm (E = 210000, so c1 = 70000), half-span 2 m,
// rise 100 mm, 1000 mm2, loaded down at the apex.
std::string two_bar_truss(double load) {
  return check_test::input_text("Shallow two-bar truss", "0.9 20 1E-6 0.0 10000 5", "1 70000.0",
                                "3\nnode x y z\n1 0 0 0\n2 2000 0 100\n3 4000 0 0\n",
                                "2\nbar n1 n2 area\n1 1 2 1000\n2 2 3 1000\n",
                                "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n",
                                "1\nnode c v\n2 3 " + std::to_string(-load) + "\n");
}

// A bar of a Mooney-Rivlin material with c1 < 0: its tension has a maximum (14.14 at a
// stretch near 2.3, per unit area), beyond which no equilibrium holds the load of 20.
std::string softening_bar() {
  return check_test::input_text("Softening bar", "0.9 20 1E-6 0.0 10000 5", "2 -1.0 10.0",
                                "2\nnode x y z\n1 0 0 0\n2 1 0 0\n", "1\nbar n1 n2 area\n1 1 2 1.0\n",
                                "5\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n", "1\nnode c v\n2 1 20.0\n");
}

// The largest value of f, unimodal on [low, high], by golden-section search.
template <typename F>
double largest_of(const F& f, double low, double high) {
  for (int k = 0; k < 200; ++k) {
    const double a = high - 0.618033988749895 * (high - low), b = low + 0.618033988749895 * (high - low);
    (f(a) < f(b) ? low : high) = f(a) < f(b) ? a : b;
  }
  return f(0.5 * (low + high));
}

// A number of a file: shortest form or a report field, blanks around it.
double number(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  double value = NAN;
  if (first != std::string::npos) std::from_chars(text.data() + first, text.data() + text.size(), value);
  return value;
}

// The csv's rows split into their fields, the header first.
std::vector<std::vector<std::string>> csv_rows(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : kalvane_test::lines_of(read_file(path))) {
    rows.emplace_back();
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
      rows.back().push_back(line.substr(start, comma - start));
    rows.back().push_back(line.substr(start));
  }
  return rows;
}

// kalvane-check finds every table of the folder's output.txt right to all seven printed
// digits, at a stable equilibrium; kalvane-view draws the folder.
kalvane::check::findings expect_certified_digits(const std::string& run_folder) {
  kalvane::check::options o;
  o.dir = run_folder;
  const kalvane::check::findings f = kalvane::check::run_check(o);
  EXPECT_TRUE(f.residual.within());
  EXPECT_EQ(f.refinement.displacements.digits, 7) << f.refinement.displacements.worst;
  EXPECT_EQ(f.refinement.reactions.digits, 7) << f.refinement.reactions.worst;
  EXPECT_EQ(f.refinement.stresses.digits, 7) << f.refinement.stresses.worst;
  EXPECT_TRUE(f.stability.minimum());
  kalvane_test::program_run view;
  view.program = kalvane_test::view_exe();
  view.args = {"--dir", run_folder};
  EXPECT_EQ(kalvane_test::run_program(view).status, 0);
  return f;
}

// kalvane-check's findings on the run kalvane-path wrote into the folder's path/.
kalvane::check::findings check_of_run(const scratch_folder& folder) {
  kalvane::check::options o;
  o.dir = folder / "path";
  return kalvane::check::run_check(o);
}

// Writes input.txt, runs kalvane-path there: a stable equilibrium at full load, which
// kalvane-check certifies outright.
void expect_a_whole_certified_run(const std::string& input, std::vector<std::string> args = {}) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", input);
  const program_result r = run_path(folder, args);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");  // no progress line without a terminal
  EXPECT_NE(r.out.find("a stable equilibrium"), std::string::npos) << r.out;
  EXPECT_EQ(read_file(folder / "path/input.txt"), input);
  const kalvane::check::findings f = expect_certified_digits(folder / "path");
  EXPECT_EQ(f.status, 0) << f.verdict;
}

}  // namespace

TEST(PathApp, KalvaneCheckCertifiesEveryDigitOfTheFilesItWrites) {
  expect_a_whole_certified_run(two_bar_truss(1000.0));
  // Pretensioned: the edges' prescribed displacements, then the loads.
  expect_a_whole_certified_run(read_file(kalvane_test::source_path("examples/cable_net/input.txt")));
  expect_a_whole_certified_run(read_file(kalvane_test::source_path("examples/space_truss/input.txt")),
                               {"--loading", "together"});
  // A chain hanging from slack: its path starts from the minimum of the energy.
  expect_a_whole_certified_run(newton_models::input_text(newton_models::hanging_chain(12, 10000.0, 3000.0, 1500.0, 2000.0)));
}

// The report's Minor Iterations count Newton iterations: more than the input's iteration
// limit on a long path, which kalvane-check must not take for a run stopped at that limit.
TEST(PathApp, ALongPathIsCertifiedWhateverTheMinimisersIterationLimit) {
  std::string input = read_file(kalvane_test::source_path("examples/cable_net/input.txt"));
  const std::string settings = "0.9  20  1E-7  0.0  5000  10";
  ASSERT_NE(input.find(settings), std::string::npos);
  input.replace(input.find(settings), settings.size(), "0.9  20  1E-7  0.0  20  10");
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", input);
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const kalvane::check::findings f = expect_certified_digits(folder / "path");
  EXPECT_GT(f.iterations, 20);
  EXPECT_FALSE(f.at_iteration_limit);
  EXPECT_EQ(f.status, 0) << f.verdict;
  EXPECT_EQ(f.writer, kalvane::check::report_writer::path);
  const std::string text = kalvane::check::text_of(f);
  EXPECT_NE(text.find("\n2. Stopping: " + std::to_string(f.iterations) +
                      " Newton iterations of kalvane-path's loading path (not kalvane's minimiser)\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("of at most"), std::string::npos) << text;
  EXPECT_NE(kalvane::check::json_of(f).find("\"at_limit\": false, \"counted_by\": \"kalvane-path\"}"), std::string::npos);
}

// Loaded beyond its snap-through load (about 10.1 kN), the truss snaps to its inverted
// shape: exit 3, the limit point in the summary, the curve and the picture, and the far
// branch in the files, certified to every digit.
TEST(PathApp, ASnapThroughExitsWithThreeAndWritesTheFarBranch) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", two_bar_truss(12000.0));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("Limit point at load factor 0.84"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Route: limit point at 0.840569; jump at 0.840569 to a stable state; full load reached, stable"),
            std::string::npos)
      << r.out;
  const auto rows = csv_rows(folder / "path/path.csv");
  double highest = 0.0, limit = 0.0;
  std::vector<std::size_t> jump;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (rows[i][7] == "limit" && limit == 0.0) limit = number(rows[i][1]);
    if (limit == 0.0) highest = std::max(highest, number(rows[i][1]));
    if (rows[i][7] == "jump") jump.push_back(i);
  }
  EXPECT_GT(limit, 0.84);
  EXPECT_LT(limit, 0.845);
  EXPECT_LE(highest, limit * (1 + 1e-3));  // the limit point is where the load stopped rising
  // The jump's two ends, at the limit load: from above the supports to below them.
  ASSERT_EQ(jump.size(), 2u);
  EXPECT_EQ(rows[jump[0]][1], rows[jump[1]][1]);
  EXPECT_GT(number(rows[jump[0]][2]), -100.0);
  EXPECT_LT(number(rows[jump[1]][2]), -200.0);
  // The picture holds every row of the table, to the last bit.
  const std::string svg = read_file(folder / "path/path.svg");
  std::vector<view_test::element> doc;
  ASSERT_NO_THROW(doc = view_test::parse_xml(svg));
  std::vector<view_test::element> points;
  for (const auto& e : doc)
    if (e.attributes.count("data-point")) points.push_back(e);
  ASSERT_EQ(points.size() + 1, rows.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].attributes.at("data-load-factor"), rows[i + 1][1]);
    EXPECT_EQ(points[i].attributes.at("data-displacement"), rows[i + 1][2]);
    EXPECT_EQ(points[i].attributes.at("data-kind"), rows[i + 1][7]);
  }
  EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
  // The apex below the supports: the inverted shape, 100 mm and more under them.
  const std::vector<std::string> report = kalvane_test::lines_of(read_file(folder / "path/output.txt"));
  EXPECT_LT(number(report[12].substr(46)), -200.0);
  // Every digit right, and the check certifies it as the state the structure jumps to.
  const kalvane::check::findings f = expect_certified_digits(folder / "path");
  EXPECT_EQ(f.status, 0);
  EXPECT_NE(f.verdict.find("lands at full load on the run's equilibrium"), std::string::npos) << f.verdict;
}

// Tensioned, then loaded until its hogging cables push, the saddle net passes bifurcation
// points and regains its stability: exit 3, each point named, the primary branch's state at
// full load in the files, certified to every digit.
TEST(PathApp, FullLoadPastABifurcationExitsWithThree) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", newton_models::input_text(newton_models::saddle_net(
                                                     9, 7, 1000.0, 800.0, 0.002, -30000.0)));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("Bifurcation point at load factor"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("branch switched"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("full load reached, stable"), std::string::npos) << r.out;
  const auto rows = csv_rows(folder / "path/path.csv");
  long bifurcations = 0;
  for (std::size_t i = 1; i < rows.size(); ++i) bifurcations += rows[i][7] == "bifurcation";
  EXPECT_GT(bifurcations, 0);
  EXPECT_NE(read_file(folder / "path/path.svg").find("data-kind=\"bifurcation\""), std::string::npos);
  expect_certified_digits(folder / "path");
}

// The star dome under 30 kN on its crown and on each inner ring node snaps through at its
// limit point, then its symmetric far branch meets a double bifurcation whose branches are
// unstable, and it jumps again: the route names both, the state written is stable, and
// kalvane-check certifies it as the state the structure reaches by those jumps.
TEST(PathApp, TheStarDomeTakesTheStructuresRouteAndTheCheckCertifiesWhereItLands) {
  scratch_folder folder;
  newton_models::structure dome = newton_models::star_dome(30000.0);
  for (int k = 0; k < 6; ++k) dome.loads.push_back({2 + k, 3, -30000.0});
  kalvane_test::write_file(folder / "input.txt", newton_models::input_text(dome));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("Route: limit point at 0.5396"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("double bifurcation at 0.9367"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("its branches unstable; jump at 0.9367"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("full load reached, stable"), std::string::npos) << r.out;
  const kalvane::check::findings f = expect_certified_digits(folder / "path");
  EXPECT_TRUE(f.stability.minimum());
  EXPECT_EQ(f.status, 0) << f.verdict;
  EXPECT_NE(f.verdict.find("the one the structure reaches"), std::string::npos) << f.verdict;
}

// The report's frame tells the path: Newton iterations in all, kalvane's total potential,
// and the largest gradient component reached; the watched column follows the apex.
TEST(PathApp, TheReportFrameAndTheCurveTellThePath) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", two_bar_truss(1000.0));
  const program_result r = run_path(folder, {"--out", "elsewhere"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(kalvane_test::file_exists(folder / "path"));
  const std::vector<std::string> report = kalvane_test::lines_of(read_file(folder / "elsewhere/output.txt"));
  ASSERT_GT(report.size(), 12u);
  const auto rows = csv_rows(folder / "elsewhere/path.csv");
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0][2], "displacement node 2 Z");  // the node that moves most
  // The last row is the full-load point before its final polish: the report's apex to 7 digits.
  const double apex = number(report[12].substr(46));
  EXPECT_NEAR(number(rows.back()[2]), apex, 1e-6 * std::fabs(apex));
  EXPECT_NEAR(apex, -1.969477, 1e-6);  // the near branch, not kalvane's inverted shape
  const double gradient = number(report[3].substr(48, 13));
  EXPECT_LT(gradient, 1e-9);
  EXPECT_GT(std::stol(report[1].substr(48, 13)), 0);
  EXPECT_NE(r.out.find("Newton iteration"), std::string::npos);

  // Watching another component: its displacement in every row.
  const program_result watched = run_path(folder, {"--watch", "2", "X", "--out", "x"});
  ASSERT_EQ(watched.status, 0) << watched.err;
  const auto x_rows = csv_rows(folder / "x/path.csv");
  EXPECT_EQ(x_rows[0][2], "displacement node 2 X");
  for (std::size_t i = 1; i < x_rows.size(); ++i) EXPECT_EQ(number(x_rows[i][2]), 0.0);
}

// No equilibrium holds the full load: exit 2 at the bar's strength, its largest force
// 2 A (l - 1/l^2)(c1 + c2/l) over the stretch l; the files hold the last stable point under
// the load it carried, so that its reaction balances the load reached.
TEST(PathApp, ACollapseExitsWithTwoAtTheLimitLoadAndWritesTheLastStablePoint) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", softening_bar());
  const program_result r = run_path(folder, {"--loading", "together"});
  ASSERT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find("no stable equilibrium found at full load"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("The files hold the last stable point"), std::string::npos) << r.out;
  const double strength = largest_of([](double l) { return 2.0 * (l - 1.0 / (l * l)) * (-1.0 + 10.0 / l); }, 1.0, 5.0);
  const auto rows = csv_rows(folder / "path/path.csv");
  double limit = 0.0;
  for (std::size_t i = 1; i < rows.size(); ++i)
    if (rows[i][7] == "limit") limit = number(rows[i][1]);
  EXPECT_NEAR(20.0 * limit, strength, 1e-6 * strength);
  const std::vector<std::string> report = kalvane_test::lines_of(read_file(folder / "path/output.txt"));
  // The reaction table's one row: node 1 X holds the load reached.
  const auto reaction = std::find_if(report.begin(), report.end(),
                                     [](const std::string& l) { return l.rfind("    1", 0) == 0 && l.size() == 23; });
  ASSERT_NE(reaction, report.end());
  EXPECT_NEAR(number(reaction->substr(10)), -strength, 1e-6 * strength);
  EXPECT_LT(number(report[3].substr(48, 13)), 1e-9 * 20.0);  // an equilibrium, Newton-refined
}

// The shallow arch of softening bars snaps through at a small load and lands stable,
// hanging; on that branch its tension rises to the bars' strength, where it collapses. The
// summary names that second limit point, the largest of 2 f(l) z / (l L0) over the hanging
// depth z (f the bar's force at stretch l), not the snap it came through.
TEST(PathApp, ACollapseAfterASnapThroughIsNamedAtTheLimitPointItCollapsesFrom) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt",
                           check_test::input_text("Softening arch", "0.9 20 1E-6 0.0 10000 5", "2 -1.0 10.0",
                                                  "3\nnode x y z\n1 0 0 0\n2 1 0 0.2\n3 2 0 0\n",
                                                  "2\nbar n1 n2 area\n1 1 2 1.0\n2 2 3 1.0\n",
                                                  "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n",
                                                  "1\nnode c v\n2 3 -40.0\n"));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 2) << r.out << r.err;
  const double rest = std::sqrt(1.04);
  const auto load = [&](double z) {
    const double l = std::sqrt(1.0 + z * z), stretch = l / rest;
    return 2.0 * 2.0 * (stretch - 1.0 / (stretch * stretch)) * (-1.0 + 10.0 / stretch) * z / l;
  };
  const double strength = largest_of(load, 0.5, 5.0);
  const auto rows = csv_rows(folder / "path/path.csv");
  std::vector<double> limits;
  for (std::size_t i = 1; i < rows.size(); ++i)
    if (rows[i][7] == "limit") limits.push_back(number(rows[i][1]));
  ASSERT_EQ(limits.size(), 2u) << r.out;
  EXPECT_NEAR(40.0 * limits[1], strength, 1e-6 * strength);
  char figure[32];
  std::snprintf(figure, sizeof figure, "%g", limits[1]);
  EXPECT_NE(r.out.find(std::string("the structure collapses at the limit load factor ") + figure + " of stage 1."),
            std::string::npos)
      << r.out;
}

// A linear-elastic bar pushes with at most E A, nearing it only as its length goes to
// nothing; pushed harder, along its axis, the path once went on through zero length to the
// bar turned inside out beyond its pin, in tension, "full load reached, stable". It stops
// where the bar is squeezed to nothing, at the load E A, and says so.
TEST(PathApp, ABarPushedBeyondEAIsSqueezedToNothingNotTurnedInsideOut) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json",
                           R"({"format":"kalvane-model","version":1,"title":"pushed",)"
                           R"("materials":[{"name":"steel","law":"linear-elastic","E":1.0}],"nodes":[[0,0,0],[1,0,0]],)"
                           R"("bars":[{"nodes":[1,2],"material":"steel","area":1.0}],)"
                           R"("prescribed":[{"node":1,"x":0,"y":0,"z":0},{"node":2,"y":0,"z":0}],)"
                           R"("loads":[{"node":2,"x":-2.0}]})");
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find("bar 1 is squeezed to nothing there"), std::string::npos) << r.out;
  const auto rows = csv_rows(folder / "path/path.csv");
  const double reached = number(rows.back()[1]);
  EXPECT_GT(reached, 0.49);
  EXPECT_LT(reached, 0.5);
  EXPECT_LT(number(rows.back()[2]), 0.0);
  EXPECT_GT(number(rows.back()[2]), -1.0);  // short of the pin, not past it
}

// A random grid of steel, rubber and cables, prestressed: its path rises over full load to a
// limit point just beyond it (at 1.046) within one step, and comes back under 1. Full load
// was passed on the way: the stage ends there, not in "no stable equilibrium found at full
// load" at a limit point past it, the files holding a state prestressed 4.6 % too much.
TEST(PathApp, AStageThatPassesFullLoadOnTheWayToALimitPointEndsAtFullLoad) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json",
                           kalvane_test::read_file(kalvane_test::source_path("tests/path_regressions/limit_past_full_load.json")));
  const program_result r = run_path(folder);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Route: full load reached"), std::string::npos) << r.out;
  const auto rows = csv_rows(folder / "path/path.csv");
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LE(number(rows[i][1]), 1.0) << "row " << i;
  EXPECT_EQ(number(rows.back()[1]), 1.0);
}

// A bar that nothing holds along its axis, pushed that way: no equilibrium at any load. The
// summary names the mechanism, and the files hold the unloaded shape, not where the search
// for a minimum had wandered.
TEST(PathApp, AMechanismExitsWithTwoAndWritesTheUnloadedShape) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt",
                           check_test::input_text("Sliding bar", "0.9 20 1E-6 0.0 100 5", "1 10.0",
                                                  "2\nnode x y z\n1 0 0 0\n2 1 0 0\n", "1\nbar n1 n2 area\n1 1 2 1.0\n",
                                                  "4\nnode c v\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n", "1\nnode c v\n2 1 1.0\n"));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find("is a mechanism"), std::string::npos) << r.out;
  const std::vector<std::string> report = kalvane_test::lines_of(read_file(folder / "path/output.txt"));
  ASSERT_GT(report.size(), 12u);
  const std::string unmoved = "      0.000000E+00      0.000000E+00      0.000000E+00";
  EXPECT_EQ(report[11], "    1" + unmoved);
  EXPECT_EQ(report[12], "    2" + unmoved);
}

// A four-bar linkage in the XY plane on supports 1 and 4, its coupler 2-3 cut to 0.9 of its
// drawn length, with more bars, supports and a loads entry given as model-file text.
std::string linkage(const std::string& more_bars, const std::string& more_prescribed, const std::string& loads) {
  return R"({"format": "kalvane-model", "version": 1, "title": "linkage",
    "materials": [{"name": "steel", "law": "linear-elastic", "E": 200000000.0}],
    "nodes": [[0, 0, 0], [0, 1, 0], [1, 1, 0], [1, 0, 0]],
    "bars": [{"nodes": [1, 2], "area": 0.0001, "material": "steel"},
             {"nodes": [2, 3], "area": 0.0001, "material": "steel", "rest_length": 0.9},
             {"nodes": [3, 4], "area": 0.0001, "material": "steel"})" +
         more_bars + R"(],
    "prescribed": [{"node": 1, "x": 0.0, "y": 0.0, "z": 0.0}, {"node": 4, "x": 0.0, "y": 0.0, "z": 0.0})" +
         more_prescribed + "]" + loads + "}";
}

// A four-bar linkage in its plane, its coupler cut short: the prestress stage starts where
// the linkage can sway, and the coupler's pull leaves it a mechanism at every shape it folds
// to. The path cannot start: the summary says so and names the sway (not the out-of-plane
// motion nothing pulls, which the path holds), the files hold the drawn shape rather than
// the search's last iterate, and kalvane-check names the same cause and no compression of
// a state that is no equilibrium.
TEST(PathApp, ALinkageWithNoStiffnessAtItsStartIsNamedAndTheDrawnShapeWritten) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json", linkage("", "", R"(, "loads": [{"node": 2, "y": -1.0}])"));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find("the path could not start stage 1. There the structure has no stiffness (free to move at node "
                       "2 X: a mechanism there)"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("shrank to nothing"), std::string::npos) << r.out;
  const std::vector<std::string> report = kalvane_test::lines_of(read_file(folder / "path/output.txt"));
  const std::string unmoved = "      0.000000E+00      0.000000E+00      0.000000E+00";
  for (int node = 1; node <= 4; ++node)
    EXPECT_NE(std::find(report.begin(), report.end(), "    " + std::to_string(node) + unmoved), report.end()) << node;
  const kalvane::check::findings f = check_of_run(folder);
  EXPECT_TRUE(f.path_cannot_start);
  EXPECT_NE(f.verdict.find("free to move at node 2 X"), std::string::npos) << f.verdict;
  EXPECT_EQ(f.compression.bars, 0);
}

// A double-layer grid of soft rubber on four corners, one of them settled, with a few bars
// left out: the settlement's stage leaves it held by stresses so small that its pivots are
// only a few orders above rounding, and no step of the load's stage converges from that
// start taken as stiff. Started again as a start without stiffness (from the minimum of
// the energy at a small load factor), the path follows the loads to full load.
std::string grid_barely_held() {
  const int m = 3, n = 4;
  auto at = [&](int i, int j, int k) { return k * (m + 1) * (n + 1) + j * (m + 1) + i + 1; };
  const std::vector<std::pair<int, int>> left_out = {{3, 24}, {7, 27}, {2, 23}, {10, 14}, {15, 16}, {7, 28}, {5, 29},
                                                     {8, 28}, {17, 37}, {9, 33}, {17, 18}, {7, 11}, {9, 30}};
  std::string nodes, bars;
  int count = 0;
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= m; ++i) nodes += std::to_string(at(i, j, k)) + " " + std::to_string(i) + " " + std::to_string(j) + (k ? " 0.5\n" : " 0\n");
  auto bar = [&](int a, int b) {
    if (std::find(left_out.begin(), left_out.end(), std::make_pair(a, b)) != left_out.end()) return;
    bars += std::to_string(++count) + " " + std::to_string(a) + " " + std::to_string(b) + " 0.01\n";
  };
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= m; ++i) {
        if (i < m) bar(at(i, j, k), at(i + 1, j, k));
        if (j < n) bar(at(i, j, k), at(i, j + 1, k));
        if (k == 0) {
          bar(at(i, j, 0), at(i, j, 1));
          if (i < m) bar(at(i, j, 0), at(i + 1, j, 1));
          if (j < n) bar(at(i, j, 0), at(i, j + 1, 1));
        }
      }
  std::string held;
  for (int corner : {1, 4, 17, 20})
    for (int c = 1; c <= 3; ++c) held += std::to_string(corner) + " " + std::to_string(c) + (corner == 1 && c == 3 ? " -0.01\n" : " 0.0\n");
  return check_test::input_text("Grid barely held", "0.9 20 1E-8 0.0 20000 5", "1 1000.0", "40\nnode x y z\n" + nodes,
                                std::to_string(count) + "\nbar n1 n2 area\n" + bars, "12\nnode c v\n" + held,
                                "2\nnode c v\n25 3 -5000\n38 3 -5000\n");
}

TEST(PathApp, AStartBarelyHeldIsStartedAgainWhenNoStepFromItConverges) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", grid_barely_held());
  const program_result r = run_path(folder);
  EXPECT_EQ(r.status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("full load reached, stable"), std::string::npos) << r.out;
  EXPECT_EQ(check_of_run(folder).status, 0);
}

// The same linkage held in its plane and braced by two diagonal cables: the coupler's pull
// slackens both, and the linkage sways where only their steering springs hold it, with no
// load to drive it. Full load is reached, and the frame is named free to move, as a node
// only slack cables reach is named held where it is; kalvane-check names the same motion.
TEST(PathApp, AFrameWhoseBracingCablesAllWentSlackIsNamedFreeToSway) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json",
                           linkage(R"(,
             {"nodes": [1, 3], "area": 0.0001, "material": "steel", "behaviour": "cable"},
             {"nodes": [2, 4], "area": 0.0001, "material": "steel", "behaviour": "cable"})",
                                   R"(, {"node": 2, "z": 0.0}, {"node": 3, "z": 0.0})", ""));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("cables: 2 of 2 cables slack: 4, 5\n  held where it is, a mechanism that no load drives: free to "
                       "move at node 2 X, where every cable across that motion is slack\n"),
            std::string::npos)
      << r.out;
  const kalvane::check::findings f = check_of_run(folder);
  EXPECT_EQ(f.stability.zero, 1);
  EXPECT_NE(f.verdict.find("a saddle or a mechanism; free to move at node 2 X, where every cable across that motion is "
                           "slack"),
            std::string::npos)
      << f.verdict;
  EXPECT_EQ(f.cables.free_but_for_slack.node, 2);
  EXPECT_EQ(f.cables.free_but_for_slack.component, 1);
  kalvane_test::program_run json;
  json.program = kalvane_test::check_exe();
  json.args = {"--dir", "path", "--json"};
  json.folder = folder.path;
  EXPECT_NE(kalvane_test::run_program(json).out.find("\"free_but_for_slack_cables\": {\"node\": 2, \"component\": 1}"),
            std::string::npos);
}

TEST(PathApp, BadInputAndBadOptionsEndInKalvanesErrorReport) {
  scratch_folder folder;
  std::string name, message;
  const program_result missing = run_path(folder);
  EXPECT_EQ(missing.status, 1);
  ASSERT_TRUE(kalvane_test::parse_error_report(missing.err, name, message)) << missing.err;
  EXPECT_EQ(name, "NAME_ERROR");

  std::string input = two_bar_truss(1000.0);
  input.replace(input.find("2000 0 100"), 10, "2000 0 abc");
  kalvane_test::write_file(folder / "input.txt", input);
  const program_result malformed = run_path(folder);
  EXPECT_EQ(malformed.status, 1);
  ASSERT_TRUE(kalvane_test::parse_error_report(malformed.err, name, message)) << malformed.err;
  EXPECT_EQ(name, "DATA_ERROR");
  EXPECT_NE(message.find("input.txt:10:10:"), std::string::npos) << message;
  EXPECT_EQ(malformed.out, "");
  // A refusal quoting the user's bytes shows them printable: a byte that is not UTF-8 is
  // U+FFFD on the terminal, not the raw byte.
  kalvane_test::write_file(folder / "bad.json", "{\"format\": \"kalvane-model\", \"version\": 1, \"title\": \"Mi\xe9x\"}");
  const program_result bytes = run_path(folder, {"--model", "bad.json"});
  EXPECT_EQ(bytes.status, 1);
  EXPECT_NE(bytes.err.find("Mi\xef\xbf\xbdx"), std::string::npos) << bytes.err;
  EXPECT_EQ(bytes.err.find("Mi\xe9x"), std::string::npos) << bytes.err;

  kalvane_test::write_file(folder / "input.txt", two_bar_truss(1000.0));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--watch", "4", "Z"}, {"--loading", "slowly"}, {"--verbose"}}) {
    const program_result refused = run_path(folder, args);
    EXPECT_EQ(refused.status, 1) << args[0];
    ASSERT_TRUE(kalvane_test::parse_error_report(refused.err, name, message)) << refused.err;
    EXPECT_EQ(name, "USAGE_ERROR");
  }
  EXPECT_FALSE(kalvane_test::file_exists(folder / "path"));  // nothing written on a refusal

  const program_result help = run_path(folder, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: kalvane-path", 0), 0u);
  const program_result version = run_path(folder, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kalvane-path ", 0), 0u);
  EXPECT_FALSE(kalvane_test::file_exists(folder / "path"));
}

// On a terminal the progress line shows the step and the load factor, and is erased.
TEST(PathApp, OnATerminalTheProgressLineShowsTheStepAndLoadFactor) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", two_bar_truss(1000.0));
  kalvane_test::program_run run;
  run.program = "/usr/bin/script";
  run.args = {"-qec", "'" + kalvane_test::path_exe() + "'", "/dev/null"};
  run.folder = folder.path;
  run.environment = {"KALVANE_PROGRESS_AFTER_MS=0"};
  const program_result r = kalvane_test::run_program(run);
  ASSERT_EQ(r.status, 0) << r.out;
  const std::size_t drawn = r.out.find("kalvane-path: step 1, ");
  ASSERT_NE(drawn, std::string::npos) << r.out;
  EXPECT_NE(r.out.find("load factor ", drawn), std::string::npos);
  // Erased before the summary.
  EXPECT_NE(r.out.find("\r\033[K", drawn), std::string::npos);
  EXPECT_LT(r.out.rfind("\r\033[K"), r.out.find("Path: "));
}

// A value without physical sense is refused before anything is solved or written, naming
// the bar: a negative area once gave a "stable" state far from any equilibrium.
TEST(PathApp, ANegativeAreaIsRefusedNamingTheBar) {
  scratch_folder folder;
  std::string input = two_bar_truss(1000.0);
  input.replace(input.find("2 2 3 1000"), 10, "2 2 3 -1000");
  kalvane_test::write_file(folder / "input.txt", input);
  const program_result refused = run_path(folder);
  EXPECT_EQ(refused.status, 1);
  std::string name, message;
  ASSERT_TRUE(kalvane_test::parse_error_report(refused.err, name, message)) << refused.err;
  EXPECT_EQ(name, "DATA_ERROR");
  EXPECT_NE(message.find("bar 2 (line"), std::string::npos) << message;
  EXPECT_NE(message.find("the area must be positive"), std::string::npos) << message;
  EXPECT_FALSE(kalvane_test::file_exists(folder / "path"));
}

// The model file of the two-material example: found by its name, copied beside the results,
// its stages named; bars.csv tells each bar's lengths, strain and force consistently, the
// steel cables' force E A strain.
TEST(PathApp, AModelFileOfTwoMaterialsGivesEachBarsForceInBarsCsv) {
  scratch_folder folder;
  const std::string model = read_file(std::string(KALVANE_SOURCE_DIR) + "/examples/two_materials/model.json");
  kalvane_test::write_file(folder / "model.json", model);
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("./model.json: 16 nodes, 24 bars"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("the prestress: prescribed displacements and rest lengths, self-weight, then the loads"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(read_file(folder.path + "/path/model.json"), model);
  const auto rows = csv_rows(folder.path + "/path/bars.csv");
  ASSERT_EQ(rows.size(), 25u);
  EXPECT_EQ(rows[0][0], "bar");
  int steel = 0;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::vector<std::string>& row = rows[i];
    ASSERT_EQ(row.size(), 12u);
    const double area = number(row[4]), rest = number(row[5]), length = number(row[6]), stretch = number(row[7]);
    const double strain = number(row[8]), force = number(row[9]);
    EXPECT_NEAR(length, stretch * rest, 1e-15 * length) << i;
    EXPECT_NEAR(strain, stretch - 1.0, 1e-15) << i;
    if (row[3] == "steel") {
      ++steel;
      EXPECT_NEAR(force, 160000000.0 * area * strain, 1e-12 * std::fabs(force)) << i;
      EXPECT_EQ(row[11], force > 0.0 ? "taut" : "slack") << i;
    }
  }
  EXPECT_GT(steel, 0);
}

// A spare node that no bar reaches: unloaded, the path holds it where it is and says so;
// loaded, nothing holds it, and the path stops at once, naming it.
TEST(PathApp, ANodeOnNoBarIsHeldWhereItIsOrNamedWhenLoaded) {
  auto v_truss_and_spare_node = [](const std::string& loads) {
    return check_test::input_text("V truss and a spare node", "0.9 20 1E-8 0.0 1000 5", "1 1000.0",
                                  "4\nnode x y z\n1 0 0 0\n2 1.5 0 -0.25\n3 3.0 0 0\n4 1.5 0 1.0\n",
                                  "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
                                  "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n", loads);
  };
  {
    scratch_folder folder;
    kalvane_test::write_file(folder / "input.txt", v_truss_and_spare_node("1\nnode c v\n2 3 -1.0\n"));
    const program_result r = run_path(folder);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("held where it is, on no bar and no load on it: node 4"), std::string::npos) << r.out;
  }
  {
    scratch_folder folder;
    kalvane_test::write_file(folder / "input.txt", v_truss_and_spare_node("2\nnode c v\n2 3 -1.0\n4 1 0.5\n"));
    const program_result r = run_path(folder);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("node 4 is on no bar and carries a load"), std::string::npos) << r.out;
  }
}

// Every support of the V truss moved by the same offset, and no load: the path carries it
// rigidly, its bars at rest, their printed forces rounding; the certificate judges those
// against their rounding level, not against the largest of them.
TEST(PathApp, ARigidMoveOfEverySupportIsCertified) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt",
                           check_test::input_text("V truss moved rigidly", "0.9 20 1E-8 0.0 1000 5", "1 1000.0",
                                                  "3\nnode x y z\n1 0 0 0\n2 1.5 0 -0.25\n3 3.0 0 0\n",
                                                  "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
                                                  "7\nnode c v\n1 1 0.3\n1 2 0\n1 3 0.1\n2 2 0\n3 1 0.3\n3 2 0\n3 3 0.1\n",
                                                  "0\n"));
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 0);
  const kalvane::check::findings f = check_of_run(folder);
  EXPECT_EQ(f.status, 0) << f.verdict;
  EXPECT_GE(f.refinement.stresses.digits, 3) << f.refinement.stresses.worst;
  // Nor are the forces' roundings called tension or compression.
  EXPECT_NE(r.out.find("axial forces: no bar in tension, no bar in compression"), std::string::npos) << r.out;
  const auto rows = csv_rows(folder / "path/bars.csv");
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i].back(), "unstressed") << i;
}

// A chain of two bars that nothing holds along itself, pulled along itself: kalvane-path
// finds a mechanism and writes the unloaded shape. The certificate of that folder counts
// every pivot (two positive, one zero for the chain's rigid motion) and names the
// mechanism as the reason no equilibrium is there.
TEST(PathApp, AMechanismsFolderIsRefusedForBeingOne) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt",
                           check_test::input_text("Chain free along itself", "0.9 20 1E-6 0.0 1000 5", "1 1000.0",
                                                  "3\nnode x y z\n1 0 0 0\n2 1 0 0\n3 2 0 0\n",
                                                  "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
                                                  "6\nnode c v\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n3 2 0\n3 3 0\n",
                                                  "1\nnode c v\n3 1 10.0\n"));
  ASSERT_EQ(run_path(folder).status, 2);
  const kalvane::check::findings f = check_of_run(folder);
  EXPECT_EQ(f.stability.positive, 2);
  EXPECT_EQ(f.stability.zero, 1);
  EXPECT_NE(f.verdict.find("the structure is a mechanism under its loads (free to move at node"), std::string::npos)
      << f.verdict;
}

// The model's copy beside the results takes the name kalvane-check and kalvane-view look
// for, whatever the file read was called: a folder written from net.json or bridge.txt is a
// whole run they read with no --model.
TEST(PathApp, TheModelsCopyIsNamedForTheProgramsThatReadTheFolder) {
  scratch_folder folder;
  const std::string model = read_file(kalvane_test::source_path("examples/two_materials/model.json"));
  kalvane_test::write_file(folder / "net.json", model);
  kalvane_test::write_file(folder / "bridge.txt", read_file(kalvane_test::source_path("examples/space_truss/input.txt")));
  ASSERT_EQ(run_path(folder, {"--model", "net.json", "--out", "net"}).status, 0);
  ASSERT_EQ(run_path(folder, {"--model", "bridge.txt", "--out", "bridge"}).status, 0);
  EXPECT_EQ(read_file(folder / "net/model.json"), model);
  EXPECT_FALSE(std::filesystem::exists(folder / "net/net.json"));
  EXPECT_TRUE(std::filesystem::exists(folder / "bridge/input.txt"));
  EXPECT_FALSE(std::filesystem::exists(folder / "bridge/bridge.txt"));
  for (const char* run : {"net", "bridge"}) {
    kalvane::check::options o;
    o.dir = folder / run;
    EXPECT_EQ(kalvane::check::run_check(o).status, 0) << run;
  }
}

// Results written beside another model file would be read with it: a folder that holds a
// model.json is no place for the results of its input.txt, and nothing is written there.
TEST(PathApp, ResultsAreNotWrittenWhereAnotherModelFileWouldBeReadWithThem) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt",
                           read_file(kalvane_test::source_path("examples/single_bar/input.txt")));
  kalvane_test::write_file(folder / "model.json",
                           read_file(kalvane_test::source_path("examples/two_materials/model.json")));
  const program_result r = run_path(folder, {"--model", folder / "input.txt", "--out", folder.path});
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE((r.out + r.err).find("holds model.json, which kalvane-check and kalvane-view would read there in place of"),
            std::string::npos)
      << r.out << r.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "output.txt"));
  // Its own model file there is no obstacle.
  EXPECT_EQ(run_path(folder, {"--model", folder / "model.json", "--out", folder.path}).status, 0);
}

namespace {

// Every file of a folder by name, hidden ones too (a folder's content as "<folder>").
std::map<std::string, std::string> folder_content(const std::string& folder) {
  std::map<std::string, std::string> content;
  for (const std::string& name : kalvane_test::folder_entries(folder))
    content[name] = std::filesystem::is_directory(folder + "/" + name) ? "<folder>" : read_file(folder + "/" + name);
  return content;
}

}  // namespace

// A run that cannot write all of its files (a file-size limit cuts one, a folder stands where
// one goes) leaves the folder as the last good run left it: no file of its own, none cut
// short, no temporary file; the message names the file and the system's reason.
TEST(PathApp, ARunThatCannotWriteAllItsFilesLeavesTheLastRunsAsTheyWere) {
  scratch_folder folder;
  std::filesystem::create_directories(folder / "bar");
  std::filesystem::create_directories(folder / "net");
  kalvane_test::write_file(folder / "bar/input.txt", read_file(kalvane_test::source_path("examples/single_bar/input.txt")));
  kalvane_test::write_file(folder / "net/model.json", read_file(kalvane_test::source_path("examples/two_materials/model.json")));
  ASSERT_EQ(run_path(folder, {"--dir", "bar", "--out", "out"}).status, 0);

  // The net's model.json (3.5 kB) fits within 4 kB and its deck does not; its path.svg is
  // the first file beyond 16 kB.
  for (const auto& [limit, cut] : {std::pair{4096LL, "abaqusfile.inp"}, std::pair{16384LL, "path.svg"}}) {
    const auto before = folder_content(folder / "out");
    kalvane_test::program_run run;
    run.program = kalvane_test::path_exe();
    run.args = {"--dir", "net", "--out", "out"};
    run.folder = folder.path;
    run.file_size_limit = limit;
    const program_result r = kalvane_test::run_program(run);
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.err.find(std::string("out/") + cut + ": " + std::strerror(EFBIG)), std::string::npos) << r.err;
    EXPECT_TRUE(folder_content(folder / "out") == before) << limit;
  }

  std::filesystem::remove(folder / "out/bars.csv");
  std::filesystem::create_directories(folder / "out/bars.csv");
  const auto before = folder_content(folder / "out");
  const program_result r = run_path(folder, {"--dir", "net", "--out", "out"});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.err.find(std::string("out/bars.csv: ") + std::strerror(EISDIR)), std::string::npos) << r.err;
  EXPECT_TRUE(folder_content(folder / "out") == before);
}

// A material's name in bars.csv is text a spreadsheet shows and never runs: one that begins
// as a formula would is led by an apostrophe, its control characters are replaced, and the
// numbers beside it, negative ones too, are left as they are.
TEST(PathApp, AMaterialNameInBarsCsvIsNeverAFormula) {
  const std::vector<std::pair<std::string, std::string>> names = {
      // as the model file gives it, and its cell
      {R"x(=HYPERLINK(\"http://x.example/\",\"click\"))x", R"x("'=HYPERLINK(""http://x.example/"",""click"")")x"},
      {R"(@SUM(1)\u001b[31m\r)", "'@SUM(1)\xEF\xBF\xBD[31m\xEF\xBF\xBD"},
      {R"(+1\tx)", "'+1 x"},
      {"-2", "'-2"},
  };
  std::string materials, bars;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string name = "\"" + names[i].first + "\"";
    materials += std::string(i ? ", " : "") + "{\"name\": " + name + ", \"law\": \"linear-elastic\", \"E\": 200000}";
    bars += std::string(i ? ", " : "") + "{\"nodes\": [" + std::to_string(i + 1) + ", 5], \"area\": 0.01, \"material\": " + name + "}";
  }
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json",
                           "{\"format\": \"kalvane-model\", \"version\": 1, \"materials\": [" + materials +
                               "], \"nodes\": [[0, 0, 0], [2, 0, 0], [2, 2, 0], [0, 2, 0], [1, 1, 1.5]], \"bars\": [" +
                               bars +
                               "], \"prescribed\": [{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 2, \"x\": 0, "
                               "\"y\": 0, \"z\": 0}, {\"node\": 3, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 4, \"x\": 0, "
                               "\"y\": 0, \"z\": 0}], \"loads\": [{\"node\": 5, \"z\": -1}]}");
  const program_result r = run_path(folder);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::vector<std::string> rows = kalvane_test::lines_of(read_file(folder / "path/bars.csv"));
  ASSERT_EQ(rows.size(), names.size() + 1);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string start = std::to_string(i + 1) + "," + std::to_string(i + 1) + ",5," + names[i].second + ",";
    EXPECT_EQ(rows[i + 1].substr(0, start.size()), start);
    EXPECT_EQ(rows[i + 1].find('\'', start.size()), std::string::npos) << rows[i + 1];
    EXPECT_NE(rows[i + 1].find(",compression"), std::string::npos) << rows[i + 1];
  }
}
