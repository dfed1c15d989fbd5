// The progress line: shown on a terminal only, erased at the end, never in a file.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

using namespace kalvane_test;

namespace {

const char* const outputs[] = {"output.txt", "autocad.scr", "abaqusfile.inp"};

void expect_example_outputs(const scratch_folder& folder, const std::string& example) {
  for (const char* name : outputs)
    EXPECT_EQ(read_file(folder / name), read_file(source_path("examples/" + example + "/expected/" + name))) << name;
}

// A delay of 0 draws the line at the first iteration, so the tests need no long run.
program_result kalvane_on_a_terminal(const scratch_folder& folder) { return run_on_a_terminal(kalvane_exe(), folder.path); }

}  // namespace

TEST(Progress, OnATerminalTheLineIsDrawnAndErasedAndLeavesTheFilesAlone) {
  scratch_folder folder;
  write_file(folder / "input.txt", read_file(source_path("examples/cable_net/input.txt")));
  const program_result r = kalvane_on_a_terminal(folder);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::size_t drawn = r.out.find("kalvane: iteration 1, largest gradient ");
  ASSERT_NE(drawn, std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(allowable 5.000e-08)", drawn), std::string::npos) << r.out;
  // The terminal's last bytes return to the line's start and clear it.
  const std::string erase = "\r\033[K";
  ASSERT_GE(r.out.size(), erase.size());
  EXPECT_EQ(r.out.substr(r.out.size() - erase.size()), erase);
  expect_example_outputs(folder, "cable_net");
}

TEST(Progress, WithoutATerminalNothingIsShown) {
  scratch_folder folder;
  write_file(folder / "input.txt", read_file(source_path("examples/cable_net/input.txt")));
  program_run run;
  run.program = kalvane_exe();
  run.folder = folder.path;
  run.environment = {"KALVANE_PROGRESS_AFTER_MS=0"};
  const program_result r = run_program(run);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  expect_example_outputs(folder, "cable_net");
}

TEST(Progress, AFailedRunErasesTheLineBeforeItsReport) {
  scratch_folder folder;
  // A loaded node that no bar holds: the minimiser runs until its values are no numbers.
  write_file(folder / "input.txt",
             ":\n0.9 20 1E-6 0 50 5\n:\n1 10.0\n:\n2\nn\n1 0 0 0\n2 1 0 0\n:\n0\n:\n0\n:\n1\nl\n2 1 1.0\n");
  const program_result r = kalvane_on_a_terminal(folder);
  EXPECT_NE(r.status, 0);
  const std::size_t report = r.out.find("raised ");
  ASSERT_NE(report, std::string::npos) << r.out;
  const std::size_t last_draw = r.out.rfind("kalvane: iteration");
  ASSERT_NE(last_draw, std::string::npos) << r.out;
  EXPECT_LT(r.out.find("\r\033[K", last_draw), report) << r.out;
  EXPECT_FALSE(file_exists(folder / "output.txt"));
}
