#pragma once
// A bar's force-elongation law as a table for a nonlinear axial spring. CalculiX measures a
// spring's elongation from its drawn length, so a bar whose rest length differs from it
// starts with the force its law gives there: the table is the law of `respond` at the
// stretch on the rest length, l / L0, tabulated against l - drawn length.
#include <vector>

#include "structure/law.hpp"

namespace kalvane::check {

// Axial force of a bar of this material, member (its behaviour and rest length in use),
// area and drawn length at `drawn_stretch` = l / drawn length.
double axial_force(const material& mat, const member& mem, double area, double drawn, double drawn_stretch);

struct spring_table {
  std::vector<double> elongation;  // increasing, from the drawn length
  std::vector<double> force;
  // The bound that linear interpolation keeps over the stretches seen, relative to the
  // largest force there: the one asked for unless the solver's limit on rows forced more.
  double relative_error = 0.0;
};

// The stretches on the drawn length a table must cover well: [low, high] holds every
// stretch of the run, the drawn shape (1) and the force-free length (rest / drawn).
struct stretch_range {
  double low = 1.0, high = 1.0;
};

// Samples the law of one bar kind, in at most 200 rows. Inside `seen` linear interpolation
// stays within `relative_error` of the largest force there (or the table's own bound when
// 200 rows cannot do it); a margin on either side, sampled more coarsely, keeps the solver's
// trial states on the table (beyond it the spring has no stiffness). The drawn and the
// force-free lengths are rows of their own, so the table is exact where a slack cable's
// law bends.
spring_table make_spring_table(const material& mat, const member& mem, double area, double drawn,
                               stretch_range seen, double relative_error = 1e-5);

// Linear interpolation, as the solver does it; the end values hold beyond the table.
double interpolate(const spring_table& table, double elongation);

}  // namespace kalvane::check
