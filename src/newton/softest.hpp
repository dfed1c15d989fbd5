#pragma once
// Where a structure is free to move: the free component that moves most along the least
// stiff direction of its stiffness at x.
#include <cstddef>

#include "newton/factor.hpp"
#include "newton/system.hpp"

namespace kalvane::newton {

// By a few steps of inverse iteration with a small shift (Golub and Van Loan, 7.6.1); the
// free component's index, from 0. Leaves f factorised at x (shifted).
// `past_empty_rows`: components whose row of the stiffness is empty (what nothing holds, and
// a path holds still where nothing pulls it) are left out, unless every one is; with it, the
// stiffness is the structure's own, without the springs that steer Newton past slack cables.
std::size_t softest_free_component(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f,
                                   bool past_empty_rows = false);

// At an equilibrium x where cables are slack: whether the structure's own stiffness, the
// components that nothing holds aside (nodes only slack cables reach, nodes on no bar), still
// leaves a motion free that only the springs steering Newton past slack cables held, as a
// frame whose bracing cables all went slack is free to sway. The free component (from 0)
// that moves most along it, or -1.
int32_t free_but_for_slack_cables(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f);

}  // namespace kalvane::newton
