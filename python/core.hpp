#pragma once
// The compiled core of the Python module: models built from arrays as the reader builds them
// from input.txt (model/model_data.hpp), and runs through the program's own run path.
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "model/model_data.hpp"

namespace kalvane::python {

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
// first failure, by model order, is thrown once all have finished, prefixed with its name
// (names[i]: "models[2]", "combination 'push'").
void solve_many(std::vector<model*>& models, int workers, const std::vector<std::string>& names);
// Writes the three files of a solved model into `folder`, as the program would.
void write_files(model& solved, const std::string& folder);

}  // namespace kalvane::python
