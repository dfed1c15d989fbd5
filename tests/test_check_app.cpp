#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>

#include "check/app.hpp"
#include "check_fixture.hpp"
#include "error.hpp"
#include "newton_models.hpp"

namespace {

using check_test::check;
using check_test::input_text;
using check_test::solve;
using kalvane_test::scratch_folder;

kalvane::check::findings check_in_process(const scratch_folder& folder, bool path = true) {
  kalvane::check::options o;
  o.dir = folder.path;
  o.no_path = !path;
  return kalvane::check::run_check(o);
}

// The root of an increasing function on [low, high], to the last bit.
double root(const std::function<double(double)>& f, double low, double high) {
  for (int k = 0; k < 200 && low < high; ++k) {
    const double mid = 0.5 * (low + high);
    if (mid == low || mid == high) break;
    (f(mid) < 0 ? low : high) = mid;
  }
  return 0.5 * (low + high);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A V of two Neo-Hooke bars (half-span 1.5, rise 0.25) loaded down at its apex by 1.
std::string v_truss() {
  return input_text("V truss", "0.9 20 1E-8 0.0 1000 5", "1 1000.0", "3\nnode x y z\n1 0 0 0\n2 1.5 0 -0.25\n3 3.0 0 0\n",
                    "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
                    "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n", "1\nnode c v\n2 3 -1.0\n");
}

}  // namespace

// A bar pulled along its axis: A c1 (lambda - 1/lambda^2) = P. A V of two bars loaded at
// its apex: 2 N (h + w) / l = P. The checker certifies both, and its loading path ends on
// the closed-form equilibrium.
TEST(CheckApp, CertifiesABarAndATwoBarTrussAgainstClosedForms) {
  {
    scratch_folder folder;
    ASSERT_EQ(solve(folder, kalvane_test::read_file(kalvane_test::source_path("examples/single_bar/input.txt"))), 0);
    const auto f = check_in_process(folder);
    EXPECT_EQ(f.status, 0) << f.verdict;
    const double lambda = root([](double l) { return 0.01 * 10.0 * (l - 1 / (l * l)) - 0.05; }, 1.0, 2.0);
    ASSERT_EQ(f.path.x.size(), 1u);
    EXPECT_NEAR(f.path.x[0], lambda - 1.0, 1e-15);
    EXPECT_GE(f.refinement.displacements.digits, 3);
  }
  {
    scratch_folder folder;
    const double a = 1.5, h = 0.25, c1 = 1000.0, area = 0.01, load = 1.0;
    ASSERT_EQ(solve(folder, v_truss()),
              0);
    const auto f = check_in_process(folder);
    EXPECT_EQ(f.status, 0) << f.verdict;
    const double L0 = std::sqrt(a * a + h * h);
    const double w = root(
        [&](double sag) {
          const double l = std::sqrt(a * a + (h + sag) * (h + sag)), lambda = l / L0;
          return 2 * area * c1 * (lambda - 1 / (lambda * lambda)) * (h + sag) / l - load;
        },
        0.0, 1.0);
    ASSERT_EQ(f.path.x.size(), 2u);
    EXPECT_NEAR(f.path.x[0], 0.0, 1e-15);
    EXPECT_NEAR(f.path.x[1], -w, 1e-13 * w);
    EXPECT_EQ(f.stability.positive, 2);
  }
}

// A spare node that no bar reaches, drawn beside the V truss: with no load it stays where it
// is, and neither the path nor the certificate takes it for a mechanism.
TEST(CheckApp, ANodeOnNoBarIsHeldWhereItIs) {
  auto v_truss_and_spare_node = [](const char* loads) {
    return input_text("V truss and a spare node", "0.9 20 1E-8 0.0 1000 5", "1 1000.0",
                      "4\nnode x y z\n1 0 0 0\n2 1.5 0 -0.25\n3 3.0 0 0\n4 1.5 0 1.0\n",
                      "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
                      "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n", loads);
  };
  {
    scratch_folder folder;
    ASSERT_EQ(solve(folder, v_truss_and_spare_node("1\nnode c v\n2 3 -1.0\n")), 0);
    const auto f = check_in_process(folder);
    EXPECT_EQ(f.status, 0) << f.verdict;
    EXPECT_EQ(f.idle_nodes, std::vector<int32_t>{4});
    EXPECT_EQ(f.stability.positive, 2);
    EXPECT_EQ(f.stability.zero, 0);
    ASSERT_TRUE(reached_full_load(f.path)) << kalvane::newton::outcome_name(f.path.outcome);
    EXPECT_EQ(f.path.held_nodes, std::vector<int32_t>{4});
    EXPECT_EQ(f.path.nodes_on_no_bar, std::vector<int32_t>{4});
    for (std::size_t p = 2; p < 5; ++p) EXPECT_EQ(f.path.x[p], 0.0) << p;  // node 4's X, Y and Z
  }
}

// A report whose reaction table lost a row still balances in every row it lists; the lost
// reaction is named, not blamed on the run's tolerance.
TEST(CheckApp, AReactionTableThatLostARowIsNotCertified) {
  scratch_folder folder;
  ASSERT_EQ(solve(folder, v_truss()),
            0);
  const std::string report_path = folder.path + "/output.txt";
  std::string report = kalvane_test::read_file(report_path);
  const std::size_t table = report.find("Force X");
  ASSERT_NE(table, std::string::npos);
  const std::size_t row = report.find("\n    1 ", table);
  ASSERT_NE(row, std::string::npos);
  report.erase(row, report.find('\n', row + 1) - row);
  kalvane_test::write_file(report_path, report);
  const auto r = check(folder, {"--no-path"});
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(has(r.out, "verdict: not certified: the reaction table of ./output.txt leaves out node 1 X")) << r.out;
}

// Stopped at the limit after three iterations, the cable net is far from its equilibrium.
TEST(CheckApp, ARunStoppedAtItsIterationLimitIsNotCertified) {
  scratch_folder folder;
  std::string input = kalvane_test::read_file(kalvane_test::source_path("examples/cable_net/input.txt"));
  const std::string settings = "0.9  20  1E-7  0.0  5000  10";
  ASSERT_NE(input.find(settings), std::string::npos);
  input.replace(input.find(settings), settings.size(), "0.9  20  1E-7  0.0  3  10");
  ASSERT_EQ(solve(folder, input), 0);
  const auto r = check(folder);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(has(r.out, "2. Stopping: 3 iterations of at most 3: the run stopped at its iteration limit")) << r.out;
  EXPECT_TRUE(has(r.out, "verdict: not certified: not an equilibrium within the tolerance")) << r.out;
  EXPECT_TRUE(has(r.out, "the run stopped at its iteration limit of 3")) << r.out;
}

// The dome's limit load is about 67 lbf. Under 200 lbf, gradual loading snaps through at
// about a third of the load; kalvane's first step lands beyond. Under 1 lbf, a load far
// below the limit, the first step (of length 1 along the load) carries the crown to its
// mirror image below the ring, and the run settles in the inverted equilibrium. Under
// 0.1 lbf the first step stays above the ring and the run is certified.
TEST(CheckApp, TheDomeThatSnapsThroughAndTheDomeThatDoesNot) {
  {
    scratch_folder folder;
    ASSERT_EQ(solve(folder, check_test::dome(0.5, 200.0)), 0);
    const auto f = check_in_process(folder);
    // The structure snaps through and settles where the run landed: that state is its answer.
    EXPECT_EQ(f.status, 0) << f.verdict;
    EXPECT_TRUE(f.stability.minimum());
    EXPECT_TRUE(reached_full_load(f.path));  // on the far branch, through the limit point
    EXPECT_TRUE(snapped(f.path));
    EXPECT_NEAR(kalvane::newton::snap_load_factor(f.path), 0.335, 0.005);
    // Where the stiffness turns singular is the limit point: its pivot, not the far branch's.
    const kalvane::newton::path_point* limit = kalvane::newton::first_point(f.path, kalvane::newton::point_kind::limit);
    ASSERT_NE(limit, nullptr);
    EXPECT_LT(std::fabs(limit->smallest_pivot), 1e-3 * std::fabs(f.path.smallest_pivot));
    const std::string text = kalvane::check::text_of(f);
    EXPECT_TRUE(has(text, "limit point at 0.33")) << text;
    EXPECT_TRUE(has(text, "jump at 0.33")) << text;
    EXPECT_TRUE(has(text, "smallest pivot " + kalvane::check::sci(limit->smallest_pivot) +
                              " of the largest diagonal entry at the limit point"))
        << text;
    const auto r = check(folder);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.out, "verdict: certified: a stable equilibrium, the one the structure reaches: its loading path "
                           "snaps through at load factor 0.33"))
        << r.out;
  }
  {
    scratch_folder folder;
    ASSERT_EQ(solve(folder, check_test::dome(0.5, 1.0)), 0);
    const auto r = check(folder);
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_TRUE(has(r.out, "the run found a different equilibrium than gradual loading reaches: node 1 moves (0, 0, -1.00"))
        << r.out;
    EXPECT_TRUE(has(r.out, "verdict: not certified: the run found a different equilibrium than gradual loading reaches; "
                          "kalvane-path writes that one, in kalvane's files, into path/"));
  }
  {
    // The same far branch at a loose tolerance: its digits fall short too, but no tolerance
    // gives the structure's answer, and the verdict says why, not which tolerance to take.
    // (The shallow steel two-bar truss under 300 N, about a thirtieth of its snap load.)
    scratch_folder folder;
    ASSERT_EQ(solve(folder, check_test::input_text("Shallow two-bar truss", "0.9 20 0.5 0.0 10000 5", "1 70000.0",
                                                   "3\nnode x y z\n1 0 0 0\n2 2000 0 100\n3 4000 0 0\n",
                                                   "2\nbar n1 n2 area\n1 1 2 1000\n2 2 3 1000\n",
                                                   "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n",
                                                   "1\nnode c v\n2 3 -300\n")),
              0);
    const auto r = check(folder);
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_TRUE(has(r.out, "reactions 0 (worst")) << r.out;
    EXPECT_TRUE(has(r.out, "verdict: not certified: the run found a different equilibrium than gradual loading reaches"))
        << r.out;
  }
  {
    scratch_folder folder;
    ASSERT_EQ(solve(folder, check_test::dome(0.5, 0.1)), 0);
    const auto r = check(folder);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(has(r.out, "5. Loading path: full load reached")) << r.out;
    EXPECT_TRUE(has(r.out, "verdict: certified: a stable equilibrium on the loading path, within the tolerance"));
  }
}

// A path that stopped short of full load without meeting a limit point stalled: it did not
// snap through, and neither point 5 nor the verdict says it did.
TEST(CheckApp, AStalledPathIsNotCalledASnapThrough) {
  kalvane::check::findings f;
  f.refinement.converged = true;  // the other points as a certified run leaves them
  f.path_followed = true;
  f.path.outcome = kalvane::newton::path_outcome::stalled;
  f.path.stage = 2;
  kalvane::check::decide(f, false);
  EXPECT_EQ(f.status, 3);
  EXPECT_EQ(f.verdict, "not certified: the loading path stalls at load factor 0.0000, short of full load: gradual "
                       "loading does not confirm the run's equilibrium");
  const std::string text = kalvane::check::text_of(f);
  EXPECT_TRUE(has(text, "5. Loading path: the path stalls at load factor 0.0000 of stage 2 (0 steps, 0 halvings)")) << text;
  EXPECT_FALSE(has(text, "snaps through")) << text;

  // Past a limit point and gone, it did snap through.
  f.path.outcome = kalvane::newton::path_outcome::collapsed;
  kalvane::newton::path_point limit;
  limit.load_factor = 0.5;
  limit.kind = kalvane::newton::point_kind::limit;
  f.path.points = {limit};
  kalvane::check::decide(f, false);
  EXPECT_TRUE(has(f.verdict, "the loading path snaps through at load factor 0.5000")) << f.verdict;
}

// The middle node of two collinear bars, pushed along them: one bar pulls, the other
// pushes, and sideways only the pulled bar holds it, less than the pushed one drives it
// out. kalvane's run stays on the line, where the gradient across it is zero.
TEST(CheckApp, AMechanismIsNotAMinimum) {
  scratch_folder folder;
  ASSERT_EQ(solve(folder, input_text("Pushed chain", "0.9 20 1E-6 0.0 1000 5", "1 10.0",
                                     "3\nnode x y z\n1 0 0 0\n2 1 0 0\n3 2 0 0\n",
                                     "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
                                     "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 3 0\n3 1 0\n3 2 0\n3 3 0\n",
                                     "1\nnode c v\n2 1 0.05\n")),
            0);
  const auto r = check(folder, {"--no-path"});
  EXPECT_EQ(r.status, 3) << r.out;
  EXPECT_TRUE(has(r.out, "4. Stability: 1 positive, 1 negative, 0 zero pivots")) << r.out;
  EXPECT_TRUE(has(r.out, "verdict: not certified: not a minimum")) << r.out;
  EXPECT_TRUE(has(r.out, "5. Loading path: skipped (--no-path)")) << r.out;

  // Sideways nothing holds the unloaded chain, and the first load makes the line unstable:
  // the path bifurcates at its start onto the bent branch, where full load is stable, and
  // point 5 names the state gradual loading reaches instead of the run's.
  const auto with_path = check(folder);
  EXPECT_EQ(with_path.status, 3) << with_path.out;
  EXPECT_TRUE(has(with_path.out, "5. Loading path: the path takes the structure's route")) << with_path.out;
  EXPECT_TRUE(has(with_path.out, "bifurcation at 0, branch switched")) << with_path.out;
  EXPECT_TRUE(has(with_path.out, "the run found a different equilibrium than gradual loading reaches")) << with_path.out;
  EXPECT_TRUE(has(with_path.out, "(loading staged)")) << with_path.out;
  EXPECT_FALSE(has(with_path.out, "snaps through")) << with_path.out;
}

// A bar free to slide along itself, and a bar on two rollers loaded across itself: kalvane
// finds no equilibrium and writes no report, and the check says why instead of only that the
// report is missing: minimised from the unloaded shape, the energy falls without bound.
TEST(CheckApp, AFailedRunOfAMechanismIsDiagnosed) {
  const std::string nodes = "2\nnode x y z\n1 0 0 0\n2 1 0 0\n", bar = "1\nbar n1 n2 area\n1 1 2 0.01\n";
  {
    scratch_folder folder;
    EXPECT_EQ(solve(folder, check_test::sliding_bar()), 1);
    const auto r = check(folder);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "cannot open ./output.txt")) << r.err;
    EXPECT_TRUE(has(r.err, "./input.txt: the structure is a mechanism under its loads: its energy falls without bound (")) << r.err;
    EXPECT_TRUE(has(r.err, "from the unloaded shape carry node 2 away)")) << r.err;
  }
  {
    scratch_folder folder;
    EXPECT_EQ(solve(folder, input_text("Bar on rollers", "0.9 20 1E-6 0.0 1000 5", "1 10.0", nodes, bar,
                                       "4\nnode c v\n1 1 0\n1 3 0\n2 1 0\n2 3 0\n", "1\nnode c v\n2 2 0.05\n")),
              1);
    const auto r = check(folder);
    EXPECT_TRUE(has(r.err, "the structure is a mechanism under its loads: its energy falls without bound")) << r.err;
    EXPECT_FALSE(has(r.err, "tolerance")) << r.err;
  }
  {
    // The loaded spare node is the mechanism, not the bar's stiff end.
    scratch_folder folder;
    EXPECT_EQ(solve(folder, check_test::bar_and_loaded_spare_node()), 1);
    const auto r = check(folder);
    EXPECT_TRUE(has(r.err, "./input.txt: the structure is a mechanism under its loads: node 3 is on no bar and carries a load"))
        << r.err;
    EXPECT_FALSE(has(r.err, "node 2")) << r.err;
  }
  {
    // The bar stretched by a prescribed displacement of its free end, all of whose components
    // are then prescribed: the run has no unknowns, though the bar is loaded.
    scratch_folder folder;
    EXPECT_EQ(solve(folder, input_text("Bar stretched by its end", "0.9 20 1E-6 0.0 1000 5", "1 10.0", nodes, bar,
                                       "6\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 1 0.1\n2 2 0\n2 3 0\n", "0\nnode c v\n")),
              1);
    const auto r = check(folder);
    EXPECT_TRUE(has(r.err, "every displacement component is prescribed, so the run has no unknowns")) << r.err;
    EXPECT_FALSE(has(r.err, "nothing loads the structure")) << r.err;
  }
}

// A node held by one bar and loaded across it swings round until the bar hangs along the
// load: a stable equilibrium, certified by points 1 to 4, but one that only the path can tell
// from a run on another branch. Without the path, so large a move is not certified.
TEST(CheckApp, AFoldedMechanismWithoutThePathIsNotCertified) {
  scratch_folder folder;
  ASSERT_EQ(solve(folder, input_text("Pendulum", "0.9 20 1E-6 0.0 1000 5", "1 10.0", "2\nnode x y z\n1 0 0 0\n2 1 0 0\n",
                                     "1\nbar n1 n2 area\n1 1 2 0.01\n", "4\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 3 0\n",
                                     "1\nnode c v\n2 2 0.05\n")),
            0);
  const auto r = check(folder, {"--no-path"});
  EXPECT_EQ(r.status, 3) << r.out;
  EXPECT_TRUE(has(r.out, "4. Stability: 2 positive, 0 negative, 0 zero pivots")) << r.out;
  EXPECT_TRUE(has(r.out, "5. Loading path: skipped (--no-path); the largest displacement, 1.56e+00 at node 2, is 156 % of "
                         "the bounding-box diagonal 1.00e+00: not under 10 %"))
      << r.out;
  EXPECT_TRUE(has(r.out, "verdict: not certified: large displacements: a mechanism may have folded, or the run may be on "
                         "another branch; follow the path to know (node 2 moves 156 % of the bounding-box diagonal)"))
      << r.out;
  const auto json = check(folder, {"--no-path", "--json"});
  EXPECT_TRUE(has(json.out, "\"large\": true")) << json.out;

  // A small move without the path is certified as before.
  scratch_folder small;
  ASSERT_EQ(solve(small, check_test::dome(0.5, 0.1)), 0);
  const auto quiet = check(small, {"--no-path"});
  EXPECT_EQ(quiet.status, 0) << quiet.out;
  EXPECT_TRUE(has(quiet.out, "verdict: certified: a stable equilibrium within the tolerance (loading path not followed)"));
}

TEST(CheckApp, OptionsAndTheirErrors) {
  using kalvane::check::parse_options;
  const auto o = parse_options({"--dir=runs/a", "--no-path", "--json", "--strict", "--calculix", "--lint"});
  EXPECT_EQ(o.dir, "runs/a");
  EXPECT_TRUE(o.no_path && o.json && o.strict && o.calculix && o.lint);
  EXPECT_EQ(o.digits, 3);
  EXPECT_EQ(parse_options({"--dir", "b"}).dir, "b");
  EXPECT_EQ(parse_options({"--digits", "0"}).digits, 0);
  EXPECT_EQ(parse_options({"--digits=7"}).digits, 7);
  EXPECT_EQ(o.loading, kalvane::newton::loading::staged);
  EXPECT_EQ(parse_options({"--loading", "together"}).loading, kalvane::newton::loading::together);
  EXPECT_EQ(parse_options({"--loading=staged"}).loading, kalvane::newton::loading::staged);
  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
           {"--dir"}, {"--dir="}, {"--json=yes"}, {"--fast"}, {"output.txt"}, {"--digits"}, {"--digits", "8"},
           {"--digits=-1"}, {"--digits", "3.0"}, {"--lint=yes"}, {"--loading"}, {"--loading=gradual"}})
    EXPECT_THROW(parse_options(bad), kalvane::error) << bad[0];

  scratch_folder folder;
  const auto unknown = check(folder, {"--fast"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "kalvane-check: unknown option '--fast'\n" + kalvane::check::usage_line() + "\n");
  const auto help = check(folder, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(has(help.out, "Exit status: 0 certified; 2 not an equilibrium"));
  EXPECT_EQ(check(folder, {"--version"}).out.rfind("kalvane-check ", 0), 0u);
  const auto missing = check(folder);
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(has(missing.err, "cannot open ./input.txt")) << missing.err;
}

// --json carries the same findings; --calculix adds the CalculiX cross-check.
TEST(CheckApp, JsonAndTheReservedCrosscheck) {
  scratch_folder folder;
  ASSERT_EQ(solve(folder, kalvane_test::read_file(kalvane_test::source_path("examples/three_node/input.txt"))), 0);
  const auto text = check(folder, {"--calculix"});
  EXPECT_EQ(text.status, 0) << text.out;
  EXPECT_TRUE(has(text.out, "CalculiX cross-check: wrote ")) << text.out;
  EXPECT_TRUE(has(text.out, "\nverdict: certified")) << text.out;
  const auto json = check(folder, {"--json"});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out.front(), '{');
  EXPECT_TRUE(has(json.out, "\"stopping\": {\"iterations\": 1, \"max_iterations\": 1000, \"at_limit\": false, \"counted_by\": \"minimiser\"}")) << json.out;
  EXPECT_TRUE(has(json.out, "\"status\": 0,")) << json.out;
  EXPECT_TRUE(has(json.out, "\"loading\": \"staged\", \"snapped\": false, \"past_bifurcation\": false")) << json.out;
  EXPECT_TRUE(has(json.out, "\"verdict\": \"certified: a stable equilibrium on the loading path, within the tolerance\""));
}

// A taut steel cable of 50 segments whose tolerance asks for less than rounding leaves:
// kalvane ends without a report after thousands of iterations, and its message cannot
// tell a mechanism from a tolerance too small. The check tells which.
TEST(CheckApp, AToleranceBelowRoundingIsNamed) {
  const int segments = 50;
  std::string nodes = std::to_string(segments + 1) + "\nnode x y z\n";
  std::string bars = std::to_string(segments) + "\nbar n1 n2 area\n";
  std::string fixed = std::to_string(6 + segments - 1) + "\nnode c v\n1 1 0\n1 2 0\n1 3 0\n";
  std::string loads = std::to_string(segments - 1) + "\nnode c v\n";
  for (int i = 0; i <= segments; ++i) nodes += std::to_string(i + 1) + " " + std::to_string(10.0 * i / segments) + " 0 0\n";
  for (int i = 1; i <= segments; ++i) bars += std::to_string(i) + " " + std::to_string(i) + " " + std::to_string(i + 1) + " 1e-3\n";
  // The far end pulled out 10 mm, so the cable is taut; each inner node carries 100 N.
  fixed += std::to_string(segments + 1) + " 1 0.01\n" + std::to_string(segments + 1) + " 2 0\n" +
           std::to_string(segments + 1) + " 3 0\n";
  for (int i = 2; i <= segments; ++i) {
    fixed += std::to_string(i) + " 3 0\n";
    loads += std::to_string(i) + " 2 -100.0\n";
  }
  scratch_folder folder;
  EXPECT_EQ(solve(folder, input_text("Steel cable", "0.9 20 1E-16 0.0 20000 5", "1 7.0E10", nodes, bars, fixed, loads)),
            1);
  const auto r = check(folder);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "cannot open ./output.txt")) << r.err;
  EXPECT_TRUE(has(r.err, "the structure has a stable equilibrium")) << r.err;
  EXPECT_TRUE(has(r.err, "; the gradient tolerance is too small to be reached")) << r.err;

  // The same cable at a tolerance rounding allows, and small enough for 3 digits, is certified.
  scratch_folder reachable;
  ASSERT_EQ(solve(reachable, input_text("Steel cable", "0.9 20 1E-8 0.0 20000 5", "1 7.0E10", nodes, bars, fixed, loads)),
            0);
  EXPECT_EQ(check(reachable).status, 0);
}

// A chain hanging from slack: kalvane's minimiser reaches a tolerance of 1e-7 but not 1e-8,
// whose run ends in values that are not numbers. The unloaded chain has no stiffness across
// itself, yet it is no mechanism: minimised from there, its energy finds the hanging shape,
// and kalvane's minimiser, run again, shows how far down its gradient gets. The tolerance it
// names is reached, and that run is certified.
TEST(CheckApp, AChainRunAtAToleranceBelowWhatItsRunReachesIsToldSo) {
  const std::string chain = newton_models::input_text(newton_models::hanging_chain(12, 10000.0, 3000.0, 1500.0, 2000.0));
  const std::string settings = "0.9  20  1e-06  0.0  50000  7";
  ASSERT_NE(chain.find(settings), std::string::npos);
  auto at_tolerance = [&](const std::string& tolerance) {
    std::string input = chain;
    return input.replace(input.find(settings), settings.size(), "0.9  20  " + tolerance + "  0.0  50000  7");
  };
  scratch_folder folder;
  ASSERT_EQ(solve(folder, at_tolerance("1e-08")), 1);
  const auto r = check(folder);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "./input.txt: the structure has a stable equilibrium under its loads (")) << r.err;
  EXPECT_TRUE(has(r.err, "the gradient tolerance is too small to be reached: kalvane's minimiser, run again here, gets "
                         "no lower than a largest gradient component of "))
      << r.err;
  EXPECT_TRUE(has(r.err, "; a gradient tolerance of 1e-7 can be reached")) << r.err;
  EXPECT_FALSE(has(r.err, "mechanism")) << r.err;
  EXPECT_FALSE(has(r.out, "Line Search Failure")) << r.out;

  scratch_folder reachable;
  ASSERT_EQ(solve(reachable, at_tolerance("1e-07")), 0);
  const auto certified = check(reachable);
  EXPECT_EQ(certified.status, 0) << certified.out;
}

// A vertical bar carried up by its support's settlement, stress-free, then shortened by its
// load: the path reaches full load through the rigid motion, and kalvane's answer is
// certified. The report's Stopping line counts the minimiser's iterations against its limit.
TEST(CheckApp, KalvanesAnswerAfterARigidSettlementIsCertified) {
  scratch_folder folder;
  ASSERT_EQ(solve(folder, input_text("Settled bar", "0.9 20 0.001 0.0 1000 5", "1 10.0",
                                     "2\nnode x y z\n1 0 0 0\n2 0 0 1\n", "1\nbar n1 n2 area\n1 1 2 0.01\n",
                                     "5\nnode c v\n1 1 0.0059\n1 2 -0.00498\n1 3 0.00253\n2 1 0.0059\n2 2 -0.00498\n",
                                     "1\nnode c v\n2 3 -0.01\n")),
            0);
  const auto f = check_in_process(folder);
  EXPECT_EQ(f.status, 0) << f.verdict;
  EXPECT_TRUE(reached_full_load(f.path));
  const double lambda = root([](double l) { return 0.01 * 10.0 * (l - 1 / (l * l)) + 0.01; }, 0.5, 1.0);
  ASSERT_EQ(f.path.x.size(), 1u);
  EXPECT_NEAR(f.path.x[0], 0.00253 + lambda - 1.0, 1e-15);
  EXPECT_EQ(f.writer, kalvane::check::report_writer::minimiser);
  const std::string text = kalvane::check::text_of(f);
  EXPECT_TRUE(has(text, "2. Stopping: " + std::to_string(f.iterations) + " iteration")) << text;
  EXPECT_TRUE(has(text, " of at most 1000: stopped by the gradient test\n")) << text;
  EXPECT_TRUE(has(text, "5. Loading path: full load reached")) << text;
}

// The single bar's report (tolerance 1e-3) beside the same bar at a tolerance of 1e-2: its
// allowable gradient is not this input's, and with no path.csv beside it the report is no
// kalvane-path's, whose frame gives the gradient it reached.
TEST(CheckApp, AReportOfAnotherToleranceIsNotTakenForKalvanePaths) {
  scratch_folder folder;
  const std::string input = kalvane_test::read_file(kalvane_test::source_path("examples/single_bar/input.txt"));
  ASSERT_EQ(solve(folder, input), 0);
  std::string looser = input;
  const std::size_t at = looser.find("0.001");
  ASSERT_NE(at, std::string::npos);
  looser.replace(at, 5, "0.01");
  kalvane_test::write_file(folder / "input.txt", looser);
  const auto written = std::filesystem::last_write_time(folder / "input.txt");
  std::filesystem::last_write_time(folder / "output.txt", written + std::chrono::seconds(1));
  const auto f = check_in_process(folder, false);
  EXPECT_EQ(f.writer, kalvane::check::report_writer::other);
  const std::string text = kalvane::check::text_of(f);
  EXPECT_TRUE(has(text, "2. Stopping: 1 iteration; the report's allowable gradient, 5.00e-05, is not " +
                        f.input_name + "'s, 5.00e-04, and no path.csv of kalvane-path's was written with it: the run of "
                        "another input")) << text;
  EXPECT_FALSE(has(text, "kalvane-path's loading path")) << text;
  EXPECT_TRUE(has(kalvane::check::json_of(f), "\"counted_by\": \"another input\""));

  // kalvane-path's report of the bar, copied without its path.csv, is still known for its:
  // the gradient its frame gives is at rounding level.
  scratch_folder copied;
  kalvane_test::program_run path;
  path.program = kalvane_test::path_exe();
  path.args = {"--dir", folder.path, "--out", folder / "path"};
  ASSERT_EQ(kalvane_test::run_program(path).status, 0);
  kalvane_test::write_file(copied / "input.txt", looser);
  kalvane_test::write_file(copied / "output.txt", kalvane_test::read_file(folder / "path/output.txt"));
  EXPECT_EQ(check_in_process(copied, false).writer, kalvane::check::report_writer::path);
}
