#pragma once
// Cross-checks a finished run in CalculiX: writes a deck of the same model in which every
// bar is an axial spring with the bar's own law, runs ccx on it when it is on the PATH, and
// compares its displacements, reactions and axial forces with the results report.
#include <string>
#include <vector>

#include "check/calculix_deck.hpp"
#include "structure/structure.hpp"
#include "view/report_reader.hpp"

namespace kalvane::check {

struct calculix_comparison {
  std::string deck_path;           // calculix/model.inp, always written
  bool ccx_found = false;          // ccx on the PATH
  bool ccx_ran = false;            // ran and left a readable .dat with a last increment
  bool agrees = false;             // every difference within the tolerance
  double displacement_difference = 0, reaction_difference = 0, force_difference = 0;  // relative to the largest value of each kind
  std::vector<std::string> lines;  // the short table and the how-to-run hint, ready to print
};

struct calculix_options {
  double relative_tolerance = 1e-3;
  std::string ccx = "ccx";  // the command; looked up on the PATH unless it names a path
  int seconds = 600;        // ccx is stopped after this long
  calculix_faults faults;   // none unless a test plants one
};

// s: the structure prepared (`start`, `prepare`) and at full load (newton::scale_model at 1:
// its loads hold the self-weight); r: its output.txt as read by view::read_report; folder:
// where calculix/ goes. A ccx that does not reach the end of its step leaves ccx_ran false
// and agrees false.
calculix_comparison calculix_crosscheck(const structure& s, const view::report& r, const std::string& folder,
                                        const calculix_options& options = {});
// kalvane's own model after kalvane::run(..., last = stage::start): one material, no rest
// lengths, no weight.
calculix_comparison calculix_crosscheck(const model& m, const view::report& r, const std::string& folder,
                                        double relative_tolerance = 1e-3);
calculix_comparison calculix_crosscheck(const model& m, const view::report& r, const std::string& folder,
                                        const calculix_options& options);

}  // namespace kalvane::check
