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
// a path holds still where nothing pulls it) are left out, unless every one is.
std::size_t softest_free_component(const structure& m, const vector& x, stiffness_pattern& pattern, factorisation& f,
                                   bool past_empty_rows = false);

}  // namespace kalvane::newton
