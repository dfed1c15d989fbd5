// kalvane's command line: no arguments is a run; --help and --version print and touch
// nothing; anything else is refused with the usage line and status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.hpp"

using namespace kalvane_test;

namespace {

// A folder holding an input and stale outputs, so that a touched file shows.
struct model_folder {
  scratch_folder folder;
  model_folder() {
    write_file(folder / "input.txt", read_file(source_path("examples/single_bar/input.txt")));
    for (const char* name : {"output.txt", "autocad.scr", "abaqusfile.inp"}) write_file(folder / name, "earlier\n");
  }
  void expect_untouched() const {
    for (const char* name : {"output.txt", "autocad.scr", "abaqusfile.inp"})
      EXPECT_EQ(read_file(folder / name), "earlier\n") << name;
  }
  program_result run(const std::vector<std::string>& args) const {
    program_run r;
    r.program = kalvane_exe();
    r.args = args;
    r.folder = folder.path;
    return run_program(r);
  }
};

}  // namespace

TEST(KalvaneCommandLine, HelpAndVersionPrintAndTouchNoFile) {
  model_folder m;
  const program_result help = m.run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: kalvane", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("input.txt"), std::string::npos);
  EXPECT_EQ(help.err, "");
  const program_result version = m.run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kalvane ", 0), 0u) << version.out;
  m.expect_untouched();
}

TEST(KalvaneCommandLine, OtherArgumentsAreRefusedWithTheUsageLine) {
  model_folder m;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"-h"}, {"input.txt"}, {"--help", "--version"}, {"--verbose"}, {""}}) {
    const program_result r = m.run(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: kalvane"), std::string::npos) << r.err;
  }
  m.expect_untouched();
}

TEST(KalvaneCommandLine, NoArgumentsIsARun) {
  model_folder m;
  const program_result r = m.run({});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(m.folder / "output.txt"),
            read_file(source_path("examples/single_bar/expected/output.txt")));
}
