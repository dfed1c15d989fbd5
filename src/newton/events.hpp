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
// settled; false when a correction failed.
bool locate_event(path_work& w, const path_state& a, const path_state& b, const watched& f, path_state& found);

}  // namespace kalvane::newton
