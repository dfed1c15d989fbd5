#pragma once
// The first test of a report: is the printed state an equilibrium? The gradient of the
// total potential at the printed displacements may exceed the run's allowable gradient by
// what 7-digit printing explains (each displacement is known to half a unit in its last
// printed digit, which moves the gradient by the stiffness row times that half unit) and
// by the rounding of the sum itself.
#include <string>
#include <vector>

#include "newton/system.hpp"
#include "view/report_reader.hpp"

namespace kalvane::check {

// The check speaks the Newton library's vocabulary: states, vectors, patterns, factorisations.
using namespace kalvane::newton;

std::string name_of(const component_name& c);  // "node 7 Z"

struct component_residual {
  component_name where;
  double gradient = 0.0;
  double allowance = 0.0;  // allowable gradient + printing + rounding
  double printing = 0.0;
};

struct residual_finding {
  double allowable = 0.0;         // the run's stopping threshold
  double largest = 0.0;           // largest |gradient| component
  long outside = 0;               // components beyond their allowance
  std::vector<component_residual> worst;  // the largest ratios gradient / allowance, worst first
  vector allowance;               // of every free component
  bool within() const { return outside == 0; }
};

using view::half_printed_unit;

// The free displacements as the report prints them.
vector printed_unknowns(const model& m, const view::report& r);

residual_finding check_residual(const structure& s, const vector& printed, stiffness_pattern& pattern,
                                std::size_t worst_count = 5);

// How many significant digits of `printed` are right against `exact`: the largest d <= 7
// for which they differ by at most half a unit in the d-th digit of `exact`. `floor` is the
// size below which a value counts as zero for its table.
int digits_right(double printed, double exact, double floor);

}  // namespace kalvane::check
