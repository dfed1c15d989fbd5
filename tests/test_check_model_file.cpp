// kalvane-check on a model file: kalvane-path's result on two materials, prestress by force
// and self-weight is certified with the structure's own laws to every printed digit; a model
// file changed after its report, or of another structure, is refused; a folder holding both
// a model file and an input.txt of another structure says which it certified; --lint on a
// model file lists its reader's errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "check/app.hpp"
#include "check_fixture.hpp"
#include "error.hpp"
#include "newton_models.hpp"
#include "structure/model_file.hpp"
#include "support.hpp"

namespace {

using kalvane_test::program_result;
using kalvane_test::read_file;
using kalvane_test::scratch_folder;
using kalvane_test::write_file;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Runs kalvane-path on the folder's model; its results go to folder/path.
program_result run_path(const scratch_folder& folder) {
  kalvane_test::program_run run;
  run.program = kalvane_test::path_exe();
  run.args = {"--dir", folder.path};
  run.folder = folder.path;
  return kalvane_test::run_program(run);
}

std::string two_materials() { return read_file(kalvane_test::source_path("examples/two_materials/model.json")); }

kalvane::check::findings check_in_process(const std::string& dir, const std::string& model = "") {
  kalvane::check::options o;
  o.dir = dir;
  o.model = model;
  return kalvane::check::run_check(o);
}

// The error kalvane-check raises, or "" when it raises none.
std::string refusal(const std::string& dir) {
  try {
    check_in_process(dir);
  } catch (const kalvane::error& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(CheckModelFile, ThePathsResultOnTwoMaterialsIsCertifiedToEveryDigit) {
  scratch_folder folder;
  write_file(folder / "model.json", two_materials());
  const program_result path = run_path(folder);
  ASSERT_EQ(path.status, 0) << path.out << path.err;
  const kalvane::check::findings f = check_in_process(folder / "path");
  EXPECT_TRUE(f.model_file);
  EXPECT_EQ(f.writer, kalvane::check::report_writer::path);
  EXPECT_FALSE(f.at_iteration_limit);
  EXPECT_TRUE(f.residual.within()) << f.residual.largest;
  EXPECT_EQ(f.refinement.displacements.digits, 7) << f.refinement.displacements.worst;
  EXPECT_EQ(f.refinement.reactions.digits, 7) << f.refinement.reactions.worst;
  EXPECT_EQ(f.refinement.stresses.digits, 7) << f.refinement.stresses.worst;
  EXPECT_TRUE(f.stability.minimum());
  EXPECT_TRUE(f.path_followed && reached_full_load(f.path));
  EXPECT_FALSE(f.comparison.differs);
  EXPECT_EQ(f.status, 0) << f.verdict;
  EXPECT_TRUE(f.other_input.empty()) << f.other_input;

  // The program says which file it read on its first line; --model names it elsewhere.
  const program_result shown = check_test::check(folder, {"--dir", folder / "path", "--no-path"});
  EXPECT_EQ(shown.status, 0) << shown.out << shown.err;
  EXPECT_EQ(shown.out.rfind(folder / "path/model.json and ", 0), 0u) << shown.out;
  const program_result named = check_test::check(folder, {"--dir", folder / "path", "--model", folder / "model.json", "--no-path"});
  EXPECT_EQ(named.status, 0) << named.out << named.err;
  EXPECT_EQ(named.out.rfind(folder / "model.json and ", 0), 0u) << named.out;
}

TEST(CheckModelFile, AStaleOrMismatchedModelFileIsRefused) {
  scratch_folder folder;
  write_file(folder / "model.json", two_materials());
  ASSERT_EQ(run_path(folder).status, 0);
  const std::string run = folder / "path";
  namespace fs = std::filesystem;

  // Changed after the report was written: not the result of this model.
  fs::last_write_time(run + "/model.json", fs::last_write_time(run + "/output.txt") + std::chrono::seconds(5));
  EXPECT_TRUE(has(refusal(run), "written before")) << refusal(run);

  // Another structure with one bar fewer, written after the report.
  std::string text = two_materials();
  const std::string last_bar = "    {\"nodes\": [12, 16], \"area\": 0.0002, \"material\": \"steel\", \"behaviour\": \"cable\", \"prestress\": 10.0}\n";
  const std::size_t at = text.find(last_bar);
  ASSERT_NE(at, std::string::npos);
  text.erase(at, last_bar.size());
  text.erase(text.rfind(',', at), 1);  // the comma after the bar before
  write_file(run + "/model.json", text);
  fs::last_write_time(run + "/output.txt", fs::last_write_time(run + "/model.json") + std::chrono::seconds(5));
  const std::string mismatch = refusal(run);
  EXPECT_TRUE(has(mismatch, "bar")) << mismatch;
  EXPECT_FALSE(mismatch.empty());
}

TEST(CheckModelFile, AFolderWithBothFilesSaysWhichItCertified) {
  scratch_folder folder;
  write_file(folder / "model.json", two_materials());
  ASSERT_EQ(run_path(folder).status, 0);
  const std::string run = folder / "path";
  // An input.txt of a single bar beside the model file: another structure.
  write_file(run + "/input.txt", check_test::input_text("Bar", "0.9 20 1E-6 0.0 1000 5", "1 10.0",
                                                        "2\nnode x y z\n1 0 0 0\n2 1 0 0\n",
                                                        "1\nbar n1 n2 area\n1 1 2 0.01\n",
                                                        "3\nnode c v\n1 1 0\n1 2 0\n1 3 0\n", "0\nnode c v\n"));
  const kalvane::check::findings f = check_in_process(run);
  EXPECT_TRUE(f.model_file);
  EXPECT_EQ(f.status, 0) << f.verdict;
  EXPECT_TRUE(has(kalvane::check::text_of(f),
                  "certified model.json; input.txt in the same folder describes another structure (2 nodes and 1 "
                  "bars against 16 and 24) and was not read"))
      << kalvane::check::text_of(f);
}

TEST(CheckModelFile, LintOnAModelFileListsItsReadersErrors) {
  scratch_folder folder;
  write_file(folder / "model.json", two_materials());
  const program_result clean = check_test::check(folder, {"--lint"});
  EXPECT_EQ(clean.status, 0) << clean.out << clean.err;
  EXPECT_TRUE(has(clean.out, "model.json: 16 nodes, 24 bars")) << clean.out;
  EXPECT_TRUE(has(clean.out, "no warnings")) << clean.out;

  // A misspelt key is no silent slip: the reader's error is the lint's finding.
  std::string text = two_materials();
  text.replace(text.find("\"gravity\""), 9, "\"gravitty\"");
  write_file(folder / "model.json", text);
  const program_result slip = check_test::check(folder, {"--lint"});
  EXPECT_EQ(slip.status, 1) << slip.out;
  EXPECT_TRUE(has(slip.out, "gravitty")) << slip.out;
  EXPECT_TRUE(has(slip.out, "does not read")) << slip.out;

  // A negative area is refused, naming the bar.
  text = two_materials();
  text.replace(text.find("\"area\": 0.001"), 13, "\"area\": -0.001");
  write_file(folder / "model.json", text);
  const program_result negative = check_test::check(folder, {"--lint"});
  EXPECT_EQ(negative.status, 1) << negative.out;
  EXPECT_TRUE(has(negative.out, "bar 16")) << negative.out;
}

namespace {

// The 7 x 7 saddle net of steel cables, its edges pulled out, loaded by 8 kN per node on
// the half of its area where X < 0: the hogging cables there give out. As `cables`, or with
// every member a bar that pushes as readily as it pulls.
kalvane::structure half_loaded_saddle(const scratch_folder& folder, kalvane::bar_behaviour behaviour) {
  namespace nm = newton_models;
  nm::structure input = nm::saddle_net(7, 7, 1000.0, 500.0, 0.00375, -8000.0);
  std::vector<nm::value_line> half;
  for (const nm::value_line& l : input.loads)
    if (input.nodes[static_cast<std::size_t>(l.node - 1)].x < 0.0) half.push_back(l);
  input.loads = half;
  kalvane::structure s = nm::structured(nm::prepared(folder, input));
  s.materials[0].law = kalvane::axial_law::linear_elastic;
  s.materials[0].E = 160000.0;
  s.materials[0].name = "strand";
  for (kalvane::member& m : s.members) m.behaviour = behaviour;
  return s;
}

}  // namespace

// The path lets the pushed cables go slack: none carries compression, each slack one is
// named with the load factor where it gave out, and the result is certified. The same net
// solved as bars pushes those cables, and that result is no answer for a net of cables.
TEST(CheckModelFile, ASaddleNetWhoseCablesGoSlackIsCertifiedAndItsBarAnswerIsNot) {
  scratch_folder folder;
  kalvane::write_model_file(half_loaded_saddle(folder, kalvane::bar_behaviour::cable), folder / "model.json");
  const program_result path = run_path(folder);
  ASSERT_EQ(path.status, 0) << path.out << path.err;
  EXPECT_TRUE(has(path.out, " went slack at load factor ")) << path.out;
  const std::vector<std::string> bars = kalvane_test::lines_of(read_file(folder / "path/bars.csv"));
  int slack = 0;
  for (std::size_t i = 1; i < bars.size(); ++i) {
    const bool is_slack = has(bars[i], ",slack");
    slack += is_slack ? 1 : 0;
    const std::string bar = bars[i].substr(0, bars[i].find(','));
    if (is_slack) {
      EXPECT_TRUE(has(path.out, "Cable " + bar + " went slack")) << bar << "\n" << path.out;
    }
  }
  EXPECT_GT(slack, 0);
  EXPECT_TRUE(has(path.out, "  cables: " + std::to_string(slack) + " of 60 cables slack: ")) << path.out;
  // Each slack cable's event is a row of path.csv with its number.
  const std::string curve = read_file(folder / "path/path.csv");
  EXPECT_TRUE(has(curve, ",slack,")) << curve;
  const kalvane::check::findings f = check_in_process(folder / "path");
  EXPECT_TRUE(f.cables.pushed.empty());
  EXPECT_EQ(f.status, 0) << f.verdict;

  // As bars the hogging cables push; their result, given as a cable model's, is refused.
  scratch_folder bars_folder;
  kalvane::write_model_file(half_loaded_saddle(bars_folder, kalvane::bar_behaviour::bar), bars_folder / "model.json");
  ASSERT_EQ(run_path(bars_folder).status, 0);
  const std::string swapped = bars_folder / "path/model.json";
  const auto written = std::filesystem::last_write_time(swapped);
  kalvane_test::write_file(swapped, read_file(folder / "model.json"));
  std::filesystem::last_write_time(swapped, written);  // as if the report were this model's
  kalvane::check::options o;
  o.dir = bars_folder / "path";
  const kalvane::check::findings refused = kalvane::check::run_check(o);
  EXPECT_FALSE(refused.cables.pushed.empty());
  EXPECT_NE(refused.status, 0);
  EXPECT_TRUE(has(refused.verdict, "not certified")) << refused.verdict;
}

// kalvane-path's files of a mechanism hold the unloaded shape; the cause is a loaded node that
// nothing holds, which the check names, not the unloaded shape's softest motion (two cables in
// line, before their prestress, free across themselves) nor a snap-through at load factor 0.
TEST(CheckModelFile, AMechanismUnderItsFirstLoadsNamesTheLoadedNodeNothingHolds) {
  {
    scratch_folder folder;
    write_file(folder / "model.json",
               R"({"format": "kalvane-model", "version": 1,
 "settings": {"tolerance": 1e-8, "max_iterations": 5000},
 "materials": [{"name": "steel", "law": "linear-elastic", "E": 2e8}],
 "nodes": [[0, 0, 0], [1, 0, 0], [2, 0, 0], [1, 1, 0]],
 "bars": [{"nodes": [1, 2], "area": 1e-4, "behaviour": "cable", "prestress": 10.0},
          {"nodes": [2, 3], "area": 1e-4, "behaviour": "cable", "prestress": 10.0}],
 "prescribed": [{"node": 1, "x": 0, "y": 0, "z": 0}, {"node": 3, "x": 0, "y": 0, "z": 0}],
 "loads": [{"node": 2, "z": -1.0}, {"node": 4, "y": 1.0}]}
)");
    const program_result path = run_path(folder);
    ASSERT_EQ(path.status, 2) << path.out << path.err;
    const kalvane::check::findings f = check_in_process(folder / "path");
    EXPECT_EQ(f.status, 2) << f.verdict;
    EXPECT_TRUE(has(f.verdict, "the structure is a mechanism under its loads (node 4 is on no bar and carries a load)"))
        << f.verdict;
    EXPECT_FALSE(has(f.verdict, "node 2")) << f.verdict;
    EXPECT_TRUE(has(kalvane::check::json_of(f), "\"unheld\": \"node 4 is on no bar and carries a load\""));
  }
  {
    scratch_folder folder;
    write_file(folder / "input.txt", check_test::bar_and_loaded_spare_node());
    ASSERT_EQ(run_path(folder).status, 2);
    const kalvane::check::findings f = check_in_process(folder / "path");
    const std::string text = kalvane::check::text_of(f);
    EXPECT_TRUE(has(text, "the path cannot start (0 steps, 0 halvings): the structure is a mechanism under its first "
                          "loads: node 3 is on no bar and carries a load")) << text;
    EXPECT_FALSE(has(text, "snaps through")) << text;
    EXPECT_TRUE(has(f.verdict, "(node 3 is on no bar and carries a load)")) << f.verdict;
  }
}

// A V of steel cables hung by its weight, then lifted at its joint by more than the weight:
// kalvane-path stops where the cables go slack and writes that state, short of full load.
// The check's verdict says whose state it is, and point 3 names no tolerance for it.
TEST(CheckModelFile, APathsStateShortOfFullLoadIsNamedNotBlamedOnTheTolerance) {
  scratch_folder folder;
  write_file(folder / "model.json",
             R"({"format": "kalvane-model", "version": 1,
 "settings": {"tolerance": 1e-8, "max_iterations": 5000},
 "materials": [{"name": "steel", "law": "linear-elastic", "E": 2e8, "weight": 78.5}],
 "nodes": [[0, 0, 1], [1, 0, 0], [2, 0, 1]],
 "bars": [{"nodes": [1, 2], "area": 1e-4, "behaviour": "cable"},
          {"nodes": [2, 3], "area": 1e-4, "behaviour": "cable"}],
 "prescribed": [{"node": 1, "x": 0, "y": 0, "z": 0}, {"node": 3, "x": 0, "y": 0, "z": 0}],
 "loads": [{"node": 2, "z": 0.05}]}
)");
  ASSERT_EQ(run_path(folder).status, 2);
  const kalvane::check::findings f = check_in_process(folder / "path");
  EXPECT_EQ(f.status, 2) << f.verdict;
  EXPECT_TRUE(has(f.verdict, "; kalvane-path wrote there the state it reached short of full load (load factor 0.22"))
      << f.verdict;
  const std::string text = kalvane::check::text_of(f);
  EXPECT_FALSE(has(text, "a gradient tolerance of about")) << text;

  // Its state at full load is certified as ever.
  scratch_folder full;
  write_file(full / "model.json", read_file(kalvane_test::source_path("examples/two_materials/model.json")));
  ASSERT_EQ(run_path(full).status, 0);
  EXPECT_TRUE(check_in_process(full / "path").short_of_full_load.empty());
}

// kalvane's run of an input.txt with the same structure's model file beside it (saved from
// it): the check reads the model file, and the report is still the minimiser's, stopped by
// its gradient test, not kalvane-path's Newton iterations.
TEST(CheckModelFile, KalvanesRunBesideTheSameStructuresModelFileIsTheMinimisers) {
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, read_file(kalvane_test::source_path("examples/single_bar/input.txt"))), 0);
  kalvane::write_model_file(kalvane::read_structure(folder / "input.txt"), folder / "model.json");
  std::filesystem::last_write_time(folder / "output.txt", std::filesystem::last_write_time(folder / "model.json"));
  const kalvane::check::findings f = check_in_process(folder.path);
  EXPECT_TRUE(f.model_file);
  EXPECT_TRUE(f.other_input.empty()) << f.other_input;
  EXPECT_EQ(f.writer, kalvane::check::report_writer::minimiser);
  EXPECT_TRUE(has(kalvane::check::text_of(f), "2. Stopping: 1 iteration of at most 1000: stopped by the gradient test"))
      << kalvane::check::text_of(f);
  EXPECT_EQ(f.status, 0) << f.verdict;
}
