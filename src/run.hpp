#pragma once
// The run sequence: read, start, deck, minimise, check, script, report. The program, the
// benchmark, the fuzzers and the tests all go through `run`, so every one of them meets
// the same stages, the same objective and the same checks.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/model.hpp"

namespace kalvane {

// The stages of a run, in their order.
enum class stage : int { input, start, deck, minimise, check, script, report };
inline constexpr int stage_count = 7;
const char* stage_name(stage s);

struct run_plan {
  // The stages to run, `first` to `last` inclusive; a later call can go on from where an
  // earlier one stopped, on the same model.
  // A model built in memory starts at stage::start, its record filled as the reader fills
  // it.
  stage first = stage::input;
  stage last = stage::report;
  // The folder of input.txt and the three output files; empty for the current directory.
  std::string folder;
  // input.txt's content when it is already in memory (the fuzzers); read from the folder
  // otherwise.
  std::optional<std::string> input_text;
  // Caps on the minimiser's settings, for runs that must stay short; 0 leaves the setting
  // as read. The model keeps what the input says.
  int32_t iteration_cap = 0;
  int32_t line_search_cap = 0;
  int32_t memory_cap = 0;
  // Threads for each evaluation of the total potential; 0 lets the model's size and the
  // machine choose. Runs side by side ask for one each.
  int threads = 0;
  // False skips the deck, script and report stages: the caller writes them later, if at
  // all, by a second call from stage::deck (or stage::script) on the solved model.
  bool write_files = true;
  // The progress line on standard error while the minimiser works (a terminal only).
  bool progress = false;
  // Told the iteration and the largest gradient component at every test of the minimiser's
  // stopping rule; it only watches (kalvane-check replays a failed run to see how low its
  // gradient got).
  std::function<void(int32_t, double)> watch;
  // Time every evaluation of the total potential (the benchmark).
  bool time_objective = false;
};

// What the run measured on its way: seconds per stage, and the evaluations of the total
// potential during the minimisation.
struct run_stats {
  double seconds[stage_count] = {};
  long long evaluations = 0;
  double objective_seconds = 0.0;
};

// Runs the planned stages on `m`; throws `error` on the first failure.
run_stats run(model& m, const run_plan& plan = {});

// The path of `name` in the plan's folder.
std::string path_in(const run_plan& plan, const std::string& name);

}  // namespace kalvane
