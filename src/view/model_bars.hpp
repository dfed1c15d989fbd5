#pragma once
// What a model file adds to the scene: its materials, and each bar's axial force, stretch
// and state from the structure's own law at the report's displacements.
#include <string>

#include "structure/structure.hpp"
#include "view/scene.hpp"

namespace kalvane::view {

// The law in words with its constants, e.g. "Mooney-Rivlin, c1 = 4, c2 = 1".
std::string law_text(const material& m);

// Fills s.force, s.stretch, s.materials, s.material and s.state from `prepared` (a structure
// after `start` and `prepare`, so each bar's rest length is the one in use) and the scene's
// displacements.
void add_model_bars(scene& s, const structure& prepared);

// kalvane-path's bars.csv (its text), when it is the table of the scene's own state: a row
// per bar in order, each naming the bar's ends, with the report's stress to the report's
// seven digits. Then sets s.force, s.stretch and s.state from its full-precision columns
// and returns true; else leaves the scene as it is and returns false.
bool take_bars_csv(scene& s, const std::string& text);

}  // namespace kalvane::view
