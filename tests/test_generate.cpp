// kalvane-generate as a command-line tool: help and version, refused command lines, and a
// generated file that kalvane's reader takes with the settings asked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/input.hpp"
#include "structures.hpp"
#include "support.hpp"

namespace {

using namespace kalvane_test;

const std::string usage_line =
    "usage: kalvane-generate net|tower BARS [--tolerance T] [--iterations K] [--memory M] [-o FILE]\n";

program_result generate(const std::vector<std::string>& args, const std::string& folder = "") {
  program_run run;
  run.program = KALVANE_GENERATE_EXE;
  run.args = args;
  run.folder = folder;
  return run_program(run);
}

}  // namespace

TEST(Generate, HelpNamesEveryOptionAndVersionPrintsOneLine) {
  const program_result help = generate({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind(usage_line, 0), 0u) << help.out;
  for (const char* option :
       {"net", "tower", "BARS", "--tolerance T", "--iterations K", "--memory M", "-o FILE", "--help", "--version"})
    EXPECT_NE(help.out.find(std::string("  ") + option), std::string::npos) << option;

  const program_result version = generate({"net", "10", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kalvane-generate 1.", 0), 0u) << version.out;
  EXPECT_EQ(version.out.find('\n'), version.out.size() - 1);
}

TEST(Generate, RefusesABadCommandLineWithOneLineAndTheUsageAndWritesNothing) {
  struct refused {
    std::vector<std::string> args;
    const char* why;  // in the first line
  };
  const refused cases[] = {
      {{}, "structure (net or tower) is missing"},
      {{"net"}, "number of bars is missing"},
      {{"--frobnicate", "net", "10"}, "unknown option '--frobnicate'"},
      {{"net", "10", "-x"}, "unknown option '-x'"},
      {{"cube", "10"}, "net or tower, not 'cube'"},
      {{"net", "ten"}, "not 'ten'"},
      {{"net", "0"}, "not '0'"},
      {{"net", "100000001"}, "not '100000001'"},
      {{"net", "10", "20"}, "unexpected argument '20'"},
      {{"net", "10", "--iterations"}, "--iterations needs a value"},
      {{"net", "10", "--iterations", "12x"}, "not '12x'"},
      {{"net", "10", "--iterations", "-1"}, "not '-1'"},
      {{"net", "10", "--iterations", "2147483648"}, "not '2147483648'"},
      {{"net", "10", "--memory", "0"}, "--memory takes an integer"},
      {{"net", "10", "--tolerance", "0"}, "--tolerance takes a number above 0 and below 1, not '0'"},
      {{"net", "10", "--tolerance", "1e-3x"}, "not '1e-3x'"},
      {{"net", "10", "--tolerance", "nan"}, "not 'nan'"},
      {{"net", "10", "--tolerance"}, "--tolerance needs a value"},
      {{"net", "10", "-o"}, "-o needs a value"},
  };
  for (const refused& c : cases) {
    scratch_folder folder;
    const program_result r = generate(c.args, folder.path);
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    const std::size_t first_end = r.err.find('\n');
    ASSERT_NE(first_end, std::string::npos) << shown;
    const std::string first = r.err.substr(0, first_end);
    EXPECT_EQ(first.rfind("kalvane-generate: ", 0), 0u) << first;
    EXPECT_NE(first.find(c.why), std::string::npos) << first << "\nwanted: " << c.why;
    EXPECT_EQ(r.err.substr(first_end + 1), usage_line) << shown;
    EXPECT_FALSE(file_exists(folder / "input.txt")) << shown;
  }
}

TEST(Generate, WritesAModelTheReaderTakesWithTheSettingsAskedFor) {
  scratch_folder folder;
  const program_result to_file = generate(
      {"tower", "60", "--memory", "3", "-o", "tower.txt", "--iterations", "7", "--tolerance", "2.5e-5"}, folder.path);
  ASSERT_EQ(to_file.status, 0) << to_file.err;
  const program_result to_stdout =
      generate({"tower", "60", "--tolerance", "2.5e-5", "--iterations", "7", "--memory", "3", "-o", "-"});
  ASSERT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_EQ(read_file(folder / "tower.txt"), to_stdout.out);

  kalvane::model m;
  kalvane::input_text(m, to_stdout.out, "tower.txt");
  EXPECT_EQ(m.max_iterations, 7);
  EXPECT_EQ(m.memory_size, 3);
  EXPECT_EQ(m.gradient_tolerance, 2.5e-5);
  EXPECT_GT(kalvane::bar_count(m), 0);
  // The counts line on standard error tells the bars actually built.
  EXPECT_NE(to_stdout.err.find(", " + std::to_string(kalvane::bar_count(m)) + " bars,"), std::string::npos)
      << to_stdout.err;
}

// Without settings asked for, they fit the structure: a tighter tolerance and a longer limit
// for a larger net, as --help says.
TEST(Generate, WritesSettingsThatFitTheSize) {
  auto settings = [](const std::vector<std::string>& args) {
    const program_result r = generate(args);
    EXPECT_EQ(r.status, 0) << r.err;
    kalvane::model m;
    kalvane::input_text(m, r.out, "input.txt");
    return std::make_pair(m.gradient_tolerance, m.max_iterations);
  };
  EXPECT_EQ(settings({"net", "200", "-o", "-"}), std::make_pair(1e-6, 1000));
  EXPECT_EQ(settings({"net", "20000", "-o", "-"}), std::make_pair(1e-6, 4000));
  EXPECT_EQ(settings({"tower", "2000", "-o", "-"}), std::make_pair(1e-4, 5000));
  EXPECT_EQ(settings({"tower", "100000", "-o", "-"}), std::make_pair(1e-5, 32000));
  EXPECT_EQ(structures::settings_for(structures::kind::net, 1000000).tolerance, 1e-7);
  EXPECT_EQ(structures::settings_for(structures::kind::net, 1000000).max_iterations, 24000);
}
