#pragma once
// The parts of the loading path: a converged point with its tangent and inertia, the
// corrector on the arc-length constraint, and the location of limit and bifurcation points
// between two converged points. Riks's linearised constraint (E. Riks, "An incremental
// approach to the solution of snapping and buckling problems", Int. J. Solids Struct. 15,
// 1979; the pseudo-arclength continuation of H. B. Keller, 1977): each corrector stays on
// the hyperplane normal to the last tangent at the predicted distance along it, so that it
// passes limit points, where the load factor turns and the stiffness is singular.
#include "newton/factor.hpp"
#include "newton/loading.hpp"
#include "newton/path.hpp"

namespace kalvane::newton {

// A converged point of one stage, with what the next step needs from it.
struct path_state {
  vector x;
  double t = 0.0;
  vector tangent_x;          // the unit tangent (dx/ds, dt/ds) in the path's norm
  double tangent_t = 0.0;
  inertia at;                // of the stiffness at the point
  double energy = 0.0;
  double speed = 0.0;        // |dx/dt| there
  int newton_steps = 0;      // of the corrector that converged on it
};

// What every part shares: the stage's model and the factorisation, and the scratch vectors.
struct path_work {
  const structure& full;
  structure scaled;
  load_stage stage;
  stiffness_pattern& pattern;
  factorisation& f;
  const path_settings& settings;
  // The weight of the displacements in the path's norm, |(dx, dt)|^2 = theta dx.dx + dt^2:
  // at a stage's start, 1 / |dx/dt|^2, so that displacement and load factor share the first
  // tangent equally, whatever the units.
  double theta = 1.0;
  vector rate;
  int newton_steps = 0;
  int factorisations = 0;
  // Set by the corrector when its last factorisation was made at an iterate so close to the
  // point it converged on (a Newton step or two) that it serves as the point's own.
  bool near_factorisation = false;
  inertia near_inertia;
  bool cables = false;  // the structure has cables, whose passing of their rest lengths is watched
};

// The path's norm for a stage that starts at `speed` = |dx/dt|.
void weigh_by_start(path_work& w, double speed);

double path_dot(const path_work& w, const vector& ax, double at, const vector& bx, double bt);

// Factorises the stiffness at p.x, p.t and fills p's inertia, energy and tangent; the
// tangent turned to point the way of `along` (x, t) when given, else of rising t. False
// when the stiffness there is singular to the last digit. With `reuse`, the corrector's
// near factorisation serves when there is one.
bool settle(path_work& w, path_state& p, const vector* along_x = nullptr, double along_t = 1.0, bool reuse = false);

// The same from the factorisation held in w.f and the rate in w.rate, both at p.
bool tangent_from(path_work& w, path_state& p, const vector* along_x = nullptr, double along_t = 1.0);

struct corrector_outcome {
  bool converged = false;
  int steps = 0;
  bool at_load = false;  // found as the minimum of the energy at the predicted load factor
};

// Newton on the out-of-balance forces bordered by the constraint <tangent, (x, t) - from> =
// length, by block elimination (two solves with the one factorisation per iteration), from
// x, t (the prediction) on. The factorisation in w.f serves while it gains fourfold per
// iteration (the chord method); no shift is ever added, since a shift would move the fold.
// One that chatters, or with `at_load_on_kinks` one that fails while cables crossed their
// rest lengths, is found at the predicted load factor instead (under rising load on a stable
// branch).
corrector_outcome correct_on_arc(path_work& w, const path_state& from, double length, vector& x, double& t,
                                 bool at_load_on_kinks = false);

}  // namespace kalvane::newton
