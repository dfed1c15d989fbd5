#pragma once
// The jump: where a structure under rising load has no stable state left on its branch (at
// a limit point, or at a bifurcation whose branches are unstable), it moves dynamically, at
// that load, to a stable state elsewhere. Statically that state is the minimum of the total
// potential the structure reaches from the point of instability: the globally convergent
// Newton (minimise.hpp) from the state there, disturbed along the buckling mode.
#include "newton/continuation.hpp"

namespace kalvane::newton {

// The stable state b the structure jumps to from p, at p's load factor, disturbed along
// `mode` by `settings.jump_kick` times the structure's extent (more, tenfold at a time,
// where the minimum found is p's own neighbourhood). b is settled, its tangent rising in
// load. Otherwise why no stable state was found there, with the bar `crushed` (its number)
// when that is why.
jump_end jump_from(path_work& w, const path_state& p, const vector& mode, path_state& b, int32_t& crushed);

}  // namespace kalvane::newton
