#pragma once
// The loading path: Newton continuation from the unloaded shape, raising the loads and the
// prescribed displacements together by one load factor t from 0 to 1. Each step predicts
// by extrapolating the last two equilibria (the first along the path's tangent at the
// unloaded shape) and corrects by Newton; a step is halved when
// the correction fails or leaves the stable branch (a negative pivot), and doubled when one
// factorisation sufficed. When the step has shrunk to nothing before t = 1, the path has met a
// limit point: the stiffness turns singular there and the structure snaps through.
#include "newton/factor.hpp"
#include "newton/system.hpp"

namespace kalvane::newton {

struct path_settings {
  double first_step = 0.125;
  double smallest_step = 1.0 / 8192;
  double largest_step = 0.5;
  int max_steps = 400;
  int quick = 1;  // factorisations that count as a quick success
};

struct path_finding {
  bool reached_full_load = false;
  double load_factor = 0.0;  // of the last equilibrium on the path
  int steps = 0;             // accepted load steps
  int halvings = 0;
  double smallest_pivot = 0.0;  // at the last equilibrium, relative to the largest diagonal entry
  vector x;                  // the last equilibrium on the path
};

// `m` is a model prepared by `start`; it is not changed.
path_finding follow_path(const model& m, stiffness_pattern& pattern, factorisation& f,
                         const path_settings& settings = {});

// The model at load factor t: loads and prescribed displacements of `full` times t.
void scale_model(model& scaled, const model& full, double t);

}  // namespace kalvane::newton
