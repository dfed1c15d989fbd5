#pragma once
// What a point of the path applies to the structure: a fraction of the loads and a fraction
// of the prescribed displacements, each read from input.txt at its full value.
#include <vector>

#include "model/model.hpp"
#include "newton/loading.hpp"
#include "newton/path.hpp"

namespace kalvane::path {

struct applied {
  double loads = 1.0;
  double prescribed = 1.0;
};

inline constexpr applied full_load{1.0, 1.0};
inline constexpr applied unloaded{0.0, 0.0};

// What point p applies on the path through `stages` (newton::stages_of): staged, stage 1
// raises the prescribed displacements with no load and stage 2 the loads with the prescribed
// displacements in place; together, one factor raises both.
applied applied_at(const std::vector<newton::load_stage>& stages, const newton::path_point& p);

// `scaled`, a copy of `full`, with its loads and prescribed displacements at `a`.
void apply(model& scaled, const model& full, applied a);

// The displacement of component c of `node` at x, the prescribed ones at their fraction `a`.
double displacement_at(const model& full, applied a, const newton::vector& x, int32_t node, int c);

// The largest displacement of a node: the length of its displacement vector, over all nodes.
double largest_displacement(const model& full, applied a, const newton::vector& x);

}  // namespace kalvane::path
