// The program as a user runs it: in a directory of its own, with no arguments.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

using namespace kalvane_test;

TEST(Kalvane, WithoutInputItReportsTheFileAndWritesNothing) {
  scratch_folder dir;
  const program_result o = run_kalvane(dir.path);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "\nraised NAME_ERROR : input.txt: No such file or directory\n");
  for (const char* f : {"abaqusfile.inp", "autocad.scr", "output.txt"}) EXPECT_FALSE(file_exists(dir / f)) << f;
}

TEST(Kalvane, FailedLineSearchHaltsAfterWritingTheDeckOnly) {
  scratch_folder dir;
  // Every component prescribed: no unknowns, so the line search cannot start.
  write_file(dir / "input.txt",
             ":\n0.9 20 0.001 0 100 5\n:\n1 10.0\n:\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 2 0.01\n"
             ":\n6\nh\n1 1 0\n1 2 0\n1 3 0\n2 1 0.1\n2 2 0\n2 3 0\n:\n0\n");
  write_file(dir / "autocad.scr", "earlier script\n");
  write_file(dir / "output.txt", "earlier report\n");
  const program_result o = run_kalvane(dir.path);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "Line Search Failure\n");
  EXPECT_EQ(o.err, "\nraised NLP.HALT : nlp:126 instantiated at kalvane:342\n");
  EXPECT_EQ(read_file(dir / "autocad.scr"), "earlier script\n");
  EXPECT_EQ(read_file(dir / "output.txt"), "earlier report\n");
  EXPECT_EQ(read_file(dir / "abaqusfile.inp").rfind("**\n** NODE COORDINATES\n*NODE\n    1,", 0), 0u);
}

TEST(Kalvane, TheIterationLimitIsNotAnError) {
  scratch_folder dir;
  std::string input = read_file(source_path("examples/space_truss/input.txt"));
  const std::string settings = "0.9  20  1E-8  0.0  2000  7";
  ASSERT_NE(input.find(settings), std::string::npos);
  input.replace(input.find(settings), settings.size(), "0.9  20  1E-8  0.0  3  7");
  write_file(dir / "input.txt", input);
  const program_result o = run_kalvane(dir.path);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
  EXPECT_NE(read_file(dir / "output.txt").find("| Minor Iterations                            |             3 |\n"),
            std::string::npos);
  EXPECT_NE(read_file(dir / "autocad.scr").find("zoom ext ext\n"), std::string::npos);
  EXPECT_TRUE(file_exists(dir / "abaqusfile.inp"));
}

TEST(Kalvane, BadInputLeavesEarlierOutputsUntouched) {
  scratch_folder dir;
  write_file(dir / "input.txt", ":\n0.9 20 0.001 0 100 5\n:\n3 10.0\n");
  for (const char* f : {"abaqusfile.inp", "autocad.scr", "output.txt"}) write_file(dir / f, std::string("earlier ") + f);
  const program_result o = run_kalvane(dir.path);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err.rfind("\nraised DATA_ERROR : input.txt:4:1: material number 3", 0), 0u) << o.err;
  for (const char* f : {"abaqusfile.inp", "autocad.scr", "output.txt"})
    EXPECT_EQ(read_file(dir / f), std::string("earlier ") + f);
}
