#pragma once
// What a point of the path applies to the structure: a fraction of the live loads, of the
// self-weight and of the prestress (the prescribed displacements and the rest lengths' change
// from the drawn lengths), each of the model's full value.
#include <vector>

#include "model/model.hpp"
#include "newton/loading.hpp"
#include "newton/path.hpp"

namespace kalvane::path {

struct applied {
  double loads = 1.0;
  double prescribed = 1.0;
  double weight = 1.0;
};

inline constexpr applied full_load{1.0, 1.0, 1.0};
inline constexpr applied unloaded{0.0, 0.0, 0.0};

// What point p applies on the path through `stages` (newton::stages_of): staged, the
// prestress first with no load, then the self-weight, then the live loads, each with what
// went before in place; together, one factor raises everything.
applied applied_at(const std::vector<newton::load_stage>& stages, const newton::path_point& p);

// `scaled`, a copy of `full`, with its loads, prescribed displacements and rest lengths at `a`.
void apply(structure& scaled, const structure& full, applied a);

// The displacement of component c of `node` at x, the prescribed ones at their fraction `a`.
double displacement_at(const model& full, applied a, const newton::vector& x, int32_t node, int c);

// Every node's displacement at x, node by node (3 components each, X Y Z).
std::vector<double> node_displacements(const model& full, applied a, const newton::vector& x);

// The largest displacement of a node: the length of its displacement vector, over all nodes.
double largest_displacement(const model& full, applied a, const newton::vector& x);

}  // namespace kalvane::path
