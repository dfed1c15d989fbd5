#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "check/freshness.hpp"
#include "check_fixture.hpp"
#include "error.hpp"
#include "structure/model_file.hpp"

namespace {

namespace fs = std::filesystem;
using kalvane_test::read_file;
using kalvane_test::scratch_folder;
using kalvane_test::source_path;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

kalvane_test::program_result view(const scratch_folder& folder) {
  kalvane_test::program_run run;
  run.program = kalvane_test::view_exe();
  run.args = {"--svg-only"};
  run.folder = folder.path;
  return kalvane_test::run_program(run);
}

// Sets the modification time of `path` to `seconds` after that of `reference`; no clock is read.
void touch_after(const std::string& path, const std::string& reference, int seconds) {
  fs::last_write_time(path, fs::last_write_time(reference) + std::chrono::seconds(seconds));
}

}  // namespace

// A report from another model: the counts differ, or the supports do. Both programs refuse
// it, naming the report's line.
TEST(CheckFreshness, AReportOfAnotherModelIsRefused) {
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, read_file(source_path("examples/three_node/input.txt"))), 0);
  kalvane_test::write_file(folder / "input.txt", read_file(source_path("examples/single_bar/input.txt")));
  touch_after(folder / "output.txt", folder / "input.txt", 5);
  const auto counts = check_test::check(folder);
  EXPECT_EQ(counts.status, 1);
  EXPECT_EQ(counts.err, "kalvane-check: ./output.txt:9: the displacement table lists 3 nodes, but ./input.txt has 2 (is "
                        "output.txt from an earlier run? run kalvane again)\n");
  EXPECT_TRUE(counts.out.empty());

  // The same structure with node 3 moved by a prescribed 0.01 in X instead of held.
  std::string moved = read_file(source_path("examples/three_node/input.txt"));
  const std::string held = "3     1          0.0";
  ASSERT_NE(moved.find(held), std::string::npos);
  moved.replace(moved.find(held), held.size(), "3     1          0.01");
  kalvane_test::write_file(folder / "input.txt", moved);
  touch_after(folder / "output.txt", folder / "input.txt", 5);
  const auto supports = check_test::check(folder);
  EXPECT_EQ(supports.status, 1);
  EXPECT_TRUE(has(supports.err, "./output.txt:14: node 3 moves 0 in X, but ./input.txt prescribes 0.01")) << supports.err;
  EXPECT_EQ(view(folder).status, 1);
}

// After a run that failed, output.txt is the last good run's, older than input.txt.
TEST(CheckFreshness, AnOlderReportIsRefusedByBothPrograms) {
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, read_file(source_path("examples/three_node/input.txt"))), 0);
  // The load changes; nothing in the tables could tell.
  std::string changed = read_file(folder / "input.txt");
  changed.replace(changed.find("-10.0"), 5, "-20.0");
  kalvane_test::write_file(folder / "input.txt", changed);
  touch_after(folder / "input.txt", folder / "output.txt", 1);
  const std::string stale =
      "./output.txt:1: written before ./input.txt was last changed, so it is not the result of this input (did the "
      "last run fail? run kalvane again)\n";
  const auto checked = check_test::check(folder);
  EXPECT_EQ(checked.status, 1);
  // The refusal comes first; what the input alone says about the structure follows it.
  EXPECT_EQ(checked.err.rfind("kalvane-check: " + stale, 0), 0u) << checked.err;
  EXPECT_NE(checked.err.find("./input.txt: the structure has a stable equilibrium"), std::string::npos) << checked.err;
  const auto drawn = view(folder);
  EXPECT_EQ(drawn.status, 1);
  EXPECT_EQ(drawn.err, "kalvane-view: " + stale);
  EXPECT_FALSE(kalvane_test::file_exists(folder / "kalvane.svg"));

  // The input as it was, written in the same instant as the report: the pair is fresh.
  kalvane_test::write_file(folder / "input.txt", read_file(source_path("examples/three_node/input.txt")));
  fs::last_write_time(folder / "output.txt", fs::last_write_time(folder / "input.txt"));
  EXPECT_EQ(view(folder).status, 0);
}

// A model file's report is kalvane-path's: an older one is told to be run again by that name.
TEST(CheckFreshness, AnOlderReportOfAModelFileNamesKalvanePath) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "output.txt", "report\n");
  kalvane_test::write_file(folder / "model.json", "{}\n");
  touch_after(folder / "model.json", folder / "output.txt", 1);
  try {
    kalvane::require_newer((folder / "model.json"), (folder / "output.txt"));
    ADD_FAILURE() << "an older report accepted";
  } catch (const kalvane::error& e) {
    EXPECT_TRUE(std::string(e.what()).ends_with("(did the last run fail? run kalvane-path again)")) << e.what();
  }
}

// kalvane-path's report of an input.txt, written with its path.csv, is told to be run again by
// that name too, whether the input changed after it or the tables do not fit it.
TEST(CheckFreshness, AnOlderReportOfKalvanePathsNamesKalvanePath) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", read_file(source_path("examples/three_node/input.txt")));
  kalvane_test::program_run path;
  path.program = kalvane_test::path_exe();
  path.folder = folder.path;
  ASSERT_EQ(kalvane_test::run_program(path).status, 0);
  const std::string input = folder / "path/input.txt";
  std::string changed = read_file(input);
  changed.replace(changed.find("-10.0"), 5, "-20.0");
  kalvane_test::write_file(input, changed);
  touch_after(input, folder / "path/output.txt", 1);
  const auto older = check_test::check(folder, {"--dir", "path"});
  EXPECT_EQ(older.status, 1);
  EXPECT_TRUE(has(older.err, "(did the last run fail? run kalvane-path again)")) << older.err;

  kalvane_test::write_file(input, read_file(source_path("examples/single_bar/input.txt")));
  fs::last_write_time(input, fs::last_write_time(folder / "path/output.txt"));
  const auto other = check_test::check(folder, {"--dir", "path"});
  EXPECT_EQ(other.status, 1);
  EXPECT_TRUE(has(other.err, "(is output.txt from an earlier run? run kalvane-path again)")) << other.err;
}

// kalvane-path's report of a state short of full load (a mechanism under its first loads,
// its prescribed displacement not yet applied) is no earlier run's: the check says what it
// is, and that there is nothing to check.
TEST(CheckFreshness, APathsReportShortOfFullLoadIsNamedForWhatItIs) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt",
                           check_test::input_text("Mechanism", "0.9 20 1E-3 0.0 1000 5", "1 10.0",
                                                  "3\nnode x y z\n1 0 0 0\n2 1 0 0\n3 5 5 5\n",
                                                  "1\nbar n1 n2 area\n1 1 2 0.01\n",
                                                  "7\nnode c v\n1 1 0.01\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n3 1 0\n3 2 0\n",
                                                  "2\nnode c v\n3 3 1.0\n2 1 -1.0\n"));
  kalvane_test::program_run path;
  path.program = kalvane_test::path_exe();
  path.args = {"--loading", "together"};
  path.folder = folder.path;
  ASSERT_EQ(kalvane_test::run_program(path).status, 2);
  const auto r = check_test::check(folder, {"--dir", "path", "--loading", "together"});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_TRUE(has(r.err, "kalvane-path wrote there the state it reached short of full load (load factor 0 of stage 1, "
                         "path.csv)"))
      << r.err;
  EXPECT_FALSE(has(r.err, "earlier run")) << r.err;
}

// A cable of 8 segments between supports 8 apart, a load of 1 down at each inner node,
// hung by kalvane-form under its loads with density 2 (sags 1.75, 3, 3.75, 4).
void hanging_cable(const scratch_folder& folder) {
  std::string nodes, bars, held = "{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 9, \"x\": 0, \"y\": 0, \"z\": 0}",
                          loads;
  for (int i = 0; i <= 8; ++i) nodes += std::string(i ? ", " : "") + "[" + std::to_string(i) + ", 0, 0]";
  for (int i = 1; i <= 8; ++i)
    bars += std::string(i > 1 ? ", " : "") + "{\"nodes\": [" + std::to_string(i) + ", " + std::to_string(i + 1) +
            "], \"area\": 0.0001, \"behaviour\": \"cable\"}";
  for (int i = 2; i <= 8; ++i) {
    held += ", {\"node\": " + std::to_string(i) + ", \"y\": 0}";
    loads += std::string(i > 2 ? ", " : "") + "{\"node\": " + std::to_string(i) + ", \"z\": -1}";
  }
  kalvane_test::write_file(folder / "model.json",
                           "{\"format\": \"kalvane-model\", \"version\": 1, \"title\": \"hanging cable\", "
                           "\"materials\": [{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 2.1e8}], "
                           "\"nodes\": [" + nodes + "], \"bars\": [" + bars + "], \"prescribed\": [" + held +
                               "], \"loads\": [" + loads + "], \"form\": {\"density\": 2, \"loaded\": true}}\n");
}

// The hanging cable found by kalvane-form in `folder`, then followed by kalvane-path in its
// form/ folder with `path_args`: kalvane-path's status (-1 when the form was not found).
int hanging_cable_found_and_followed(const scratch_folder& folder, std::vector<std::string> path_args) {
  hanging_cable(folder);
  kalvane_test::program_run step;
  step.program = kalvane_test::form_exe();
  step.folder = folder.path;
  if (kalvane_test::run_program(step).status != 0) return -1;
  step.program = kalvane_test::path_exe();
  step.args = {"--dir", "form"};
  step.args.insert(step.args.end(), path_args.begin(), path_args.end());
  return kalvane_test::run_program(step).status;
}

// A cable hung under its loads by kalvane-form, raised together with them by kalvane-path,
// stays in the shape found: its path moves by rounding only (1e-15 on a span of 8). The
// report is the full load's, neither captioned short of full load nor spared the check of
// its Objective, which a point at load factor 0.03125 would carry no part of.
TEST(CheckFreshness, APathThatMovesByRoundingOnlyEndsAtFullLoad) {
  scratch_folder folder;
  ASSERT_EQ(hanging_cable_found_and_followed(folder, {"--loading", "together"}), 0);
  kalvane_test::program_run step;
  step.folder = folder.path;
  const std::string report = folder / "form/path/output.txt";
  const kalvane::view::report r = kalvane::view::read_report_file(report);
  EXPECT_EQ(kalvane::short_of_full_load(kalvane::read_structure(folder / "form/path/model.json").base, r, report), "");
  step.program = kalvane_test::view_exe();
  step.args = {"--dir", "form/path", "--svg-only"};
  ASSERT_EQ(kalvane_test::run_program(step).status, 0);
  EXPECT_FALSE(has(read_file(folder / "form/path/kalvane.svg"), "short of full load"));
  // An Objective changed after the run is found out, as at any full load.
  std::string text = read_file(report);
  const std::size_t objective = text.find("Objective");
  ASSERT_NE(objective, std::string::npos);
  const std::size_t digit = text.find_first_of("123456789", text.find('|', objective) + 1);
  text[digit] = text[digit] == '9' ? '1' : static_cast<char>(text[digit] + 1);
  kalvane_test::write_file(report, text);
  for (const char* later : {"path.csv", "path.states", "bars.csv"})
    touch_after(folder / ("form/path/" + std::string(later)), report, 1);
  const auto checked = check_test::check(folder, {"--dir", "form/path", "--loading", "together"});
  EXPECT_EQ(checked.status, 2) << checked.out;
  EXPECT_TRUE(has(checked.out, "the Objective of")) << checked.out;
}

// The same cable followed by staged loading: its prestress stage cannot start (a hanging
// cable has no shape under its prestress alone), and kalvane-path writes the unstressed
// state at load factor 0 of stage 1. That state happens to be in balance under the full
// loads at the drawn shape, so the check reaches its tables: the verdict must say whose
// state they hold, not only that a reaction is left out.
TEST(CheckFreshness, APrestressThatCannotStartIsNamedInTheVerdict) {
  scratch_folder folder;
  ASSERT_EQ(hanging_cable_found_and_followed(folder, {}), 2);
  const auto checked = check_test::check(folder, {"--dir", "form/path"});
  EXPECT_EQ(checked.status, 2) << checked.out;
  EXPECT_TRUE(has(checked.out, "kalvane-path wrote there the state it reached short of full load (load factor 0 "
                               "of stage 1, path.csv)"))
      << checked.out;
}
