#pragma once
// The route the path took, in words: each event in order with its load factor, and how it
// ended ("bifurcation at 0.9368, branch switched; jump at 0.937 to a stable state; full load
// reached, stable"). kalvane-path's summary and kalvane-check's point 5 both say it.
#include <string>

#include "newton/path.hpp"

namespace kalvane::newton {

// `stages`: name each event's stage (a staged path of more than one stage).
std::string route_text(const path_finding& path, bool stages);

// The path's unheld nodes, those on no bar apart: "node 4 is held only by slack cables and
// carries a load; node 7 is on no bar and carries a load"; "" when there are none.
std::string unheld_text(const path_finding& path);

}  // namespace kalvane::newton
