#include "support.hpp"

#include <gtest/gtest.h>

using namespace kalvane_test;

TEST(Support, RunsAProgramWithItsStreamsAndStatusAndCleansItsFolder) {
  std::string kept;
  {
    scratch_folder folder;
    kept = folder.path;
    write_file(folder / "a.txt", "hello");
    program_run run;
    run.program = "/bin/sh";
    run.args = {"-c", "cat a.txt; cat >&2; exit 3"};
    run.folder = folder.path;
    run.input = "from stdin";
    const program_result r = run_program(run);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "hello");
    EXPECT_EQ(r.err, "from stdin");
  }
  EXPECT_FALSE(file_exists(kept));
}
