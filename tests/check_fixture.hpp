#pragma once
// Small models for kalvane-check's tests, solved by the real kalvane in a scratch folder.
#include <cmath>
#include <string>

#include "support.hpp"

namespace check_test {

// input.txt text from its sections; `settings` is the settings line.
inline std::string input_text(const std::string& title, const std::string& settings, const std::string& material,
                              const std::string& nodes, const std::string& bars, const std::string& prescribed,
                              const std::string& loads) {
  return title + "\n: settings\n" + settings + "\n: material\n" + material + "\n: nodes\n" + nodes + ": bars\n" +
         bars + ": prescribed displacements\n" + prescribed + ": loads\n" + loads;
}

// A bar free to slide along itself, pushed along it: kalvane's run finds no equilibrium.
inline std::string sliding_bar() {
  return input_text("Sliding bar", "0.9 20 1E-6 0.0 1000 5", "1 10.0", "2\nnode x y z\n1 0 0 0\n2 1 0 0\n",
                    "1\nbar n1 n2 area\n1 1 2 0.01\n", "4\nnode c v\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n",
                    "1\nnode c v\n2 1 0.05\n");
}

// A bar held at one end and pulled at the other, as in examples/single_bar, beside a spare
// node that no bar reaches, loaded: that node is the mechanism.
inline std::string bar_and_loaded_spare_node() {
  return input_text("Bar and a loaded spare node", "0.9 20 1E-6 0.0 1000 5", "1 10.0",
                    "3\nnode x y z\n1 0 0 0\n2 1 0 0\n3 0.5 1 0\n", "1\nbar n1 n2 area\n1 1 2 0.01\n",
                    "5\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n", "2\nnode c v\n2 1 0.05\n3 2 1.0\n");
}

// A crown over a ring of six fixed nodes of radius 10 and height 0 (inch, lbf; E = 3e7 as
// Neo-Hooke c1 = 1e7, area 0.0155), the crown `rise` above the ring, loaded down by `load`.
inline std::string dome(double rise, double load) {
  std::string nodes = "7\nnode x y z\n1 0.0 0.0 " + std::to_string(rise) + "\n";
  for (int k = 0; k < 6; ++k) {
    const double a = k * M_PI / 3;
    char line[96];
    std::snprintf(line, sizeof line, "%d %.6f %.6f 0.0\n", k + 2, 10 * std::cos(a), 10 * std::sin(a));
    nodes += line;
  }
  std::string bars = "6\nbar n1 n2 area\n";
  for (int k = 0; k < 6; ++k) bars += std::to_string(k + 1) + " 1 " + std::to_string(k + 2) + " 0.0155\n";
  std::string fixed = "18\nnode c value\n";
  for (int k = 0; k < 6; ++k)
    for (int c = 1; c <= 3; ++c) fixed += std::to_string(k + 2) + " " + std::to_string(c) + " 0.0\n";
  char loads[64];
  std::snprintf(loads, sizeof loads, "1\nnode c value\n1 3 %.6g\n", -load);
  return input_text("Shallow dome", "0.9 20 1E-6 0.0 1000 5", "1 1.0E7", nodes, bars, fixed, loads);
}

// Writes input.txt into `folder` and runs kalvane there; its status.
inline int solve(const kalvane_test::scratch_folder& folder, const std::string& input) {
  kalvane_test::write_file(folder / "input.txt", input);
  kalvane_test::program_run run;
  run.program = kalvane_test::kalvane_exe();
  run.folder = folder.path;
  return kalvane_test::run_program(run).status;
}

inline kalvane_test::program_result check(const kalvane_test::scratch_folder& folder,
                                          std::vector<std::string> args = {}) {
  kalvane_test::program_run run;
  run.program = kalvane_test::check_exe();
  run.args = std::move(args);
  run.folder = folder.path;
  return kalvane_test::run_program(run);
}

}  // namespace check_test
