#pragma once
// Everything one check found, in the order the report gives it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "newton/factor.hpp"
#include "check/cables.hpp"
#include "check/stress_table.hpp"
#include "check/lint.hpp"
#include "newton/path.hpp"
#include "check/residual.hpp"

namespace kalvane::check {

// A figure of the check's own text: three significant digits are all a reader needs.
std::string sci(double value);
// A ratio to two digits, as "1.2e-03".
std::string short_sci(double value);
// A fraction as a percentage, "62 %".
std::string percent_text(double fraction);
// A power of ten as "1e-7".
std::string power_of_ten(double value);
// A load factor of the path, to four decimals.
std::string load_factor_text(double value);

struct findings;
// Why the loading path cannot start: "free to move at node 2 Y", or the loaded nodes that
// nothing holds.
std::string cannot_start_text(const findings& f);

// The cross-check against an independent finite-element solve, when the build has one.
enum class crosscheck { not_run, agree, disagree };

// Digits are counted against the table's largest entry: an entry is right to d digits when
// it is within half a unit in the d-th significant digit of that entry.
struct digits_finding {
  int digits = 7;      // the fewest right digits of any entry of the table
  std::string worst;   // where they are, e.g. "node 4 Z" or "bar 12"
  double error = 0.0;  // there, relative to the table's largest entry
  double largest = 0.0;  // the table's largest entry, in size
  long entries = 0;
};

// What the report's accuracy asks of the run (--digits): when a table is right to fewer
// digits, the gradient tolerance that would give them. The error of a run that stopped by
// its gradient test scales with the residual it stopped at, and that residual with the
// tolerance.
struct accuracy_finding {
  int wanted = 3;                 // 0: not tested
  bool short_of = false;          // a table falls short of `wanted`
  std::string table;              // the one that falls shortest
  digits_finding worst;           // its digits
  double tolerance = 0.0;         // the run's gradient tolerance
  double estimate = 0.0;          // a gradient tolerance that would give `wanted` digits (a power of ten)
  bool reachable = true;          // its allowable gradient lies above the rounding level
};

// The largest displacement of any node against the size of the structure: without the
// path, a large one may be a mechanism that folded or a run on another branch.
struct displacement_size {
  double largest = 0.0;   // length of the largest node displacement in the report
  int32_t node = 0;       // whose it is
  double diagonal = 0.0;  // of the bounding box of the undeformed nodes
  bool large() const { return !(largest < 0.1 * diagonal) && largest != 0.0; }
};

struct refinement_finding {
  int steps = 0;
  bool converged = false;
  double gradient = 0.0;   // largest component at the refined point
  double rounding = 0.0;   // largest rounding level there
  digits_finding displacements, reactions, stresses;
  // Reactions of the equilibrium well above the report's allowable gradient (and a
  // thousandth of the largest) that its table leaves out: no tolerance explains a lost row.
  std::vector<component_name> unlisted_reactions;
  double largest_unlisted = 0.0;  // the largest of them, at the refined equilibrium
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

// Whose stopping the report's frame records: kalvane's minimiser, stopped by the input's
// allowable gradient or at its iteration limit; or kalvane-path, whose frame counts the
// Newton iterations of its loading path and gives the gradient it reached.
// A report of input.txt whose allowable gradient is not the input's, with no path.csv of
// kalvane-path's written with it, is neither's run of this input: `other`.
enum class report_writer { minimiser, path, other };

struct findings {
  bool lint_only = false;   // --lint: only input.txt was read
  std::string input_error;  // --lint: why the reader refuses the model (input.txt or model file)
  std::string input_name, report_name;
  bool model_file = false;  // input_name is a model file, not an input.txt
  // When the model file certified has an input.txt beside it that describes another
  // structure: what differs ("3 bars against 4"); else empty.
  std::string other_input;
  int32_t nodes = 0, bars = 0, unknowns = 0;
  std::vector<lint_warning> warnings;

  // The report is kalvane-path's of a state short of full load: where ("load factor 0.2219
  // of stage 2"), else empty. Its tables are no run's at full load, at any tolerance.
  std::string short_of_full_load;
  residual_finding residual;
  int32_t iterations = 0, max_iterations = 0;
  report_writer writer = report_writer::minimiser;
  double report_allowable = 0.0;  // the allowable gradient the report's frame gives
  bool at_iteration_limit = false;
  refinement_finding refinement;
  stress_table_finding stress_table;  // the report's stresses against its own displacements
  reaction_table_finding reaction_table;  // and its reactions
  objective_finding objective;            // and its Objective
  accuracy_finding accuracy;
  inertia stability;   // of the structure's own tangent: slack cables with no stiffness
  std::vector<int32_t> idle_nodes;  // on no bar and unloaded: held where they are, not counted
  cable_finding cables;
  compression_finding compression;  // of a model of plain bars only
  displacement_size displacements;
  bool path_followed = false;
  loading path_loading = loading::staged;
  path_finding path;
  path_comparison comparison;
  bool path_cannot_start = false;  // unstable at zero load: no path to follow
  // Stalled in the prestress stage of staged loading, while the drawn shape is in
  // equilibrium under the prestress only together with the loads (a net form-found under them).
  bool prestress_needs_loads = false;
  component_name path_soft;        // then where the stiffness gives way
  // Or, under the first loads, the loaded nodes nothing holds ("node 3 is on no bar and
  // carries a load"): the cause, where the path names one; empty otherwise.
  std::string path_unheld;
  bool calculix_requested = false;
  crosscheck calculix = crosscheck::not_run;
  calculix_finding calculix_result;

  double seconds_points_1_to_4 = 0.0, seconds_path = 0.0;
  long factorisations_points_1_to_4 = 0, factorisations_path = 0;
  int status = 0;
  std::string verdict;
};

// The digits wanted of every table, and when one falls short, the tolerance that would
// give them: from the refinement's digits, the run's tolerance and its residual.
accuracy_finding accuracy_of(const findings& f, int wanted, double gradient_tolerance);

// Sets `status` and `verdict` from the findings; `strict` makes input warnings count.
void decide(findings& f, bool strict);

std::string text_of(const findings& f);
std::string json_of(const findings& f);
// --lint's findings: the warnings, then a line on the input as kalvane reads it.
std::string lint_text_of(const findings& f);
std::string lint_json_of(const findings& f);

}  // namespace kalvane::check
