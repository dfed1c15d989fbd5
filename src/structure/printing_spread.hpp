#pragma once
// What the printed digits of a bar's end displacements leave unknown of its force and stress:
// each component may be off by half a unit in its last digit, and along a stiff bar so
// little already moves the force far. Both the certificate (a report's stresses against its
// own displacements) and the CalculiX cross-check (a force from ccx's printed displacements)
// allow for it.
#include "structure/law.hpp"

namespace kalvane {

struct printing_spread {
  double force = 0.0;   // the largest change of the force, lengthening or shortening the bar
  double stress = 0.0;  // the same of its stress
};

// The bar at end displacement difference u (its state there `at`), each component of its
// first and second end known to within half1 and half2: the most those can lengthen or
// shorten it along its deformed axis, and what that does to its force and stress.
printing_spread spread_of_printing(const bar_record& bar, const material& mat, const member& mem, const double u[3],
                                   const member_state& at, const double half1[3], const double half2[3]);

}  // namespace kalvane
