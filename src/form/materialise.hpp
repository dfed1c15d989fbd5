#pragma once
// From the companions' structure to form-finding and back: the problem a model file sets
// (its supports, its bars' behaviour, its "form" section's densities and targets), and the
// analysis model of a shape found: each bar's rest length from its force by inverting its
// law, so that the structure, unloaded, stands in equilibrium at that shape.
#include <vector>

#include "form/find.hpp"
#include "form/problem.hpp"
#include "structure/structure.hpp"

namespace kalvane::form {

// The problem of a structure in the read state: nodes at their drawn positions, every
// prescribed component held there, the cables' behaviour, and the densities and targets of
// `f` (every bar at f.density unless a group gives its own); the loads only when f.loaded.
// Throws `error` (data_error) for a prescribed displacement other than zero, naming the
// node: form-finding holds a support where it is drawn.
problem problem_of(const structure& s, const form_data& f);

// Each bar's rest length L0 = l / lambda, lambda the stretch at which its law carries the
// force it has in the shape found. Throws `error` (model_error) naming the bar when its law
// cannot carry that force (a cable pushed, a bar squeezed beyond what its law allows).
std::vector<double> rest_lengths(const structure& s, const form_result& r);

// The analysis model: the structure drawn at the shape found, each bar's rest length given,
// no prestress force, no "form" section; materials, supports, loads and settings as they were.
structure materialised(const structure& s, const form_result& r, const std::vector<double>& rest);

}  // namespace kalvane::form
