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
