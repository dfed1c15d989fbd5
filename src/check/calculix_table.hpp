#pragma once
// The bar's force-elongation law as a table for a nonlinear axial spring: an incompressible
// bar of area A and length L0 stretched to lambda carries F = A * dW/dlambda, which is the
// true stress times the current cross-section (sigma * A / lambda).
#include <vector>

#include "model/model.hpp"

namespace kalvane::check {

// Axial force of a bar of `area` at `stretch`, from the strain energy of the material law.
double axial_force(const material_record& material, double area, double stretch);

struct spring_table {
  std::vector<double> elongation;  // increasing
  std::vector<double> force;
  // The bound that linear interpolation keeps over the stretches seen, relative to the
  // largest force there: the one asked for unless the solver's limit on rows forced more.
  double relative_error = 0.0;
};

// The stretches a table must cover well: [low, high] holds every stretch of the run and 1.
struct stretch_range {
  double low = 1.0, high = 1.0;
};

// Samples the law of one (area, length0) pair, in at most 200 rows. Inside `seen` linear
// interpolation stays within `relative_error` of the largest force there (or the table's
// own bound when 200 rows cannot do it); a margin on either side, sampled more coarsely,
// keeps the solver's trial states on the table (beyond it the spring has no stiffness).
spring_table make_spring_table(const material_record& material, double area, double length0, stretch_range seen,
                               double relative_error = 1e-5);

// Linear interpolation, as the solver does it; the end values hold beyond the table.
double interpolate(const spring_table& table, double elongation);

}  // namespace kalvane::check
