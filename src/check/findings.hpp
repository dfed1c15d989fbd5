#pragma once
// Everything one check found, in the order the report gives it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "newton/factor.hpp"
#include "check/lint.hpp"
#include "newton/path.hpp"
#include "check/residual.hpp"

namespace kalvane::check {

// A figure of the check's own text: three significant digits are all a reader needs.
std::string sci(double value);
// A load factor of the path, to four decimals.
std::string load_factor_text(double value);

// The cross-check against an independent finite-element solve, when the build has one.
enum class crosscheck { not_run, agree, disagree };

struct digits_finding {
  int digits = 7;      // the fewest right digits of any entry of the table
  std::string worst;   // where they are, e.g. "node 4 Z" or "bar 12"
  long entries = 0;
};

struct refinement_finding {
  int steps = 0;
  bool converged = false;
  double gradient = 0.0;   // largest component at the refined point
  double rounding = 0.0;   // largest rounding level there
  digits_finding displacements, reactions, stresses;
};

struct path_comparison {
  bool differs = false;
  component_name worst;  // node (component unused) that moved most between the two
  std::array<double, 3> run{}, path{};
};

// What --calculix found: the comparison's largest relative differences and its lines.
struct calculix_finding {
  std::string deck_path;
  bool ccx_found = false, ccx_ran = false;
  double tolerance = 1e-3;
  double displacement = 0.0, reaction = 0.0, force = 0.0;
  std::vector<std::string> lines;
};

struct findings {
  std::string input_name, report_name;
  int32_t nodes = 0, bars = 0, unknowns = 0;
  std::vector<lint_warning> warnings;

  residual_finding residual;
  int32_t iterations = 0, max_iterations = 0;
  bool at_iteration_limit = false;
  refinement_finding refinement;
  inertia stability;
  bool path_followed = false;
  loading path_loading = loading::staged;
  path_finding path;
  path_comparison comparison;
  bool path_cannot_start = false;  // unstable at zero load: no path to follow
  component_name path_soft;        // then where the stiffness gives way
  bool calculix_requested = false;
  crosscheck calculix = crosscheck::not_run;
  calculix_finding calculix_result;

  double seconds_points_1_to_4 = 0.0, seconds_path = 0.0;
  long factorisations_points_1_to_4 = 0, factorisations_path = 0;
  int status = 0;
  std::string verdict;
};

// Sets `status` and `verdict` from the findings; `strict` makes input warnings count.
void decide(findings& f, bool strict);

std::string text_of(const findings& f);
std::string json_of(const findings& f);

}  // namespace kalvane::check
