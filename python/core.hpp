#pragma once
// The compiled core of the Python module: models built from arrays as the reader builds them
// from input.txt, and runs through the program's own run path.
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace kalvane::python {

// A model's data as the module's arrays hold it, node and bar numbers and components 1-based.
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
// module before; an index that is still out of range fails here as it would in a run.
model model_of(const model_data& d);
// The inverse, for a model the reader filled: every prescribed component and every load that
// is not +0.0, node by node.
model_data data_of(const model& m);

// The self-weight of every bar, rho A L g, half at each end node, summed bar by bar (node1,
// then node2) into an n x 3 row-major array. L is the undeformed length as the run forms it.
std::vector<double> self_weight(const model& m, double density, const double gravity[3]);

// What a solved run gives, per node (n x 3 row-major) and per bar.
struct solution {
  std::vector<double> displacements;
  std::vector<double> forces;       // R: bar end forces less the load, at every component
  std::vector<uint8_t> prescribed;  // 1 where the component is prescribed
  std::vector<double> stresses, axial_forces, stretches;
};

solution solution_of(const model& solved);

// Runs start, minimise and check on a model in the read state, with `threads` threads per
// evaluation (0: the usual choice); writes nothing.
void solve(model& m, int threads);
// Solves every model on `workers` threads, each run single-threaded when workers > 1. The
// first failure, by model order, is thrown once all have finished, prefixed with its index.
void solve_many(std::vector<model*>& models, int workers);
// Writes the three files of a solved model into `folder`, as the program would.
void write_files(model& solved, const std::string& folder);

}  // namespace kalvane::python
