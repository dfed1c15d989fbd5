#pragma once
// The path's states as the page plays them: read from kalvane-path's path.states, checked
// against the folder's curve and structure, and thinned to what a browser tab holds.
#include <cstddef>
#include <string>
#include <vector>

#include "structure/states_file.hpp"
#include "view/load_path.hpp"
#include "view/scene.hpp"

namespace kalvane::view {

// The page's states take 12 bytes per node and 9 per bar each (float32 displacements, forces
// and stresses, a byte of state). 100 MB of them, 133 MB of base64 text, is what a tab decodes
// in a few seconds and holds beside its buffers; beyond it the page would stall or die.
inline constexpr std::size_t page_states_budget = std::size_t{100} << 20;

struct animation {
  std::vector<path_state_record> states;  // those the page plays, in the path's order
  std::size_t in_file = 0;                // the states path.states holds
};

// path.states of the folder, checked: its structure's size is the scene's and every row is
// a row of the curve. `name` names the file in errors.
path_states read_states(const std::string& bytes, const std::string& name, const scene& s, const load_path& curve);

// The states that fit `budget` bytes of the page: all of them, or else the first, the last,
// every event of the curve with the states beside it and `report_row`'s, and between them
// as many as fit, evenly spread over the rows.
animation animation_of(path_states all, const load_path& curve, std::size_t report_row, std::size_t budget);

std::size_t page_state_bytes(const scene& s);

}  // namespace kalvane::view
