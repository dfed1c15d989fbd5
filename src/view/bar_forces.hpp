#pragma once
// What a bar carries in the scene's state, beyond the report's stress: its stretch and its
// axial force, formed as the 3-D page forms them when a bar is picked.
#include <vector>

#include "view/scene.hpp"

namespace kalvane::view {

// Per bar, lambda = sqrt(1 + d.(d + 2c)) with d the relative end displacement per undeformed
// length and c the undeformed unit vector: the bar law's own form, exact for small strains.
// NaN where the displacements make lambda^2 negative or are not numbers.
std::vector<double> stretches(const scene& s);

// Per bar, stress x area / stretch: the true stress times the current cross-section of an
// incompressible bar.
std::vector<double> axial_forces(const scene& s, const std::vector<double>& stretch);

}  // namespace kalvane::view
