#pragma once
// How the loading rises along the path: in one stage or two, each with its own load factor t
// from 0 to 1, and how fast the out-of-balance forces change with t at fixed displacements.
#include <vector>

#include "newton/system.hpp"

namespace kalvane::newton {

enum class loading;

// At load factor t of this stage the prescribed displacements are (prescribed_base +
// t prescribed_rise) times their full values, and the loads (loads_base + t loads_rise)
// times theirs.
struct load_stage {
  int number = 1;
  double prescribed_base = 0.0, prescribed_rise = 1.0;
  double loads_base = 0.0, loads_rise = 1.0;
};

// The stages of `how` for `m`: staged, the pretension stage only when some prescribed
// displacement is not zero, and the load stage only when some free component is loaded.
std::vector<load_stage> stages_of(const model& m, loading how);

// The model at load factor t of the stage; `scaled` is a copy of `full`.
void apply_stage(model& scaled, const model& full, const load_stage& stage, double t);

// d(gradient)/dt at x with the displacements held: the loads' rise taken off, and the
// prescribed displacements' rise passed through the bars that reach them. `scaled` is the
// model at the current t; rate is overwritten.
void residual_rate(const model& scaled, const model& full, const load_stage& stage, const vector& x, vector& rate);

}  // namespace kalvane::newton
