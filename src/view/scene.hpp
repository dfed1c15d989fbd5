#pragma once
// What the viewer draws: the structure from input.txt joined with the result from
// output.txt, after checking that the two belong to the same run.
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "view/report_reader.hpp"

namespace kalvane::view {

struct vec3 {
  double x = 0.0, y = 0.0, z = 0.0;
};

struct bar_ends {
  int32_t first = 0, second = 0;  // zero-based node indices
};

struct scene {
  std::vector<vec3> initial;       // undeformed position of node k at [k - 1]
  std::vector<vec3> displacement;  // final displacement of node k at [k - 1]
  std::vector<bar_ends> bars;      // bar e at [e - 1]
  std::vector<double> area;
  std::vector<double> stress;
  int32_t iterations = 0;
  double objective = 0.0;
};

// Joins a model as the input reader leaves it (dof_map still holding 0/1 prescribed flags)
// with its report. Fails, naming the files and the report's line, when the node or bar
// counts differ, a bar names a node that does not exist, or the report contradicts the
// model's supports (a prescribed displacement not reproduced, a reaction at a free
// component): those mean the report comes from another model.
scene match(const model& m, const report& r, const std::string& input_name,
            const std::string& report_name);

}  // namespace kalvane::view
