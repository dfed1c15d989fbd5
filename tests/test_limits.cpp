// Limits that must hold whatever the input: every run ends, in time, with either a
// complete run or a report of the right form; never a crash, a hang or a sanitizer report.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "error.hpp"
#include "model/start.hpp"
#include "support.hpp"

namespace {

using namespace kalvane_test;
namespace fs = std::filesystem;

// The run either completes silently or ends with the one-line report.
void expect_clean_end(const program_result& r, const std::string& what) {
  ASSERT_NE(r.status, 124) << what << ": the run did not end within its time limit";
  ASSERT_TRUE(r.status == 0 || r.status == 1) << what << ": exit status " << r.status << "\n" << r.err;
  if (r.status == 0) {
    EXPECT_EQ(r.err, "") << what;
  } else {
    std::string name, message;
    EXPECT_TRUE(parse_error_report(r.err, name, message)) << what << ": standard error [" << r.err << "]";
  }
}

// Inputs that once made a fuzz target fail, and hand-made ones at the edges of the
// format, each run through the whole program.
TEST(Limits, FuzzRegressionInputsEndCleanly) {
  const fs::path folder = source_path("tests/fuzz_regressions");
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".txt") continue;
    ++count;
    scratch_folder dir;
    fs::copy_file(entry.path(), dir / "input.txt");
    expect_clean_end(run_kalvane(dir.path), entry.path().filename().string());
  }
  EXPECT_GT(count, 0) << "no regression inputs under " << folder;
}

// A free node carries a load but no bar holds it: the potential falls without bound along
// the first direction, so the line search's doubling runs until the values stop being
// ordinary numbers. It must end there, and the run with it, reporting that there is no
// equilibrium instead of writing results that are not numbers.
TEST(Limits, MechanismUnderLoadEndsWithAReport) {
  scratch_folder dir;
  fs::copy_file(source_path("fuzz/seeds/mechanism_under_load.txt"), dir / "input.txt");
  write_file(dir / "output.txt", "earlier report\n");
  const program_result r = run_kalvane(dir.path);
  expect_clean_end(r, "mechanism under load");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  std::string name, message;
  ASSERT_TRUE(parse_error_report(r.err, name, message));
  EXPECT_EQ(name, "MODEL_ERROR");
  EXPECT_NE(message.find("no equilibrium"), std::string::npos) << message;
  EXPECT_TRUE(file_exists(dir / "abaqusfile.inp"));
  EXPECT_FALSE(file_exists(dir / "autocad.scr"));
  EXPECT_EQ(read_file(dir / "output.txt"), "earlier report\n");
}

// A file large enough to hold 715_827_883 nodes is out of a test's reach, so the model is
// made by hand: the count of components overflows 32 bits and is reported before anything
// is allocated or touched. A negative count's triple below the range once wrapped round to
// millions of unknowns.
TEST(Limits, ComponentCountBeyond32BitsIsReported) {
  for (int32_t nodes : {715827883, 2147483647, -715827883, -1431655000}) {
    kalvane::model m;
    m.node_count = nodes;
    try {
      kalvane::start(m);
      ADD_FAILURE() << "no report for " << nodes << " nodes";
    } catch (const kalvane::error& e) {
      EXPECT_EQ(e.name, kalvane::overflow_error);
      EXPECT_NE(std::string(e.what()).find("input.txt: 3 x node count " + std::to_string(nodes)), std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
