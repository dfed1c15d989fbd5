#pragma once
// A model's data as plain arrays, and the model record built from them field by field as the
// reader of input.txt fills it: the Python module and the companions' model file both build
// their models here.
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace kalvane {

// Node and bar numbers and components 1-based.
struct model_data {
  std::string source = "model";   // named in messages of the later stages
  std::vector<double> nodes;      // n x 3, row-major
  std::vector<int32_t> bars;      // B x 2
  std::vector<double> areas;      // B
  int law = 1;                    // 1 Neo-Hooke, 2 Mooney-Rivlin, as in input.txt
  double c1 = 0.0, c2 = 0.0;
  std::vector<int32_t> prescribed_at;  // P x 2: node, component
  std::vector<double> prescribed_values;
  std::vector<int32_t> loads_at;       // L x 2
  std::vector<double> load_values;
  double sigma = 0.0, tolerance = 0.0, reference = 0.0;
  int32_t line_search_steps = 0, max_iterations = 0, memory = 0;
};

// The model record as the reader leaves it (the read state). The data are validated by the
// caller; an index that is still out of range fails here as it would in a run.
model model_of(const model_data& d);
// The inverse, for a model the reader filled: every prescribed component and every load that
// is not +0.0, node by node.
model_data data_of(const model& m);

}  // namespace kalvane
