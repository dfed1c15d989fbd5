#pragma once
// The events of the loading path: scalar functions watched between two converged points,
// an event being where one of them changes sign. The tangent's load component (a limit
// point), the smallest pivot signed by the count of negative pivots (a bifurcation point)
// and each cable's strain (a cable going slack or taut) are watched alike, and located
// alike by corrections on the arc from the earlier point.
#include <cstdint>
#include <vector>

#include "newton/continuation.hpp"

namespace kalvane::newton {

enum class watch_kind { limit, bifurcation, cable };

struct watched {
  watch_kind kind = watch_kind::limit;
  int32_t bar = 0;  // a cable's number
};

// The function's value at p; `a` is the step's start, whose count of negative pivots signs
// a bifurcation's.
double watched_value(path_work& w, const watched& f, const path_state& a, const path_state& p);

// A cable whose strain changed sign over a step: taut at its start and slack at its end, or
// the other way round; `fraction` places the change along the step by linear interpolation
// of the strain.
struct cable_crossing {
  int32_t bar = 0;
  bool slack = false;
  double fraction = 0.0;
};

// The cables that crossed their rest length from a to b, in the order of the step.
std::vector<cable_crossing> cables_crossed(path_work& w, const path_state& a, const path_state& b);

// The kind of point b, the next converged point after a: a limit point when the load
// factor turned between them, a bifurcation when only the count of negative pivots changed.
point_kind event_between(const path_state& a, const path_state& b);

// How far p lies from a along a's tangent, in the path's norm.
double along_tangent(const path_work& w, const path_state& a, const path_state& p);

// The zero of f between a and b, located by corrections from a along its tangent: regula
// falsi (its Illinois variant) on the function's value, ending when that is within its
// tolerance (a limit point's load component, a cable's strain), or, at a bifurcation, when
// the bracket round the change of inertia has shrunk to its width. Gives the located point,
// settled: `found`; `correction_failed` when a correction failed (a limit or bifurcation
// point is then named by the nearest point found after the first); for a cable whose
// corrections all converged but none brought its strain within `cable_strain_accepted`,
// `short_of_tolerance`, the nearest given. `along_chord` corrects on planes square to the
// chord from a to b instead, and steps by the secant of the last two points where both lie
// on one side: past a cable's kink the path may turn so sharply that the planes square to
// a's tangent cut it twice, once on either leg, and the strain, gentle on one side of its
// zero and steep on the other, leaves regula falsi creeping.
enum class location { found, correction_failed, short_of_tolerance };
location locate_event(path_work& w, const path_state& a, const path_state& b, const watched& f, path_state& found,
                      bool along_chord = false);

}  // namespace kalvane::newton
