#pragma once
// How the loading rises along the path: in stages, each with its own load factor t from 0 to
// 1, and how fast the out-of-balance forces change with t at fixed displacements.
#include <vector>

#include "newton/system.hpp"

namespace kalvane::newton {

enum class loading;

// What a stage raises: the prestress (the prescribed displacements and the rest lengths,
// from the drawn, stress-free shape to their values, with no load), then the self-weight,
// then the live loads; loading together raises everything at once. A stage with nothing to
// raise is skipped, and the stages run are numbered 1, 2, ... in their order.
enum class stage_kind { prestress, weight, live, together };

// At load factor t of this stage the prescribed displacements are (prescribed_base +
// t prescribed_rise) times their full values, the rest lengths that far from the drawn
// lengths to theirs, and the self-weight and the live loads each their base + t rise
// times their full values.
struct load_stage {
  int number = 1;
  double prescribed_base = 0.0, prescribed_rise = 1.0;
  double weight_base = 0.0, weight_rise = 1.0;
  double loads_base = 0.0, loads_rise = 1.0;
  stage_kind kind = stage_kind::together;
};

// The stages of `how` for `s`: staged, each stage only when it has something to raise (the
// live-load stage also when nothing else has, so that there is always one).
std::vector<load_stage> stages_of(const structure& s, loading how);

// The structure at load factor t of the stage; `scaled` is a copy of `full`.
void apply_stage(structure& scaled, const structure& full, const load_stage& stage, double t);

// d(gradient)/dt at x with the displacements held: the loads' rise taken off, and the
// prescribed displacements' and rest lengths' rise passed through the bars that they move.
// `scaled` is the structure at load factor t of the stage; rate is overwritten.
void residual_rate(const structure& scaled, const structure& full, const load_stage& stage, double t,
                   const vector& x, vector& rate);

// True when the drawn shape (every free component at rest) is in equilibrium, to `tolerance`
// of the largest term summed, under the structure's rest lengths and prescribed values with
// its loads and self-weight, and not without them: its prestress holds the drawn shape only
// together with its loads, as a net form-found under them does.
bool balanced_only_with_loads(const structure& s, double tolerance);

}  // namespace kalvane::newton
