// kalvane-check's progress line: on a terminal, the point worked on and its figures, erased
// before the findings or the error; nothing at all with standard error redirected.
#include <gtest/gtest.h>

#include <string>

#include "check_fixture.hpp"

namespace {

using namespace kalvane_test;

// The line drawn from the first point on, so that a small model is enough.
program_result check_on_a_terminal(const scratch_folder& folder) { return run_on_a_terminal(check_exe(), folder.path); }

const std::string erase = "\r\033[K";

}  // namespace

TEST(CheckProgress, OnATerminalThePointsAreShownAndErasedBeforeTheFindings) {
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, read_file(source_path("examples/cable_net/input.txt"))), 0);
  const program_result r = check_on_a_terminal(folder);
  ASSERT_EQ(r.status, 0) << r.out;
  // "kalvane-check: 0.1 s, 1. residual": the time, then the point and its figures.
  for (const char* shown : {" s, 1. residual", " s, 3. refinement by Newton's method",
                            " s, 4. stability: factorising the stiffness", " s, 5. loading path: step 1 (stage "})
    EXPECT_NE(r.out.find(shown), std::string::npos) << shown << "\n" << r.out;
  EXPECT_EQ(r.out.rfind(erase + "kalvane-check: ", 0), 0u) << r.out;
  const std::size_t findings = r.out.find("./input.txt and ./output.txt: ");
  ASSERT_NE(findings, std::string::npos) << r.out;
  // The last thing before the findings clears the line, and nothing of it follows.
  EXPECT_EQ(r.out.rfind(erase, findings), findings - erase.size()) << r.out;
  EXPECT_EQ(r.out.find("kalvane-check: ", findings), std::string::npos) << r.out;
}

TEST(CheckProgress, AFailedRunsDiagnosisIsShownAndErasedBeforeTheError) {
  scratch_folder folder;
  EXPECT_EQ(check_test::solve(folder, check_test::sliding_bar()), 1);
  const program_result r = check_on_a_terminal(folder);
  EXPECT_EQ(r.status, 1);
  const std::size_t shown = r.out.find(" s, no report: minimising the energy from the unloaded shape");
  const std::size_t error = r.out.find("kalvane-check: cannot open ./output.txt");
  ASSERT_NE(shown, std::string::npos) << r.out;
  ASSERT_NE(error, std::string::npos) << r.out;
  EXPECT_EQ(r.out.rfind(erase, error), error - erase.size()) << r.out;
}

TEST(CheckProgress, WithStandardErrorRedirectedNothingIsShown) {
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, read_file(source_path("examples/cable_net/input.txt"))), 0);
  program_run run;
  run.program = check_exe();
  run.folder = folder.path;
  run.environment = {"KALVANE_PROGRESS_AFTER_MS=0"};
  const program_result r = run_program(run);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
}
