#pragma once
// kalvane-path's run: read input.txt, follow the loading path, and write the equilibrium it
// reaches in kalvane's three files, with the curve in path.csv and path.svg.
#include <cstdint>
#include <string>
#include <vector>

#include "path/options.hpp"
#include "structure/bar_results.hpp"
#include "structure/structure.hpp"

namespace kalvane::path {

struct outcome {
  int status = 0;  // the exit status (path/ending.hpp)
  std::string summary;
  // The written equilibrium: every component's displacement and whether it is prescribed
  // (3 per node), the reactions and each bar's answer, as the files give them.
  std::vector<double> displacements;
  std::vector<std::uint8_t> prescribed;
  bar_results bars;
  int iterations = 0;     // Newton iterations in all
  double energy = 0.0;    // the total potential the report gives
  double gradient = 0.0;  // the largest gradient component left
};

// Throws kalvane::error for bad input, a bad option value or a file that cannot be written.
outcome run_path(const options& o);
// A structure in the read state started (its unknowns numbered) and prepared (validated, its
// rest lengths and self-weight set).
void start_structure(structure& s);
// The same as run_path on a structure already read, started and prepared; `input_name` and its bytes are
// what is copied beside the results and named in the summary.
outcome run_path_on(structure s, const std::string& input_name, const std::string& input_bytes, const options& o);

}  // namespace kalvane::path
