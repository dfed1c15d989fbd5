// The run path: the stages in order, a run stopped after any stage and taken up again,
// and the caps the benchmark and the fuzzers use.
#include "run.hpp"

#include <gtest/gtest.h>

#include <string>

#include "error.hpp"
#include "support.hpp"

using namespace kalvane_test;

namespace {

const std::string example = "cable_net";

std::string expected(const std::string& name) {
  return read_file(source_path("examples/" + example + "/expected/" + name));
}

kalvane::run_plan plan_in(const scratch_folder& folder) {
  write_file(folder / "input.txt", read_file(source_path("examples/" + example + "/input.txt")));
  kalvane::run_plan plan;
  plan.folder = folder.path;
  return plan;
}

}  // namespace

TEST(Run, StoppedAfterAStageAndTakenUpAgainGivesTheFilesOfAWholeRun) {
  scratch_folder folder;
  kalvane::run_plan plan = plan_in(folder);
  kalvane::model m;
  plan.last = kalvane::stage::deck;
  kalvane::run(m, plan);
  EXPECT_EQ(read_file(folder / "abaqusfile.inp"), expected("abaqusfile.inp"));
  EXPECT_FALSE(file_exists(folder / "autocad.scr"));
  EXPECT_FALSE(file_exists(folder / "output.txt"));

  plan.first = kalvane::stage::minimise;
  plan.last = kalvane::stage::report;
  const kalvane::run_stats stats = kalvane::run(m, plan);
  EXPECT_EQ(read_file(folder / "autocad.scr"), expected("autocad.scr"));
  EXPECT_EQ(read_file(folder / "output.txt"), expected("output.txt"));
  // One evaluation at the start, then at least two per line search.
  EXPECT_GE(stats.evaluations, 1 + 2LL * m.iteration_count);
}

TEST(Run, ARunWithoutItsFilesOnOneThreadWritesThemLaterAsAWholeRunDoes) {
  scratch_folder folder;
  kalvane::run_plan plan = plan_in(folder);
  plan.write_files = false;
  plan.threads = 1;
  kalvane::model m;
  kalvane::run(m, plan);
  EXPECT_FALSE(file_exists(folder / "abaqusfile.inp"));
  EXPECT_FALSE(file_exists(folder / "autocad.scr"));
  EXPECT_FALSE(file_exists(folder / "output.txt"));

  // The deck reads nothing the minimiser changes, so it can follow the solve.
  plan.write_files = true;
  plan.first = plan.last = kalvane::stage::deck;
  kalvane::run(m, plan);
  plan.first = kalvane::stage::script;
  plan.last = kalvane::stage::report;
  kalvane::run(m, plan);
  EXPECT_EQ(read_file(folder / "abaqusfile.inp"), expected("abaqusfile.inp"));
  EXPECT_EQ(read_file(folder / "autocad.scr"), expected("autocad.scr"));
  EXPECT_EQ(read_file(folder / "output.txt"), expected("output.txt"));
}

TEST(Run, TextInMemoryReadsAsTheFileDoes) {
  scratch_folder folder;
  kalvane::run_plan plan = plan_in(folder);
  plan.input_text = read_file(folder / "input.txt");
  write_file(folder / "input.txt", "not a model\n");
  kalvane::model m;
  kalvane::run(m, plan);
  EXPECT_EQ(read_file(folder / "output.txt"), expected("output.txt"));
}

TEST(Run, CapsShortenTheMinimisationAndLeaveTheSettingsAsRead) {
  scratch_folder folder;
  kalvane::run_plan plan = plan_in(folder);
  plan.iteration_cap = 3;
  plan.line_search_cap = 2;
  plan.memory_cap = 1;
  kalvane::model m;
  kalvane::run(m, plan);
  EXPECT_EQ(m.iteration_count, 3);
  kalvane::model as_read;
  plan.last = kalvane::stage::input;
  kalvane::run(as_read, plan);
  EXPECT_EQ(m.max_iterations, as_read.max_iterations);
  EXPECT_EQ(m.line_search_max_steps, as_read.line_search_max_steps);
  EXPECT_EQ(m.memory_size, as_read.memory_size);
  EXPECT_NE(read_file(folder / "output.txt"), expected("output.txt"));
}

TEST(Run, ASolutionThatIsNoNumberStopsBeforeTheScriptAndTheReport) {
  scratch_folder folder;
  kalvane::run_plan plan;
  plan.folder = folder.path;
  // A loaded node that no bar holds.
  plan.input_text = ":\n0.9 20 1E-6 0 50 5\n:\n1 10.0\n:\n2\nn\n1 0 0 0\n2 1 0 0\n:\n0\n:\n0\n:\n1\nl\n2 1 1.0\n";
  kalvane::model m;
  try {
    kalvane::run(m, plan);
    FAIL() << "no error";
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, "MODEL_ERROR");
  }
  EXPECT_TRUE(file_exists(folder / "abaqusfile.inp"));
  EXPECT_FALSE(file_exists(folder / "autocad.scr"));
  EXPECT_FALSE(file_exists(folder / "output.txt"));
}
