#pragma once
// The loading path: the equilibria the structure passes through as its loading rises, from
// the unloaded shape to full load, in one stage or two (see `loading`). Arc-length
// continuation (Riks's linearised constraint: continuation.hpp) follows it through limit
// points, along the unstable branch and back to full load on the far branch; limit and
// bifurcation points are located and reported as events, and no other branch is taken.
// A structure with no stiffness unloaded (a cable hanging slack, a net before its tension)
// starts from the minimum of its energy at a small load factor.
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
// A jump's two ends, at one load factor, are both of kind `jump`. At a point of kind `slack`
// or `taut` a cable (the point's `bar`) passes its rest length.
enum class point_kind { regular, limit, bifurcation, jump, slack, taut };

// What befell the path on its way, in order.
enum class event_kind {
  limit,          // a limit point, followed round (traced)
  bifurcation,    // a bifurcation point, the branch from the unloaded shape followed on (traced, or no switch possible)
  branch_switch,  // a bifurcation point (or a limit point that held), and the path switched to the branch crossing there
  jump,           // no stable state left on the branch: the structure jumped to a stable one
  slack,          // a cable (`bar`) became shorter than its rest length
  taut,           // a slack cable (`bar`) reached its rest length again
};

// How a jump ended: on a stable state; or with none found, because the energy fell without
// bound, because every disturbance fell back to the point it started from (which is then
// stable itself), because a bar shortened past its largest compressive force was being
// crushed toward a point, or because the minimisation settled nowhere.
enum class jump_end { landed, unbounded, fell_back, crushed, unsettled };

struct path_event {
  event_kind kind = event_kind::limit;
  int stage = 1;
  double load_factor = 0.0;
  point_kind from = point_kind::regular;  // a jump's: the limit or bifurcation point it jumps from
  int modes = 0;           // a bifurcation's: its buckling modes, 2 at a double bifurcation
  bool symmetric = false;  // a switch's: the other branch is the mirror image of the one taken
  jump_end landing = jump_end::landed;  // a jump's
  int32_t bar = 0;         // a slack or taut cable's number; a jump's crushed bar
};

struct path_settings {
  loading how = loading::staged;
  // Arc lengths in the path's norm, in which the first tangent of a stage has equal parts of
  // displacement and load factor: a step of 0.125 at the start raises the load factor by
  // about 0.09, and a stage that stays straight is about 1.4 long. The first step; the
  // longest, a whole straight stage, since the inertia at each end tells of any event in
  // between and a sharp turn is refused; the shortest before the path gives up.
  double first_step = 0.125;
  double smallest_step = 1.0 / 8192;
  double largest_step = 1.5;
  int max_steps = 400;  // accepted and halved steps together, events' corrections not counted
  // A corrector converged within `quick_steps` iterations doubles the next step: Newton
  // met little curvature (the chord method's iterations gain a digit or so each, where
  // Newton's double the digits). One that needed `slow_steps` halves it: the prediction
  // was far off. One not converged within `corrector_steps` fails, and the step is halved.
  int quick_steps = 4;
  // A stage is first tried whole, from its start's tangent, and taken so when Newton lands
  // within `quick_steps` iterations no further than this from the linear prediction
  // (relative to the step, in the path's norm), with a tangent there turned by less than
  // its square root's angle (cosine 1 - straight_stage) and the same inertia: a stiff
  // structure's stage is straight to well within this. 0 steps every stage.
  double straight_stage = 0.01;
  // The path's norm weighs displacements by the stage's start speed |dx/dt|, or by this
  // part of the structure's extent per unit load factor where the start is slower: a stage
  // that barely moves the structure is stepped by its load, not by the drift of a few
  // micrometres its bars' different laws make along the way.
  double slowest_start = 1e-3;
  int slow_steps = 8;
  int corrector_steps = 12;
  // Halvings of one corrector step that left larger out-of-balance forces, before the
  // corrector gives up: a sixteenth of a Newton step is a guess no better than the last.
  int corrector_cuts = 4;
  // Intermediate points: no gradient component above this times the largest term summed into
  // one. Far above rounding, far below what the next step's prediction errs by; the point at
  // full load is polished to rounding level.
  double corrector_tolerance = 1e-9;
  // The cosine of the sharpest turn between successive tangents accepted: a sharper one is
  // taken for a jump to another branch, and the step is halved. A smooth branch turns by
  // less as its steps shrink, even at a limit point.
  double sharpest_turn = 0.5;
  // Where a stage whose start has no stiffness (or an unstable one) minimises the energy:
  // small enough to leave most of the path to follow, large enough that the tension it
  // brings holds the structure well above rounding.
  double slack_load_factor = 1.0 / 64;
  // A corrector's factorisation serves as the point's own (its inertia and tangent) when
  // Newton converged within two steps from it, unless its smallest pivot, relative to the
  // largest diagonal entry, is below this: then the point may be near an event, and the
  // count of negative pivots must be its own.
  double near_pivot = 1e-6;
  // Corrections to locate an event, and the tangent's load component at which a limit point
  // counts as found (the load factor there is then exact to about its square).
  int event_iterations = 12;
  double event_tolerance = 1e-7;
  // Corrections to locate a bifurcation point, ending when the bracket round it has shrunk
  // to this part of the step it was found in: its load factor is then exact to about 1e-9,
  // as the buckling mode and the switch to the other branch need.
  int bifurcation_iterations = 40;
  double bifurcation_width = 1e-9;
  // A displacement this many times the structure's extent: the path has gone, and does not
  // come back to a structure.
  double reach = 100.0;
  // Follow the branch from the unloaded shape round every limit point instead of switching
  // branches and jumping: the complete equilibrium curve, not the route the structure takes.
  bool trace = false;
  // Cables that pass their rest length within one step are located each by regula falsi on
  // its strain, to `cable_strain_tolerance`, up to this many per step (the first ones along
  // it); beyond that, a net where hundreds go slack together would spend its time locating
  // them, and the rest are placed by interpolation between the step's two equilibria.
  int cables_located_per_step = 8;
  double cable_strain_tolerance = 1e-13;
  // A cable's point whose corrections left its strain above this is not taken as located:
  // far above the corrections' rounding, far below any prestress.
  double cable_strain_accepted = 1e-8;
  // A jump's start disturbed along the mode by this times the structure's extent: far above
  // the located point's error, far below the distance to where it jumps to.
  double jump_kick = 1e-3;
};

// One converged point of the path.
struct path_point {
  int stage = 1;             // the stages run, numbered from 1 (loading.hpp)
  double load_factor = 0.0;  // of its stage, 0 to 1
  double energy = 0.0;       // total potential at the point (without the bars' constant)
  double smallest_pivot = 0.0;  // relative to the largest diagonal entry
  long negative_pivots = 0;
  point_kind kind = point_kind::regular;
  int newton_steps = 0;      // of the corrector that converged on it
  int32_t bar = 0;           // the cable of a slack or taut point
};

// Told of every converged point, in order, with its free displacements; the caller keeps
// what it wants to draw or watch, and may stop the path there.
enum class path_control { go_on, stop };
using path_observer = std::function<path_control(const path_point&, const vector& x)>;

// How the path ended.
enum class path_outcome {
  full_load,              // full load reached on a stable state (by the events in `events`)
  unstable_at_full_load,  // full load reached only on an unstable state: x is the last stable point
  collapsed,              // past an instability and gone, or a loaded node left with slack cables only:
                          // no stable equilibrium at full load, x is the last stable point
  stalled,                // the step shrank to nothing (or the steps ran out) on a stable branch short of full load
  mechanism,              // the path cannot start: the energy falls without bound under the first loads
  stopped,                // the observer asked to stop: x is the last point it saw
};

struct path_finding {
  path_outcome outcome = path_outcome::stalled;
  double load_factor = 0.0;  // of the last equilibrium on the path
  int stage = 0;             // its stage
  int steps = 0;             // accepted load steps
  int halvings = 0;
  int newton_steps = 0;      // Newton iterations in all, the final polish included
  double smallest_pivot = 0.0;  // at the last equilibrium, relative to the largest diagonal entry
  double gradient = 0.0;     // largest gradient component at x
  std::vector<path_event> events;  // in order
  int factorisations = 0;
  // Free nodes that every member leaves slack and no load pulls, held where they are (at the
  // equilibrium written); and nodes held only by slack cables under the rising loads, which
  // no equilibrium holds (the path collapsed there). In rising order.
  std::vector<int32_t> held_nodes;
  std::vector<int32_t> unheld_nodes;
  std::vector<int32_t> nodes_on_no_bar;  // those of both that no bar reaches at all
  // A path that stalled where its last stage starts, the structure there with no stiffness
  // and no equilibrium found near it under the stage's first loads: the free component
  // (from 0) the stiffness is softest at there (past the start, where cables going slack
  // took it). -1 for any other ending.
  int32_t soft_start = -1;
  // The cables at their rest lengths that went slack as that stage began, where the
  // stiffness was found wanting a little way on, in rising order; empty otherwise.
  std::vector<int32_t> slack_at_soft_start;
  // Full load reached where only the slack cables' steering springs held the structure
  // against some motion, which no load drives (a frame whose bracing cables all went slack):
  // the free component (from 0) that moves most along it, -1 otherwise. The nodes held only
  // by slack cables are named in held_nodes instead.
  int32_t free_at_full_load = -1;
  // A path that stalled because its steps ran out (steps and halvings together), not because
  // a step shrank to nothing: the steps it was allowed; 0 otherwise.
  int step_limit = 0;
  // A path that stalled where a bar's length went to nothing (each step from the last point
  // that carried it past zero length was refused): that bar, from 1; 0 otherwise.
  int32_t squeezed_bar = 0;
  std::vector<path_point> points;  // every converged point, in order
  vector x;                  // the last equilibrium on the path
};

// Throws a data error naming the first setting out of its range (a step that is not
// positive, a shortest step above the first, counts below one, tolerances outside (0, 1)).
void validate(const path_settings& settings);

// `m` is a model prepared by `start`; it is not changed. The settings are validated first.
path_finding follow_path(const structure& m, stiffness_pattern& pattern, factorisation& f,
                         const path_settings& settings = {}, const path_observer& observer = {});

bool reached_full_load(const path_finding& path);
// No stable equilibrium at full load, after an instability: x is the last stable point.
bool collapsed(const path_finding& path);
// Full load reached on a far branch, after a limit point (followed round or jumped from).
bool snapped(const path_finding& path);
// Full load reached past a bifurcation point.
bool past_bifurcation(const path_finding& path);
const char* outcome_name(path_outcome outcome);

// The first point of this kind on the path, or none.
const path_point* first_point(const path_finding& path, point_kind kind);

// The load factor of the first jump, or else of the first limit point on the path (where it
// snaps through), or of the last equilibrium when there is none.
double snap_load_factor(const path_finding& path);

// "staged" or "together", as the programs' option spells it.
const char* loading_name(loading how);

// The structure at load factor t: loads, self-weight, prescribed displacements and the rest
// lengths' change from the drawn lengths of `full` times t; at t = 1, the structure at full
// load.
void scale_model(structure& scaled, const structure& full, double t);

}  // namespace kalvane::newton
