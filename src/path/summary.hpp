#pragma once
// The summary kalvane-path prints on standard output: the path's steps, every limit and
// bifurcation point with its load factor and loads, and where the written equilibrium lies.
#include <array>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "newton/path.hpp"
#include "path/curve.hpp"
#include "path/ending.hpp"

namespace kalvane::path {

// The bars carrying the largest tension and the largest compression (0: none does).
struct force_extremes {
  int32_t tension_bar = 0, compression_bar = 0;
  double tension = 0.0, compression = 0.0;
};
force_extremes extreme_forces(const newton::results& r);

struct summary_facts {
  std::string input_name;
  std::string out_folder;
  std::vector<std::string> files;  // names written into out_folder
  newton::loading how = newton::loading::staged;
  std::vector<newton::stage_kind> stages;  // the path's stages, in order
  // Under loading together, what its one load factor raises: the stages staged loading runs.
  std::vector<newton::stage_kind> raised;
  double gradient = 0.0;  // largest gradient component of the written state
  force_extremes extremes;
  double watched = 0.0;   // the watched displacement there
  long cables = 0;                   // bars that carry tension only
  std::vector<int32_t> slack_cables;  // those slack in the state written, in rising order
  // Stalled in the prestress stage, while the drawn shape is in equilibrium under the
  // prestress only together with the loads (newton::balanced_only_with_loads).
  bool prestress_needs_loads = false;
  std::array<double, 3> weight{};  // the full self-weight's resultant on the free nodes (zero: weightless)
};

// The cables of `s` that the results show slack, in rising order.
std::vector<int32_t> slack_cables_of(const newton::results& r);

// "3 of 60 cables slack: 12, 31, 40" (at most 20 listed); "none of 60 cables slack".
std::string slack_text(long cables, const std::vector<int32_t>& slack);

// The loads (and self-weight, of resultant `weight`, and prescribed displacements) a state
// applies, in a few words.
std::string loads_text(const model& full, applied a, const std::array<double, 3>& weight = {});

std::string summary_text(const model& full, const newton::path_finding& path, const curve& c, const ending& e,
                         const summary_facts& facts);

}  // namespace kalvane::path
