// The program as a user runs it: in a directory of its own, with no arguments.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct outcome {
  int status;
  std::string out, err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path scratch(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("kalvane_test_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

outcome run_in(const fs::path& dir) {
  std::string command = "cd '" + dir.string() + "' && '" KALVANE_EXE "' >stdout.log 2>stderr.log";
  int raw = std::system(command.c_str());
  outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "stdout.log"), slurp(dir / "stderr.log")};
  return o;
}

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

TEST(Kalvane, WithoutInputItReportsTheFileAndWritesNothing) {
  fs::path dir = scratch("missing");
  outcome o = run_in(dir);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "\nraised NAME_ERROR : input.txt: No such file or directory\n");
  for (const char* f : {"abaqusfile.inp", "autocad.scr", "output.txt"}) EXPECT_FALSE(fs::exists(dir / f)) << f;
  fs::remove_all(dir);
}

TEST(Kalvane, FailedLineSearchHaltsAfterWritingTheDeckOnly) {
  fs::path dir = scratch("halt");
  // Every component prescribed: no unknowns, so the line search cannot start.
  write(dir / "input.txt",
        ":\n0.9 20 0.001 0 100 5\n:\n1 10.0\n:\n2\nn\n1 0 0 0\n2 1 0 0\n:\n1\nb\n1 1 2 0.01\n"
        ":\n6\nh\n1 1 0\n1 2 0\n1 3 0\n2 1 0.1\n2 2 0\n2 3 0\n:\n0\n");
  write(dir / "autocad.scr", "earlier script\n");
  write(dir / "output.txt", "earlier report\n");
  outcome o = run_in(dir);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "Line Search Failure\n");
  EXPECT_EQ(o.err, "\nraised NLP.HALT : nlp:126 instantiated at kalvane:342\n");
  EXPECT_EQ(slurp(dir / "autocad.scr"), "earlier script\n");
  EXPECT_EQ(slurp(dir / "output.txt"), "earlier report\n");
  EXPECT_EQ(slurp(dir / "abaqusfile.inp").rfind("**\n** NODE COORDINATES\n*NODE\n    1,", 0), 0u);
  fs::remove_all(dir);
}

TEST(Kalvane, TheIterationLimitIsNotAnError) {
  fs::path dir = scratch("limit");
  std::string input = slurp(fs::path(KALVANE_SOURCE_DIR) / "examples/space_truss/input.txt");
  const std::string settings = "0.9  20  1E-8  0.0  2000  7";
  input.replace(input.find(settings), settings.size(), "0.9  20  1E-8  0.0  3  7");
  write(dir / "input.txt", input);
  outcome o = run_in(dir);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
  EXPECT_NE(slurp(dir / "output.txt").find("| Minor Iterations                            |             3 |\n"),
            std::string::npos);
  EXPECT_NE(slurp(dir / "autocad.scr").find("zoom ext ext\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "abaqusfile.inp"));
  fs::remove_all(dir);
}

TEST(Kalvane, BadInputLeavesEarlierOutputsUntouched) {
  fs::path dir = scratch("bad");
  write(dir / "input.txt", ":\n0.9 20 0.001 0 100 5\n:\n3 10.0\n");
  for (const char* f : {"abaqusfile.inp", "autocad.scr", "output.txt"}) write(dir / f, std::string("earlier ") + f);
  outcome o = run_in(dir);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err.rfind("\nraised DATA_ERROR : input.txt:4:1: material number 3", 0), 0u) << o.err;
  for (const char* f : {"abaqusfile.inp", "autocad.scr", "output.txt"})
    EXPECT_EQ(slurp(dir / f), std::string("earlier ") + f);
  fs::remove_all(dir);
}
