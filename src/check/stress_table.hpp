#pragma once
// Whether a report's stresses follow from its own displacements. Each stress is a function
// of its bar's end displacements alone, so a printed stress that no displacements within
// their printing give was not written from them: the table was changed after the run, or
// written from another state. No gradient tolerance explains that, and the check says so
// rather than asking for a tighter one.
#include <cstdint>
#include <vector>

#include "newton/system.hpp"
#include "view/report_reader.hpp"

namespace kalvane::check {

struct stress_table_finding {
  long mismatched = 0;    // bars whose printed stress no printed displacements give
  int32_t worst_bar = 0;  // the one furthest beyond its allowance, and its two stresses
  double printed = 0.0;
  double from_displacements = 0.0;
};

// `printed_x`: the report's displacements of the free components; `printed_stress`: its
// stress per bar (bar b at [b - 1]).
stress_table_finding stresses_against_displacements(const structure& s, const newton::vector& printed_x,
                                                    const std::vector<double>& printed_stress);

// The same of the reaction table: a reaction is the end forces of the bars at its node less
// the load there, so it too follows from the displacements within what their printing spreads.
struct reaction_table_finding {
  long mismatched = 0;          // listed reactions that no printed displacements give
  newton::component_name worst;  // the one furthest beyond its allowance, and its two values
  double printed = 0.0;
  double from_displacements = 0.0;
};

reaction_table_finding reactions_against_displacements(const structure& s, const newton::vector& printed_x,
                                                       const std::vector<view::reaction_entry>& printed_reactions);

// The same of the report's Objective, the total potential at its displacements (as kalvane
// forms it, with its constant per bar, where kalvane can hold the structure; else above the
// unstressed bars): what each component's printing spreads of it is at most the terms summed
// there times half its printed unit, and the Objective's own last digit.
struct objective_finding {
  bool mismatched = false;
  double printed = 0.0;
  double from_displacements = 0.0;
};

objective_finding objective_against_displacements(const structure& s, const newton::vector& printed_x,
                                                  double printed_objective);

}  // namespace kalvane::check
