#pragma once
// The loading path: Newton continuation from the unloaded shape, raising the loads and the
// prescribed displacements together by one load factor t from 0 to 1. Each step predicts
// by extrapolating the last two equilibria (the first along the path's tangent at the
// unloaded shape) and corrects by Newton; a step is halved when
// the correction fails or leaves the stable branch (a negative pivot), and doubled when one
// factorisation sufficed. When the step has shrunk to nothing before t = 1, the path has met a
// limit point: the stiffness turns singular there and the structure snaps through.
#include <functional>
#include <vector>

#include "newton/factor.hpp"
#include "newton/system.hpp"

namespace kalvane::newton {

// How the loads and the prescribed displacements rise along the path. Staged: stage 1 raises
// the prescribed displacements (the pretension) from zero to their values with no load, and
// stage 2 then raises the loads; together: one load factor raises both at once.
enum class loading { staged, together };

// What a converged point of the path is: a limit point is a maximum or minimum of the load
// factor (one pivot and the load component of the tangent change sign together); at a
// bifurcation point a pivot changes sign while the load factor goes on the same way.
enum class point_kind { regular, limit, bifurcation };

struct path_settings {
  loading how = loading::staged;
  double first_step = 0.125;
  double smallest_step = 1.0 / 8192;
  double largest_step = 0.5;
  int max_steps = 400;
  int quick = 1;  // factorisations that count as a quick success
};

// One converged point of the path.
struct path_point {
  int stage = 2;             // 1: prescribed displacements rising; 2: loads rising (together: 1)
  double load_factor = 0.0;  // of its stage, 0 to 1
  double energy = 0.0;       // total potential at the point (without the bars' constant)
  double smallest_pivot = 0.0;  // relative to the largest diagonal entry
  long negative_pivots = 0;
  point_kind kind = point_kind::regular;
  int newton_steps = 0;      // of the corrector that converged on it
};

// Told of every converged point, in order, with its free displacements; the caller keeps
// what it wants to draw or watch.
using path_observer = std::function<void(const path_point&, const vector& x)>;

struct path_finding {
  bool reached_full_load = false;
  double load_factor = 0.0;  // of the last equilibrium on the path
  int steps = 0;             // accepted load steps
  int halvings = 0;
  int newton_steps = 0;      // Newton iterations in all, the final polish included
  double smallest_pivot = 0.0;  // at the last equilibrium, relative to the largest diagonal entry
  double gradient = 0.0;     // largest gradient component at x
  bool snapped = false;           // full load reached on a far branch, after a limit point
  bool past_bifurcation = false;  // full load reached past a bifurcation point
  bool collapsed = false;         // no stable equilibrium at full load: x is the last stable point
  std::vector<path_point> points;  // every converged point, in order
  vector x;                  // the last equilibrium on the path
};

// `m` is a model prepared by `start`; it is not changed.
path_finding follow_path(const model& m, stiffness_pattern& pattern, factorisation& f,
                         const path_settings& settings = {}, const path_observer& observer = {});

// The model at load factor t: loads and prescribed displacements of `full` times t.
void scale_model(model& scaled, const model& full, double t);

}  // namespace kalvane::newton
